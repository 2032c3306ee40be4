#include "tests/platform/shell/pdf_text.h"

#include "tests/support/temp_home.h"

#include <QProcess>
#include <QRegularExpression>

namespace qlnrec::test {

namespace {

QString run(const QString& program, const QStringList& args, int* exitCode)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(-1);
    *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

bool havePdfTools()
{
    return haveCommand(QStringLiteral("pdftotext")) && haveCommand(QStringLiteral("pdfinfo"));
}

QStringList pdfTextLines(const QString& pdfPath)
{
    int code = 0;
    const QString text =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdfPath, QStringLiteral("-")}, &code);
    if (code != 0) {
        return {};
    }
    QStringList lines;
    for (QString line : text.split(QLatin1Char('\n'))) {
        line.remove(QLatin1Char('\f'));
        line = line.trimmed();
        if (!line.isEmpty()) {
            lines << line;
        }
    }
    return lines;
}

int pdfPageCount(const QString& pdfPath)
{
    int code = 0;
    const QString info = run(QStringLiteral("pdfinfo"), {pdfPath}, &code);
    const auto match = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return code == 0 && match.hasMatch() ? match.captured(1).toInt() : -1;
}

} // namespace qlnrec::test

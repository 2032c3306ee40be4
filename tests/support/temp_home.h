#pragma once
// A private, empty home for one test: program folder, config folder and temporary folder all
// live below one QTemporaryDir, and XDG variables point there while the object lives.
#include <QString>
#include <QTemporaryDir>

namespace qlnrec::test {

class TempHome {
public:
    TempHome();
    ~TempHome();
    QString root() const { return dir_.path(); }
    QString programFolder() const { return dir_.path() + QStringLiteral("/data/qlnrec"); }
    QString configFile() const { return dir_.path() + QStringLiteral("/config/qlnrec/qlnrec.conf"); }
    QString path(const QString& relative) const { return dir_.path() + QLatin1Char('/') + relative; }

private:
    QTemporaryDir dir_;
    QByteArray oldConfig_, oldData_, oldRuntime_;
};

// Reads a whole file as bytes (empty when missing).
QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);
// Runs a shell command and returns its standard output; exit code into *exitCode.
QString runCommand(const QString& command, int* exitCode = nullptr);
bool haveCommand(const QString& name);

} // namespace qlnrec::test

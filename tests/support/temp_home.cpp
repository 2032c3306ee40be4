#include "temp_home.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace qlnrec::test {

TempHome::TempHome()
{
    oldConfig_ = qgetenv("XDG_CONFIG_HOME");
    oldData_ = qgetenv("XDG_DATA_HOME");
    oldRuntime_ = qgetenv("QLNREC_HOME");
    QDir().mkpath(dir_.path() + QStringLiteral("/config"));
    QDir().mkpath(dir_.path() + QStringLiteral("/data/qlnrec"));
    qputenv("XDG_CONFIG_HOME", (dir_.path() + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_DATA_HOME", (dir_.path() + QStringLiteral("/data")).toUtf8());
    qunsetenv("QLNREC_HOME");
}

TempHome::~TempHome()
{
    auto restore = [](const char* name, const QByteArray& value) {
        if (value.isNull()) {
            qunsetenv(name);
        } else {
            qputenv(name, value);
        }
    };
    restore("XDG_CONFIG_HOME", oldConfig_);
    restore("XDG_DATA_HOME", oldData_);
    restore("QLNREC_HOME", oldRuntime_);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return f.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        f.write(bytes);
    }
}

QString runCommand(const QString& command, int* exitCode)
{
    QProcess p;
    p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    p.waitForFinished(-1);
    if (exitCode) {
        *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

bool haveCommand(const QString& name)
{
    const bool found = !QStandardPaths::findExecutable(name).isEmpty();
    // Where the install script ran, a missing tool is a broken install, not a reason to skip.
    if (!found && qEnvironmentVariable("QLNREC_REQUIRE_TOOLS") == QLatin1String("1")) {
        ADD_FAILURE() << name.toStdString() << " is not installed (QLNREC_REQUIRE_TOOLS=1)";
    }
    return found;
}

}  // namespace qlnrec::test

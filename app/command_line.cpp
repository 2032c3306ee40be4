#include "app/command_line.h"

#include <QCommandLineParser>

namespace qlnrec::app {

std::optional<CommandLineOptions> parseCommandLine(const QStringList& arguments, QString* error,
                                                   QString* helpText)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Quillon Recorder: records telephone calls and answers them like an answering machine."));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption home(QStringLiteral("home"),
                                  QStringLiteral("Keep the program's files in DIR (default: "
                                                 "$QLNREC_HOME or ~/.local/share/qlnrec)."),
                                  QStringLiteral("DIR"));
    const QCommandLineOption lines(QStringLiteral("lines"),
                                   QStringLiteral("Line providers, e.g. sim:2 or modem:/dev/ttyACM0,sim:1 "
                                                  "(default: the voice modems found on this "
                                                  "machine, else one simulated line)."),
                                   QStringLiteral("LIST"));
    const QCommandLineOption scenario(QStringLiteral("scenario"),
                                      QStringLiteral("Play a call scenario file into the simulated lines; "
                                                     "message boxes take their default answer."),
                                      QStringLiteral("FILE"));
    const QCommandLineOption virtualTime(QStringLiteral("virtual-time"),
                                         QStringLiteral("Run the clock as fast as events allow."));
    const QCommandLineOption exitWhenDone(QStringLiteral("exit-when-done"),
                                          QStringLiteral("End the program when the scenario has played."));
    const QCommandLineOption demo(
        QStringLiteral("demo"),
        QStringLiteral("Watch a demonstration call on a simulated line, in a profile of its own (settings, "
                       "program folder and recordings in a temporary folder, removed at the end; with "
                       "--home, in DIR, which is kept). Your own settings and recordings are not touched."));
    const QCommandLineOption keepDemo(QStringLiteral("keep-demo"),
                                      QStringLiteral("Keep the demonstration's folder after the end."));
    const QCommandLineOption language(
        QStringLiteral("language"),
        QStringLiteral("Language for this run: 0 English, 1 Simplified Chinese, "
                       "2 Traditional Chinese."),
        QStringLiteral("N"));
    const QCommandLineOption activity(
        QStringLiteral("activity"),
        QStringLiteral("At the end, write what the program did to the simulated lines (hook changes, "
                       "digits, dialled numbers, the audio played into each call) to FILE."),
        QStringLiteral("FILE"));
    const QCommandLineOption logStalls(
        QStringLiteral("log-stalls"),
        QStringLiteral("Report on standard error every time the window stops responding for more than MS "
                       "milliseconds, and the longest such pause at the end (for slow machines)."),
        QStringLiteral("MS"));
    parser.addOptions({help, home, lines, scenario, virtualTime, exitWhenDone, demo, keepDemo, language,
                       activity, logStalls});
    parser.addVersionOption();

    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return std::nullopt;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("version"))) {
        if (helpText) {
            *helpText = parser.isSet(help)
                            ? parser.helpText()
                            : QStringLiteral("qlnrec %1\n").arg(QCoreApplication::applicationVersion());
        }
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *error = QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first());
        return std::nullopt;
    }
    CommandLineOptions options;
    options.home = parser.value(home);
    options.lines = parser.value(lines);
    options.activity = parser.value(activity);
    options.scenario = parser.value(scenario);
    options.virtualTime = parser.isSet(virtualTime);
    options.exitWhenDone = parser.isSet(exitWhenDone);
    options.demo = parser.isSet(demo);
    options.keepDemo = parser.isSet(keepDemo);
    if (options.keepDemo && !options.demo) {
        *error = QStringLiteral("--keep-demo goes with --demo");
        return std::nullopt;
    }
    if (parser.isSet(logStalls)) {
        bool ok = false;
        options.logStallsMs = parser.value(logStalls).trimmed().toInt(&ok);
        if (!ok || options.logStallsMs < 1 || options.logStallsMs > 60000) {
            *error = QStringLiteral("--log-stalls takes milliseconds from 1 to 60000, not \"%1\"")
                         .arg(parser.value(logStalls));
            return std::nullopt;
        }
    }
    if (parser.isSet(language)) {
        const QString value = parser.value(language).trimmed();
        if (value != QLatin1String("0") && value != QLatin1String("1") && value != QLatin1String("2")) {
            *error = QStringLiteral("--language takes 0, 1 or 2, not \"%1\"").arg(value);
            return std::nullopt;
        }
        options.language = value;
    }
    if (options.home.isEmpty() && parser.isSet(home)) {
        *error = QStringLiteral("--home needs a folder");
        return std::nullopt;
    }
    return options;
}

QStringList autoStartArguments(const CommandLineOptions& options, const QString& programFolder)
{
    if (options.home.isEmpty() && qEnvironmentVariableIsEmpty("QLNREC_HOME")) {
        return {};
    }
    return {QStringLiteral("--home"), programFolder};
}

} // namespace qlnrec::app

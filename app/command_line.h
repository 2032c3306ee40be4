#pragma once
// The program's command line.
#include <QString>
#include <QStringList>

#include <optional>

namespace qlnrec::app {

struct CommandLineOptions {
    QString home;                    // --home DIR: the program folder
    QString lines;                   // --lines LIST: line providers, e.g. "sim:2"
    QString scenario;                // --scenario FILE: a call scenario for the simulated lines
    bool virtualTime = false;        // --virtual-time: run the clock as fast as events allow
    bool exitWhenDone = false;       // --exit-when-done: end when the scenario has played
    bool demo = false;               // --demo: a simulated line and a demonstration call
    bool keepDemo = false;           // --keep-demo: the demonstration's folder stays after the end
    QString activity;                // --activity FILE: what the program did to the simulated lines
    std::optional<QString> language; // --language N: the language for this run (0, 1, 2)
    int logStallsMs = 0;             // --log-stalls MS: report event-loop stalls longer than MS

    // Headless runs answer every modal window with its default and log it to standard error.
    bool headless() const { return !scenario.isEmpty() || virtualTime || exitWhenDone; }
};

// Parses the arguments (arguments[0] is the program). Returns nothing and sets *error on a bad
// command line; sets *helpText and returns nothing for --help / --version.
std::optional<CommandLineOptions> parseCommandLine(const QStringList& arguments, QString* error,
                                                   QString* helpText = nullptr);

// What the start-at-login entry passes to the program: "--home" and programFolder when the folder
// came from --home or QLNREC_HOME (a login session has neither), else nothing.
QStringList autoStartArguments(const CommandLineOptions& options, const QString& programFolder);

} // namespace qlnrec::app

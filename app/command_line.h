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

} // namespace qlnrec::app

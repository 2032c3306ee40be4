#include "app/demo_scenario.h"

#include <QStandardPaths>

namespace qlnrec::app {

QString demoScenarioText()
{
    // The caller speaks where espeak-ng is installed; otherwise a tone stands in for the voice,
    // so the demonstration runs on any machine.
    const bool canSpeak = !QStandardPaths::findExecutable(QStringLiteral("espeak-ng")).isEmpty();
    const QString message =
        canSpeak
            ? QStringLiteral("audio speech=\"Hello, this is the demonstration caller. I am sorry I missed "
                             "you. Please call me back when you can. Goodbye.\"")
            : QStringLiteral("audio tone=440 duration=6");
    return QStringLiteral(
               "# A demonstration call on simulated line 0: the caller lets it ring until the\n"
               "# program answers, hears the greeting and the beep, leaves a message and hangs up.\n"
               "line 0 name=\"Demo Voice Modem\"\n"
               "5s   0 ring 8\n"
               "6s   0 callerid number=5551234567 name=\"Demo Caller\"\n"
               "+0   0 wait offhook timeout=120\n"
               "+0   0 wait generated timeout=120\n"
               "+0.5 0 %1\n"
               "+9   0 hangup\n"
               "+4   0 end\n")
        .arg(message);
}

} // namespace qlnrec::app

#pragma once
// The demonstration call of --demo: one simulated line rings until the program answers; the
// caller hears the greeting and the beep, leaves a message and hangs up.
#include <QString>

namespace qlnrec::app {

QString demoScenarioText();

} // namespace qlnrec::app

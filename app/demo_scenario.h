#pragma once
// The demonstration call of --demo: one simulated line rings, shows a caller and hangs up.
#include <QString>

namespace qlnrec::app {

QString demoScenarioText();

} // namespace qlnrec::app

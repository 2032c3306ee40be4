#include "app/demo_scenario.h"

namespace qlnrec::app {

QString demoScenarioText()
{
    return QStringLiteral("# A demonstration call on simulated line 0.\n"
                          "line 0 name=\"Demo Voice Modem\"\n"
                          "5s 0 ring 6\n"
                          "7.5s 0 callerid number=5551234567 name=\"Demo Caller\"\n"
                          "60s 0 hangup\n"
                          "65s 0 end\n");
}

} // namespace qlnrec::app

#pragma once
// The shutdown sequence, run once on any close of the main window (and on SIGTERM/SIGINT):
// every recording in progress written and listed, the window outline, the player's media alias, the daily
// log, the lines, the log timer, the windows, then the end of the program. No setting is written.
class QWidget;

namespace qlnrec::app {

struct AppServices;
class frmMain;

// window may be null when the program ends before the main window exists.
void runShutdown(AppServices& services, frmMain* window);

} // namespace qlnrec::app

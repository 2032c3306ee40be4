#pragma once
// The program as a whole: reads the command line, builds every service once (AppServices),
// starts, runs the event loop (or virtual time) and ends.
namespace qlnrec::app {

// Returns the process exit code.
int runApplication(int argc, char** argv);

} // namespace qlnrec::app

#pragma once
// The load sequence of the main window: thirty steps in a fixed order that prepare the window,
// folders, the daily log, settings and lines, writing progress markers to Steps.txt.
#include <QFile>
#include <QString>

#include <memory>

namespace qlnrec::app {

struct AppServices;
class frmMain;

enum class LoadResult {
    Loaded,     // the window runs
    EndProgram, // the user chose to end it (disclaimer "Exit", setup saved) or a shutdown came
};

class MainWindowLoader {
public:
    static constexpr const char* kStepsFileName = "Steps.txt";

    explicit MainWindowLoader(AppServices& services);
    ~MainWindowLoader();

    LoadResult run(frmMain& window);

    // The ring-interval load (step 17): caps learned values above 13000 and writes the cap
    // back, then sets the ring timer of each line whose first interval is set.
    void loadRingIntervals();
    // The device change check (step 22).
    void checkDeviceChanges();
    // The detector settings snapshot (step 29).
    void loadDetectorSettings();

private:
    void openSteps();
    void marker(const char* text);
    void closeSteps();
    void loadCheckBoxes(frmMain& window);

    AppServices& s_;
    std::unique_ptr<QFile> steps_;
};

} // namespace qlnrec::app

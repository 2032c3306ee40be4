#include "app/main_window_loader.h"

#include "app/app_services.h"
#include "app/forms/frm_main.h"
#include "app/modal_windows.h"
#include "app/run_state.h"
#include "app/startup_parts.h"
#include "audio/default_prompts.h"
#include "core/config_store.h"
#include "core/program_folders.h"
#include "core/strings.h"
#include "platform/core/event_service.h"
#include "platform/core/settings_store.h"
#include "records/status_log.h"

#include <QCheckBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>

#include <algorithm>
#include <array>
#include <cstdio>
#include <exception>

namespace qlnrec::app {

MainWindowLoader::MainWindowLoader(AppServices& services) : s_(services) {}

MainWindowLoader::~MainWindowLoader() = default;

void MainWindowLoader::openSteps()
{
    steps_ =
        std::make_unique<QFile>(s_.state.programFolder + QLatin1Char('/') + QLatin1String(kStepsFileName));
    if (!steps_->open(QIODevice::WriteOnly | QIODevice::Truncate,
                      QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        steps_.reset();
    }
}

void MainWindowLoader::marker(const char* text)
{
    if (!steps_) {
        return;
    }
    // Written through at once: the markers tell how far a start got even if it dies.
    steps_->write(text);
    steps_->write("\r\n");
    steps_->flush();
}

void MainWindowLoader::closeSteps()
{
    if (steps_) {
        steps_->close();
        steps_.reset();
    }
}

void MainWindowLoader::loadCheckBoxes(frmMain& w)
{
    const core::Strings& strings = s_.strings;
    w.chkLegal->setToolTip(strings.loadText(1114));
    w.lblLegal->setText(strings.loadText(1114));
    w.lblRingCount->setText(strings.loadText(1120));
    w.chkLegal->setChecked(false);
    w.chkRingCount->setChecked(false);

    // Ticking a box runs its click handler, so a stored ticked value is saved (and journaled)
    // again. A box ticked only by its default is not written: a first start leaves the store
    // holding nothing but the language and the program folder until the user agrees.
    auto tick = [this](QCheckBox* box, const core::SettingKey& key, void (frmMain::*click)(),
                       frmMain& window) {
        if (s_.config.getNumber(key) == 0) {
            return;
        }
        box->setChecked(true);
        if (s_.config.contains(key)) {
            (window.*click)();
        }
    };
    tick(w.chkLegal, core::keys::kLegal, &frmMain::chkLegal_Click, w);
    tick(w.chkRingCount, core::keys::kRingCount, &frmMain::chkRingCount_Click, w);
}

void MainWindowLoader::loadRingIntervals()
{
    std::array<int, kLineCount> first{};
    for (int line = 0; line < kLineCount; ++line) {
        for (int k = 1; k <= kRingIntervalCount; ++k) {
            const core::SettingKey key = core::ringInterval(line, k);
            int value = s_.config.getInt(key);
            if (value > kMaxRingIntervalMs) {
                value = kMaxRingIntervalMs;
                s_.config.save(key, QString::number(kMaxRingIntervalMs));
            }
            // A negative interval cannot be waited for; read it like a garbled value.
            value = std::max(value, 0);
            s_.parts.setRingInterval(line, k, value);
            if (k == 1) {
                first[static_cast<std::size_t>(line)] = value;
            }
        }
    }
    // A line whose first interval is not known keeps its ring timer's design interval.
    for (int line = 0; line < kLineCount; ++line) {
        if (const int interval = first[static_cast<std::size_t>(line)]; interval != 0) {
            s_.parts.setRingTimerInterval(line, static_cast<std::uint32_t>(interval));
        }
    }
}

void MainWindowLoader::checkDeviceChanges()
{
    for (int line = 0; line < kLineCount; ++line) {
        const std::optional<QString> deviceText = s_.parts.lineDeviceText(line);
        if (!deviceText) {
            continue;
        }
        const core::SettingKey modem = core::modemDeviceText(line);
        if (s_.config.get(modem) == *deviceText) {
            continue;
        }
        // The line's learned timing belonged to the old device: back to the defaults.
        const core::SettingKey first = core::ringInterval(line, 1);
        const core::SettingKey weight = core::ringWeight(line);
        s_.config.save(first, first.absentValue());
        s_.config.save(weight, weight.absentValue());
        s_.parts.setRingInterval(line, 1, s_.config.getInt(first));
        s_.config.save(modem, *deviceText);
    }
}

void MainWindowLoader::loadDetectorSettings()
{
    s_.state.detector = core::DetectorSettings::read(s_.config);
}

LoadResult MainWindowLoader::run(frmMain& w)
{
    RunState& state = s_.state;
    core::ConfigStore& config = s_.config;
    const QString folder = state.programFolder;

    // 1. Centre the window, a little below the middle.
    w.centreOnScreen();
    // 2, 3. The platform kind only chose where Windows keeps the modems' initialisation strings
    // so that "x3" could be appended; here each voice modem's line provider sends its own
    // initialisation string (result codes included), so there is nothing to look up or patch.
    // 4. The panel artwork.
    w.paintBackground();
    // 5. The outline.
    w.applyWindowRegion();
    s_.events.processPendingEvents();
    // 6. The option boxes.
    loadCheckBoxes(w);
    // 7. Where this start found its files.
    config.save(core::keys::kProgramPath, folder);
    // 8. Captions and tool tips.
    w.setCaptionsAndTips(s_.strings);
    // 9. The start-up trace.
    openSteps();
    // 10. The log folder.
    core::ProgramFolders::makePrivatePath(folder + QStringLiteral("/LogFiles"));
    marker("1");
    // 11. The daily log; an earlier start of today shows its lines first.
    w.attachStatusLog(s_.statusLog);
    s_.statusLog.openAtStart();
    marker("2");
    // The shipped prompts, where the program folder has none of its own: a fresh install answers
    // with a greeting, not silence. A prompt that cannot be written is reported; the start goes on.
    for (const QString& failure : audio::installDefaultPrompts(folder, s_.strings.languageOffset()).failed) {
        s_.statusLog.addStatusLine(s_.strings.text(core::ProgramText::PromptNotWritten) + failure);
    }
    // 12. Per-line call state.
    s_.parts.resetLineState();
    marker("6");
    // 13. A temporary folder only this user can enter; the program folder as a last resort.
    {
        QString error;
        state.tempFolder = core::ProgramFolders::privateTempFolder(config.store().applicationName(), &error);
        if (state.tempFolder.isEmpty()) {
            const QString fallback = folder + QStringLiteral("/tmp");
            core::ProgramFolders::makePrivatePath(fallback);
            state.tempFolder = core::ProgramFolders::securePrivateFolder(fallback, &error)
                                   ? fallback + QLatin1Char('/')
                                   : folder + QLatin1Char('/');
            std::fprintf(stderr, "qlnrec: no private temporary folder (%s); using %s\n", qPrintable(error),
                         qPrintable(state.tempFolder));
        }
    }
    // 14. Telephony.
    marker("8");
    s_.parts.initTelephony();
    // A telephony interface that cannot be initialised ends the program.
    if (s_.lifecycle.shuttingDown) {
        closeSteps();
        return LoadResult::EndProgram;
    }
    // 15. The default recordings folder.
    core::ProgramFolders::makePrivatePath(folder + QStringLiteral("/waveFiles"));
    marker("9");
    // 16. First start: the disclaimer, then the setup dialog.
    if (config.get(core::keys::kSaveFile).isEmpty()) {
        if (s_.windows.showDisclaimer(&w) == DisclaimerChoice::Exit || s_.lifecycle.shuttingDown) {
            closeSteps();
            return LoadResult::EndProgram;
        }
        if (s_.parts.showSetupModal(&w) == SetupOutcome::Saved || s_.lifecycle.shuttingDown) {
            closeSteps();
            return LoadResult::EndProgram;
        }
    }
    // 17. Learned ring intervals.
    loadRingIntervals();
    // 18. The setup dialog, loaded hidden: it probes the line devices and holds its settings.
    s_.parts.loadSetupHidden();
    // 19. The lines.
    s_.parts.openLines();
    // 20. The recordings folder.
    state.recordingsFolder =
        core::ProgramFolders::recordingsFolder(config.get(core::keys::kSaveFile), folder);
    // Recordings in progress are kept beside the recordings rather than in the temporary
    // folder of step 13 (usually in memory): a crash or power cut leaves them for the next start,
    // and finishing one is a copy on the same disk. The temporary folder stays when the
    // recordings folder cannot hold a private folder.
    {
        QString error;
        const QString unfinished =
            core::ProgramFolders::unfinishedRecordingsFolder(state.recordingsFolder, &error);
        if (!unfinished.isEmpty()) {
            state.tempFolder = unfinished;
        } else {
            std::fprintf(stderr, "qlnrec: recordings in progress stay in %s (%s)\n",
                         qPrintable(state.tempFolder), qPrintable(error));
        }
    }
    // 21. The recordings lists, then what an earlier run left unfinished.
    s_.parts.loadRecordingLists();
    s_.parts.recoverRecordings();
    // 22. A line whose device changed forgets its learned ring timing.
    checkDeviceChanges();
    // 23. The phone book.
    s_.parts.loadPhoneBook();
    marker("10");
    // 24. The ring rules; a rule that cannot be read is skipped.
    try {
        s_.parts.loadRingRules();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qlnrec: ring rules: %s\n", e.what());
    }
    // 25.
    closeSteps();
    // 26. Minimised start, as the setup dialog holds it.
    state.minimizeOnStart = s_.parts.minimizeOnStart();
    if (state.minimizeOnStart) {
        w.minimizeWindow();
    }
    // 27. The setup dialog's load may have left a busy pointer.
    while (QGuiApplication::overrideCursor()) {
        QGuiApplication::restoreOverrideCursor();
    }
    w.unsetCursor();
    // 28. The TrueSpeech codec.
    s_.parts.findTrueSpeechDriver();
    // 29. Detector settings, read once for the run.
    loadDetectorSettings();
    // 30. The block list.
    s_.parts.loadBlockList();

    w.Timer7.setEnabled(!s_.state.demonstration);
    return s_.lifecycle.shuttingDown ? LoadResult::EndProgram : LoadResult::Loaded;
}

} // namespace qlnrec::app

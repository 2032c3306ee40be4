#include "app/startup_routine.h"

#include "app/app_services.h"
#include "app/forms/frm_main.h"
#include "app/forms/frm_splash.h"
#include "app/main_window_loader.h"
#include "app/run_state.h"
#include "app/shutdown.h"
#include "app/single_instance.h"
#include "core/config_store.h"
#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "records/status_log.h"

namespace qlnrec::app {

StartupRoutine::StartupRoutine(AppServices& services) : s_(services) {}

StartupRoutine::~StartupRoutine() = default;

StartupRoutine::Outcome StartupRoutine::start(SingleInstanceGuard& guard,
                                              const std::optional<QString>& languageOverride)
{
    // 1. One copy only; the running copy is left alone.
    if (!guard.tryAcquire()) {
        s_.dialogs.messageBox(QStringLiteral("Quillon Is Already Running"), QStringLiteral("Quillon"),
                              platform::MessageIcon::Critical);
        s_.lifecycle.ended = true;
        return Outcome::AlreadyRunning;
    }

    // 2, 3. The language. From here on a failing journal is not reported.
    s_.config.setStartingUp(true);
    const QString stored = s_.config.get(core::keys::kLanguage);
    const bool firstStart = stored.isEmpty();
    if (firstStart) {
        s_.config.save(core::keys::kLanguage, QStringLiteral("0"));
    }
    const QString language = languageOverride.value_or(stored);
    s_.state.languageOffset = core::Strings::offsetForLanguageSetting(language);
    s_.strings = core::Strings(s_.state.languageOffset);
    // Day logs of earlier runs are read back in this language's code page first.
    s_.statusLog.setLegacyEncoding(s_.strings.legacyEncoding());

    if (firstStart) {
        return showMainWindow();
    }
    splash_ = std::make_unique<frmSplash>(s_.events, s_.strings, [this] { showMainWindow(); });
    splash_->show();
    return Outcome::Splash;
}

StartupRoutine::Outcome StartupRoutine::showMainWindow()
{
    if (splash_) {
        splash_->hide();
    }
    if (s_.lifecycle.shuttingDown) {
        return Outcome::Ended;
    }
    main_ = std::make_unique<frmMain>(s_);
    MainWindowLoader loader(s_);
    const LoadResult result = loader.run(*main_);
    s_.config.setStartingUp(false);
    if (result == LoadResult::EndProgram) {
        runShutdown(s_, main_.get());
        return Outcome::Ended;
    }
    main_->showAfterLoad();
    if (onMainWindowShown_) {
        onMainWindowShown_();
    }
    return Outcome::MainWindow;
}

void StartupRoutine::requestShutdown()
{
    if (s_.lifecycle.shuttingDown) {
        return;
    }
    if (main_ && main_->isVisible()) {
        main_->close();
        return;
    }
    if (splash_) {
        splash_->Timer1().setEnabled(false);
        splash_->hide();
    }
    runShutdown(s_, main_.get());
}

} // namespace qlnrec::app

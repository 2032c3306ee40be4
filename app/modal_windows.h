#pragma once
// The small modal windows of the start-up (disclaimer, what's new, stand-ins for dialogs that
// are not there yet), behind one interface so the load sequence's tests can log them.
#include <QString>

class QWidget;

namespace qlnrec::platform {
class ModalRunner;
}

namespace qlnrec::core {
class Strings;
} // namespace qlnrec::core

namespace qlnrec::app {

enum class DisclaimerChoice { Agree, Exit };

class ModalWindows {
public:
    virtual ~ModalWindows() = default;
    virtual DisclaimerChoice showDisclaimer(QWidget* owner) = 0; // frmTip
    virtual void showWhatsNew(QWidget* owner) = 0;               // frmWhatsNew
    // A window for a feature that is not available yet; it only closes.
    virtual void showStandIn(QWidget* owner, const QString& title, const QString& text) = 0;
};

// The windows, run through the program's one modal runner (headless runs press each window's
// default button: Agree, Close).
class RunnerModalWindows final : public ModalWindows {
public:
    RunnerModalWindows(const core::Strings& strings, platform::ModalRunner& runner)
        : strings_(strings), runner_(runner)
    {
    }
    DisclaimerChoice showDisclaimer(QWidget* owner) override;
    void showWhatsNew(QWidget* owner) override;
    void showStandIn(QWidget* owner, const QString& title, const QString& text) override;

private:
    const core::Strings& strings_;
    platform::ModalRunner& runner_;
};

} // namespace qlnrec::app

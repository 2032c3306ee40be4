#pragma once
// The small modal windows of the start-up (disclaimer, what's new, stand-ins for dialogs that
// are not there yet), behind one interface so headless runs and tests never wait on them.
#include <QString>

class QWidget;

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

// The real windows, shown modally.
class WidgetModalWindows final : public ModalWindows {
public:
    explicit WidgetModalWindows(const core::Strings& strings) : strings_(strings) {}
    DisclaimerChoice showDisclaimer(QWidget* owner) override;
    void showWhatsNew(QWidget* owner) override;
    void showStandIn(QWidget* owner, const QString& title, const QString& text) override;

private:
    const core::Strings& strings_;
};

// Headless runs: every window takes its default button at once and is written to standard
// error as "Window <name>: <button>".
class AutoModalWindows final : public ModalWindows {
public:
    DisclaimerChoice showDisclaimer(QWidget* owner) override;
    void showWhatsNew(QWidget* owner) override;
    void showStandIn(QWidget* owner, const QString& title, const QString& text) override;
};

} // namespace qlnrec::app

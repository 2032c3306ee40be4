#pragma once
// The splash window shown while the program starts with a stored language; its timer closes it
// and brings up the main window.
#include "platform/core/event_service.h"

#include <QWidget>

#include <functional>
#include <memory>

namespace Ui {
class frmSplash;
}

namespace qlnrec::core {
class Strings;
}

namespace qlnrec::app {

// Made once the language is known: its texts are in that language.
class frmSplash : public QWidget {
    Q_OBJECT
public:
    static constexpr std::uint32_t kShowMs = 2500;

    frmSplash(platform::EventService& events, const core::Strings& strings, std::function<void()> onTimeout,
              QWidget* parent = nullptr);
    ~frmSplash() override;
    Ui::frmSplash& ui() { return *ui_; }
    platform::Timer& Timer1() { return timer_; }

private:
    void Timer1_Timer();

    std::unique_ptr<Ui::frmSplash> ui_;
    platform::Timer timer_;
    std::function<void()> onTimeout_;
};

} // namespace qlnrec::app

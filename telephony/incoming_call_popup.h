#pragma once
// The incoming-call popup's behaviour, without its widgets: the caller of each line, the Answer
// and Hang Up buttons of manual answering, and the closing time ("PopCallIDTime"). The window
// (frmPopCallID, ui/telephony) shows this state and hands its clicks back; it is made on first use
// and dropped when the popup unloads.
#include "platform/core/event_service.h"
#include "telephony/call_flow_roles.h"
#include "telephony/line_system.h"

#include <QString>

#include <array>
#include <functional>
#include <memory>

namespace qlnrec::telephony {

class IncomingCallPopup final : public IncomingCallPopupRole {
public:
    // What one line's row shows.
    struct LineRow {
        bool labelsEnabled = false;
        QString callerId;   // lblCallerID caption
        QString callerName; // lblCallerName caption
        bool answerVisible = false;
        bool hangupVisible = false;
        bool operator==(const LineRow&) const = default;
    };

    // The window: shows the model's state; its controls call the model's click handlers.
    class Window {
    public:
        virtual ~Window() = default;
        virtual void showRows() = 0; // every row and the seconds box afresh from the model
        virtual bool minimized() const = 0;
        virtual void showModeless() = 0;
    };
    using WindowFactory = std::function<std::unique_ptr<Window>(IncomingCallPopup& popup)>;

    static constexpr int kDefaultSeconds = 15;

    IncomingCallPopup(LineSystem& lines, WindowFactory makeWindow);
    ~IncomingCallPopup() override;

    // ---- the role ----
    void showAnswerButtons(int line) override;
    void showPopupModeless() override;
    void unloadPopup() override;
    void resetLabels() override;
    void showCaller(int line, const QString& number, const QString& name) override;
    void showPhoneBookName(int line, const QString& name) override;
    void announceCaller() override;

    // ---- the window's controls ----
    void answerClicked(int line);
    void hangupClicked(int line);
    // Text1 edited: a value from 6 to 59 is kept for the next time the popup loads.
    void secondsEdited(const QString& text);
    // The user closed the window: no call is announced any more.
    void closedByUser();

    // ---- state ----
    bool loaded() const { return loaded_; }
    bool shown() const { return shown_; }
    const LineRow& row(int line) const { return rows_.at(static_cast<std::size_t>(line)); }
    QString secondsText() const { return secondsText_; }
    const platform::Timer& closeTimer() const { return timer1_; }

private:
    void load();
    void refresh();
    LineRow& rowAt(int line) { return rows_.at(static_cast<std::size_t>(line)); }

    LineSystem& lines_;
    WindowFactory makeWindow_;
    std::unique_ptr<Window> window_;
    bool loaded_ = false;
    bool shown_ = false;
    std::array<LineRow, kLineCount> rows_{};
    QString secondsText_;
    platform::Timer timer1_; // closes the popup when calls are answered automatically
};

} // namespace qlnrec::telephony

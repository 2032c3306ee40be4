#pragma once
// The dial window's behaviour (frmDialOut) without its widgets: the number and its keypad, the
// dialling prefix, the line to dial through, the phone book lists and their commands, and the
// call placed on a line, watched until its recording (or the call) has ended. The window is a
// thin view that forwards its controls here and redraws on `changed`.
#include "phonebook/dial_records.h"
#include "phonebook/phone_book_lists.h"
#include "phonebook/phone_book_search.h"
#include "telephony/line_system.h"

#include <QString>

#include <array>
#include <functional>
#include <memory>

namespace qlnrec::platform {
class Timer;
}

namespace qlnrec::phonebook {

class Dialer {
public:
    static constexpr std::uint32_t kWatchMs = 1000;
    // Ticks a placed call may go without a call handle before the request is taken as refused
    // (the handle arrives with the request's reply, well within one tick).
    static constexpr int kTicksWithoutCall = 3;

    // The windows the dial window opens and what the program does for it. Hooks left empty do
    // nothing.
    struct Hooks {
        std::function<void()> addEntry;    // frmPBAdd over the lists
        std::function<void()> editEntry;   // frmPBEdit for the selected entry
        std::function<void()> searchName;  // frmBookResult for findText()
        std::function<void()> showRecords; // frmDialRecords
        std::function<void()> reloadPhoneBookTable;
        std::function<void()> closeWindow;
        std::function<void()> changed; // something the window shows has changed
    };

    // programFolder without a trailing "/" (where unreach.csv lives).
    Dialer(telephony::LineSystem& lines, DialRecords& records, const PhoneBookFile& phoneBook,
           QString programFolder);
    ~Dialer();
    Dialer(const Dialer&) = delete;
    Dialer& operator=(const Dialer&) = delete;

    Hooks& hooks() { return hooks_; }

    // The window's load: the settings it shows and the phone book lists, read afresh.
    void load();

    // ---- what the window shows ----
    const QString& number() const { return number_; }
    const QString& prefix() const { return prefix_; }
    bool prefixChecked() const { return prefixChecked_; }
    int line() const { return line_; }
    bool dialNext() const { return dialNext_; }
    const QString& findText() const { return findText_; }
    int selected() const { return selected_; }
    // Calling state: Dial and Exit disabled, Drop Call enabled.
    bool calling() const { return calling_; }
    bool quickDialClose() const { return quickDialClose_; }
    PhoneBookLists& lists() { return lists_; }
    // The last term searched and whether an edit came from a result window.
    PhoneBookSearchState& search() { return search_; }
    // Grows whenever the lists change, so the window refills them only then.
    int listsRevision() const { return listsRevision_; }
    // The lists were changed from outside (the add and edit forms).
    void listsChanged();

    // ---- the controls ----
    void setNumber(const QString& text);
    void appendToNumber(const QString& key); // keypad: digits, "*", "#", ","
    void backspace();                        // "<-"
    void clearNumber();                      // "Cls"
    void setPrefix(const QString& text);
    void setPrefixChecked(bool checked);
    void setLine(int line);
    void saveLine(); // Combo1 lost the focus
    void setDialNext(bool on) { dialNext_ = on; }
    void setFindText(const QString& text) { findText_ = text; }
    void select(int index);
    void selectEntry(); // Select, double click: the entry's number into the number box

    // ---- the commands ----
    // Dial: true when the call was requested.
    bool dial();
    // Other windows put a number in and press Dial (the dial records, the caller ID).
    bool dialNumber(const QString& number);
    void drop();
    // Exit: true when the window may close (no call up); the phone book table is reloaded.
    bool exit();
    // Quick dial from the main window or the tray: dials "O"; dropping it closes the window.
    void quickDial();
    void setQuickDialClose(bool on) { quickDialClose_ = on; }
    void addEntry() { callThenRefresh(hooks_.addEntry); }
    void editEntry() { callThenRefresh(hooks_.editEntry); }
    void searchName() { callThenRefresh(hooks_.searchName); }
    void showRecords() { call(hooks_.showRecords); }
    void deleteSelected();
    void importPhoneBook();
    void exportPhoneBook();
    void copyToUnreachable();
    void deleteUnreachable();

    // An outgoing call on line now awaits its reply (its recording has started): the watch
    // ends when that recording does.
    void awaitReply(int line);

    // MakeCall: asks line control to dial. False (and nothing dialled) when the line is not
    // open (with a message), the dial string is empty or not plain text, or the request fails.
    bool MakeCall(int line, const QString& dialString);

private:
    struct Watch {
        std::unique_ptr<platform::Timer> timer;
        bool replyAwaited = false; // the call connected and its recording started
        bool callSeen = false;     // the request's call handle has arrived
        int ticksWithoutCall = 0;
    };

    void watchTick(int line);
    void stopWatch(int line);
    void setCalling(bool calling);
    void markDialled(int line, const QString& number);
    void countCall(int line);
    void notify() { call(hooks_.changed); }
    void callThenRefresh(const std::function<void()>& form)
    {
        call(form);
        listsChanged();
    }
    static void call(const std::function<void()>& fn)
    {
        if (fn) {
            fn();
        }
    }

    telephony::LineSystem& lines_;
    DialRecords& records_;
    PhoneBookLists lists_;
    PhoneBookSearchState search_;
    QString programFolder_;
    Hooks hooks_;
    std::array<Watch, telephony::kLineCount> watch_;

    QString number_;
    QString prefix_;
    bool prefixChecked_ = false;
    int line_ = 0;
    bool dialNext_ = false;
    QString findText_;
    int selected_ = -1;
    bool calling_ = false;
    bool quickDialClose_ = false;
    int listsRevision_ = 0;
};

} // namespace qlnrec::phonebook

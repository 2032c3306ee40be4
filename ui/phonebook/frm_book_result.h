#pragma once
// frmBookResult, "PhoneBook Search Result": the entries whose name holds the search term, from
// which a number is taken into the dial window, an entry edited or deleted. Built afresh for every
// search; a thin window over phonebook::PhoneBookSearchResult.
#include "phonebook/phone_book_search.h"

#include <QDialog>

#include <functional>
#include <optional>

class QListWidget;
class QPushButton;

namespace qlnrec::core {
class Strings;
}

namespace qlnrec::platform {
class DialogService;
class ModalRunner;
} // namespace qlnrec::platform

namespace qlnrec::ui {

// What the result window asks of the dial window.
struct BookResultHooks {
    // A double click or Enter on a hit: the number (trimmed) into txtDialOut; focusNumber with
    // Enter, which gives txtDialOut the focus.
    std::function<void(const QString& number, bool focusNumber)> takeNumber;
    // After "Edit" closed the window: select this position in the dial window's lists and press
    // its Edit (editFromSearch is already set).
    std::function<void(int position)> editEntry;
    // "Delete" removed an entry: the dial window shows its lists again.
    std::function<void()> listsChanged;
};

class frmBookResult final : public QDialog {
    Q_OBJECT
public:
    frmBookResult(phonebook::PhoneBookLists& lists, const QString& term,
                  phonebook::PhoneBookSearchState& search, const core::Strings& strings,
                  platform::DialogService& dialogs, platform::ModalRunner& runner, QWidget* parent,
                  BookResultHooks hooks);

    // SearchPhoneBook, the dial window's "Search Name" (cmdFind, or Enter in txtFind): an empty
    // term is refused with a message; otherwise the term is remembered and the result window is
    // shown modally, even when nothing was found. An "Edit" pressed there runs hooks.editEntry
    // after the window has closed.
    static void search(phonebook::PhoneBookLists& lists, const QString& term,
                       phonebook::PhoneBookSearchState& search, const core::Strings& strings,
                       platform::DialogService& dialogs, platform::ModalRunner& runner, QWidget* parent,
                       const BookResultHooks& hooks);

    // Shows the window and waits; the position "Edit" asked for, if any.
    std::optional<int> runModal();

    QListWidget* lstName = nullptr;
    QListWidget* lstTele = nullptr;
    QListWidget* lstIndex = nullptr;
    QPushButton* cmdEdit = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdExit = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void fillLists();
    void selectRow(int row);
    int selectedRow() const;
    void takeHit(int row, bool focusNumber);
    void cmdEdit_Click();
    void cmdDelete_Click();

    phonebook::PhoneBookSearchResult result_;
    phonebook::PhoneBookSearchState& search_;
    platform::DialogService& dialogs_;
    platform::ModalRunner& runner_;
    const core::Strings& strings_;
    BookResultHooks hooks_;
    std::optional<int> editPosition_;
};

} // namespace qlnrec::ui

#pragma once
// frmDialOut, "DialOut": the keypad and number box, the prefix, the line to dial through, Dial,
// Drop Call, Exit and Records beside the phone book lists with their commands and the Manage
// menu. A thin window over phonebook::Dialer; its close box is the Exit button.
#include "phonebook/dialer.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;

namespace qlnrec::core {
class Strings;
}

namespace qlnrec::ui {

class frmDialOut final : public QDialog {
    Q_OBJECT
public:
    frmDialOut(phonebook::Dialer& dialer, const core::Strings& strings, QWidget* parent = nullptr);
    ~frmDialOut() override;

    // The dialer's Exit allowed the window to close.
    void unload();

    QLineEdit* txtDialOut = nullptr;
    std::array<QPushButton*, 10> cmdNum{};
    QPushButton* cmdStar = nullptr;
    QPushButton* cmdSharp = nullptr;
    QPushButton* cmdComma = nullptr;
    QPushButton* cmdBackword = nullptr;
    QPushButton* cmdClear = nullptr;
    QCheckBox* chkDialPrefix = nullptr;
    QLineEdit* txtDialPrefix = nullptr;
    QComboBox* Combo1 = nullptr;
    QCheckBox* chkNext = nullptr;
    QPushButton* cmdDial = nullptr;
    QPushButton* cmdDrop = nullptr;
    QPushButton* cmdExit = nullptr;
    QPushButton* cmdRecords = nullptr;
    QListWidget* lstPBName = nullptr;
    QListWidget* lstPBTele = nullptr;
    QPushButton* cmdSelect = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdEdit = nullptr;
    QPushButton* cmdImport = nullptr;
    QPushButton* cmdExport = nullptr;
    QPushButton* cmdFind = nullptr;
    QLineEdit* txtFind = nullptr;
    QMenu* mnuManage = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildKeypad();
    QWidget* buildPhoneBook(const core::Strings& strings);
    void buildManageMenu();
    // Redraws what the dialer shows.
    void refresh();
    void fillLists();
    void listClicked(int row);

    phonebook::Dialer& dialer_;
    int shownRevision_ = -1;
    bool unloading_ = false;
};

} // namespace qlnrec::ui

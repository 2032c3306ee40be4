#pragma once
// frmDialRecords, "PhoneCalls": the last ten numbers dialled and the last ten callers, oldest
// first. Select (or a double click) closes the window with the number chosen; the dial window then
// dials it.
#include <QDialog>
#include <QString>

class QListWidget;
class QPushButton;

namespace qlnrec::core {
class Strings;
}
namespace qlnrec::phonebook {
class DialRecords;
}

namespace qlnrec::ui {

class frmDialRecords final : public QDialog {
    Q_OBJECT
public:
    frmDialRecords(const phonebook::DialRecords& records, const core::Strings& strings,
                   QWidget* parent = nullptr);

    // The number picked; empty when the window was closed without one.
    const QString& chosen() const { return chosen_; }

    QListWidget* lstMade = nullptr;
    QListWidget* lstReceived = nullptr;
    QPushButton* cmdMade = nullptr;
    QPushButton* cmdReceived = nullptr;

private:
    void pick(const QListWidget* list);

    QString chosen_;
};

} // namespace qlnrec::ui

#include "ui/phonebook/frm_book_result.h"

#include "phonebook/phone_book_forms.h"
#include "platform/core/dialog_service.h"
#include "platform/core/modal_runner.h"
#include "ui/phonebook/entry_form_controls.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace qlnrec::ui {

namespace {
QListWidget* hitList(QWidget* parent, const char* name, int minimumWidth)
{
    auto* list = new QListWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setMinimumWidth(minimumWidth);
    return list;
}
} // namespace

frmBookResult::frmBookResult(phonebook::PhoneBookLists& lists, const QString& term,
                             phonebook::PhoneBookSearchState& search, const core::Strings& strings,
                             platform::DialogService& dialogs, platform::ModalRunner& runner, QWidget* parent,
                             BookResultHooks hooks)
    : QDialog(parent), result_(lists, term), search_(search), dialogs_(dialogs), runner_(runner),
      strings_(strings), hooks_(std::move(hooks))
{
    setObjectName(QStringLiteral("frmBookResult"));
    setWindowTitle(QStringLiteral("PhoneBook Search Result"));
    setProperty(platform::kDefaultButtonProperty, QStringLiteral("cmdExit"));

    lstName = hitList(this, "lstName", 220);
    lstTele = hitList(this, "lstTele", 150);
    lstIndex = hitList(this, "lstIndex", 0);
    lstIndex->setVisible(false); // the positions behind the hits, not for the user's eyes
    cmdEdit = new QPushButton(QStringLiteral("Edit"), this);
    cmdDelete = new QPushButton(QStringLiteral("Delete"), this);
    cmdExit = new QPushButton(QStringLiteral("Exit"), this);
    cmdEdit->setObjectName(QStringLiteral("cmdEdit"));
    cmdDelete->setObjectName(QStringLiteral("cmdDelete"));
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    for (QPushButton* button : {cmdEdit, cmdDelete, cmdExit}) {
        button->setAutoDefault(false); // Enter belongs to the lists
    }

    for (QListWidget* list : {lstName, lstTele, lstIndex}) {
        connect(list, &QListWidget::currentRowChanged, this, &frmBookResult::selectRow);
    }
    for (QListWidget* list : {lstName, lstTele}) {
        connect(list, &QListWidget::itemDoubleClicked, this,
                [this, list](QListWidgetItem* item) { takeHit(list->row(item), false); });
    }
    connect(cmdEdit, &QPushButton::clicked, this, &frmBookResult::cmdEdit_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmBookResult::cmdDelete_Click);
    connect(cmdExit, &QPushButton::clicked, this, &QDialog::reject);

    auto* listsRow = new QHBoxLayout;
    listsRow->setSpacing(0);
    listsRow->addWidget(lstName, 3);
    listsRow->addWidget(lstTele, 2);
    listsRow->addWidget(lstIndex);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdEdit);
    buttons->addWidget(cmdDelete);
    buttons->addWidget(cmdExit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(listsRow);
    layout->addLayout(buttons);
    fillLists();
}

void frmBookResult::search(phonebook::PhoneBookLists& lists, const QString& term,
                           phonebook::PhoneBookSearchState& search, const core::Strings& strings,
                           platform::DialogService& dialogs, platform::ModalRunner& runner, QWidget* parent,
                           const BookResultHooks& hooks)
{
    if (term.isEmpty()) {
        dialogs.messageBox(QStringLiteral("Please enter a search term"), QStringLiteral("PhoneBook Search"),
                           platform::MessageIcon::Critical);
        return;
    }
    search.lastSearchTerm = term;
    std::optional<int> editPosition;
    {
        frmBookResult window(lists, term, search, strings, dialogs, runner, parent, hooks);
        editPosition = window.runModal();
    }
    // The edit form opens over the dial window once the result window is gone.
    if (editPosition && hooks.editEntry) {
        hooks.editEntry(*editPosition);
    }
}

std::optional<int> frmBookResult::runModal()
{
    editPosition_.reset();
    runner_.run(*this);
    return editPosition_;
}

void frmBookResult::fillLists()
{
    const QSignalBlocker blockName(lstName);
    const QSignalBlocker blockTele(lstTele);
    const QSignalBlocker blockIndex(lstIndex);
    lstName->clear();
    lstTele->clear();
    lstIndex->clear();
    for (const phonebook::SearchHit& hit : result_.hits()) {
        lstName->addItem(hit.name);
        lstTele->addItem(hit.telephone);
        lstIndex->addItem(QString::number(hit.position));
    }
}

void frmBookResult::selectRow(int row)
{
    for (QListWidget* list : {lstName, lstTele, lstIndex}) {
        if (list->currentRow() != row) {
            const QSignalBlocker block(list);
            list->setCurrentRow(row);
        }
    }
}

int frmBookResult::selectedRow() const
{
    const int row = lstName->currentRow();
    return result_.isHit(row) ? row : -1;
}

void frmBookResult::takeHit(int row, bool focusNumber)
{
    if (!result_.isHit(row)) {
        return;
    }
    if (hooks_.takeNumber) {
        hooks_.takeNumber(result_.numberToDial(row), focusNumber);
    }
    accept();
}

void frmBookResult::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (lstName->hasFocus() || lstTele->hasFocus())) {
        takeHit(selectedRow(), true);
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmBookResult::cmdEdit_Click()
{
    const int row = selectedRow();
    if (row < 0) {
        showSelectAnEntry(dialogs_);
        return;
    }
    search_.editFromSearch = true;
    editPosition_ = result_.hits().at(static_cast<std::size_t>(row)).position;
    accept();
}

void frmBookResult::cmdDelete_Click()
{
    const int row = selectedRow();
    if (row < 0) {
        showSelectAnEntry(dialogs_);
        return;
    }
    const phonebook::SaveOutcome outcome = result_.remove(row);
    if (outcome != phonebook::SaveOutcome::Saved) {
        dialogs_.messageBox(phonebook::saveProblemText(outcome, strings_), windowTitle(),
                            platform::MessageIcon::Critical);
    }
    if (outcome != phonebook::SaveOutcome::NoEntry && hooks_.listsChanged) {
        hooks_.listsChanged();
    }
    fillLists();
}

} // namespace qlnrec::ui

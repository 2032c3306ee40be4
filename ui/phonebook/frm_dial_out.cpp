#include "ui/phonebook/frm_dial_out.h"

#include "core/strings.h"
#include "platform/core/modal_runner.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace qlnrec::ui {

namespace {
constexpr int kDialOutText = 1094;
constexpr int kDialText = 1083;
constexpr int kDropCallText = 1084;
constexpr int kExitText = 1014;
constexpr int kPhoneBookText = 1090;
constexpr int kAddText = 1091;
constexpr int kDeleteText = 1092;
constexpr int kSelectText = 1093;
constexpr int kRecordsText = 1095;

const char* const kListTip = "Double Click To Select. Right Click To Pop Up Menu.";

QPushButton* button(const QString& text, const char* name, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    // Enter belongs to the number and search boxes, never to a default button.
    b->setAutoDefault(false);
    return b;
}
} // namespace

frmDialOut::frmDialOut(phonebook::Dialer& dialer, const core::Strings& strings, QWidget* parent)
    : QDialog(parent), dialer_(dialer)
{
    setObjectName(QStringLiteral("frmDialOut"));
    setWindowTitle(strings.loadText(kDialOutText));
    setProperty(platform::kDefaultButtonProperty, QStringLiteral("cmdExit"));

    auto* left = new QVBoxLayout;
    txtDialOut = new QLineEdit(this);
    txtDialOut->setObjectName(QStringLiteral("txtDialOut"));
    left->addWidget(txtDialOut);
    left->addWidget(buildKeypad());

    chkDialPrefix = new QCheckBox(QStringLiteral("Prefix: "), this);
    chkDialPrefix->setObjectName(QStringLiteral("chkDialPrefix"));
    txtDialPrefix = new QLineEdit(this);
    txtDialPrefix->setObjectName(QStringLiteral("txtDialPrefix"));
    auto* prefixRow = new QHBoxLayout;
    prefixRow->addWidget(chkDialPrefix);
    prefixRow->addWidget(txtDialPrefix);
    left->addLayout(prefixRow);

    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->addItems({QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")});
    Combo1->installEventFilter(this);
    auto* lineRow = new QHBoxLayout;
    lineRow->addWidget(new QLabel(QStringLiteral("Dial Through Line:"), this));
    lineRow->addWidget(Combo1);
    left->addLayout(lineRow);

    chkNext = new QCheckBox(QStringLiteral("Dial Next"), this);
    chkNext->setObjectName(QStringLiteral("chkNext"));
    chkNext->setToolTip(QStringLiteral("Dial with the next entry of the phonebook"));
    left->addWidget(chkNext);

    cmdDial = button(strings.loadText(kDialText), "cmdDial", this);
    cmdDrop = button(strings.loadText(kDropCallText), "cmdDrop", this);
    cmdExit = button(strings.loadText(kExitText), "cmdExit", this);
    cmdRecords = button(strings.loadText(kRecordsText), "cmdRecords", this);
    auto* commands = new QGridLayout;
    commands->addWidget(cmdDial, 0, 0);
    commands->addWidget(cmdDrop, 0, 1);
    commands->addWidget(cmdRecords, 1, 0);
    commands->addWidget(cmdExit, 1, 1);
    left->addLayout(commands);
    left->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addWidget(buildPhoneBook(strings), 1);
    buildManageMenu();

    connect(txtDialOut, &QLineEdit::textEdited, this,
            [this](const QString& text) { dialer_.setNumber(text); });
    connect(txtDialOut, &QLineEdit::returnPressed, cmdDial, &QPushButton::click);
    connect(chkDialPrefix, &QCheckBox::clicked, this, [this](bool on) { dialer_.setPrefixChecked(on); });
    connect(txtDialPrefix, &QLineEdit::textEdited, this,
            [this](const QString& text) { dialer_.setPrefix(text); });
    connect(Combo1, &QComboBox::currentIndexChanged, this, [this](int index) { dialer_.setLine(index); });
    connect(chkNext, &QCheckBox::toggled, this, [this](bool on) { dialer_.setDialNext(on); });
    connect(cmdDial, &QPushButton::clicked, this, [this] { dialer_.dial(); });
    connect(cmdDrop, &QPushButton::clicked, this, [this] { dialer_.drop(); });
    connect(cmdExit, &QPushButton::clicked, this, [this] { dialer_.exit(); });
    connect(cmdRecords, &QPushButton::clicked, this, [this] { dialer_.showRecords(); });
    dialer_.hooks().changed = [this] { refresh(); };
    refresh();
}

frmDialOut::~frmDialOut()
{
    dialer_.hooks().changed = {};
}

QWidget* frmDialOut::buildKeypad()
{
    auto* keypad = new QWidget(this);
    auto* grid = new QGridLayout(keypad);
    grid->setContentsMargins(0, 0, 0, 0);
    auto key = [this](QPushButton* b, const QString& text) {
        connect(b, &QPushButton::clicked, this, [this, text] { dialer_.appendToNumber(text); });
        return b;
    };
    for (int digit = 1; digit <= 9; ++digit) {
        const QString text = QString::number(digit);
        cmdNum.at(static_cast<std::size_t>(digit)) = key(button(text, "", keypad), text);
        grid->addWidget(cmdNum.at(static_cast<std::size_t>(digit)), (digit - 1) / 3, (digit - 1) % 3);
    }
    cmdNum[0] = key(button(QStringLiteral("0"), "", keypad), QStringLiteral("0"));
    for (std::size_t digit = 0; digit < cmdNum.size(); ++digit) {
        cmdNum.at(digit)->setObjectName(QStringLiteral("cmdNum_%1").arg(digit));
    }
    cmdStar = key(button(QStringLiteral("*"), "cmdStar", keypad), QStringLiteral("*"));
    cmdSharp = key(button(QStringLiteral("#"), "cmdSharp", keypad), QStringLiteral("#"));
    cmdComma = key(button(QStringLiteral(","), "cmdComma", keypad), QStringLiteral(","));
    cmdBackword = button(QStringLiteral("<-"), "cmdBackword", keypad);
    cmdClear = button(QStringLiteral("Cls"), "cmdClear", keypad);
    connect(cmdBackword, &QPushButton::clicked, this, [this] { dialer_.backspace(); });
    connect(cmdClear, &QPushButton::clicked, this, [this] { dialer_.clearNumber(); });
    grid->addWidget(cmdStar, 3, 0);
    grid->addWidget(cmdNum[0], 3, 1);
    grid->addWidget(cmdSharp, 3, 2);
    grid->addWidget(cmdComma, 4, 0);
    grid->addWidget(cmdBackword, 4, 1);
    grid->addWidget(cmdClear, 4, 2);
    return keypad;
}

QWidget* frmDialOut::buildPhoneBook(const core::Strings& strings)
{
    auto* frame = new QGroupBox(strings.loadText(kPhoneBookText), this);
    frame->setObjectName(QStringLiteral("fraPhoneBook"));
    lstPBName = new QListWidget(frame);
    lstPBTele = new QListWidget(frame);
    lstPBName->setObjectName(QStringLiteral("lstPBName"));
    lstPBTele->setObjectName(QStringLiteral("lstPBTele"));
    for (QListWidget* list : {lstPBName, lstPBTele}) {
        list->setToolTip(QLatin1String(kListTip));
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(list, &QListWidget::currentRowChanged, this, [this](int row) { listClicked(row); });
        connect(list, &QListWidget::itemDoubleClicked, this, [this] { dialer_.selectEntry(); });
        connect(list, &QListWidget::customContextMenuRequested, this,
                [this, list](const QPoint& at) { mnuManage->popup(list->viewport()->mapToGlobal(at)); });
    }
    auto* lists = new QHBoxLayout;
    lists->addWidget(lstPBName, 3);
    lists->addWidget(lstPBTele, 2);

    cmdSelect = button(strings.loadText(kSelectText), "cmdSelect", frame);
    cmdAdd = button(strings.loadText(kAddText), "cmdAdd", frame);
    cmdDelete = button(strings.loadText(kDeleteText), "cmdDelete", frame);
    cmdEdit = button(QStringLiteral("Edit"), "cmdEdit", frame);
    cmdImport = button(QStringLiteral("Import"), "cmdImport", frame);
    cmdExport = button(QStringLiteral("Export"), "cmdExport", frame);
    connect(cmdSelect, &QPushButton::clicked, this, [this] { dialer_.selectEntry(); });
    connect(cmdAdd, &QPushButton::clicked, this, [this] { dialer_.addEntry(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { dialer_.deleteSelected(); });
    connect(cmdEdit, &QPushButton::clicked, this, [this] { dialer_.editEntry(); });
    connect(cmdImport, &QPushButton::clicked, this, [this] { dialer_.importPhoneBook(); });
    connect(cmdExport, &QPushButton::clicked, this, [this] { dialer_.exportPhoneBook(); });
    auto* buttons = new QGridLayout;
    buttons->addWidget(cmdSelect, 0, 0);
    buttons->addWidget(cmdAdd, 0, 1);
    buttons->addWidget(cmdDelete, 0, 2);
    buttons->addWidget(cmdEdit, 1, 0);
    buttons->addWidget(cmdImport, 1, 1);
    buttons->addWidget(cmdExport, 1, 2);

    cmdFind = button(QStringLiteral("Search Name"), "cmdFind", frame);
    txtFind = new QLineEdit(frame);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    connect(txtFind, &QLineEdit::textEdited, this,
            [this](const QString& text) { dialer_.setFindText(text); });
    connect(txtFind, &QLineEdit::returnPressed, cmdFind, &QPushButton::click);
    connect(cmdFind, &QPushButton::clicked, this, [this] { dialer_.searchName(); });
    auto* find = new QHBoxLayout;
    find->addWidget(txtFind);
    find->addWidget(cmdFind);

    auto* layout = new QVBoxLayout(frame);
    layout->addLayout(lists, 1);
    layout->addLayout(buttons);
    layout->addLayout(find);
    return frame;
}

void frmDialOut::buildManageMenu()
{
    mnuManage = new QMenu(QStringLiteral("Manage"), this);
    mnuManage->setObjectName(QStringLiteral("mnuManage"));
    mnuManage->addAction(QStringLiteral("Select"), this, [this] { dialer_.selectEntry(); });
    mnuManage->addAction(QStringLiteral("Add"), this, [this] { dialer_.addEntry(); });
    mnuManage->addAction(QStringLiteral("Edit"), this, [this] { dialer_.editEntry(); });
    mnuManage->addAction(QStringLiteral("Delete"), this, [this] { dialer_.deleteSelected(); });
    mnuManage->addSeparator();
    mnuManage->addAction(QStringLiteral("Import"), this, [this] { dialer_.importPhoneBook(); });
    mnuManage->addAction(QStringLiteral("Export"), this, [this] { dialer_.exportPhoneBook(); });
    mnuManage->addSeparator();
    mnuManage->addAction(QStringLiteral("Copy to the end of list (and save to unreach.csv)"), this,
                         [this] { dialer_.copyToUnreachable(); });
    mnuManage->addAction(QStringLiteral("Delete unreach.csv"), this, [this] { dialer_.deleteUnreachable(); });
}

void frmDialOut::refresh()
{
    if (txtDialOut->text() != dialer_.number()) {
        txtDialOut->setText(dialer_.number());
    }
    if (txtDialPrefix->text() != dialer_.prefix()) {
        txtDialPrefix->setText(dialer_.prefix());
    }
    {
        const QSignalBlocker blockPrefix(chkDialPrefix);
        const QSignalBlocker blockLine(Combo1);
        const QSignalBlocker blockNext(chkNext);
        chkDialPrefix->setChecked(dialer_.prefixChecked());
        Combo1->setCurrentIndex(dialer_.line());
        chkNext->setChecked(dialer_.dialNext());
    }
    if (txtFind->text() != dialer_.findText()) {
        txtFind->setText(dialer_.findText());
    }
    cmdDial->setEnabled(!dialer_.calling());
    cmdExit->setEnabled(!dialer_.calling());
    cmdDrop->setEnabled(dialer_.calling());
    if (shownRevision_ != dialer_.listsRevision()) {
        fillLists();
    }
    const QSignalBlocker blockNames(lstPBName);
    const QSignalBlocker blockNumbers(lstPBTele);
    lstPBName->setCurrentRow(dialer_.selected());
    lstPBTele->setCurrentRow(dialer_.selected());
}

void frmDialOut::fillLists()
{
    shownRevision_ = dialer_.listsRevision();
    const QSignalBlocker blockNames(lstPBName);
    const QSignalBlocker blockNumbers(lstPBTele);
    lstPBName->clear();
    lstPBTele->clear();
    for (const phonebook::PhoneBookEntry& entry : dialer_.lists().entries()) {
        lstPBName->addItem(entry.name);
        lstPBTele->addItem(entry.telephone);
    }
}

void frmDialOut::listClicked(int row)
{
    if (row != dialer_.selected()) {
        dialer_.select(row);
    }
}

void frmDialOut::unload()
{
    unloading_ = true;
    done(QDialog::Accepted);
    unloading_ = false;
}

void frmDialOut::closeEvent(QCloseEvent* event)
{
    if (unloading_) {
        QDialog::closeEvent(event);
        return;
    }
    // The close box is the Exit button: refused while a call is up.
    event->ignore();
    dialer_.exit();
}

void frmDialOut::reject()
{
    if (unloading_) {
        QDialog::reject();
        return;
    }
    dialer_.exit();
}

bool frmDialOut::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Combo1 && event->type() == QEvent::FocusOut) {
        dialer_.saveLine();
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace qlnrec::ui

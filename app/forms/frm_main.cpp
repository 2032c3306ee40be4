#include "app/forms/frm_main.h"

#include "app/app_resources.h"
#include "app/app_services.h"
#include "app/forms/image_label.h"
#include "app/forms/main_layout.h"
#include "app/forms/panel_painter.h"
#include "app/modal_windows.h"
#include "app/shutdown.h"
#include "app/startup_parts.h"
#include "app/twips.h"
#include "app/window_shape.h"
#include "core/config_store.h"
#include "core/strings.h"
#include "records/status_log.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QWindow>

namespace qlnrec::app {

namespace {
const char* const kListStyle =
    "QListWidget { background: transparent; color: #b4f0c8; border: 1px solid #2f5a48;"
    " selection-background-color: #2f7a58; selection-color: #ffffff; font-size: 11px; }"
    "QListWidget::item { padding: 0px 2px; }"
    "QScrollBar { background: #10241b; border: none; }"
    "QScrollBar:horizontal { height: 9px; } QScrollBar:vertical { width: 9px; }"
    "QScrollBar::handle { background: #3a7a5c; border-radius: 4px; }"
    "QScrollBar::handle:horizontal { min-width: 24px; } QScrollBar::handle:vertical { min-height: 24px; }"
    "QScrollBar::add-line, QScrollBar::sub-line { width: 0px; height: 0px; }"
    "QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }";
const char* const kTitleStyle =
    "QPushButton { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #4b8a6c, stop:1 #2c5c47);"
    " color: #effff5; border: 1px solid #1b3a2d; font-size: 10px; font-weight: bold; text-align: left;"
    " padding: 0px 6px; }"
    "QPushButton:hover { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #5da07f, stop:1 "
    "#356b53); }";
const char* const kPanelTextStyle = "QLabel { color: #cfd6de; font-size: 11px; background: transparent; }";
const char* const kReadoutStyle = "QLabel { color: #b4f0c8; font-size: 11px; background: transparent; }";
const char* const kSeekStyle =
    "QScrollBar:horizontal { background: #10241b; border: 1px solid #2f5a48; height: 7px; }"
    "QScrollBar::handle:horizontal { background: #8ff0b0; min-width: 10px; border-radius: 2px; }"
    "QScrollBar::add-line, QScrollBar::sub-line { width: 0px; }"
    "QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }";
const char* const kCheckStyle =
    "QCheckBox { background: transparent; }"
    "QCheckBox::indicator { width: 13px; height: 13px; border: 1px solid #0c0e10; border-radius: 2px;"
    " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #1a1d21, stop:1 #30353b); }"
    "QCheckBox::indicator:checked { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #8ff0b0,"
    " stop:1 #2f9a5c); }";

const char* const kListTitles[kListCount] = {
    "Connection Status",
    "Last Fifty Records Handled Manaully",
    "Records Answered by Quillon Recorder",
};
const char* const kListNames[kListCount] = {"lstStatus", "lstLastTen", "lstUnread"};
} // namespace

frmMain::frmMain(AppServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), Timer7(services.events, kWhatsNewDelayMs),
      services_(services)
{
    initAppResources();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Quillon Recorder"));
    setWindowIcon(QIcon(QStringLiteral(":/qlnrec/qlnrec.svg")));
    setFixedSize(twipsToPixels(kPanelWidthTwips), twipsToPixels(kPanelHeightTwips));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    Timer7.setOnTick([this] { Timer7_Timer(); });
    buildControls();
    wireControls();
    placeLists();
}

frmMain::~frmMain()
{
    if (attachedLog_) {
        attachedLog_->onLinesAppended = nullptr;
        attachedLog_->onLinesDropped = nullptr;
    }
}

void frmMain::buildControls()
{
    auto makeList = [this](int index) {
        auto* list = new QListWidget(this);
        list->setObjectName(QLatin1String(kListNames[index]));
        list->setStyleSheet(QLatin1String(kListStyle));
        list->setFocusPolicy(Qt::ClickFocus);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        list->installEventFilter(this);
        return list;
    };
    lstStatus = makeList(kStatusList);
    // The status list grows for the whole run; equal rows keep its layout cheap (ten times faster
    // with a full day's log). A long line is cut with an ellipsis; enlarging the list shows more.
    lstStatus->setUniformItemSizes(true);
    lstStatus->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lstStatus->setTextElideMode(Qt::ElideRight);
    lstLastTen = makeList(kLastTenList);
    lstUnread = makeList(kUnreadList);
    for (int i = 0; i < kListCount; ++i) {
        auto* title = new QPushButton(QLatin1String(kListTitles[i]), this);
        title->setObjectName(QStringLiteral("Command2_%1").arg(i));
        title->setProperty("index", i);
        title->setStyleSheet(QLatin1String(kTitleStyle));
        title->setFocusPolicy(Qt::NoFocus);
        title->setCursor(Qt::PointingHandCursor);
        Command2[static_cast<std::size_t>(i)] = title;
    }

    auto makeCheck = [this](const char* name, const QRect& where) {
        auto* box = new QCheckBox(this);
        box->setObjectName(QLatin1String(name));
        box->setGeometry(where);
        box->setStyleSheet(QLatin1String(kCheckStyle));
        box->setFocusPolicy(Qt::NoFocus);
        return box;
    };
    auto makeText = [this](const char* name, const QRect& where, const char* style) {
        auto* label = new QLabel(this);
        label->setObjectName(QLatin1String(name));
        label->setGeometry(where);
        label->setStyleSheet(QLatin1String(style));
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        return label;
    };
    chkLegal = makeCheck("chkLegal", layout::kLegalBox);
    chkRingCount = makeCheck("chkRingCount", layout::kRingCountBox);
    lblLegal = makeText("lblLegal", layout::kLegalCaption, kPanelTextStyle);
    lblRingCount = makeText("lblRingCount", layout::kRingCountCaption, kPanelTextStyle);
    Label1 = makeText("Label1", layout::kNameCaption, kReadoutStyle);
    Label2 = makeText("Label2", layout::kLengthCaption, kReadoutStyle);
    lblFileName = makeText("lblFileName", layout::kNameValue, kReadoutStyle);
    lblFileSize = makeText("lblFileSize", layout::kLengthValue, kReadoutStyle);
    HScroll1 = new QScrollBar(Qt::Horizontal, this);
    HScroll1->setObjectName(QStringLiteral("HScroll1"));
    HScroll1->setGeometry(layout::kSeekBar);
    HScroll1->setStyleSheet(QLatin1String(kSeekStyle));
    HScroll1->setRange(0, 0);

    auto makeCommand = [this](const char* name) {
        auto* button = new QPushButton(this);
        button->setObjectName(QLatin1String(name));
        button->hide();
        return button;
    };
    cmdParam = makeCommand("cmdParam");
    cmdLog = makeCommand("cmdLog");
    cmdBackup = makeCommand("cmdBackup");
    cmdHelp = makeCommand("cmdHelp");
    cmdExit = makeCommand("cmdExit");
    cmdBrows = makeCommand("cmdBrows");
    cmdPlay = makeCommand("cmdPlay");
    cmdStop = makeCommand("cmdStop");
    cmdPause = makeCommand("cmdPause");
    cmdDialOut = makeCommand("cmdDialOut");

    auto makeKey = [this](const char* name, const QRect& where, ImageLabel::Face face,
                          ImageLabel::Glyph glyph = ImageLabel::Glyph::None) {
        auto* key = new ImageLabel(QLatin1String(name), this);
        key->setGeometry(where);
        key->setFace(face);
        key->setGlyph(glyph);
        QFont f = key->font();
        f.setPixelSize(10);
        key->setFont(f);
        return key;
    };
    lblSetup = makeKey("lblSetup", layout::keyRect(0), ImageLabel::Face::Key);
    lblLog = makeKey("lblLog", layout::keyRect(1), ImageLabel::Face::Key);
    lblBackup = makeKey("lblBackup", layout::keyRect(2), ImageLabel::Face::Key);
    lblHelp = makeKey("lblHelp", layout::keyRect(3), ImageLabel::Face::Key);
    lblSearch = makeKey("lblSearch", layout::keyRect(4), ImageLabel::Face::Key);
    lblDial = makeKey("lblDial", layout::keyRect(5), ImageLabel::Face::GreenKey);
    lblExit = makeKey("lblExit", layout::keyRect(6), ImageLabel::Face::RedKey);
    lblMin = makeKey("lblMin", layout::kMinimiseKey, ImageLabel::Face::Key, ImageLabel::Glyph::Minimise);
    lblPlay = makeKey("lblPlay", layout::kPlayKey, ImageLabel::Face::Key, ImageLabel::Glyph::Play);
    lblStop = makeKey("lblStop", layout::kStopKey, ImageLabel::Face::Key, ImageLabel::Glyph::Stop);
    lblPause = makeKey("lblPause", layout::kPauseKey, ImageLabel::Face::Key, ImageLabel::Glyph::Pause);
    const int r = layout::kSpeakerRadius;
    lblSpeaker = makeKey("lblSpeaker",
                         QRect(layout::kSpeakerCentre - QPoint(r + 3, r + 3), QSize(2 * r + 6, 2 * r + 6)),
                         ImageLabel::Face::Transparent);
}

void frmMain::wireControls()
{
    auto forward = [this](ImageLabel* label, QPushButton* button) {
        connect(label, &ImageLabel::clicked, button, &QPushButton::click);
    };
    forward(lblSetup, cmdParam);
    forward(lblLog, cmdLog);
    forward(lblBackup, cmdBackup);
    forward(lblHelp, cmdHelp);
    forward(lblExit, cmdExit);
    forward(lblSearch, cmdBrows);
    forward(lblPlay, cmdPlay);
    forward(lblStop, cmdStop);
    connect(lblPause, &ImageLabel::clicked, this, [this] {
        if (cmdPause->isEnabled()) {
            cmdPause->click();
        }
    });
    connect(lblSpeaker, &ImageLabel::clicked, this, [this] { services_.commands.openVolumeControl(); });
    connect(lblMin, &ImageLabel::clicked, this, [this] { showMinimized(); });
    connect(lblDial, &ImageLabel::pressed, this, [this](Qt::MouseButton button) {
        if (button == Qt::LeftButton) {
            cmdDialOut->click();
        } else if (button == Qt::RightButton) {
            services_.commands.quickDial(this);
        }
    });

    MainWindowCommands& commands = services_.commands;
    connect(cmdParam, &QPushButton::clicked, this, [this, &commands] { commands.openSetup(this); });
    connect(cmdLog, &QPushButton::clicked, this, [this, &commands] { commands.openLogViewer(this); });
    connect(cmdBackup, &QPushButton::clicked, this, [this, &commands] { commands.openBackup(this); });
    connect(cmdHelp, &QPushButton::clicked, this, [&commands] { commands.openHelp(); });
    connect(cmdBrows, &QPushButton::clicked, this, [this, &commands] { commands.browseWaveFiles(this); });
    connect(cmdPlay, &QPushButton::clicked, this, [&commands] { commands.play(); });
    connect(cmdStop, &QPushButton::clicked, this, [&commands] { commands.stop(); });
    connect(cmdPause, &QPushButton::clicked, this, [&commands] { commands.pause(); });
    connect(cmdDialOut, &QPushButton::clicked, this, [this, &commands] { commands.openDialer(this); });
    connect(cmdExit, &QPushButton::clicked, this, [this] { close(); });
    buildStatusMenu();

    connect(chkLegal, &QCheckBox::clicked, this, [this] { chkLegal_Click(); });
    connect(chkRingCount, &QCheckBox::clicked, this, [this] { chkRingCount_Click(); });
    for (int i = 0; i < kListCount; ++i) {
        connect(Command2[static_cast<std::size_t>(i)], &QPushButton::clicked, this,
                [this, i] { Command2_Click(i); });
    }
}

void frmMain::buildStatusMenu()
{
    mmuLog = new QMenu(this);
    mmuLog->setObjectName(QStringLiteral("mmuLog"));
    mmuPrintLog = mmuLog->addAction(QStringLiteral("Print Log"));
    mmuPrintLog->setObjectName(QStringLiteral("mmuPrintLog"));
    mmuAddToBlack = mmuLog->addAction(QStringLiteral("Add To Black List"));
    mmuAddToBlack->setObjectName(QStringLiteral("mmuAddToBlack"));
    MainWindowCommands& commands = services_.commands;
    connect(mmuPrintLog, &QAction::triggered, this, [&commands] { commands.printStatusLog(); });
    connect(mmuAddToBlack, &QAction::triggered, this,
            [this, &commands] { commands.addCallerToBlackList(this, selectedStatusLine()); });
    mmuAddPB = mmuLog->addAction(QStringLiteral("Add To PhoneBook"));
    mmuAddPB->setObjectName(QStringLiteral("mmuAddPB"));
    connect(mmuAddPB, &QAction::triggered, this,
            [this, &commands] { commands.addCallerToPhoneBook(this, selectedStatusLine()); });
    lstStatus->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lstStatus, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { mmuLog->popup(lstStatus->viewport()->mapToGlobal(pos)); });
}

QString frmMain::selectedStatusLine() const
{
    const QListWidgetItem* item = lstStatus->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

QListWidget* frmMain::list(int index) const
{
    switch (index) {
    case kLastTenList:
        return lstLastTen;
    case kUnreadList:
        return lstUnread;
    default:
        return lstStatus;
    }
}

void frmMain::placeLists()
{
    for (int i = 0; i < kListCount; ++i) {
        const ListPlacement where = listLayout_.placement(i);
        Command2[static_cast<std::size_t>(i)]->setGeometry(toPixels(where.title));
        list(i)->setGeometry(toPixels(where.list));
    }
    const int enlarged = listLayout_.enlargedIndex();
    if (enlarged >= 0) {
        for (int i = 0; i < kListCount; ++i) {
            if (i != enlarged) {
                list(i)->lower();
                Command2[static_cast<std::size_t>(i)]->lower();
            }
        }
        list(enlarged)->raise();
        Command2[static_cast<std::size_t>(enlarged)]->raise();
    }
}

void frmMain::Command2_Click(int index)
{
    if (listLayout_.titleClicked(index)) {
        placeLists();
    }
}

void frmMain::freeAreaMouseMove()
{
    unsetCursor();
    if (listLayout_.freeAreaMouseMove()) {
        placeLists();
    }
}

void frmMain::chkLegal_Click()
{
    services_.config.save(core::keys::kLegal,
                          chkLegal->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

void frmMain::chkRingCount_Click()
{
    services_.config.save(core::keys::kRingCount,
                          chkRingCount->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

void frmMain::centreOnScreen()
{
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        return;
    }
    const QRect area = screen->geometry();
    const int left = area.left() + (area.width() - width()) / 2;
    const int top = area.top() + (area.height() - height()) / 2 + twipsToPixels(100);
    move(left, top);
}

void frmMain::paintBackground()
{
    panel_ = renderPanel(devicePixelRatioF());
    update();
}

void frmMain::applyWindowRegion()
{
    region_ = BuildWindowRegion(kTwipsPerPixel, kTwipsPerPixel);
    setMask(region_);
    update();
}

void frmMain::deleteWindowRegion()
{
    region_ = QRegion();
    clearMask();
}

void frmMain::setCaptionsAndTips(const core::Strings& strings)
{
    const QString listTip =
        QStringLiteral("Click the title button to enlarge this window. Double click the file name to play.");
    lstLastTen->setToolTip(listTip);
    lstUnread->setToolTip(listTip);
    lstStatus->setToolTip(QStringLiteral("Click the title button to enlarge this window"));

    cmdParam->setText(strings.loadText(1009));
    cmdLog->setText(strings.loadText(1010));
    cmdBackup->setText(strings.loadText(1011));
    cmdHelp->setText(strings.loadText(1013));
    cmdExit->setText(strings.loadText(1014));
    cmdPlay->setToolTip(strings.loadText(1015));
    cmdStop->setToolTip(strings.loadText(1016));
    cmdBrows->setToolTip(strings.loadText(1017));
    cmdDialOut->setText(strings.loadText(1083));
    Label1->setText(strings.loadText(1056));
    Label2->setText(strings.loadText(1057));

    lblSetup->setToolTip(strings.loadText(1009));
    lblLog->setToolTip(strings.loadText(1010));
    lblBackup->setToolTip(strings.loadText(1011));
    lblHelp->setToolTip(strings.loadText(1013));
    lblExit->setToolTip(strings.loadText(1014));
    lblSearch->setToolTip(strings.loadText(1017));
    lblDial->setToolTip(QStringLiteral("Right Click To Record An Existed Outgoing Call"));
    lblPlay->setToolTip(QStringLiteral("Play"));
    lblStop->setToolTip(QStringLiteral("Stop"));
    lblPause->setToolTip(QStringLiteral("Pause"));
    lblSpeaker->setToolTip(QStringLiteral("Volume"));
    lblMin->setToolTip(QStringLiteral("Hide to Systray"));

    // The keys of the panel carry the captions of the buttons they press.
    lblSetup->setCaption(cmdParam->text());
    lblLog->setCaption(cmdLog->text());
    lblBackup->setCaption(cmdBackup->text());
    lblHelp->setCaption(cmdHelp->text());
    lblExit->setCaption(cmdExit->text());
    lblSearch->setCaption(strings.loadText(1017));
    lblDial->setCaption(cmdDialOut->text());
}

void frmMain::attachStatusLog(records::StatusLog& log)
{
    attachedLog_ = &log;
    log.onLinesDropped = [this](int count) {
        lstStatus->model()->removeRows(0, std::min(count, static_cast<int>(lstStatus->count())));
    };
    log.onLinesAppended = [this, &log](int firstNewRow) {
        const QStringList& lines = log.lines();
        const int from = std::max(firstNewRow, static_cast<int>(lstStatus->count()));
        if (from < lines.size()) {
            lstStatus->addItems(lines.mid(from));
        }
        lstStatus->setCurrentRow(lstStatus->count() - 1);
    };
}

void frmMain::minimizeWindow()
{
    if (isVisible()) {
        showMinimized();
    } else {
        startMinimised_ = true;
    }
}

void frmMain::showAfterLoad()
{
    if (startMinimised_) {
        showMinimized();
    } else {
        show();
        raise();
        activateWindow();
    }
}

void frmMain::Timer7_Timer()
{
    Timer7.setEnabled(false);
    services_.windows.showWhatsNew(this);
}

void frmMain::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    // The artwork is drawn for the screen's device pixel ratio, and drawn again when the window
    // moves to a screen of another scale: a stretched pixmap would look blurred.
    if (panel_.isNull() || !qFuzzyCompare(panel_.devicePixelRatio(), devicePixelRatioF())) {
        panel_ = renderPanel(devicePixelRatioF());
    }
    p.drawPixmap(0, 0, panel_);
}

void frmMain::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    // The body of the borderless window is its caption: let the window system move it, or
    // follow the mouse ourselves where it cannot.
    QWindow* window = windowHandle();
    if (window && window->startSystemMove()) {
        return;
    }
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void frmMain::mouseMoveEvent(QMouseEvent* event)
{
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - dragOffset_);
        return;
    }
    if (!childAt(event->position().toPoint())) {
        freeAreaMouseMove();
    }
}

void frmMain::mouseReleaseEvent(QMouseEvent* event)
{
    dragging_ = false;
    QWidget::mouseReleaseEvent(event);
}

bool frmMain::handleKey(QKeyEvent* event)
{
    // Only the lower-case letter opens the dialer; "D" does nothing.
    if (event->text() == QLatin1String("d")) {
        cmdDialOut->click();
        return true;
    }
    return false;
}

void frmMain::keyPressEvent(QKeyEvent* event)
{
    if (!handleKey(event)) {
        QWidget::keyPressEvent(event);
    }
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    // The lists would take a typed letter as a search; the window's key goes first.
    if (event->type() == QEvent::KeyPress && handleKey(static_cast<QKeyEvent*>(event))) {
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmMain::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized)) {
        services_.commands.windowMinimised();
    }
}

void frmMain::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (!services_.lifecycle.shuttingDown) {
        runShutdown(services_, this);
    }
}

} // namespace qlnrec::app

#pragma once
// The main window: a borderless front panel shaped by its outline, dragged by its body, with the
// three lists and their title buttons, the option boxes, the player read-out and the image
// labels that press the hidden command buttons.
#include "app/list_layout.h"
#include "platform/core/event_service.h"

#include <QPixmap>
#include <QPoint>
#include <QWidget>

#include <array>

class QCheckBox;
class QLabel;
class QListWidget;
class QMenu;
class QAction;
class QPushButton;
class QScrollBar;

namespace qlnrec::core {
class Strings;
} // namespace qlnrec::core

namespace qlnrec::records {
class StatusLog;
}

namespace qlnrec::app {

struct AppServices;
class ImageLabel;

class frmMain : public QWidget {
    Q_OBJECT
public:
    static constexpr std::uint32_t kWhatsNewDelayMs = 3000;

    explicit frmMain(AppServices& services, QWidget* parent = nullptr);
    ~frmMain() override;

    // Lists and their title buttons (Command2 index = ListIndex).
    QListWidget* lstStatus = nullptr;
    QListWidget* lstLastTen = nullptr;
    QListWidget* lstUnread = nullptr;
    std::array<QPushButton*, kListCount> Command2{};

    QCheckBox* chkLegal = nullptr;
    QCheckBox* chkRingCount = nullptr;
    QLabel* lblLegal = nullptr;
    QLabel* lblRingCount = nullptr;
    QLabel* Label1 = nullptr; // "Name:"
    QLabel* Label2 = nullptr; // "Length:"
    QLabel* lblFileName = nullptr;
    QLabel* lblFileSize = nullptr;
    QScrollBar* HScroll1 = nullptr; // the player's position in whole seconds

    // The status list's pop-up menu (a right button press on lstStatus).
    QMenu* mmuLog = nullptr;
    QAction* mmuPrintLog = nullptr;
    QAction* mmuAddToBlack = nullptr;
    QAction* mmuAddPB = nullptr;
    // The selected line of lstStatus; empty when none is selected.
    QString selectedStatusLine() const;

    // Hidden command buttons the image labels press.
    QPushButton* cmdParam = nullptr;
    QPushButton* cmdLog = nullptr;
    QPushButton* cmdBackup = nullptr;
    QPushButton* cmdHelp = nullptr;
    QPushButton* cmdExit = nullptr;
    QPushButton* cmdBrows = nullptr;
    QPushButton* cmdPlay = nullptr;
    QPushButton* cmdStop = nullptr;
    QPushButton* cmdPause = nullptr;
    QPushButton* cmdDialOut = nullptr;

    // The visible buttons.
    ImageLabel* lblSetup = nullptr;
    ImageLabel* lblLog = nullptr;
    ImageLabel* lblBackup = nullptr;
    ImageLabel* lblHelp = nullptr;
    ImageLabel* lblExit = nullptr;
    ImageLabel* lblSearch = nullptr;
    ImageLabel* lblDial = nullptr;
    ImageLabel* lblPlay = nullptr;
    ImageLabel* lblStop = nullptr;
    ImageLabel* lblPause = nullptr;
    ImageLabel* lblSpeaker = nullptr;
    ImageLabel* lblMin = nullptr;

    // The what's-new timer: fires once, three seconds after the load.
    platform::Timer Timer7;

    QListWidget* list(int index) const;
    const ListLayout& listLayout() const { return listLayout_; }

    // Steps of the load sequence that act on the window.
    void centreOnScreen();
    void paintBackground();
    void applyWindowRegion();
    void setCaptionsAndTips(const core::Strings& strings);
    // lstStatus shows the status log's lines as they are added.
    void attachStatusLog(records::StatusLog& log);
    // Minimises now, or (before the window is first shown) makes the first show minimised.
    void minimizeWindow();
    // Shows the window after its load, minimised when the load asked for it.
    void showAfterLoad();
    // Shutdown step: the outline region is let go.
    void deleteWindowRegion();
    bool hasWindowRegion() const { return !region_.isEmpty(); }
    const QRegion& windowRegion() const { return region_; }

    // Check box handlers (a click saves the value with its journal line).
    void chkLegal_Click();
    void chkRingCount_Click();
    // A title button click, and the mouse over the free window area.
    void Command2_Click(int index);
    void freeAreaMouseMove();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void wireControls();
    void buildStatusMenu();
    void placeLists();
    bool handleKey(QKeyEvent* event);
    void Timer7_Timer();

    AppServices& services_;
    ListLayout listLayout_;
    QPixmap panel_;
    QRegion region_;
    records::StatusLog* attachedLog_ = nullptr;
    bool startMinimised_ = false;
    // Manual dragging where the window system cannot move the window itself.
    bool dragging_ = false;
    QPoint dragOffset_;
};

} // namespace qlnrec::app

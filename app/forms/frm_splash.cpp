#include "app/forms/frm_splash.h"

#include "core/strings.h"
#include "ui_frm_splash.h"

#include <QGuiApplication>
#include <QScreen>

namespace qlnrec::app {

frmSplash::frmSplash(platform::EventService& events, const core::Strings& strings,
                     std::function<void()> onTimeout, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), ui_(std::make_unique<Ui::frmSplash>()),
      timer_(events, kShowMs), onTimeout_(std::move(onTimeout))
{
    ui_->setupUi(this);
    setAttribute(Qt::WA_StyledBackground);
    const QString title = QGuiApplication::applicationDisplayName();
    ui_->lblProductName->setText(title.isEmpty() ? QStringLiteral("Quillon Recorder") : title);
    ui_->lblVersion->setText(
        strings.text(core::ProgramText::SplashVersion).arg(QCoreApplication::applicationVersion()));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.center() - rect().center());
    }
    timer_.setOnTick([this] { Timer1_Timer(); });
    timer_.setEnabled(true);
}

frmSplash::~frmSplash() = default;

void frmSplash::Timer1_Timer()
{
    timer_.setEnabled(false);
    hide();
    if (onTimeout_) {
        onTimeout_();
    }
}

} // namespace qlnrec::app

#include "app/forms/frm_whats_new.h"

#include "ui_frm_whats_new.h"

namespace qlnrec::app {

frmWhatsNew::frmWhatsNew(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::frmWhatsNew>())
{
    ui_->setupUi(this);
    ui_->txtWhatsNew->setHtml(notesHtml());
    connect(ui_->cmdClose, &QPushButton::clicked, this, &QDialog::accept);
}

frmWhatsNew::~frmWhatsNew() = default;

QString frmWhatsNew::notesHtml()
{
    return QStringLiteral(
        "<h3>Quillon Recorder for Linux</h3>"
        "<ul>"
        "<li>Records calls on up to four voice modem lines as WAVE files, in PCM or TrueSpeech.</li>"
        "<li>Answers like an answering machine: greeting, beep, message, and an optional legal "
        "notice before recording.</li>"
        "<li>Shows and logs caller ID, looks callers up in the phone book and blocks unwanted "
        "numbers.</li>"
        "<li>No modem yet? Start it with <b>--demo</b> and watch a simulated call.</li>"
        "<li>Settings, logs and recordings stay in your own data folder; every settings change "
        "is noted in settings.txt.</li>"
        "</ul>"
        "<p>Press <b>d</b> in the main window to open the dialer.</p>");
}

} // namespace qlnrec::app

#include "ui/phonebook/frm_dial_records.h"

#include "core/strings.h"
#include "phonebook/dial_records.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace qlnrec::ui {

namespace {
constexpr int kPhoneCallsText = 1096;
constexpr int kMadeText = 1097;
constexpr int kReceivedText = 1098;
constexpr int kSelectText = 1093;
} // namespace

frmDialRecords::frmDialRecords(const phonebook::DialRecords& records, const core::Strings& strings,
                               QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmDialRecords"));
    setWindowTitle(strings.loadText(kPhoneCallsText));
    auto* layout = new QHBoxLayout(this);
    auto column = [&](const char* frameName, int title, core::ListSection section, QListWidget*& list,
                      QPushButton*& select, const char* listName, const char* buttonName) {
        auto* frame = new QGroupBox(strings.loadText(title), this);
        frame->setObjectName(QLatin1String(frameName));
        list = new QListWidget(frame);
        list->setObjectName(QLatin1String(listName));
        list->addItems(records.numbers(section));
        select = new QPushButton(strings.loadText(kSelectText), frame);
        select->setObjectName(QLatin1String(buttonName));
        select->setAutoDefault(false);
        auto* inner = new QVBoxLayout(frame);
        inner->addWidget(list);
        inner->addWidget(select);
        layout->addWidget(frame);
        const QListWidget* shown = list;
        connect(select, &QPushButton::clicked, this, [this, shown] { pick(shown); });
        connect(list, &QListWidget::itemDoubleClicked, this, [this, shown] { pick(shown); });
    };
    column("fraDial", kMadeText, core::ListSection::Made, lstMade, cmdMade, "lstMade", "cmdMade");
    column("fraReceived", kReceivedText, core::ListSection::Received, lstReceived, cmdReceived, "lstReceived",
           "cmdReceived");
}

void frmDialRecords::pick(const QListWidget* list)
{
    const QListWidgetItem* item = list->currentItem();
    if (!item || !item->isSelected()) {
        return;
    }
    chosen_ = item->text();
    accept();
}

} // namespace qlnrec::ui

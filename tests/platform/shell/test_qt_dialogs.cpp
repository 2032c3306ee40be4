#include "platform/dialogs/qt_dialog_service.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using qlnrec::platform::MessageButtons;
using qlnrec::platform::MessageIcon;
using qlnrec::platform::MessageResult;
using qlnrec::platform::QtDialogService;

namespace {

// Acts on the message box as soon as the event loop of its exec() runs.
void whenBoxShows(std::function<void(QMessageBox&)> act)
{
    QTimer::singleShot(0, [act = std::move(act)] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        act(*box);
    });
}

} // namespace

TEST(QtDialogs, MessageBoxShowsTextTitleIconAndDefaultsToTheFirstButton)
{
    QtDialogService dialogs;
    whenBoxShows([](QMessageBox& box) {
        EXPECT_EQ(box.text(), QStringLiteral("Please Select Log File"));
        EXPECT_EQ(box.windowTitle(), QStringLiteral("View Log Files"));
        EXPECT_EQ(box.icon(), QMessageBox::Information);
        ASSERT_NE(box.defaultButton(), nullptr);
        box.defaultButton()->click();
    });
    EXPECT_EQ(dialogs.messageBox(QStringLiteral("Please Select Log File"), QStringLiteral("View Log Files"),
                                 MessageIcon::Information),
              MessageResult::Ok);

    whenBoxShows([](QMessageBox& box) {
        EXPECT_EQ(box.icon(), QMessageBox::Critical);
        EXPECT_EQ(box.defaultButton(), box.button(QMessageBox::Yes));
        box.button(QMessageBox::No)->click();
    });
    EXPECT_EQ(dialogs.messageBox(QStringLiteral("Delete?"), QStringLiteral("Quillon"), MessageIcon::Critical,
                                 MessageButtons::YesNo),
              MessageResult::No);

    whenBoxShows([](QMessageBox& box) {
        EXPECT_EQ(box.icon(), QMessageBox::Warning);
        EXPECT_EQ(box.defaultButton(), box.button(QMessageBox::Ok));
        box.reject(); // Escape / close
    });
    EXPECT_EQ(dialogs.messageBox(QStringLiteral("x"), QStringLiteral("t"), MessageIcon::Exclamation,
                                 MessageButtons::OkCancel),
              MessageResult::Cancel);
}

TEST(QtDialogs, PipeFiltersBecomeQtFilters)
{
    EXPECT_EQ(QtDialogService::qtFilter(QStringLiteral("Text Files (*.txt)|*.txt|All Files|*.*")),
              QStringLiteral("Text Files (*.txt);;All Files (*)"));
    EXPECT_EQ(QtDialogService::qtFilter(QStringLiteral("Comma|*.csv;*.txt")),
              QStringLiteral("Comma (*.csv *.txt)"));
    EXPECT_EQ(QtDialogService::qtFilter(QStringLiteral("Wave (*.wav);;All (*)")),
              QStringLiteral("Wave (*.wav);;All (*)"));
    EXPECT_EQ(QtDialogService::qtFilter(QString()), QString());
    // A dangling description without patterns is dropped rather than producing an empty filter.
    EXPECT_EQ(QtDialogService::qtFilter(QStringLiteral("Wave|*.wav|Broken")), QStringLiteral("Wave (*.wav)"));
}

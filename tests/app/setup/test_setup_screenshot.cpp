// Pictures of the setup dialog for the documentation, in English and Simplified Chinese. Runs
// only when QLNREC_SCREENSHOT_DIR names a folder (under Xvfb, so real fonts are used):
//   QLNREC_SCREENSHOT_DIR=docs/screenshots QT_QPA_PLATFORM=xcb xvfb-run -a
//       build/<dir>/bin/test_setup --gtest_filter='SetupScreenshot.*'
#include "tests/e2e/program_rig.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QPixmap>

#include <gtest/gtest.h>

namespace qlnrec::test {
namespace {

void shoot(int languageOffset, const QString& fileName)
{
    const QString folder = qEnvironmentVariable("QLNREC_SCREENSHOT_DIR");
    if (folder.isEmpty()) {
        GTEST_SKIP() << "QLNREC_SCREENSHOT_DIR is not set";
    }
    ProgramRig h(QStringLiteral("sim:2"));
    h.strings = core::Strings(languageOffset);
    h.store(QStringLiteral("Line0"), QStringLiteral("1"));
    h.store(QStringLiteral("Language"), QString::number(languageOffset / 1000));
    h.store(QStringLiteral("SaveFile"), QStringLiteral("/home/user/.local/share/qlnrec/waveFiles/"));
    app::frmSetup& f = h.loadSetup();
    f.show();
    for (int i = 0; i < 10; ++i) {
        QApplication::processEvents();
    }
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(fileName);
    ASSERT_TRUE(f.grab().save(path, "PNG")) << path.toStdString();
    f.hide();
}

TEST(SetupScreenshot, English)
{
    shoot(core::Strings::kEnglish, QStringLiteral("setup-en.png"));
}

TEST(SetupScreenshot, SimplifiedChinese)
{
    shoot(core::Strings::kSimplifiedChinese, QStringLiteral("setup-zh.png"));
}

} // namespace
} // namespace qlnrec::test

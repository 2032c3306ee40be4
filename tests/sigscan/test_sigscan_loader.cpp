// Binding the analysis library by name at run time, and going on without it.
#include "audio/sigscan_loader.h"
#include "tests/sigscan/fbs_model.h"
#include "tests/support/temp_home.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <gtest/gtest.h>

using qlnrec::audio::SigScanLoader;
using namespace qlnrec::sigscan_test;

namespace {

const QString kBuiltLibrary = QStringLiteral(SIGSCAN_TEST_LIBRARY);

Block cadenceBlock()
{
    Block block(8000);
    addBurst(block, 100, 3100);
    addBurst(block, 6000, 7999);
    return block;
}

FbsOutput callThrough(SigScanLoader& loader, const Block& block, bool* available)
{
    FbsOutput out;
    out.result = loader.fbs(block.data(), std::int32_t(block.size()), &out.soundCount, &out.quietCount, 100,
                            3, out.segments.data(), &out.longTone, available);
    return out;
}

} // namespace

TEST(SigScanLoader, FindsTheLibraryBesideTheProgram)
{
    // The test program is built into the same folder as the library.
    QStringList messages;
    SigScanLoader loader([&](const QString& m) { messages << m; });
    bool available = false;
    const Block block = cadenceBlock();
    EXPECT_EQ(callThrough(loader, block, &available), runFbs(block, 100, 3));
    EXPECT_TRUE(available);
    EXPECT_EQ(QFileInfo(loader.loadedFrom()).canonicalFilePath(),
              QFileInfo(kBuiltLibrary).canonicalFilePath());
    EXPECT_EQ(QFileInfo(loader.loadedFrom()).absolutePath(), QCoreApplication::applicationDirPath());
    EXPECT_TRUE(messages.isEmpty());
}

TEST(SigScanLoader, MissingLibraryIsReportedOnceAndNothingIsWritten)
{
    qlnrec::test::TempHome home;
    QStringList messages;
    SigScanLoader loader(
        [&](const QString& m) { messages << m; },
        {home.path(QStringLiteral("libSigScan.so")), home.path(QStringLiteral("lib/libSigScan.so"))});
    const Block block = cadenceBlock();
    for (int n = 0; n < 3; ++n) {
        bool available = true;
        EXPECT_EQ(callThrough(loader, block, &available), FbsOutput{});
        EXPECT_FALSE(available);
    }
    EXPECT_FALSE(loader.available());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Signal analysis library libSigScan.so not found")))
        << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains(home.path(QStringLiteral("lib/libSigScan.so"))));
    EXPECT_TRUE(
        messages[0].endsWith(QStringLiteral("recordings continue without silence and busy-tone detection.")));

    SigScanLoader silent({}, {home.path(QStringLiteral("libSigScan.so"))});
    EXPECT_EQ(silent.fbs(block.data(), 8000, nullptr, nullptr, 0, 0, nullptr, nullptr), 0);
}

TEST(SigScanLoader, UnusableFilesAreSkippedAndNamedWhenNothingWorks)
{
    qlnrec::test::TempHome home;
    const QString broken = home.path(QStringLiteral("libSigScan.so"));
    qlnrec::test::writeFile(broken, QByteArray("not a shared library"));

    // A broken file in the first place falls through to the next candidate.
    QStringList messages;
    SigScanLoader loader([&](const QString& m) { messages << m; }, {broken, kBuiltLibrary});
    EXPECT_TRUE(loader.available());
    EXPECT_EQ(loader.loadedFrom(), kBuiltLibrary);
    EXPECT_TRUE(messages.isEmpty());

    // A library without Fbs, and the broken file, are both named in the one message.
    SigScanLoader wrong([&](const QString& m) { messages << m; }, {QStringLiteral("libm.so.6"), broken});
    EXPECT_FALSE(wrong.available());
    EXPECT_FALSE(wrong.available());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("has no function Fbs"))) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains(broken)) << messages[0].toStdString();
    EXPECT_TRUE(
        messages[0].endsWith(QStringLiteral("recordings continue without silence and busy-tone detection.")));
}

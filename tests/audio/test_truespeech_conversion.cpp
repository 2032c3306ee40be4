// Finding the TrueSpeech driver, opening, converting and closing per line, and the boxes shown
// when the compression service fails.
#include "audio/truespeech_conversion.h"
#include "platform/core/dialog_service.h"
#include "tests/platform/acm/fake_drivers.h"

#include <gtest/gtest.h>

using namespace qlnrec;
using platform::MessageIcon;

namespace {

struct Fixture {
    platform::AcmDriverRegistry registry;
    platform::AcmService acm{registry};
    platform::ScriptedDialogService dialogs;
    audio::TrueSpeechConversion conversion{acm, dialogs};

    QStringList texts() const
    {
        QStringList out;
        for (const auto& m : dialogs.messages()) {
            out << m.text;
        }
        return out;
    }
};

std::vector<char> block(std::uint32_t bytes)
{
    std::vector<char> b(bytes);
    for (std::uint32_t i = 0; i < bytes; ++i) {
        b[i] = static_cast<char>(i * 13);
    }
    return b;
}

} // namespace

TEST(TrueSpeechConversion, FindsTheFirstDriverNamedTrueSpeechInAnyCaseEvenWhenDisabled)
{
    Fixture f;
    f.registry.add(std::make_shared<platform::fakes::NamedDriver>("MS-ADPCM", "Microsoft ADPCM"));
    const auto disabled = f.registry.add(
        std::make_shared<platform::fakes::FakeTrueSpeechDriver>("dsp group truespeech"), false);
    f.registry.add(std::make_shared<platform::fakes::FakeTrueSpeechDriver>());
    f.conversion.FindTrueSpeechDriver();
    EXPECT_EQ(f.conversion.trueSpeechDriverId(), disabled);
    EXPECT_TRUE(f.dialogs.messages().empty());
}

TEST(TrueSpeechConversion, WithoutADriverEveryOpenShowsBothBoxesAndBlocksAreDropped)
{
    Fixture f;
    f.registry.add(std::make_shared<platform::fakes::NamedDriver>("MS-ADPCM", "Microsoft ADPCM"));
    f.conversion.FindTrueSpeechDriver();
    EXPECT_EQ(f.conversion.trueSpeechDriverId(), nullptr);
    f.conversion.OpenConversion(2);
    const QStringList texts = f.texts();
    ASSERT_EQ(texts.size(), 2);
    EXPECT_TRUE(texts[0].startsWith("TrueSpeech Driver Open  Error: "));
    EXPECT_TRUE(texts[1].startsWith("Stream Open Error: "));
    for (const auto& m : f.dialogs.messages()) {
        EXPECT_EQ(m.icon, MessageIcon::Critical);
    }
    // The code is upper-case hexadecimal without leading zeros (MMSYSERR_INVALHANDLE = 5).
    EXPECT_EQ(texts[0], "TrueSpeech Driver Open  Error: 5");

    auto data = block(16000);
    platform::WAVEHDR header{data.data(), 16000, 16000};
    EXPECT_FALSE(f.conversion.ConvertBlock(2, header));
    EXPECT_FALSE(f.conversion.conversionOk());
    // Closing a line whose open failed shows nothing more.
    f.dialogs.clear();
    f.conversion.CloseConversion(2);
    EXPECT_TRUE(f.dialogs.messages().empty());
}

TEST(TrueSpeechConversion, ConvertsEachBlockAndReleasesItsHeader)
{
    Fixture f;
    f.registry.add(std::make_shared<platform::fakes::FakeTrueSpeechDriver>());
    f.conversion.FindTrueSpeechDriver();
    f.conversion.OpenConversion(0);
    f.conversion.OpenConversion(1);
    EXPECT_TRUE(f.dialogs.messages().empty());
    EXPECT_EQ(f.acm.openStreamCount(), 2u);

    auto data = block(16000);
    platform::WAVEHDR header{data.data(), 16000, 16000};
    ASSERT_TRUE(f.conversion.ConvertBlock(0, header));
    EXPECT_TRUE(f.conversion.conversionOk());
    EXPECT_EQ(f.conversion.convertedLength(0), 33u * 32u); // whole 480-byte frames only
    f.conversion.ReleaseConversion(0);
    EXPECT_EQ(f.conversion.convertedLength(0), 0u);
    f.conversion.ReleaseConversion(0); // a second release finds nothing

    // A block with no recorded bytes is not converted.
    header.dwBytesRecorded = 0;
    EXPECT_FALSE(f.conversion.ConvertBlock(0, header));
    // A short block that converts to nothing succeeds with no bytes.
    header.dwBytesRecorded = 100;
    ASSERT_TRUE(f.conversion.ConvertBlock(1, header));
    EXPECT_EQ(f.conversion.convertedLength(1), 0u);
    f.conversion.ReleaseConversion(1);

    f.conversion.CloseConversion(0);
    f.conversion.CloseConversion(1);
    EXPECT_EQ(f.acm.openStreamCount(), 0u);
    EXPECT_EQ(f.acm.openDriverCount(), 0u);
    EXPECT_TRUE(f.dialogs.messages().empty());
}

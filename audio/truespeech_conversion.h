#pragma once
// Use of the compression service for TrueSpeech output: the driver is found once at start-up, a
// stream is opened per line when a capture opens, each one-second block is converted on its own,
// and the stream is closed when the recording's file is finished. Failures other than a failed
// conversion are shown in critical message boxes with the error code in hexadecimal.
#include "platform/acm/acm.h"
#include "platform/wave/wave_types.h"

#include <QString>

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

namespace qlnrec::platform {
class DialogService;
}

namespace qlnrec::audio {

class TrueSpeechConversion {
public:
    static constexpr int kLines = 4;
    // Destination block per conversion.
    static constexpr std::uint32_t kDestinationBytes = 1600;
    // The size a header record declares, as the compression manager knows it.
    static constexpr std::uint32_t kHeaderRecordSize = 88;

    TrueSpeechConversion(platform::AcmService& acm, platform::DialogService& dialogs);
    ~TrueSpeechConversion();
    TrueSpeechConversion(const TrueSpeechConversion&) = delete;
    TrueSpeechConversion& operator=(const TrueSpeechConversion&) = delete;

    // Enumerates the drivers (disabled ones too); the first whose short name, upper-cased,
    // contains "TRUESPEECH" is kept. A failed enumeration shows "Acm Driver Enum Error: ".
    void FindTrueSpeechDriver();
    platform::HACMDRIVERID trueSpeechDriverId() const { return trueSpeechDriverId_; }

    // Opens the line's driver and stream (PCM 8 kHz 16-bit mono to TrueSpeech). A failure shows
    // its box and the capture goes on; blocks then fail to convert.
    void OpenConversion(int line);
    // Converts the header's dwBytesRecorded bytes. True (conversionOk) when the converted bytes
    // are ready in convertedData/convertedLength; they stay until ReleaseConversion. A block with
    // no recorded bytes is not converted.
    bool ConvertBlock(int line, const platform::WAVEHDR& header);
    const std::uint8_t* convertedData(int line) const;
    std::uint32_t convertedLength(int line) const;
    bool conversionOk() const { return conversionOk_; } // of the last block converted, any line
    // Unprepares the line's header and frees its destination block; nothing when none is held.
    void ReleaseConversion(int line);
    // Closes the line's stream, then its driver: "Stram Close Error: ", "Driver Close Error: ".
    // Only handles that were opened are closed, so a line whose open failed shows nothing more.
    void CloseConversion(int line);
    bool isOpen(int line) const;

private:
    struct Line {
        platform::HACMDRIVER acmDriver = nullptr;
        platform::HACMSTREAM acmStream = nullptr;
        platform::ACMSTREAMHEADER conversionHeader{};
        std::vector<std::uint8_t> destination;
        bool prepared = false;
    };
    Line& at(int line);
    const Line& at(int line) const;
    void critical(const QString& text, platform::MMRESULT code);

    platform::AcmService& acm_;
    platform::DialogService& dialogs_;
    platform::HACMDRIVERID trueSpeechDriverId_ = nullptr;
    std::array<Line, kLines> lines_{};
    // Lines convert on their own threads.
    std::atomic<bool> conversionOk_{false};
};

} // namespace qlnrec::audio

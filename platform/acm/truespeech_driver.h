#pragma once
// The built-in TrueSpeech driver of the compression service: 8 kHz 16-bit mono PCM to WAVE
// format 34 and back, with our own codec. Each open stream keeps its codec state and the samples
// (or bytes) that did not complete a frame (or block) for the next conversion, so a recording
// converted one second at a time loses nothing between the seconds.
#include "platform/acm/acm_driver.h"

namespace qlnrec::platform {

class TrueSpeechAcmDriver : public AcmDriver {
public:
    std::string shortName() const override;
    std::string longName() const override;
    std::string copyright() const override;
    std::string features() const override;
    std::vector<std::uint16_t> formatTags() const override;
    bool canConvert(const AcmFormat& src, const AcmFormat& dst) const override;
    std::unique_ptr<AcmDriverStream> openStream(const AcmFormat& src, const AcmFormat& dst) override;

    // The two formats this driver converts between.
    static AcmFormat pcmFormat();
    static AcmFormat trueSpeechFormat();
    static bool isPcmFormat(const AcmFormat& f);
    static bool isTrueSpeechFormat(const AcmFormat& f);
};

} // namespace qlnrec::platform

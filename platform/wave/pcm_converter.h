#pragma once
// Streaming conversion between PCM formats (8-bit unsigned or 16-bit signed, mono or stereo, any
// rate), as the wave mapper does when a caller's format differs from the device's. Resampling is
// linear interpolation; state carries over between calls so a stream converts seamlessly.
#include "platform/wave/wave_types.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qlnrec::platform {

class PcmConverter {
public:
    // PCM with 8 or 16 bits, 1 or 2 channels, 1,000 to 192,000 frames per second and a
    // consistent block alignment.
    static bool supported(const WAVEFORMATEX& format);

    PcmConverter(const WAVEFORMATEX& from, const WAVEFORMATEX& to);
    bool identity() const { return identity_; }
    // Appends the converted form of `bytes` to out. A trailing partial frame is kept for the next
    // call.
    void convert(const std::uint8_t* data, std::size_t bytes, std::vector<std::uint8_t>& out);

private:
    void emitFrame(const double* frame, std::vector<std::uint8_t>& out) const;

    WAVEFORMATEX from_;
    WAVEFORMATEX to_;
    bool identity_;
    std::vector<std::uint8_t> partial_;
    // Resampler state: the previous input frame and the position of the next output frame,
    // measured in input frames after it.
    double prev_[2] = {0, 0};
    bool havePrev_ = false;
    double position_ = 0;
    double step_;
};

// Converts a whole block at once (for example a prompt file into the line's format).
std::vector<std::uint8_t> convertPcm(const WAVEFORMATEX& from, const std::uint8_t* data, std::size_t bytes,
                                     const WAVEFORMATEX& to);

} // namespace qlnrec::platform

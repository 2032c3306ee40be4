#pragma once
// The computer's sound card behind WAVE_MAPPER, through Qt Multimedia. The Qt audio objects live
// on the GUI thread; captured data and playback requests reach the wave service from Qt's audio
// notifications.
#include "platform/wave/wave_device.h"

#include <memory>

namespace qlnrec::platform {

// Null when Qt Multimedia reports no input (or output) device.
std::shared_ptr<WaveInDevice> createQtSoundCardInput();
std::shared_ptr<WaveOutDevice> createQtSoundCardOutput();

} // namespace qlnrec::platform

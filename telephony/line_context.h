#pragma once
// The services line control works with, handed over as one bundle.
namespace qlnrec::core {
class ConfigStore;
class StatusLine;
class Strings;
} // namespace qlnrec::core

namespace qlnrec::platform {
class EventService;
class TelephonyService;
class WaveService;
class DialogService;
} // namespace qlnrec::platform

namespace qlnrec::telephony {

struct LineContext {
    platform::EventService& events;
    platform::TelephonyService& tapi;
    platform::WaveService& wave;
    platform::DialogService& dialogs;
    core::ConfigStore& config;
    const core::Strings& strings; // the language may change before the lines are opened
    core::StatusLine& statusLog;
};

// Title of the program's message boxes.
inline constexpr const char* kMessageTitle = "Quillon";

} // namespace qlnrec::telephony

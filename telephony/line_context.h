#pragma once
// The services line control works with, handed over as one bundle.
namespace qlnrec::platform {
class EventService;
class TelephonyService;
class WaveService;
class DialogService;
} // namespace qlnrec::platform

namespace qlnrec::app {
class ConfigStore;
class Strings;
} // namespace qlnrec::app

namespace qlnrec::records {
class StatusLog;
}

namespace qlnrec::telephony {

struct LineContext {
    platform::EventService& events;
    platform::TelephonyService& tapi;
    platform::WaveService& wave;
    platform::DialogService& dialogs;
    app::ConfigStore& config;
    const app::Strings& strings; // the language may change before the lines are opened
    records::StatusLog& statusLog;
};

// Title of the program's message boxes.
inline constexpr const char* kMessageTitle = "Quillon";

} // namespace qlnrec::telephony

#pragma once
// Tells the desktop of an incoming call (number and name) and of each new message left on the
// answering machine, while the "Notify" setting is on. The desktop shows it outside the window,
// so a call is seen while the program waits minimised.
#include <QString>

namespace qlnrec::core {
class ConfigStore;
class Strings;
} // namespace qlnrec::core

namespace qlnrec::platform {
class ShellService;
}

namespace qlnrec::app {

class CallNotifier {
public:
    CallNotifier(platform::ShellService& shell, core::ConfigStore& config, const core::Strings& strings)
        : shell_(shell), config_(config), strings_(strings)
    {
    }

    // The caller of an offered call is known and not blocked: name is the phone book's, else the
    // one the line sent.
    void incomingCall(const QString& number, const QString& name);
    // A recording was finished and listed; only an answered call's message ("A...") is news.
    void recordingFinished(const QString& fileName);

private:
    bool enabled() const;

    platform::ShellService& shell_;
    core::ConfigStore& config_;
    const core::Strings& strings_;
};

} // namespace qlnrec::app

#pragma once
// The line manager: initialises the telephony interface, negotiates its version, opens the
// configured lines and subscribes them to ring notices, hands out the wave device of a line's
// call, and closes everything at shutdown. Results are reported only through message boxes and
// status lines.
#include "platform/telephony/tapi_types.h"
#include "telephony/line_context.h"
#include "telephony/line_state.h"

#include <QString>

#include <functional>

namespace qlnrec::telephony {

class LineManager {
public:
    static constexpr std::uint32_t kLowestApiVersion = 0x00010003;
    static constexpr std::uint32_t kHighestApiVersion = 0x00030000;
    static constexpr std::uint32_t kOpenPrivileges = 6; // monitor | owner
    static constexpr std::uint32_t kVarStringSize = 2025;
    static constexpr int kVarStringHeaderSize = 24;

    // callback: the routine that receives the messages of every open line.
    LineManager(LineState& state, LineContext& context, platform::LineCallback callback);

    // The application name the telephony interface is given (the program's title).
    void setApplicationName(const QString& name) { appName_ = name; }
    // Ends the program when the telephony interface cannot be initialised (after the box).
    void setEndProgram(std::function<void()> endProgram) { endProgram_ = std::move(endProgram); }

    // The whole sequence: reset, initialisation and negotiation, then opening. The start-up
    // runs the three steps separately because the setup dialog loads in between.
    void OpenLines();
    // Every line and call handle to 0.
    void resetLines();
    // lineInitialize and version negotiation. False when the interface could not be
    // initialised: the critical box was shown and the program asked to end.
    bool initializeTelephony();
    // Opens every line whose "Config" "Line"i is exactly "1".
    void openConfiguredLines();
    void CloseLines();

    // Asks the line for the wave device of its current call ("wave/in" or "wave/out") and
    // stores it in the line's waveDevice; a failure leaves the value as it was.
    void GetWaveDeviceId(const QString& deviceClass, int line);

    // The wave device id a lineGetID answer of kVarStringSize bytes holds: -1 when it carries no
    // string, otherwise the low byte of the binary id directly behind the header.
    static std::int32_t waveDeviceFromReply(const unsigned char* varString);

    static bool lineEnabled(const QString& settingValue) { return settingValue == QLatin1String("1"); }

private:
    void critical(const QString& text);

    LineState& state_;
    LineContext& c_;
    platform::LineCallback callback_;
    QString appName_ = QStringLiteral("Quillon Recorder");
    std::function<void()> endProgram_;
};

} // namespace qlnrec::telephony

#include "telephony/line_manager.h"

#include "core/config_store.h"
#include "core/status_line.h"
#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "platform/core/text_helpers.h"
#include "platform/telephony/telephony_service.h"

#include <array>

namespace qlnrec::telephony {

namespace {
// Texts per line: "LineN is ready" and "Can not initialize callback message of lineN".
constexpr std::array<int, kLineCount> kReadyText{1021, 1025, 1028, 1031};
constexpr std::array<int, kLineCount> kStatusMessagesText{1022, 1026, 1029, 1032};
constexpr int kInitializeFailedText = 1019;
} // namespace

LineManager::LineManager(LineState& state, LineContext& context, platform::LineCallback callback)
    : state_(state), c_(context), callback_(std::move(callback))
{
}

void LineManager::critical(const QString& text)
{
    c_.dialogs.messageBox(text, QLatin1String(kMessageTitle), platform::MessageIcon::Critical);
}

void LineManager::OpenLines()
{
    resetLines();
    if (!initializeTelephony()) {
        return;
    }
    openConfiguredLines();
}

void LineManager::resetLines()
{
    state_.lineApp = 0;
    for (LineSlot& slot : state_.slot) {
        slot.hLine = 0;
        slot.hCall = 0;
    }
}

bool LineManager::initializeTelephony()
{
    std::uint32_t deviceCount = 0;
    platform::HLINEAPP app = 0;
    const QByteArray name = appName_.toLocal8Bit();
    const platform::LONG result = c_.tapi.lineInitialize(&app, 0, callback_, name.constData(), &deviceCount);
    if (result != 0) {
        critical(c_.strings.loadText(kInitializeFailedText));
        if (endProgram_) {
            endProgram_();
        }
        return false;
    }
    state_.lineApp = app;
    // A count beyond the signed range reads as negative, like any other nonsense: no lines.
    state_.lineDeviceCount = static_cast<std::int32_t>(deviceCount);
    if (state_.lineDeviceCount < 1) {
        return true;
    }
    if (state_.lineDeviceCount > kLineCount) {
        state_.lineDeviceCount = kLineCount;
    }
    for (int id = 0; id < state_.lineDeviceCount; ++id) {
        std::uint32_t version = 0;
        platform::LINEEXTENSIONID extension{};
        if (c_.tapi.lineNegotiateAPIVersion(state_.lineApp, static_cast<std::uint32_t>(id), kLowestApiVersion,
                                            kHighestApiVersion, &version, &extension) != 0) {
            continue;
        }
        if (version > state_.lineApiVersion) {
            state_.lineApiVersion = version;
        }
    }
    return true;
}

void LineManager::openConfiguredLines()
{
    for (int line = 0; line < kLineCount; ++line) {
        const QString value = c_.config.get(core::lineInUse(line));
        if (!lineEnabled(value)) {
            continue;
        }
        LineSlot& slot = state_[line];
        platform::HLINE handle = 0;
        const platform::LONG result =
            c_.tapi.lineOpen(state_.lineApp, static_cast<std::uint32_t>(line), &handle, state_.lineApiVersion,
                             0, static_cast<std::uint32_t>(line), kOpenPrivileges,
                             state_.mediaMode[static_cast<std::size_t>(line)], nullptr);
        if (result < 0) {
            slot.hLine = 0;
            critical(QStringLiteral("Line%1 Error:  ").arg(line) +
                     platform::hexUpper(static_cast<std::uint32_t>(result)));
            continue;
        }
        slot.hLine = handle;
        c_.statusLog.addStatusLine(c_.strings.loadText(kReadyText[static_cast<std::size_t>(line)]));
        if (c_.tapi.lineSetStatusMessages(handle, platform::LINEDEVSTATE_RINGING, 0) != 0) {
            // The line stays open and is used like the others; it only misses ring notices.
            critical(c_.strings.loadText(kStatusMessagesText[static_cast<std::size_t>(line)]));
        }
    }
}

void LineManager::CloseLines()
{
    for (LineSlot& slot : state_.slot) {
        if (slot.hLine != 0) {
            c_.tapi.lineClose(slot.hLine);
            slot.hLine = 0;
            slot.hCall = 0;
        }
    }
    c_.tapi.lineShutdown(state_.lineApp);
    state_.lineApp = 0;
}

void LineManager::GetWaveDeviceId(const QString& deviceClass, int line)
{
    if (!LineState::validLine(line)) {
        return;
    }
    LineSlot& slot = state_[line];
    alignas(4) std::array<unsigned char, kVarStringSize> buffer{};
    platform::setTapiDword(buffer.data(), 0, kVarStringSize);
    const QByteArray deviceClassText = deviceClass.toLatin1();
    const platform::LONG result =
        c_.tapi.lineGetID(slot.hLine, 0, slot.hCall, platform::LINECALLSELECT_CALL,
                          reinterpret_cast<platform::VARSTRING*>(buffer.data()), deviceClassText.constData());
    if (result != 0) {
        return;
    }
    slot.waveDevice = waveDeviceFromReply(buffer.data());
}

std::int32_t LineManager::waveDeviceFromReply(const unsigned char* varString)
{
    if (platform::tapiDword(varString, offsetof(platform::VARSTRING, dwStringOffset)) == 0) {
        return -1;
    }
    return varString[kVarStringHeaderSize];
}

} // namespace qlnrec::telephony

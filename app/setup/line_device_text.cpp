#include "app/setup/line_device_text.h"

#include "core/strings.h"
#include "platform/telephony/tapi_types.h"

#include <algorithm>

namespace qlnrec::app {

namespace {
constexpr int kInvalidLineText = 1082; // "Invalid type of line"
constexpr int kNoVoiceText = 1121;     // " Line does not support voice"
// Interactive voice and data modem, nothing else: a data modem that cannot play or record.
constexpr std::uint32_t kVoiceDataOnly =
    platform::LINEMEDIAMODE_INTERACTIVEVOICE | platform::LINEMEDIAMODE_DATAMODEM;
} // namespace

LineDeviceDescription describeLineDevice(const QString& name, std::uint32_t mediaModes,
                                         const core::Strings& strings)
{
    LineDeviceDescription d;
    if (name.isEmpty()) {
        d.text = strings.loadText(kInvalidLineText);
        return d;
    }
    if (mediaModes == kVoiceDataOnly) {
        d.text = QStringLiteral("  [") + QString::number(mediaModes) + strings.loadText(kNoVoiceText) +
                 QStringLiteral("]") + name;
        return d;
    }
    d.text = name + QStringLiteral("  [") + QString::number(mediaModes) + QStringLiteral("]");
    d.selectable = true;
    if (mediaModes & platform::LINEMEDIAMODE_INTERACTIVEVOICE) {
        d.voiceMode = platform::LINEMEDIAMODE_INTERACTIVEVOICE;
    } else if (mediaModes & platform::LINEMEDIAMODE_AUTOMATEDVOICE) {
        d.voiceMode = platform::LINEMEDIAMODE_AUTOMATEDVOICE;
    } else {
        d.text += QStringLiteral(" [") + strings.loadText(kNoVoiceText) + QStringLiteral("]");
        d.selectable = false;
    }
    return d;
}

QString lineNameFromDevCaps(const unsigned char* caps, std::size_t size)
{
    const std::size_t headerEnd = offsetof(platform::LINEDEVCAPS, dwLineNameOffset) + 4;
    if (caps == nullptr || size < headerEnd) {
        return {};
    }
    const std::size_t nameSize = platform::tapiDword(caps, offsetof(platform::LINEDEVCAPS, dwLineNameSize));
    const std::size_t nameOffset =
        platform::tapiDword(caps, offsetof(platform::LINEDEVCAPS, dwLineNameOffset));
    if (nameSize == 0 || nameOffset >= size) {
        return {};
    }
    const std::size_t end = nameOffset + std::min(nameSize, size - nameOffset);
    const auto* first = caps + nameOffset;
    const auto* last = std::find(first, caps + end, static_cast<unsigned char>(0));
    QString name =
        QString::fromUtf8(reinterpret_cast<const char*>(first), static_cast<qsizetype>(last - first));
    for (QChar& c : name) {
        if (c.category() == QChar::Other_Control) {
            c = QLatin1Char(' ');
        }
    }
    return name;
}

} // namespace qlnrec::app

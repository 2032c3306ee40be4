#include "telephony/caller_id_text.h"

#include "platform/core/text_helpers.h"
#include "platform/telephony/tapi_types.h"

#include <algorithm>
#include <cstddef>

namespace qlnrec::telephony {

namespace {

constexpr std::size_t kFixedPart = sizeof(platform::LINECALLINFO);

} // namespace

QByteArray callerIdFieldBytes(const unsigned char* buffer, std::size_t limit, std::uint32_t offset,
                              std::uint32_t size)
{
    if (buffer == nullptr || offset >= limit) {
        return {};
    }
    // The field's own size bounds it (it counts the terminating zero); the buffer's end too.
    const std::size_t end = offset + std::min<std::size_t>(size, limit - offset);
    std::size_t stop = offset;
    while (stop < end && buffer[stop] != 0) {
        ++stop;
    }
    return QByteArray(reinterpret_cast<const char*>(buffer + offset), static_cast<qsizetype>(stop - offset));
}

QString callerIdFieldText(const QByteArray& bytes, const QByteArray& legacyEncoding)
{
    QString text = platform::blankControls(platform::decodeUtf8OrLegacy(bytes, legacyEncoding));
    if (text.size() > kMaxCallerIdChars) {
        const bool splitsPair = text.at(kMaxCallerIdChars - 1).isHighSurrogate();
        text.truncate(splitsPair ? kMaxCallerIdChars - 1 : kMaxCallerIdChars);
    }
    return text;
}

CallerIdText readCallerId(const unsigned char* buffer, std::size_t bufferSize,
                          const QByteArray& legacyEncoding)
{
    CallerIdText id;
    if (buffer == nullptr || bufferSize < kFixedPart) {
        return id;
    }
    // Only what the buffer says it holds counts: its total size, and the part the provider used
    // when it says so sensibly.
    std::size_t limit = std::min<std::size_t>(
        bufferSize, platform::tapiDword(buffer, offsetof(platform::LINECALLINFO, dwTotalSize)));
    const std::size_t used = platform::tapiDword(buffer, offsetof(platform::LINECALLINFO, dwUsedSize));
    if (used >= kFixedPart) {
        limit = std::min(limit, used);
    }
    const std::uint32_t flags =
        platform::tapiDword(buffer, offsetof(platform::LINECALLINFO, dwCallerIDFlags));
    if (flags & platform::LINECALLPARTYID_ADDRESS) {
        const QString number =
            callerIdFieldText(
                callerIdFieldBytes(
                    buffer, limit,
                    platform::tapiDword(buffer, offsetof(platform::LINECALLINFO, dwCallerIDOffset)),
                    platform::tapiDword(buffer, offsetof(platform::LINECALLINFO, dwCallerIDSize))),
                legacyEncoding)
                .trimmed();
        // A number of blanks only is no number: it must not slip past the blocking of callers
        // without one.
        if (!number.isEmpty()) {
            id.number = number;
        }
    }
    if (flags & platform::LINECALLPARTYID_NAME) {
        id.name = callerIdFieldText(
            callerIdFieldBytes(
                buffer, limit,
                platform::tapiDword(buffer, offsetof(platform::LINECALLINFO, dwCallerIDNameOffset)),
                platform::tapiDword(buffer, offsetof(platform::LINECALLINFO, dwCallerIDNameSize))),
            legacyEncoding);
    }
    return id;
}

} // namespace qlnrec::telephony

#pragma once
// The caller's number and name out of a call-information buffer. What arrives there comes from
// the telephone network through the provider, so no offset or size in it is trusted: nothing is
// read past the buffer, past the size the buffer says it holds or past the size a field
// declares, and the text that comes out holds no control character.
#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace qlnrec::telephony {

inline const QString kUnknownCaller = QStringLiteral("UNKNOWN");

struct CallerIdText {
    QString number = kUnknownCaller; // trimmed of blanks; "UNKNOWN" when absent or blank
    QString name = kUnknownCaller;   // as delivered (not trimmed); "UNKNOWN" when absent
};

// Longest number or name kept, in characters; the network's own fields are far shorter.
inline constexpr int kMaxCallerIdChars = 128;

// The bytes of one variable field of the buffer: from offset, at most size bytes, stopping
// before the first zero byte, never past limit (the usable length of the buffer).
QByteArray callerIdFieldBytes(const unsigned char* buffer, std::size_t limit, std::uint32_t offset,
                              std::uint32_t size);

// Text of caller-ID bytes: UTF-8 when the bytes are valid UTF-8, otherwise the legacy code page
// of the language; every control character (line breaks and tabs among them) becomes a blank;
// cut to kMaxCallerIdChars characters without splitting one.
QString callerIdFieldText(const QByteArray& bytes, const QByteArray& legacyEncoding);

// Number and name of a LINECALLINFO buffer of bufferSize bytes as a provider filled it.
CallerIdText readCallerId(const unsigned char* buffer, std::size_t bufferSize,
                          const QByteArray& legacyEncoding);

} // namespace qlnrec::telephony

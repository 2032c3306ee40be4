#pragma once
// Audio formats of voice modems, read from the modem's own answers rather than assumed:
// "AT+VSM=?" lists one compression method per line, "<code>,"<name>",<bits>,<timing>,(<rates>),...",
// and the codes of the manufacturer range (128 and up) differ between chipsets, so a method is
// chosen by its name. The chosen format is converted to and from 8 kHz 16-bit PCM.
#include <QByteArray>
#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace qlnrec::platform::modem {

enum class SampleFormat {
    Unsupported, // ADPCM, CELP, GSM, ... (compressed methods we do not decode)
    Signed16,    // 16-bit linear, little-endian
    Unsigned8,   // 8-bit linear with offset 128 ("8-BIT LINEAR", "UNSIGNED PCM")
    Signed8,     // 8-bit two's complement ("SIGNED PCM",8)
    MuLaw,       // G.711 mu-law
    ALaw,        // G.711 A-law
};

const char* sampleFormatName(SampleFormat format);
// Parses a user's choice ("s16", "u8", "s8", "ulaw", "alaw"); nullopt for anything else.
std::optional<SampleFormat> sampleFormatFromName(const QString& name);
int bytesPerSample(SampleFormat format);
// The byte a format uses for silence (0x80 for unsigned 8-bit, 0xFF for mu-law, ...).
std::uint8_t silenceByte(SampleFormat format);

struct VoiceMethod {
    int code = -1;
    QByteArray name;
    int bits = 0;             // 0 when the listing does not say
    std::vector<int> ratesHz; // empty when the listing does not say
    SampleFormat format = SampleFormat::Unsupported;
    bool supportsRate(int hz) const;
};

// Parses the information lines of "AT+VSM=?" (commas, or the semicolons of older modems).
// Lines that do not describe a method are skipped.
std::vector<VoiceMethod> parseVsmList(const QList<QByteArray>& lines);
// What a method's name and width mean as a sample format.
SampleFormat classifyMethod(const QByteArray& name, int bits, int code);

// Picks the method to use at 8000 samples/s: 16-bit linear, else 8-bit linear, else mu-law,
// else A-law; among equals a standard code (below 128) first, then the first listed. With
// `preferred` set, a method of that format wins when the modem has one.
std::optional<VoiceMethod> chooseVoiceMethod(const std::vector<VoiceMethod>& methods,
                                             std::optional<SampleFormat> preferred = std::nullopt);
// The candidates in order of preference (for retrying when the modem refuses one).
std::vector<VoiceMethod> rankVoiceMethods(const std::vector<VoiceMethod>& methods,
                                          std::optional<SampleFormat> preferred = std::nullopt);

// One line of "AT+VLS=?": <label>,"<primitives>",<tx events>,<rx events>,<idle events>.
struct VoiceLineOption {
    int label = -1;
    QByteArray primitives; // without quotes; empty for "modem on hook"
    bool hasPrimitives = false;
};
std::vector<VoiceLineOption> parseVlsList(const QList<QByteArray>& lines);
// The label that takes the modem off hook onto the telephone line alone: the one whose
// primitive string is exactly "T" (1 on V.253 modems, 2 on some IS-101 ones). Listings
// without primitives give 1 when offered, else 2 when offered; nothing listed gives 1.
int chooseLineLabel(const std::vector<VoiceLineOption>& options);

// Sample conversion between a modem format and 16-bit PCM (host order in std::int16_t).
// decode: `bytes` modem bytes → samples appended to out (a trailing odd byte of a 16-bit stream is
// left for the caller to carry). encode: samples → modem bytes appended to out.
void decodeSamples(SampleFormat format, const std::uint8_t* bytes, std::size_t count,
                   std::vector<std::int16_t>& out);
void encodeSamples(SampleFormat format, const std::int16_t* samples, std::size_t count, QByteArray& out);

std::int16_t muLawToLinear(std::uint8_t code);
std::uint8_t linearToMuLaw(std::int16_t sample);
std::int16_t aLawToLinear(std::uint8_t code);
std::uint8_t linearToALaw(std::int16_t sample);

} // namespace qlnrec::platform::modem

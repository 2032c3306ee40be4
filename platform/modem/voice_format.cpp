#include "platform/modem/voice_format.h"

#include <algorithm>
#include <cctype>

namespace qlnrec::platform::modem {

const char* sampleFormatName(SampleFormat format)
{
    switch (format) {
    case SampleFormat::Unsupported:
        return "unsupported";
    case SampleFormat::Signed16:
        return "16-bit linear";
    case SampleFormat::Unsigned8:
        return "8-bit unsigned linear";
    case SampleFormat::Signed8:
        return "8-bit signed linear";
    case SampleFormat::MuLaw:
        return "mu-law";
    case SampleFormat::ALaw:
        return "A-law";
    }
    return "?";
}

std::optional<SampleFormat> sampleFormatFromName(const QString& name)
{
    const QString n = name.trimmed().toLower();
    if (n == QLatin1String("s16") || n == QLatin1String("16")) {
        return SampleFormat::Signed16;
    }
    if (n == QLatin1String("u8") || n == QLatin1String("8")) {
        return SampleFormat::Unsigned8;
    }
    if (n == QLatin1String("s8")) {
        return SampleFormat::Signed8;
    }
    if (n == QLatin1String("ulaw") || n == QLatin1String("mulaw")) {
        return SampleFormat::MuLaw;
    }
    if (n == QLatin1String("alaw")) {
        return SampleFormat::ALaw;
    }
    return std::nullopt;
}

int bytesPerSample(SampleFormat format)
{
    return format == SampleFormat::Signed16 ? 2 : 1;
}

std::uint8_t silenceByte(SampleFormat format)
{
    switch (format) {
    case SampleFormat::Unsigned8:
        return 0x80;
    case SampleFormat::MuLaw:
        return 0xFF;
    case SampleFormat::ALaw:
        return 0xD5;
    default:
        return 0x00;
    }
}

bool VoiceMethod::supportsRate(int hz) const
{
    return ratesHz.empty() || std::find(ratesHz.begin(), ratesHz.end(), hz) != ratesHz.end();
}

namespace {

// Splits at separators outside quotes and parentheses.
QList<QByteArray> splitTopLevel(const QByteArray& line, char separator)
{
    QList<QByteArray> parts;
    QByteArray current;
    int depth = 0;
    bool quoted = false;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == '(') {
            ++depth;
        } else if (!quoted && c == ')' && depth > 0) {
            --depth;
        } else if (!quoted && depth == 0 && c == separator) {
            parts.append(current.trimmed());
            current.clear();
            continue;
        }
        current.append(c);
    }
    parts.append(current.trimmed());
    return parts;
}

std::optional<int> plainInt(const QByteArray& text)
{
    if (text.isEmpty() || text.size() > 6) {
        return std::nullopt;
    }
    for (const char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
    }
    return text.toInt();
}

// "(7200,8000,11025)", "(8000)", "(7200-11025)"; ranges count their end points and 8000 if inside.
std::vector<int> parseRates(const QByteArray& field)
{
    std::vector<int> rates;
    QByteArray inner = field;
    inner.replace('(', "").replace(')', "");
    for (const QByteArray& piece : inner.split(',')) {
        const QByteArray p = piece.trimmed();
        const qsizetype dash = p.indexOf('-');
        if (dash > 0) {
            const auto lo = plainInt(p.left(dash).trimmed());
            const auto hi = plainInt(p.mid(dash + 1).trimmed());
            if (lo && hi) {
                rates.push_back(*lo);
                if (*lo <= 8000 && 8000 <= *hi) {
                    rates.push_back(8000);
                }
                rates.push_back(*hi);
            }
        } else if (const auto v = plainInt(p)) {
            rates.push_back(*v);
        }
    }
    return rates;
}

int widthFromName(const QByteArray& upper)
{
    if (upper.contains("16")) {
        return 16;
    }
    if (upper.contains("8-BIT") || upper.contains("8 BIT") || upper.contains("8BIT")) {
        return 8;
    }
    return 0;
}

} // namespace

SampleFormat classifyMethod(const QByteArray& name, int bits, int code)
{
    const QByteArray u = name.toUpper();
    if (u.contains("ULAW") || u.contains("U-LAW") || u.contains("MU-LAW") || u.contains("MULAW") ||
        u.contains("\xC2\xB5")) {
        return SampleFormat::MuLaw;
    }
    if (u.contains("ALAW") || u.contains("A-LAW")) {
        return SampleFormat::ALaw;
    }
    if (u.contains("ADPCM") || u.contains("CELP") || u.contains("GSM") || u.contains("G.7") ||
        u.contains("G7")) {
        return SampleFormat::Unsupported;
    }
    if (u.isEmpty() && (code == 4 || code == 5)) {
        return code == 4 ? SampleFormat::MuLaw : SampleFormat::ALaw;
    }
    const bool linear =
        u.contains("LINEAR") || u.contains("PCM") || (u.isEmpty() && (code == 0 || code == 1));
    if (!linear) {
        return SampleFormat::Unsupported;
    }
    int width = widthFromName(u);
    if (width == 0) {
        width = bits;
    }
    if (width == 0) {
        width = 8;
    }
    if (width == 16) {
        return u.contains("UNSIGNED") ? SampleFormat::Unsupported : SampleFormat::Signed16;
    }
    if (width != 8) {
        return SampleFormat::Unsupported;
    }
    if (u.contains("UNSIGNED")) {
        return SampleFormat::Unsigned8;
    }
    if (u.contains("SIGNED")) {
        return SampleFormat::Signed8;
    }
    if (u.isEmpty()) {
        return code == 0 ? SampleFormat::Signed8 : SampleFormat::Unsigned8;
    }
    // "8-BIT LINEAR" behaves as unsigned (offset 128) on every chipset documented.
    return SampleFormat::Unsigned8;
}

std::vector<VoiceMethod> parseVsmList(const QList<QByteArray>& lines)
{
    std::vector<VoiceMethod> methods;
    for (const QByteArray& raw : lines) {
        QByteArray line = raw.trimmed();
        if (line.isEmpty()) {
            continue;
        }
        // Some modems echo the command name: "+VSM: 128,..." or "+VSM=128,...".
        if (line.startsWith("+VSM")) {
            const qsizetype cut = line.indexOf(line.contains(':') ? ':' : '=');
            line = line.mid(cut + 1).trimmed();
        }
        const char separator = (!line.contains(',') && line.contains(';')) ? ';' : ',';
        const QList<QByteArray> fields = splitTopLevel(line, separator);
        if (fields.isEmpty()) {
            continue;
        }
        const auto code = plainInt(fields.front());
        if (!code || *code > 255) {
            continue;
        }
        VoiceMethod m;
        m.code = *code;
        bool nameSeen = false;
        bool bitsSeen = false;
        for (qsizetype i = 1; i < fields.size(); ++i) {
            const QByteArray& f = fields.at(i);
            if (f.startsWith('"')) {
                QByteArray name = f.mid(1);
                if (name.endsWith('"')) {
                    name.chop(1);
                }
                m.name = name.trimmed();
                nameSeen = true;
            } else if (f.startsWith('(')) {
                if (m.ratesHz.empty()) {
                    m.ratesHz = parseRates(f);
                }
            } else if (const auto v = plainInt(f)) {
                if (!bitsSeen && (nameSeen || i == 1)) {
                    m.bits = *v;
                    bitsSeen = true;
                }
            } else if (!nameSeen) {
                // "1;CELP;..." names without quotes.
                m.name = f;
                nameSeen = true;
            }
        }
        if (m.bits > 32) {
            m.bits = 0;
        }
        m.format = classifyMethod(m.name, m.bits, m.code);
        methods.push_back(m);
    }
    return methods;
}

namespace {

int formatRank(SampleFormat f)
{
    switch (f) {
    case SampleFormat::Signed16:
        return 0;
    case SampleFormat::Unsigned8:
    case SampleFormat::Signed8:
        return 1;
    case SampleFormat::MuLaw:
        return 2;
    case SampleFormat::ALaw:
        return 3;
    case SampleFormat::Unsupported:
        return 99;
    }
    return 99;
}

} // namespace

std::vector<VoiceMethod> rankVoiceMethods(const std::vector<VoiceMethod>& methods,
                                          std::optional<SampleFormat> preferred)
{
    std::vector<std::pair<std::size_t, VoiceMethod>> usable;
    for (std::size_t i = 0; i < methods.size(); ++i) {
        const VoiceMethod& m = methods[i];
        if (m.format != SampleFormat::Unsupported && m.supportsRate(8000)) {
            usable.emplace_back(i, m);
        }
    }
    std::stable_sort(usable.begin(), usable.end(), [&](const auto& a, const auto& b) {
        const bool aPref = preferred && a.second.format == *preferred;
        const bool bPref = preferred && b.second.format == *preferred;
        if (aPref != bPref) {
            return aPref;
        }
        const int ra = formatRank(a.second.format);
        const int rb = formatRank(b.second.format);
        if (ra != rb) {
            return ra < rb;
        }
        const bool aStd = a.second.code < 128;
        const bool bStd = b.second.code < 128;
        if (aStd != bStd) {
            return aStd;
        }
        return a.first < b.first;
    });
    std::vector<VoiceMethod> out;
    out.reserve(usable.size());
    for (auto& u : usable) {
        out.push_back(u.second);
    }
    return out;
}

std::optional<VoiceMethod> chooseVoiceMethod(const std::vector<VoiceMethod>& methods,
                                             std::optional<SampleFormat> preferred)
{
    const auto ranked = rankVoiceMethods(methods, preferred);
    if (ranked.empty()) {
        return std::nullopt;
    }
    return ranked.front();
}

std::vector<VoiceLineOption> parseVlsList(const QList<QByteArray>& lines)
{
    std::vector<VoiceLineOption> options;
    for (const QByteArray& raw : lines) {
        QByteArray line = raw.trimmed();
        if (line.startsWith("+VLS")) {
            const qsizetype cut = line.indexOf(line.contains(':') ? ':' : '=');
            line = line.mid(cut + 1).trimmed();
        }
        if (line.isEmpty()) {
            continue;
        }
        const QList<QByteArray> fields = splitTopLevel(line, ',');
        if (fields.size() >= 2 && fields.at(1).startsWith('"')) {
            const auto label = plainInt(fields.front());
            if (!label) {
                continue;
            }
            QByteArray prims = fields.at(1).mid(1);
            if (prims.endsWith('"')) {
                prims.chop(1);
            }
            options.push_back({*label, prims.trimmed().toUpper(), true});
            continue;
        }
        // A bare list or range of labels: "(0-2,4)", "0,1,2".
        QByteArray inner = line;
        inner.replace('(', "").replace(')', "");
        for (const QByteArray& piece : inner.split(',')) {
            const QByteArray p = piece.trimmed();
            const qsizetype dash = p.indexOf('-');
            if (dash > 0) {
                const auto lo = plainInt(p.left(dash).trimmed());
                const auto hi = plainInt(p.mid(dash + 1).trimmed());
                if (lo && hi && *hi >= *lo && *hi - *lo < 64) {
                    for (int v = *lo; v <= *hi; ++v) {
                        options.push_back({v, {}, false});
                    }
                }
            } else if (const auto v = plainInt(p)) {
                options.push_back({*v, {}, false});
            }
        }
    }
    return options;
}

int chooseLineLabel(const std::vector<VoiceLineOption>& options)
{
    for (const VoiceLineOption& o : options) {
        if (o.hasPrimitives && o.primitives == "T") {
            return o.label;
        }
    }
    bool has1 = false;
    bool has2 = false;
    for (const VoiceLineOption& o : options) {
        has1 = has1 || o.label == 1;
        has2 = has2 || o.label == 2;
    }
    if (has1 || !has2) {
        return 1;
    }
    return 2;
}

// ---- sample conversion ----

namespace {

constexpr int kMuBias = 0x84;
constexpr int kMuClip = 8159;

int segmentOf(int value, const int* ends)
{
    for (int i = 0; i < 8; ++i) {
        if (value <= ends[i]) {
            return i;
        }
    }
    return 8;
}

} // namespace

std::int16_t muLawToLinear(std::uint8_t code)
{
    const int u = static_cast<std::uint8_t>(~code);
    int t = ((u & 0x0F) << 3) + kMuBias;
    t <<= (u & 0x70) >> 4;
    return static_cast<std::int16_t>((u & 0x80) ? (kMuBias - t) : (t - kMuBias));
}

std::uint8_t linearToMuLaw(std::int16_t sample)
{
    static const int ends[8] = {0x3F, 0x7F, 0xFF, 0x1FF, 0x3FF, 0x7FF, 0xFFF, 0x1FFF};
    int value = sample >> 2;
    int mask = 0xFF;
    if (value < 0) {
        value = -value;
        mask = 0x7F;
    }
    if (value > kMuClip) {
        value = kMuClip;
    }
    value += kMuBias >> 2;
    const int seg = segmentOf(value, ends);
    if (seg >= 8) {
        return static_cast<std::uint8_t>(0x7F ^ mask);
    }
    const int code = (seg << 4) | ((value >> (seg + 1)) & 0x0F);
    return static_cast<std::uint8_t>(code ^ mask);
}

std::int16_t aLawToLinear(std::uint8_t code)
{
    const int a = code ^ 0x55;
    int t = (a & 0x0F) << 4;
    const int seg = (a & 0x70) >> 4;
    if (seg == 0) {
        t += 8;
    } else {
        t += 0x108;
        t <<= seg - 1;
    }
    return static_cast<std::int16_t>((a & 0x80) ? t : -t);
}

std::uint8_t linearToALaw(std::int16_t sample)
{
    static const int ends[8] = {0x1F, 0x3F, 0x7F, 0xFF, 0x1FF, 0x3FF, 0x7FF, 0xFFF};
    int value = sample >> 3;
    int mask = 0xD5;
    if (value < 0) {
        mask = 0x55;
        value = -value - 1;
    }
    const int seg = segmentOf(value, ends);
    if (seg >= 8) {
        return static_cast<std::uint8_t>(0x7F ^ mask);
    }
    int code = seg << 4;
    code |= seg < 2 ? (value >> 1) & 0x0F : (value >> seg) & 0x0F;
    return static_cast<std::uint8_t>(code ^ mask);
}

void decodeSamples(SampleFormat format, const std::uint8_t* bytes, std::size_t count,
                   std::vector<std::int16_t>& out)
{
    switch (format) {
    case SampleFormat::Signed16:
        for (std::size_t i = 0; i + 1 < count; i += 2) {
            out.push_back(static_cast<std::int16_t>(bytes[i] | (bytes[i + 1] << 8)));
        }
        break;
    case SampleFormat::Unsigned8:
        for (std::size_t i = 0; i < count; ++i) {
            out.push_back(static_cast<std::int16_t>((bytes[i] - 128) * 256));
        }
        break;
    case SampleFormat::Signed8:
        for (std::size_t i = 0; i < count; ++i) {
            out.push_back(static_cast<std::int16_t>(static_cast<std::int8_t>(bytes[i]) * 256));
        }
        break;
    case SampleFormat::MuLaw:
        for (std::size_t i = 0; i < count; ++i) {
            out.push_back(muLawToLinear(bytes[i]));
        }
        break;
    case SampleFormat::ALaw:
        for (std::size_t i = 0; i < count; ++i) {
            out.push_back(aLawToLinear(bytes[i]));
        }
        break;
    case SampleFormat::Unsupported:
        break;
    }
}

void encodeSamples(SampleFormat format, const std::int16_t* samples, std::size_t count, QByteArray& out)
{
    const qsizetype start = out.size();
    out.resize(start + static_cast<qsizetype>(count) * bytesPerSample(format));
    auto* p = reinterpret_cast<std::uint8_t*>(out.data() + start);
    switch (format) {
    case SampleFormat::Signed16:
        for (std::size_t i = 0; i < count; ++i) {
            const auto v = static_cast<std::uint16_t>(samples[i]);
            p[2 * i] = static_cast<std::uint8_t>(v & 0xFF);
            p[2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
        }
        break;
    case SampleFormat::Unsigned8:
        for (std::size_t i = 0; i < count; ++i) {
            p[i] = static_cast<std::uint8_t>((samples[i] >> 8) + 128);
        }
        break;
    case SampleFormat::Signed8:
        for (std::size_t i = 0; i < count; ++i) {
            p[i] = static_cast<std::uint8_t>(static_cast<std::int8_t>(samples[i] >> 8));
        }
        break;
    case SampleFormat::MuLaw:
        for (std::size_t i = 0; i < count; ++i) {
            p[i] = linearToMuLaw(samples[i]);
        }
        break;
    case SampleFormat::ALaw:
        for (std::size_t i = 0; i < count; ++i) {
            p[i] = linearToALaw(samples[i]);
        }
        break;
    case SampleFormat::Unsupported:
        out.resize(start);
        break;
    }
}

} // namespace qlnrec::platform::modem

#include "platform/mci/mci_service.h"

#include "platform/core/event_service.h"
#include "platform/mci/media_backend.h"
#include "platform/riff/wave_file.h"

#include <QSaveFile>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace qlnrec::platform {

namespace {

struct Token {
    QString text; // quotes removed
    qsizetype begin = 0;
    qsizetype end = 0;
    bool quoted = false;
};

// Splits at blanks; a token in double quotes may hold blanks. False on a missing closing quote.
bool tokenize(const QString& s, std::vector<Token>* tokens)
{
    qsizetype i = 0;
    while (i < s.size()) {
        while (i < s.size() && s[i].isSpace())
            ++i;
        if (i >= s.size())
            break;
        Token t;
        t.begin = i;
        if (s[i] == QLatin1Char('"')) {
            const qsizetype close = s.indexOf(QLatin1Char('"'), i + 1);
            if (close < 0)
                return false;
            t.text = s.mid(i + 1, close - i - 1);
            t.quoted = true;
            i = close + 1;
        } else {
            while (i < s.size() && !s[i].isSpace())
                ++i;
            t.text = s.mid(t.begin, i - t.begin);
        }
        t.end = i;
        tokens->push_back(t);
    }
    return true;
}

bool is(const QString& word, const char* keyword)
{
    return word.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
}

// A non-negative decimal number.
std::optional<std::uint64_t> number(const QString& text)
{
    if (text.isEmpty() || text.size() > 12)
        return std::nullopt;
    std::uint64_t v = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        v = v * 10 + static_cast<std::uint64_t>(c.unicode() - '0');
    }
    return v;
}

bool isDeviceType(const QString& word)
{
    for (const char* t : {"waveaudio", "mpegvideo", "avivideo", "digitalvideo", "sequencer", "cdaudio"}) {
        if (is(word, t))
            return true;
    }
    return false;
}

constexpr std::uint64_t kNoValue = UINT64_MAX;

} // namespace

struct MciService::Parsed {
    std::vector<Token> words;
};

struct MciService::Device {
    enum class Mode { Stopped, Playing, Paused, Recording, NotReady };

    std::uint32_t id = 0;
    QString alias;   // empty when named by its file
    QString element; // file path; empty for a new device
    bool isNew = false;
    WAVEFORMATEX format{}; // the file's own format, or the recording format

    std::shared_ptr<const PcmAudio> audio; // decoded file, or the recording converted
    QByteArray recorded;                   // raw PCM of a new device
    bool recordedChanged = false;
    bool everRecorded = false;
    std::unique_ptr<AudioCapturer> capturer;

    std::unique_ptr<AudioRenderer> renderer;
    Mode mode = Mode::Stopped;
    std::uint64_t positionMs = 0; // while stopped
    std::uint64_t segmentFromMs = 0;
    std::uint64_t segmentToMs = 0;

    QString name() const { return alias.isEmpty() ? element : alias; }
};

MciService::MciService(EventService& events, MediaBackend& backend, AcmService* acm)
    : events_(events), backend_(backend), acm_(acm)
{
}

MciService::~MciService()
{
    for (auto& [id, device] : devices_) {
        if (device->renderer)
            device->renderer->stop();
        if (device->capturer)
            device->capturer->stop();
    }
}

bool MciService::isOpen(const QString& name) const
{
    for (const auto& [id, device] : devices_) {
        if (device->name().compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

MciService::Device* MciService::findDevice(const QString& rest, qsizetype* nameEnd)
{
    if (rest.startsWith(QLatin1Char('"'))) {
        const qsizetype close = rest.indexOf(QLatin1Char('"'), 1);
        if (close < 0)
            return nullptr;
        const QString name = rest.mid(1, close - 1);
        *nameEnd = close + 1;
        for (Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
            for (auto& [id, device] : devices_) {
                if (device->name().compare(name, cs) == 0)
                    return device.get();
            }
        }
        return nullptr;
    }
    // The longest open name the text starts with, followed by a blank or the end; a file
    // path with blanks is found this way.
    for (Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        Device* best = nullptr;
        for (auto& [id, device] : devices_) {
            const QString name = device->name();
            if (name.isEmpty() || !rest.startsWith(name, cs))
                continue;
            if (rest.size() > name.size() && !rest[name.size()].isSpace())
                continue;
            if (!best || name.size() > best->name().size())
                best = device.get();
        }
        if (best) {
            *nameEnd = best->name().size();
            return best;
        }
    }
    return nullptr;
}

MCIERROR MciService::mciSendString(const char* command, char* returnString, std::uint32_t returnLength,
                                   void* callbackWindow)
{
    (void)callbackWindow;
    QString reply;
    MCIERROR result = mciSendString(command ? QString::fromUtf8(command) : QString(), &reply);
    if (returnString && returnLength > 0) {
        QByteArray bytes = reply.toUtf8();
        if (static_cast<std::uint64_t>(bytes.size()) + 1 > returnLength) {
            bytes.truncate(static_cast<qsizetype>(returnLength - 1));
            if (result == 0)
                result = MCIERR_PARAM_OVERFLOW;
        }
        std::memcpy(returnString, bytes.constData(), static_cast<std::size_t>(bytes.size()));
        returnString[bytes.size()] = '\0';
    }
    return result;
}

MCIERROR MciService::mciSendString(const QString& command, QString* reply)
{
    if (reply)
        reply->clear();
    const QString text = command.trimmed();
    if (text.isEmpty())
        return MCIERR_MISSING_COMMAND_STRING;
    qsizetype verbEnd = 0;
    while (verbEnd < text.size() && !text[verbEnd].isSpace())
        ++verbEnd;
    const QString verb = text.left(verbEnd).toLower();
    const QString rest = text.mid(verbEnd).trimmed();

    if (verb == QLatin1String("open"))
        return open(rest, reply);

    static const char* const known[] = {"close", "play",   "pause", "resume", "stop",
                                        "seek",  "status", "set",   "record", "save"};
    if (std::none_of(std::begin(known), std::end(known),
                     [&](const char* k) { return verb == QLatin1String(k); }))
        return MCIERR_UNRECOGNIZED_COMMAND;
    if (rest.isEmpty())
        return MCIERR_MISSING_DEVICE_NAME;

    qsizetype nameEnd = 0;
    Device* device = findDevice(rest, &nameEnd);
    Parsed parsed;
    if (!device) {
        std::vector<Token> tokens;
        if (!tokenize(rest, &tokens))
            return MCIERR_NO_CLOSING_QUOTE;
        if (!tokens.empty() && is(tokens[0].text, "all") && !tokens[0].quoted) {
            if (verb != QLatin1String("close") && verb != QLatin1String("stop"))
                return MCIERR_CANNOT_USE_ALL;
            for (std::size_t i = 1; i < tokens.size(); ++i) {
                if (!is(tokens[i].text, "notify"))
                    return is(tokens[i].text, "wait") ? MCIERR_UNSUPPORTED_FUNCTION
                                                      : MCIERR_UNRECOGNIZED_KEYWORD;
            }
            std::vector<Device*> all;
            for (auto& [id, d] : devices_)
                all.push_back(d.get());
            for (Device* d : all)
                verb == QLatin1String("close") ? close(*d) : stop(*d);
            return 0;
        }
        return MCIERR_INVALID_DEVICE_NAME;
    }
    const QString tail = rest.mid(nameEnd);
    if (verb == QLatin1String("save"))
        return save(*device, tail);
    if (!tokenize(tail, &parsed.words))
        return MCIERR_NO_CLOSING_QUOTE;
    // No blocking waits here; a notification has no window to go to and is dropped.
    for (auto it = parsed.words.begin(); it != parsed.words.end();) {
        if (is(it->text, "wait"))
            return MCIERR_UNSUPPORTED_FUNCTION;
        it = is(it->text, "notify") ? parsed.words.erase(it) : it + 1;
    }

    if (verb == QLatin1String("close"))
        return parsed.words.empty() ? close(*device) : MCIERR_UNRECOGNIZED_KEYWORD;
    if (verb == QLatin1String("play"))
        return play(*device, parsed);
    if (verb == QLatin1String("pause"))
        return parsed.words.empty() ? pause(*device) : MCIERR_UNRECOGNIZED_KEYWORD;
    if (verb == QLatin1String("resume"))
        return parsed.words.empty() ? resume(*device) : MCIERR_UNRECOGNIZED_KEYWORD;
    if (verb == QLatin1String("stop"))
        return parsed.words.empty() ? stop(*device) : MCIERR_UNRECOGNIZED_KEYWORD;
    if (verb == QLatin1String("seek"))
        return seek(*device, parsed);
    if (verb == QLatin1String("status"))
        return status(*device, parsed, reply);
    if (verb == QLatin1String("set"))
        return set(*device, parsed);
    return record(*device, parsed);
}

MCIERROR MciService::open(const QString& rest, QString* reply)
{
    std::vector<Token> tokens;
    if (!tokenize(rest, &tokens))
        return MCIERR_NO_CLOSING_QUOTE;
    // Keywords come off the end, so that a plain path with blanks stays whole.
    QString alias;
    bool haveType = false;
    std::size_t n = tokens.size();
    while (n > 0) {
        const Token& last = tokens[n - 1];
        if (n >= 2 && !tokens[n - 2].quoted && is(tokens[n - 2].text, "alias")) {
            if (!alias.isEmpty())
                return MCIERR_DUPLICATE_FLAGS;
            alias = last.text;
            n -= 2;
        } else if (n >= 2 && !tokens[n - 2].quoted && is(tokens[n - 2].text, "type") &&
                   isDeviceType(last.text)) {
            haveType = true;
            n -= 2;
        } else if (n >= 2 && !tokens[n - 2].quoted && is(tokens[n - 2].text, "buffer") && number(last.text)) {
            n -= 2;
        } else if (!last.quoted && (is(last.text, "shareable") || is(last.text, "notify"))) {
            n -= 1;
        } else if (!last.quoted && is(last.text, "wait")) {
            n -= 1; // opening does not take long enough to matter
        } else {
            break;
        }
    }
    if (n == 0)
        return MCIERR_MISSING_DEVICE_NAME;
    const QString element = n == 1 && tokens[0].quoted
                                ? tokens[0].text
                                : rest.mid(tokens[0].begin, tokens[n - 1].end - tokens[0].begin);
    const bool isNew = n == 1 && !tokens[0].quoted && (is(element, "new") || is(element, "waveaudio"));
    (void)haveType;
    if (isNew && alias.isEmpty())
        return MCIERR_NEW_REQUIRES_ALIAS;
    if (!alias.isEmpty() && isOpen(alias))
        return MCIERR_DUPLICATE_ALIAS;
    if (alias.isEmpty() && isOpen(element))
        return MCIERR_DEVICE_OPEN;

    auto device = std::make_unique<Device>();
    device->alias = alias;
    device->isNew = isNew;
    if (isNew) {
        // A new wave-audio recording starts as 11,025 Hz, 8-bit, mono.
        device->format = WAVEFORMATEX{WAVE_FORMAT_PCM, 1, 11025, 11025, 1, 8, 0};
    } else {
        device->element = element;
        const WaveFileData wave = readWaveFile(element);
        auto audio = std::make_shared<PcmAudio>();
        const MCIERROR r = decodeWave(wave, acm_, audio.get());
        if (r != 0)
            return r;
        device->format = wave.format;
        device->audio = std::move(audio);
    }
    device->id = nextId_++;
    if (reply)
        *reply = QString::number(device->id);
    devices_[device->id] = std::move(device);
    return 0;
}

MCIERROR MciService::close(Device& device)
{
    if (device.renderer)
        device.renderer->stop();
    if (device.capturer)
        device.capturer->stop();
    devices_.erase(device.id);
    return 0;
}

void MciService::refresh(Device& device)
{
    if (device.mode == Device::Mode::Recording && device.capturer) {
        const QByteArray more = device.capturer->takeRecorded();
        if (!more.isEmpty()) {
            device.recorded.append(more);
            device.recordedChanged = true;
        }
    }
    if (device.mode == Device::Mode::Playing && device.renderer) {
        const std::uint64_t at = device.segmentFromMs + device.renderer->elapsedMs();
        if (device.renderer->finished() || at >= device.segmentToMs) {
            device.renderer->stop();
            device.positionMs = device.segmentToMs;
            device.mode = Device::Mode::Stopped;
        }
    }
}

std::shared_ptr<const PcmAudio> MciService::playableAudio(Device& device)
{
    if (device.isNew && (device.recordedChanged || !device.audio)) {
        device.audio =
            std::make_shared<PcmAudio>(pcmFromRaw(device.recorded, device.format.nSamplesPerSec,
                                                  device.format.nChannels, device.format.wBitsPerSample));
        device.recordedChanged = false;
    }
    return device.audio;
}

std::uint64_t MciService::lengthMs(Device& device)
{
    refresh(device);
    if (device.isNew) {
        const std::uint64_t frames =
            device.format.nBlockAlign ? device.recorded.size() / device.format.nBlockAlign : 0;
        return PcmAudio::framesToMs(frames, device.format.nSamplesPerSec);
    }
    return device.audio ? device.audio->durationMs() : 0;
}

std::uint64_t MciService::positionMs(Device& device)
{
    refresh(device);
    switch (device.mode) {
    case Device::Mode::Playing:
    case Device::Mode::Paused:
        return std::min(device.segmentFromMs + device.renderer->elapsedMs(), device.segmentToMs);
    case Device::Mode::Recording:
        return lengthMs(device);
    default:
        return device.positionMs;
    }
}

MCIERROR MciService::play(Device& device, const Parsed& p)
{
    std::uint64_t from = kNoValue, to = kNoValue;
    for (std::size_t i = 0; i < p.words.size(); i += 2) {
        const bool isFrom = is(p.words[i].text, "from");
        if (!isFrom && !is(p.words[i].text, "to"))
            return MCIERR_UNRECOGNIZED_KEYWORD;
        if (i + 1 >= p.words.size())
            return MCIERR_MISSING_PARAMETER;
        const auto v = number(p.words[i + 1].text);
        if (!v)
            return MCIERR_BAD_INTEGER;
        (isFrom ? from : to) = *v;
    }
    refresh(device);
    if (device.mode == Device::Mode::Recording)
        stop(device);
    const std::uint64_t length = lengthMs(device);
    if ((from != kNoValue && from > length) || (to != kNoValue && to > length))
        return MCIERR_OUTOFRANGE;
    if (from != kNoValue && to != kNoValue && to < from)
        return MCIERR_OUTOFRANGE;
    // Play from a pause goes on where it stopped.
    if (device.mode == Device::Mode::Paused && from == kNoValue && to == kNoValue) {
        device.renderer->resume();
        device.mode = Device::Mode::Playing;
        return 0;
    }
    const std::uint64_t start = from != kNoValue ? from : positionMs(device);
    const std::uint64_t end = to != kNoValue ? to : length;
    if (device.renderer)
        device.renderer->stop();
    device.positionMs = start;
    device.mode = Device::Mode::Stopped;
    if (start >= end)
        return 0; // nothing left to play
    auto audio = playableAudio(device);
    if (!audio)
        return MCIERR_DEVICE_NOT_READY;
    if (!device.renderer)
        device.renderer = backend_.createRenderer();
    if (!device.renderer->start(audio, audio->byteAtMs(start), audio->byteAtMs(end)))
        return MCIERR_WAVE_OUTPUTSUNSUITABLE;
    device.segmentFromMs = start;
    device.segmentToMs = end;
    device.mode = Device::Mode::Playing;
    return 0;
}

MCIERROR MciService::pause(Device& device)
{
    refresh(device);
    if (device.mode == Device::Mode::Playing) {
        device.renderer->pause();
        device.mode = Device::Mode::Paused;
    } else if (device.mode == Device::Mode::Recording) {
        stop(device);
    }
    return 0;
}

MCIERROR MciService::resume(Device& device)
{
    refresh(device);
    if (device.mode == Device::Mode::Paused) {
        device.renderer->resume();
        device.mode = Device::Mode::Playing;
    }
    return 0;
}

MCIERROR MciService::stop(Device& device)
{
    refresh(device);
    switch (device.mode) {
    case Device::Mode::Playing:
    case Device::Mode::Paused:
        device.positionMs = positionMs(device);
        device.renderer->stop();
        break;
    case Device::Mode::Recording:
        device.capturer->stop();
        device.recorded.append(device.capturer->takeRecorded());
        device.recordedChanged = true;
        device.positionMs = lengthMs(device);
        break;
    default:
        break;
    }
    if (device.mode != Device::Mode::NotReady)
        device.mode = Device::Mode::Stopped;
    return 0;
}

MCIERROR MciService::seek(Device& device, const Parsed& p)
{
    if (p.words.size() < 2 || !is(p.words[0].text, "to"))
        return p.words.empty() || is(p.words[0].text, "to") ? MCIERR_MISSING_PARAMETER
                                                            : MCIERR_UNRECOGNIZED_KEYWORD;
    if (p.words.size() > 2)
        return MCIERR_UNRECOGNIZED_KEYWORD;
    stop(device);
    const std::uint64_t length = lengthMs(device);
    const QString& where = p.words[1].text;
    if (is(where, "start")) {
        device.positionMs = 0;
    } else if (is(where, "end")) {
        device.positionMs = length;
    } else {
        const auto v = number(where);
        if (!v)
            return MCIERR_BAD_INTEGER;
        device.positionMs = std::min(*v, length);
    }
    return 0;
}

MCIERROR MciService::status(Device& device, const Parsed& p, QString* reply)
{
    QString item;
    for (const Token& t : p.words)
        item += (item.isEmpty() ? QString() : QStringLiteral(" ")) + t.text.toLower();
    QString answer;
    if (item.isEmpty()) {
        return MCIERR_MISSING_PARAMETER;
    } else if (item == QLatin1String("length")) {
        answer = QString::number(lengthMs(device));
    } else if (item == QLatin1String("position")) {
        answer = QString::number(positionMs(device));
    } else if (item == QLatin1String("mode")) {
        refresh(device);
        switch (device.mode) {
        case Device::Mode::Playing:
            answer = QStringLiteral("playing");
            break;
        case Device::Mode::Paused:
            answer = QStringLiteral("paused");
            break;
        case Device::Mode::Recording:
            answer = QStringLiteral("recording");
            break;
        case Device::Mode::NotReady:
            answer = QStringLiteral("not ready");
            break;
        default:
            answer = QStringLiteral("stopped");
        }
    } else if (item == QLatin1String("ready")) {
        answer = device.mode == Device::Mode::NotReady ? QStringLiteral("false") : QStringLiteral("true");
    } else if (item == QLatin1String("time format")) {
        answer = QStringLiteral("milliseconds");
    } else if (item == QLatin1String("samplespersec")) {
        answer = QString::number(device.format.nSamplesPerSec);
    } else if (item == QLatin1String("channels")) {
        answer = QString::number(device.format.nChannels);
    } else if (item == QLatin1String("bitspersample")) {
        answer = QString::number(device.format.wBitsPerSample);
    } else if (item == QLatin1String("bytespersec")) {
        answer = QString::number(device.format.nAvgBytesPerSec);
    } else if (item == QLatin1String("alignment")) {
        answer = QString::number(device.format.nBlockAlign);
    } else if (item == QLatin1String("format tag")) {
        answer = device.format.wFormatTag == WAVE_FORMAT_PCM ? QStringLiteral("pcm")
                                                             : QString::number(device.format.wFormatTag);
    } else {
        return MCIERR_UNRECOGNIZED_KEYWORD;
    }
    if (reply)
        *reply = answer;
    return 0;
}

MCIERROR MciService::set(Device& device, const Parsed& p)
{
    if (p.words.empty())
        return MCIERR_MISSING_PARAMETER;
    WAVEFORMATEX f = device.format;
    for (std::size_t i = 0; i < p.words.size();) {
        const QString& key = p.words[i].text;
        if (is(key, "time")) {
            if (i + 2 >= p.words.size() || !is(p.words[i + 1].text, "format"))
                return MCIERR_MISSING_PARAMETER;
            const QString& v = p.words[i + 2].text;
            if (!is(v, "milliseconds") && !is(v, "ms"))
                return MCIERR_BAD_TIME_FORMAT;
            i += 3;
            continue;
        }
        if (i + 1 >= p.words.size())
            return MCIERR_MISSING_PARAMETER;
        const auto v = number(p.words[i + 1].text);
        if (!is(key, "samplespersec") && !is(key, "channels") && !is(key, "bitspersample"))
            return MCIERR_UNRECOGNIZED_KEYWORD;
        if (!v)
            return MCIERR_BAD_INTEGER;
        // The recording format changes only on a new device that holds no recording yet.
        if (!device.isNew || !device.recorded.isEmpty() || device.mode == Device::Mode::Recording)
            return MCIERR_NONAPPLICABLE_FUNCTION;
        if (is(key, "samplespersec")) {
            if (*v < 1000 || *v > 192000)
                return MCIERR_OUTOFRANGE;
            f.nSamplesPerSec = static_cast<std::uint32_t>(*v);
        } else if (is(key, "channels")) {
            if (*v < 1 || *v > 2)
                return MCIERR_OUTOFRANGE;
            f.nChannels = static_cast<std::uint16_t>(*v);
        } else {
            if (*v != 8 && *v != 16)
                return MCIERR_OUTOFRANGE;
            f.wBitsPerSample = static_cast<std::uint16_t>(*v);
        }
        i += 2;
    }
    f.nBlockAlign = static_cast<std::uint16_t>(f.nChannels * (f.wBitsPerSample / 8));
    f.nAvgBytesPerSec = f.nSamplesPerSec * f.nBlockAlign;
    device.format = f;
    return 0;
}

MCIERROR MciService::record(Device& device, const Parsed& p)
{
    for (const Token& t : p.words) {
        if (is(t.text, "from") || is(t.text, "to"))
            return MCIERR_UNSUPPORTED_FUNCTION;
        if (!is(t.text, "insert") && !is(t.text, "overwrite"))
            return MCIERR_UNRECOGNIZED_KEYWORD;
    }
    if (!device.isNew)
        return MCIERR_UNSUPPORTED_FUNCTION;
    refresh(device);
    if (device.mode == Device::Mode::Recording)
        return 0;
    if (device.mode == Device::Mode::Playing || device.mode == Device::Mode::Paused)
        stop(device);
    if (!device.capturer)
        device.capturer = backend_.createCapturer();
    CaptureFormat format;
    format.samplesPerSec = device.format.nSamplesPerSec;
    format.channels = device.format.nChannels;
    format.bitsPerSample = device.format.wBitsPerSample;
    if (!device.capturer->start(format)) {
        device.mode = Device::Mode::NotReady;
        return MCIERR_WAVE_INPUTSUNSUITABLE;
    }
    // Recording appends at the end.
    device.mode = Device::Mode::Recording;
    device.everRecorded = true;
    return 0;
}

MCIERROR MciService::save(Device& device, const QString& fileText)
{
    std::vector<Token> tokens;
    if (!tokenize(fileText, &tokens))
        return MCIERR_NO_CLOSING_QUOTE;
    std::size_t n = tokens.size();
    while (n > 0 && !tokens[n - 1].quoted &&
           (is(tokens[n - 1].text, "notify") || is(tokens[n - 1].text, "wait")))
        --n;
    if (n == 0)
        return MCIERR_FILENAME_REQUIRED;
    const QString path = n == 1 && tokens[0].quoted
                             ? tokens[0].text
                             : fileText.mid(tokens[0].begin, tokens[n - 1].end - tokens[0].begin);
    refresh(device);
    // A recorder that never recorded has nothing to save: the file on disk is kept.
    if (device.isNew && !device.everRecorded)
        return MCIERR_FILE_NOT_SAVED;

    QByteArray header;
    QByteArray body;
    if (device.isNew) {
        body = device.recorded;
        body.truncate(body.size() - body.size() % std::max<qsizetype>(device.format.nBlockAlign, 1));
        header = pcmWaveHeader(device.format.nSamplesPerSec, device.format.nChannels,
                               device.format.wBitsPerSample, static_cast<std::uint32_t>(body.size()));
    } else {
        const auto audio = playableAudio(device);
        body = audio->samples;
        header =
            pcmWaveHeader(audio->sampleRate, audio->channels, 16, static_cast<std::uint32_t>(body.size()));
    }
    // Written aside and then moved in place, so a failed save leaves the old file whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(header) != header.size() ||
        file.write(body) != body.size() || !file.commit())
        return MCIERR_FILE_NOT_SAVED;
    return 0;
}

bool MciService::sndPlaySound(const char* path, std::uint32_t flags)
{
    if (flags & SND_MEMORY)
        return false; // sounds are only played from files here
    return sndPlaySound(path ? QString::fromUtf8(path) : QString(), flags);
}

bool MciService::sndPlaySound(const QString& path, std::uint32_t flags)
{
    if (flags & SND_MEMORY)
        return false;
    if (path.isEmpty()) {
        backend_.stopSound();
        return true;
    }
    if ((flags & SND_NOSTOP) && backend_.soundPlaying())
        return false;
    auto audio = std::make_shared<PcmAudio>();
    const WaveFileData wave = readWaveFile(path);
    if (decodeWave(wave, acm_, audio.get()) != 0)
        audio.reset();
    return backend_.playSound(path, audio, flags);
}

} // namespace qlnrec::platform

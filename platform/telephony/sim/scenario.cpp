#include "platform/telephony/sim/scenario.h"

#include "platform/telephony/sim/wave_file.h"
#include "platform/telephony/tapi_types.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cmath>
#include <limits>

namespace qlnrec::platform {

namespace {

struct Token {
    QString key;   // empty for a plain word
    QString value; // the word, or the value of key=value
    bool quoted = false;
};

// Splits on blanks; "..." keeps blanks and marks the value literal; \" and \\ escape inside.
bool tokenize(const QString& line, std::vector<Token>& tokens, QString* error)
{
    QString current;
    bool inQuotes = false;
    bool quoted = false;
    bool any = false;
    qsizetype firstQuote = -1; // where the first quoted part starts within the token
    auto flush = [&] {
        if (!any) {
            return;
        }
        Token token;
        const qsizetype eq = current.indexOf(QLatin1Char('='));
        if (eq > 0 && (firstQuote < 0 || eq < firstQuote)) {
            token.key = current.left(eq).toLower();
            token.value = current.mid(eq + 1);
        } else {
            token.value = current;
        }
        token.quoted = quoted;
        tokens.push_back(token);
        current.clear();
        quoted = false;
        any = false;
        firstQuote = -1;
    };
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (inQuotes) {
            if (c == QLatin1Char('\\') && i + 1 < line.size() &&
                (line[i + 1] == QLatin1Char('"') || line[i + 1] == QLatin1Char('\\'))) {
                current += line[++i];
            } else if (c == QLatin1Char('"')) {
                inQuotes = false;
            } else {
                current += c;
            }
        } else if (c == QLatin1Char('"')) {
            inQuotes = true;
            quoted = true;
            if (firstQuote < 0) {
                firstQuote = current.size();
            }
            any = true;
        } else if (c.isSpace()) {
            flush();
        } else {
            current += c;
            any = true;
        }
    }
    if (inQuotes) {
        *error = QStringLiteral("unterminated quotation mark");
        return false;
    }
    flush();
    return true;
}

// "12.5", "12.5s", "1500ms", "2m"; bareUnitMs = the unit of a bare number (1000 = seconds).
std::optional<std::uint32_t> parseDuration(QString text, double bareUnitMs)
{
    text = text.trimmed().toLower();
    double unit = bareUnitMs;
    if (text.endsWith(QStringLiteral("ms"))) {
        unit = 1;
        text.chop(2);
    } else if (text.endsWith(QLatin1Char('s'))) {
        unit = 1000;
        text.chop(1);
    } else if (text.endsWith(QLatin1Char('m'))) {
        unit = 60000;
        text.chop(1);
    }
    static const QRegularExpression number(QStringLiteral("^\\d+(\\.\\d*)?$|^\\.\\d+$"));
    if (!number.match(text).hasMatch()) {
        return std::nullopt;
    }
    const double ms = text.toDouble() * unit;
    if (!std::isfinite(ms) || ms < 0 || ms > 7.0 * 24 * 3600 * 1000) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(std::llround(ms));
}

std::optional<std::uint32_t> parseUnsigned(const QString& text)
{
    bool ok = false;
    const qulonglong value = text.trimmed().startsWith(QStringLiteral("0x"), Qt::CaseInsensitive)
                                 ? text.trimmed().mid(2).toULongLong(&ok, 16)
                                 : text.trimmed().toULongLong(&ok, 10);
    if (!ok || value > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

CallerIdField parseCallerField(const Token& token)
{
    if (!token.quoted) {
        const QString word = token.value.toLower();
        if (word == QLatin1String("private") || word == QLatin1String("p")) {
            return CallerIdField::privateField();
        }
        if (word == QLatin1String("unavailable") || word == QLatin1String("o")) {
            return CallerIdField::unavailable();
        }
        if (word == QLatin1String("absent") || word.isEmpty()) {
            return CallerIdField::absent();
        }
    }
    return CallerIdField::present(token.value.toUtf8());
}

// Synthesises speech with espeak-ng when it is installed.
bool synthesiseSpeech(const QString& text, std::vector<std::int16_t>& samples, QString* error)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("espeak-ng"));
    if (program.isEmpty()) {
        *error = QStringLiteral("speech needs the program espeak-ng, which is not installed");
        return false;
    }
    QProcess process;
    process.start(program, {QStringLiteral("--stdout"), QStringLiteral("--"), text});
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        process.kill();
        *error = QStringLiteral("espeak-ng failed");
        return false;
    }
    return parseWaveAs8kMono(process.readAllStandardOutput(), samples, error);
}

class Parser {
public:
    Parser(QString baseDir) : baseDir_(std::move(baseDir)) {}

    bool parseLine(int number, const QString& raw, Scenario& scenario, std::vector<ScenarioEvent>& events,
                   std::map<int, SimLineConfig>& configs, QString* error)
    {
        lineNumber_ = number;
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) {
            return true;
        }
        std::vector<Token> tokens;
        QString problem;
        if (!tokenize(line, tokens, &problem)) {
            return fail(error, problem);
        }
        (void)scenario;
        if (tokens.front().key.isEmpty() && tokens.front().value.toLower() == QLatin1String("line")) {
            return parseLineSettings(tokens, configs, error);
        }
        if (tokens.size() < 3) {
            return fail(error, QStringLiteral("expected \"<time> <line> <event> [arguments]\""));
        }
        if (ended_) {
            return fail(error, QStringLiteral("no events may follow \"end\""));
        }
        ScenarioEvent event;
        event.sourceLine = number;
        QString time = tokens[0].value;
        if (time.startsWith(QLatin1Char('+'))) {
            event.relative = true;
            time.remove(0, 1);
        }
        const auto ms = parseDuration(time, 1000);
        if (!tokens[0].key.isEmpty() || !ms) {
            return fail(
                error,
                QStringLiteral("bad time \"%1\" (use e.g. 0.0, 12.5s, 1500ms or +2s)").arg(tokens[0].value));
        }
        event.timeMs = *ms;
        if (!event.relative) {
            if (event.timeMs < lastAbsoluteMs_) {
                return fail(
                    error,
                    QStringLiteral("time %1 is earlier than the event before it").arg(tokens[0].value));
            }
            lastAbsoluteMs_ = event.timeMs;
        }
        const auto lineIndex = parseUnsigned(tokens[1].value);
        if (!tokens[1].key.isEmpty() || !lineIndex || *lineIndex > 3) {
            return fail(error, QStringLiteral("bad line index \"%1\" (0 to 3)").arg(tokens[1].value));
        }
        event.line = static_cast<int>(*lineIndex);
        const QString verb = tokens[2].value.toLower();
        std::vector<Token> args(tokens.begin() + 3, tokens.end());
        bool ok = false;
        if (verb == QLatin1String("ring")) {
            ok = parseRing(args, event, error);
        } else if (verb == QLatin1String("callerid")) {
            ok = parseCallerId(args, event, error);
        } else if (verb == QLatin1String("audio")) {
            ok = parseAudio(args, event, error);
        } else if (verb == QLatin1String("dtmf")) {
            ok = parseDtmf(args, event, error);
        } else if (verb == QLatin1String("hangup")) {
            ok = parseHangup(args, event, error);
        } else if (verb == QLatin1String("ringback") || verb == QLatin1String("answer") ||
                   verb == QLatin1String("busy") || verb == QLatin1String("noanswer") ||
                   verb == QLatin1String("end")) {
            event.kind = verb == QLatin1String("ringback") ? ScenarioEvent::Kind::Ringback
                         : verb == QLatin1String("answer") ? ScenarioEvent::Kind::Answer
                         : verb == QLatin1String("busy")   ? ScenarioEvent::Kind::Busy
                         : verb == QLatin1String("end")    ? ScenarioEvent::Kind::End
                                                           : ScenarioEvent::Kind::NoAnswer;
            ok = args.empty() || fail(error, QStringLiteral("\"%1\" takes no arguments").arg(verb));
            ended_ = event.kind == ScenarioEvent::Kind::End;
        } else if (verb == QLatin1String("wait")) {
            ok = parseWait(args, event, error);
        } else {
            ok = fail(error, QStringLiteral("unknown event \"%1\"").arg(tokens[2].value));
        }
        if (ok) {
            events.push_back(std::move(event));
        }
        return ok;
    }

private:
    bool fail(QString* error, const QString& why) const
    {
        if (error) {
            *error = QStringLiteral("line %1: %2").arg(lineNumber_).arg(why);
        }
        return false;
    }

    bool unknownArgument(QString* error, const Token& token) const
    {
        return fail(error,
                    QStringLiteral("unknown argument \"%1\"")
                        .arg(token.key.isEmpty() ? token.value : token.key + QLatin1Char('=') + token.value));
    }

    bool parseLineSettings(const std::vector<Token>& tokens, std::map<int, SimLineConfig>& configs,
                           QString* error)
    {
        if (tokens.size() < 2) {
            return fail(error, QStringLiteral("expected \"line <index> key=value ...\""));
        }
        const auto index = parseUnsigned(tokens[1].value);
        if (!tokens[1].key.isEmpty() || !index || *index > 3) {
            return fail(error, QStringLiteral("bad line index \"%1\" (0 to 3)").arg(tokens[1].value));
        }
        const int i = static_cast<int>(*index);
        if (!configs.count(i)) {
            SimLineConfig config;
            config.name = QStringLiteral("Simulated Voice Modem %1").arg(i + 1);
            configs[i] = config;
        }
        SimLineConfig& config = configs[i];
        for (std::size_t t = 2; t < tokens.size(); ++t) {
            const Token& token = tokens[t];
            if (token.key == QLatin1String("name")) {
                config.name = token.value;
                continue;
            }
            static const QStringList known = {
                QStringLiteral("media"),        QStringLiteral("version"),
                QStringLiteral("min-version"),  QStringLiteral("open-error"),
                QStringLiteral("ring-timeout"), QStringLiteral("digit-duration")};
            if (!known.contains(token.key)) {
                return unknownArgument(error, token);
            }
            std::optional<std::uint32_t> value;
            if (token.key == QLatin1String("ring-timeout") || token.key == QLatin1String("digit-duration")) {
                value = parseDuration(token.value, 1);
            } else {
                value = parseUnsigned(token.value);
            }
            if (!value) {
                return fail(error, QStringLiteral("bad value for %1: \"%2\"").arg(token.key, token.value));
            }
            if (token.key == QLatin1String("media")) {
                config.mediaModes = *value;
            } else if (token.key == QLatin1String("version")) {
                config.apiVersionHigh = *value;
            } else if (token.key == QLatin1String("min-version")) {
                config.apiVersionLow = *value;
            } else if (token.key == QLatin1String("open-error")) {
                config.openError = static_cast<std::int32_t>(*value);
            } else if (token.key == QLatin1String("ring-timeout")) {
                config.ringTimeoutMs = *value;
            } else if (token.key == QLatin1String("digit-duration")) {
                config.digitDurationMs = *value;
            } else {
                return unknownArgument(error, token);
            }
        }
        if (config.apiVersionLow > config.apiVersionHigh) {
            return fail(error, QStringLiteral("min-version is above version"));
        }
        return true;
    }

    bool parseRing(const std::vector<Token>& args, ScenarioEvent& event, QString* error)
    {
        event.kind = ScenarioEvent::Kind::Ring;
        bool haveCount = false;
        for (const Token& token : args) {
            if (token.key.isEmpty() && token.value.contains(QLatin1Char('/'))) {
                const auto parts = token.value.split(QLatin1Char('/'));
                const auto on = parseDuration(parts.value(0), 1);
                const auto off = parseDuration(parts.value(1), 1);
                if (parts.size() != 2 || !on || !off || *on == 0) {
                    return fail(error,
                                QStringLiteral("bad ring cadence \"%1\" (use on/off in ms, e.g. 2000/4000)")
                                    .arg(token.value));
                }
                event.ringOnMs = *on;
                event.ringOffMs = *off;
            } else if ((token.key.isEmpty() && !haveCount) || token.key == QLatin1String("count")) {
                const auto count = parseUnsigned(token.value);
                if (!count || *count < 1 || *count > 100) {
                    return fail(error, QStringLiteral("bad ring count \"%1\" (1 to 100)").arg(token.value));
                }
                event.ringCount = static_cast<int>(*count);
                haveCount = true;
            } else if (token.key == QLatin1String("on") || token.key == QLatin1String("off")) {
                const auto ms = parseDuration(token.value, 1);
                if (!ms || (token.key == QLatin1String("on") && *ms == 0)) {
                    return fail(error, QStringLiteral("bad %1 time \"%2\"").arg(token.key, token.value));
                }
                (token.key == QLatin1String("on") ? event.ringOnMs : event.ringOffMs) = *ms;
            } else {
                return unknownArgument(error, token);
            }
        }
        return true;
    }

    bool parseCallerId(const std::vector<Token>& args, ScenarioEvent& event, QString* error)
    {
        event.kind = ScenarioEvent::Kind::CallerId;
        for (const Token& token : args) {
            if (token.key == QLatin1String("number")) {
                event.callerId.number = parseCallerField(token);
            } else if (token.key == QLatin1String("name")) {
                event.callerId.name = parseCallerField(token);
            } else {
                return unknownArgument(error, token);
            }
        }
        return true;
    }

    bool parseAudio(const std::vector<Token>& args, ScenarioEvent& event, QString* error)
    {
        event.kind = ScenarioEvent::Kind::Audio;
        std::optional<std::uint32_t> duration, on, off;
        int level = 6000;
        QString file, tone, speech;
        bool silence = false;
        for (const Token& token : args) {
            if (token.key == QLatin1String("file")) {
                file = token.value;
            } else if (token.key == QLatin1String("tone")) {
                tone = token.value;
            } else if (token.key == QLatin1String("speech")) {
                speech = token.value;
            } else if (token.key.isEmpty() && token.value.toLower() == QLatin1String("silence")) {
                silence = true;
            } else if (token.key == QLatin1String("duration")) {
                duration = parseDuration(token.value, 1000);
                if (!duration) {
                    return fail(error, QStringLiteral("bad duration \"%1\"").arg(token.value));
                }
            } else if (token.key == QLatin1String("on") || token.key == QLatin1String("off")) {
                auto ms = parseDuration(token.value, 1);
                if (!ms) {
                    return fail(error, QStringLiteral("bad %1 time \"%2\"").arg(token.key, token.value));
                }
                (token.key == QLatin1String("on") ? on : off) = ms;
            } else if (token.key == QLatin1String("level")) {
                const auto value = parseUnsigned(token.value);
                if (!value || *value > 32767) {
                    return fail(error, QStringLiteral("bad level \"%1\" (0 to 32767)").arg(token.value));
                }
                level = static_cast<int>(*value);
            } else {
                return unknownArgument(error, token);
            }
        }
        const int kinds = int(!file.isEmpty()) + int(!tone.isEmpty()) + int(!speech.isEmpty()) + int(silence);
        if (kinds != 1) {
            return fail(error, QStringLiteral("audio needs exactly one of file=, tone=, speech= or silence"));
        }
        QString problem;
        if (!file.isEmpty()) {
            const QString path =
                QDir::isAbsolutePath(file) || baseDir_.isEmpty() ? file : QDir(baseDir_).filePath(file);
            event.audioKind = ScenarioEvent::AudioKind::Samples;
            event.audioSource = file;
            if (!readWaveFileAs8kMono(path, event.samples, &problem)) {
                return fail(error, QStringLiteral("audio file \"%1\": %2").arg(file, problem));
            }
        } else if (!speech.isEmpty()) {
            if (speech.size() > 2000) {
                return fail(error, QStringLiteral("speech text longer than 2000 characters"));
            }
            event.audioKind = ScenarioEvent::AudioKind::Samples;
            event.audioSource = speech;
            if (!synthesiseSpeech(speech, event.samples, &problem)) {
                return fail(error, problem);
            }
        } else if (silence) {
            if (!duration) {
                return fail(error, QStringLiteral("silence needs duration="));
            }
            event.audioKind = ScenarioEvent::AudioKind::Silence;
            event.silenceMs = *duration;
        } else {
            if (!duration) {
                return fail(error, QStringLiteral("tone needs duration="));
            }
            event.audioKind = ScenarioEvent::AudioKind::Tone;
            for (const QString& part : tone.split(QLatin1Char('+'))) {
                bool ok = false;
                const double hz = part.toDouble(&ok);
                if (!ok || hz <= 0 || hz >= 4000) {
                    return fail(
                        error,
                        QStringLiteral("bad tone \"%1\" (frequencies below 4000 Hz joined by +)").arg(tone));
                }
                event.tone.frequenciesHz.push_back(hz);
            }
            if (event.tone.frequenciesHz.size() > 3) {
                return fail(error, QStringLiteral("a tone has at most three frequencies"));
            }
            if (off.value_or(0) > 0 && on.value_or(0) == 0) {
                return fail(error, QStringLiteral("a tone with off= needs on="));
            }
            event.tone.onMs = on.value_or(0);
            event.tone.offMs = off.value_or(0);
            event.tone.durationMs = *duration;
            event.tone.amplitude = level / static_cast<int>(event.tone.frequenciesHz.size());
        }
        return true;
    }

    bool parseDtmf(const std::vector<Token>& args, ScenarioEvent& event, QString* error)
    {
        event.kind = ScenarioEvent::Kind::Dtmf;
        static const QRegularExpression digits(QStringLiteral("^[0-9*#A-Da-d]+$"));
        for (const Token& token : args) {
            if (token.key.isEmpty() && event.digits.isEmpty()) {
                if (!digits.match(token.value).hasMatch()) {
                    return fail(
                        error, QStringLiteral("bad touch-tone digits \"%1\" (0-9 * # A-D)").arg(token.value));
                }
                event.digits = token.value.toUpper().toLatin1();
            } else if (token.key == QLatin1String("on") || token.key == QLatin1String("off")) {
                const auto ms = parseDuration(token.value, 1);
                if (!ms || (token.key == QLatin1String("on") && *ms == 0)) {
                    return fail(error, QStringLiteral("bad %1 time \"%2\"").arg(token.key, token.value));
                }
                (token.key == QLatin1String("on") ? event.digitOnMs : event.digitOffMs) = *ms;
            } else {
                return unknownArgument(error, token);
            }
        }
        if (event.digits.isEmpty()) {
            return fail(error, QStringLiteral("dtmf needs digits"));
        }
        return true;
    }

    bool parseHangup(const std::vector<Token>& args, ScenarioEvent& event, QString* error)
    {
        event.kind = ScenarioEvent::Kind::Hangup;
        if (args.size() > 1) {
            return unknownArgument(error, args[1]);
        }
        if (args.empty()) {
            return true;
        }
        const QString kind = args[0].value.toLower();
        if (!args[0].key.isEmpty()) {
            return unknownArgument(error, args[0]);
        }
        if (kind == QLatin1String("busy")) {
            event.notice = HangUpNotice::BusyTone;
        } else if (kind == QLatin1String("dialtone")) {
            event.notice = HangUpNotice::DialTone;
        } else if (kind == QLatin1String("loopdrop")) {
            event.notice = HangUpNotice::LoopDrop;
        } else if (kind == QLatin1String("silent") || kind == QLatin1String("none")) {
            event.notice = HangUpNotice::None;
        } else {
            return fail(error, QStringLiteral("bad hang-up kind \"%1\" (busy, dialtone, loopdrop or silent)")
                                   .arg(args[0].value));
        }
        return true;
    }

    bool parseWait(const std::vector<Token>& args, ScenarioEvent& event, QString* error)
    {
        event.kind = ScenarioEvent::Kind::Wait;
        bool haveCondition = false;
        for (const Token& token : args) {
            if (token.key.isEmpty() && !haveCondition) {
                const QString what = token.value.toLower();
                if (what == QLatin1String("offhook")) {
                    event.waitFor = ScenarioEvent::WaitFor::OffHook;
                } else if (what == QLatin1String("onhook")) {
                    event.waitFor = ScenarioEvent::WaitFor::OnHook;
                } else if (what == QLatin1String("dial")) {
                    event.waitFor = ScenarioEvent::WaitFor::Dial;
                } else if (what == QLatin1String("generated")) {
                    event.waitFor = ScenarioEvent::WaitFor::Generated;
                } else if (what == QLatin1String("playback")) {
                    event.waitFor = ScenarioEvent::WaitFor::Playback;
                } else {
                    return fail(error,
                                QStringLiteral("bad wait condition \"%1\" (offhook, onhook, dial, generated "
                                               "or playback)")
                                    .arg(token.value));
                }
                haveCondition = true;
            } else if (token.key == QLatin1String("timeout")) {
                const auto ms = parseDuration(token.value, 1000);
                if (!ms || *ms == 0) {
                    return fail(error, QStringLiteral("bad timeout \"%1\"").arg(token.value));
                }
                event.waitTimeoutMs = *ms;
            } else {
                return unknownArgument(error, token);
            }
        }
        if (!haveCondition) {
            return fail(error, QStringLiteral("wait needs a condition"));
        }
        return true;
    }

    QString baseDir_;
    int lineNumber_ = 0;
    std::uint32_t lastAbsoluteMs_ = 0;
    bool ended_ = false;
};

} // namespace

std::optional<Scenario> Scenario::parse(const QString& text, QString* error, const QString& baseDir)
{
    Scenario scenario;
    Parser parser(baseDir);
    QString localError;
    QString* errorOut = error ? error : &localError;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
        if (!parser.parseLine(i + 1, line, scenario, scenario.events_, scenario.lineConfigs_, errorOut)) {
            return std::nullopt;
        }
    }
    return scenario;
}

std::optional<Scenario> Scenario::load(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) {
            *error = QStringLiteral("cannot open scenario %1: %2").arg(path, file.errorString());
        }
        return std::nullopt;
    }
    if (file.size() > 16 * 1024 * 1024) {
        if (error) {
            *error = QStringLiteral("scenario %1 is too large").arg(path);
        }
        return std::nullopt;
    }
    QString problem;
    auto scenario = parse(QString::fromUtf8(file.readAll()), &problem, QFileInfo(path).absolutePath());
    if (!scenario && error) {
        *error = QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), problem);
    }
    return scenario;
}

int Scenario::highestLine() const
{
    int highest = -1;
    for (const auto& event : events_) {
        highest = std::max(highest, event.line);
    }
    for (const auto& [index, config] : lineConfigs_) {
        highest = std::max(highest, index);
    }
    return highest;
}

// ---- player ----

class ScenarioPlayer::Impl {
public:
    Impl(EventService& events, std::vector<SimLine*> lines, Scenario scenario)
        : events(events), lines(std::move(lines)), scenario(std::move(scenario)),
          timer(events, 0, [this] { tick(); })
    {
    }

    std::uint64_t elapsed() const { return static_cast<std::uint32_t>(events.timeGetTime() - startMs); }

    bool validate()
    {
        for (const auto& event : scenario.events()) {
            const auto index = static_cast<std::size_t>(event.line);
            if (index >= lines.size() || !lines[index]) {
                error =
                    QStringLiteral("line %1: line index %2 is not a simulated line (%3 line(s) configured)")
                        .arg(event.sourceLine)
                        .arg(event.line)
                        .arg(lines.size());
                return false;
            }
        }
        return true;
    }

    void finish(bool completed)
    {
        if (finished) {
            return;
        }
        timer.setEnabled(false);
        running = false;
        finished = true;
        if (onFinished) {
            auto callback = onFinished;
            callback(completed);
        }
    }

    void tick()
    {
        if (!running) {
            return;
        }
        if (waiting) {
            poll();
        } else {
            advance();
        }
    }

    // Runs every event that is due, then sleeps until the next one.
    void advance()
    {
        while (running && !waiting) {
            if (next >= scenario.events().size()) {
                finish(true);
                return;
            }
            const ScenarioEvent& event = scenario.events()[next];
            const std::uint64_t due = event.relative ? lastEventMs + event.timeMs : event.timeMs;
            const std::uint64_t now = elapsed();
            if (due > now) {
                timer.setInterval(static_cast<std::uint32_t>(due - now));
                timer.setEnabled(true);
                return;
            }
            lastEventMs = now;
            run(event);
            if (!waiting) {
                ++next;
                ++played;
            }
        }
    }

    bool conditionHolds(const ScenarioEvent& event) const
    {
        SimLine* line = lines[static_cast<std::size_t>(event.line)];
        switch (event.waitFor) {
        case ScenarioEvent::WaitFor::OffHook:
            return line->offHook();
        case ScenarioEvent::WaitFor::OnHook:
            return !line->offHook();
        case ScenarioEvent::WaitFor::Dial:
            return line->dialled().size() > waitSnapshot;
        case ScenarioEvent::WaitFor::Generated:
            return line->generatedCount() > waitSnapshot;
        case ScenarioEvent::WaitFor::Playback:
            return line->playbackRuns() > waitSnapshot;
        }
        return true;
    }

    void poll()
    {
        const ScenarioEvent& event = scenario.events()[next];
        if (conditionHolds(event)) {
            waiting = false;
            lastEventMs = elapsed();
            ++next;
            ++played;
            timer.setEnabled(false);
            advance();
            return;
        }
        if (elapsed() >= waitDeadline) {
            error = QStringLiteral("line %1: wait timed out after %2 s")
                        .arg(event.sourceLine)
                        .arg(static_cast<double>(event.waitTimeoutMs) / 1000.0);
            finish(false);
        }
    }

    void run(const ScenarioEvent& event)
    {
        SimLine& line = *lines[static_cast<std::size_t>(event.line)];
        switch (event.kind) {
        case ScenarioEvent::Kind::Ring:
            line.ring(event.ringCount, event.ringOnMs, event.ringOffMs);
            break;
        case ScenarioEvent::Kind::CallerId:
            line.sendCallerId(event.callerId);
            break;
        case ScenarioEvent::Kind::Audio:
            if (event.audioKind == ScenarioEvent::AudioKind::Samples) {
                line.playFarEndAudio(event.samples);
            } else if (event.audioKind == ScenarioEvent::AudioKind::Tone) {
                line.playFarEndTone(event.tone);
            } else {
                line.playFarEndSilence(event.silenceMs);
            }
            break;
        case ScenarioEvent::Kind::Dtmf:
            line.sendDigits(event.digits, event.digitOnMs, event.digitOffMs);
            break;
        case ScenarioEvent::Kind::Hangup:
            line.hangUpFarEnd(event.notice);
            break;
        case ScenarioEvent::Kind::Ringback:
            line.farEndRingback();
            break;
        case ScenarioEvent::Kind::Answer:
            line.farEndAnswer();
            break;
        case ScenarioEvent::Kind::Busy:
            line.farEndBusy();
            break;
        case ScenarioEvent::Kind::NoAnswer:
            line.farEndNoAnswer();
            break;
        case ScenarioEvent::Kind::Wait:
            waiting = true;
            waitSnapshot = event.waitFor == ScenarioEvent::WaitFor::Dial        ? line.dialled().size()
                           : event.waitFor == ScenarioEvent::WaitFor::Generated ? line.generatedCount()
                           : event.waitFor == ScenarioEvent::WaitFor::Playback  ? line.playbackRuns()
                                                                                : 0;
            waitDeadline = elapsed() + event.waitTimeoutMs;
            if (conditionHolds(event)) {
                waiting = false;
                return;
            }
            timer.setInterval(kPollMs);
            timer.setEnabled(true);
            break;
        case ScenarioEvent::Kind::End:
            finish(true);
            break;
        }
    }

    static constexpr std::uint32_t kPollMs = 10;
    EventService& events;
    std::vector<SimLine*> lines;
    Scenario scenario;
    Timer timer;
    std::uint32_t startMs = 0;
    std::uint64_t lastEventMs = 0;
    std::size_t next = 0;
    std::size_t played = 0;
    bool running = false;
    bool finished = false;
    bool waiting = false;
    std::uint64_t waitSnapshot = 0;
    std::uint64_t waitDeadline = 0;
    QString error;
    std::function<void(bool)> onFinished;
};

ScenarioPlayer::ScenarioPlayer(EventService& events, std::vector<SimLine*> lines, Scenario scenario)
    : impl_(std::make_unique<Impl>(events, std::move(lines), std::move(scenario)))
{
}

ScenarioPlayer::~ScenarioPlayer() = default;

bool ScenarioPlayer::validate()
{
    return impl_->validate();
}

bool ScenarioPlayer::start()
{
    if (impl_->running || impl_->finished || !impl_->validate()) {
        return false;
    }
    impl_->startMs = impl_->events.timeGetTime();
    impl_->lastEventMs = 0;
    impl_->running = true;
    impl_->advance();
    return true;
}

void ScenarioPlayer::stop()
{
    if (impl_->running) {
        impl_->finish(false);
    }
}

bool ScenarioPlayer::running() const
{
    return impl_->running;
}

bool ScenarioPlayer::finished() const
{
    return impl_->finished;
}

QString ScenarioPlayer::error() const
{
    return impl_->error;
}

void ScenarioPlayer::setOnFinished(std::function<void(bool completed)> onFinished)
{
    impl_->onFinished = std::move(onFinished);
}

std::size_t ScenarioPlayer::eventsPlayed() const
{
    return impl_->played;
}

} // namespace qlnrec::platform

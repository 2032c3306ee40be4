#include "blocklist/screening_rules.h"

#include "core/strings.h"

#include "platform/core/text_helpers.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>
#include <array>
#include <climits>

namespace qlnrec::blocklist {

namespace {

const QString kFileName = QStringLiteral("screening.txt");
const QString kBlock = QStringLiteral("block");
const QString kAllow = QStringLiteral("allow");

// What a new file starts with, so that a user who opens it sees how to write a rule.
const char* const kHeader[] = {
    "# Call screening rules: block or allow, a pattern, an optional label.",
    "# * is any digits, ? one digit; /.../ is a regular expression over the whole number.",
    "# Allow rules win over block rules and the block list. Example: block 900* Premium rate",
};

// Separators people write in numbers; they carry no digit.
bool isSeparator(QChar c)
{
    return c == QLatin1Char('-') || c == QLatin1Char('(') || c == QLatin1Char(')') || c == QLatin1Char('.');
}

// The pattern's digits, wildcards and leading "+"; empty when it holds anything else.
QString normalPattern(const QString& pattern)
{
    QString out;
    for (QChar c : pattern) {
        if (isSeparator(c)) {
            continue;
        }
        const bool plusFirst = c == QLatin1Char('+') && out.isEmpty();
        if (!c.isDigit() && c != QLatin1Char('*') && c != QLatin1Char('?') && !plusFirst) {
            return {};
        }
        // Only ASCII digits: other scripts' digits never arrive in a caller ID.
        if (c.isDigit() && (c < QLatin1Char('0') || c > QLatin1Char('9'))) {
            return {};
        }
        out += c;
    }
    return out == QLatin1String("+") ? QString() : out;
}

QString regexBody(const QString& pattern)
{
    return pattern.mid(1, pattern.size() - 2);
}

// "*" any run of characters, "?" one digit; iterative, so no input can make it recurse deeply.
bool globMatches(QStringView glob, QStringView number)
{
    qsizetype g = 0;
    qsizetype n = 0;
    qsizetype starAt = -1;
    qsizetype resumeAt = 0;
    while (n < number.size()) {
        if (g < glob.size() && glob[g] == QLatin1Char('*')) {
            starAt = g++;
            resumeAt = n;
        } else if (g < glob.size() &&
                   (glob[g] == number[n] || (glob[g] == QLatin1Char('?') && number[n].isDigit()))) {
            ++g;
            ++n;
        } else if (starAt >= 0) {
            g = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (g < glob.size() && glob[g] == QLatin1Char('*')) {
        ++g;
    }
    return g == glob.size();
}

} // namespace

// The rules compiled for speed: exact numbers and plain prefixes ("900*") in hash tables, so that
// tens of thousands of them cost a few look-ups per caller; other patterns and regular
// expressions in file order, where the first match ends the search.
class ScreeningMatcher {
public:
    void add(int index, const ScreeningRule& rule)
    {
        Kind& kind = kinds_[rule.action == ScreeningAction::Allow ? 1 : 0];
        if (rule.isRegex()) {
            QRegularExpression regex(QRegularExpression::anchoredPattern(regexBody(rule.pattern)));
            regex.optimize();
            kind.regexes.push_back({regex, index});
            return;
        }
        const QString glob = normalPattern(rule.pattern);
        const auto wildAt = std::find_if(glob.cbegin(), glob.cend(), [](QChar c) {
            return c == QLatin1Char('*') || c == QLatin1Char('?');
        });
        const qsizetype wild = wildAt == glob.cend() ? -1 : wildAt - glob.cbegin();
        if (wild < 0) {
            kind.exact.insert(glob, qMin(index, kind.exact.value(glob, INT_MAX)));
        } else if (glob.mid(wild).count(QLatin1Char('*')) == glob.size() - wild) {
            const QString prefix = glob.left(wild);
            kind.prefixes.insert(prefix, qMin(index, kind.prefixes.value(prefix, INT_MAX)));
            kind.longestPrefix = qMax(kind.longestPrefix, prefix.size());
        } else {
            kind.globs.push_back({glob, index});
        }
    }

    // The first rule of the action that matches digits, or -1.
    int first(ScreeningAction action, const QString& digits) const
    {
        const Kind& kind = kinds_[action == ScreeningAction::Allow ? 1 : 0];
        int best = kind.exact.value(digits, INT_MAX);
        for (qsizetype length = 0; length <= qMin(digits.size(), kind.longestPrefix); ++length) {
            const auto found = kind.prefixes.constFind(digits.left(length));
            if (found != kind.prefixes.cend()) {
                best = qMin(best, found.value());
            }
        }
        for (const auto& [glob, index] : kind.globs) {
            if (index >= best) {
                break;
            }
            if (globMatches(glob, digits)) {
                best = index;
                break;
            }
        }
        for (const auto& [regex, index] : kind.regexes) {
            if (index >= best) {
                break;
            }
            if (regex.match(digits).hasMatch()) {
                best = index;
                break;
            }
        }
        return best == INT_MAX ? -1 : best;
    }

private:
    struct Kind {
        QHash<QString, int> exact;
        QHash<QString, int> prefixes;
        qsizetype longestPrefix = -1;
        std::vector<std::pair<QString, int>> globs;
        std::vector<std::pair<QRegularExpression, int>> regexes;
    };
    std::array<Kind, 2> kinds_;
};

bool ScreeningRule::isRegex() const
{
    return pattern.size() >= 2 && pattern.startsWith(QLatin1Char('/')) && pattern.endsWith(QLatin1Char('/'));
}

QString ScreeningRule::line() const
{
    const QString head = (action == ScreeningAction::Allow ? kAllow : kBlock) + QLatin1Char(' ') + pattern;
    return label.isEmpty() ? head : head + QLatin1Char(' ') + label;
}

QString screeningDigits(const QString& number)
{
    QString out;
    for (QChar c : number) {
        if (out.size() == ScreeningRules::kMaxNumberLength) {
            break;
        }
        if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c == QLatin1Char('+') && out.isEmpty())) {
            out += c;
        }
    }
    return out == QLatin1String("+") ? QString() : out;
}

ScreeningRules::ScreeningRules(const QString& programFolder)
    : path_(programFolder + QLatin1Char('/') + kFileName), matcher_(std::make_unique<ScreeningMatcher>())
{
}

ScreeningRules::~ScreeningRules() = default;

QString ScreeningProblem::in(const core::Strings& strings) const
{
    const QString words = strings.text(text);
    return words.contains(QLatin1String("%1")) ? words.arg(arg) : words;
}

std::optional<ScreeningProblem> ScreeningRules::problemOf(const ScreeningRule& rule)
{
    using core::ProgramText;
    if (rule.pattern.isEmpty()) {
        return ScreeningProblem{ProgramText::ScreeningPatternMissing, {}};
    }
    if (std::any_of(rule.pattern.cbegin(), rule.pattern.cend(), [](QChar c) { return c.isSpace(); })) {
        return ScreeningProblem{ProgramText::ScreeningPatternBlanks, {}};
    }
    if (rule.pattern.startsWith(QLatin1Char('/'))) {
        if (!rule.isRegex() || rule.pattern.size() < 3) {
            return ScreeningProblem{ProgramText::ScreeningRegexSlashes, {}};
        }
        if (rule.pattern.size() > kMaxRegexLength) {
            return ScreeningProblem{ProgramText::ScreeningRegexTooLong, QString::number(kMaxRegexLength)};
        }
        const QRegularExpression regex(regexBody(rule.pattern));
        if (!regex.isValid()) {
            return ScreeningProblem{ProgramText::ScreeningRegexInvalid, regex.errorString()};
        }
        return std::nullopt;
    }
    if (normalPattern(rule.pattern).isEmpty()) {
        return ScreeningProblem{ProgramText::ScreeningPatternChars, {}};
    }
    return std::nullopt;
}

std::optional<ScreeningRule> ScreeningRules::parseLine(const QString& line,
                                                       std::optional<ScreeningProblem>* problem)
{
    problem->reset();
    const QString text = line.trimmed();
    if (text.isEmpty() || text.startsWith(QLatin1Char('#'))) {
        return std::nullopt;
    }
    static const QRegularExpression words(QStringLiteral("^(\\S+)(?:\\s+(\\S+))?(?:\\s+(.*))?$"));
    const QRegularExpressionMatch match = words.match(text);
    ScreeningRule rule;
    const QString action = match.captured(1).toLower();
    if (action == kAllow) {
        rule.action = ScreeningAction::Allow;
    } else if (action != kBlock) {
        *problem = ScreeningProblem{core::ProgramText::ScreeningNotAnAction, match.captured(1).left(40)};
        return std::nullopt;
    }
    rule.pattern = match.captured(2);
    rule.label = platform::blankControls(match.captured(3)).trimmed();
    *problem = problemOf(rule);
    if (*problem) {
        return std::nullopt;
    }
    return rule;
}

void ScreeningRules::load()
{
    QFile file(path_);
    const bool missing = !file.exists();
    const bool opened = file.open(QIODevice::ReadOnly);
    parse(opened ? file.readAll() : QByteArray());
    // A file that is there but cannot be read is said and never overwritten by an edit.
    unreadable_ = !missing && !opened;
    if (unreadable_) {
        errors_.append({0, {core::ProgramText::ScreeningFileUnreadable, file.errorString()}});
    }
}

void ScreeningRules::parse(const QByteArray& bytes)
{
    unreadable_ = false;
    lines_.clear();
    rules_.clear();
    errors_.clear();
    QString text = QString::fromUtf8(bytes);
    // Byte order marks are no text (the file is written without one).
    while (text.startsWith(QChar(0xFEFF))) {
        text.remove(0, 1);
    }
    if (text.endsWith(QLatin1Char('\n'))) {
        text.chop(1);
    }
    if (!text.isEmpty()) {
        const QStringList fileLines = text.split(QLatin1Char('\n'));
        for (qsizetype i = 0; i < fileLines.size(); ++i) {
            QString line = fileLines[i];
            if (line.endsWith(QLatin1Char('\r'))) {
                line.chop(1);
            }
            std::optional<ScreeningProblem> problem;
            if (const auto rule = parseLine(line, &problem)) {
                lines_.push_back({line, static_cast<int>(rules_.size())});
                rules_.push_back(*rule);
                continue;
            }
            if (problem) {
                errors_.append({static_cast<int>(i + 1), *problem});
            }
            lines_.push_back({line, -1});
        }
    }
    compile();
}

QStringList ScreeningRules::errorTexts(const core::Strings& strings) const
{
    QStringList texts;
    for (const ScreeningError& error : errors_) {
        texts << (error.line == 0 ? strings.text(core::ProgramText::ScreeningFileUnreadable)
                                        .arg(kFileName, error.problem.arg)
                                  : strings.text(core::ProgramText::ScreeningBadLine)
                                        .arg(kFileName)
                                        .arg(error.line)
                                        .arg(error.problem.in(strings)));
    }
    return texts;
}

void ScreeningRules::compile()
{
    matcher_ = std::make_unique<ScreeningMatcher>();
    for (std::size_t i = 0; i < rules_.size(); ++i) {
        matcher_->add(static_cast<int>(i), rules_[i]);
    }
}

ScreeningDecision ScreeningRules::decide(const QString& number) const
{
    const QString digits = screeningDigits(number);
    if (digits.isEmpty()) {
        return {};
    }
    for (ScreeningAction action : {ScreeningAction::Allow, ScreeningAction::Block}) {
        if (const int rule = matcher_->first(action, digits); rule >= 0) {
            return {rule, action};
        }
    }
    return {};
}

bool ScreeningRules::add(const std::vector<ScreeningRule>& rules)
{
    for (const ScreeningRule& rule : rules) {
        if (problemOf(rule)) {
            return false;
        }
    }
    if (lines_.empty()) {
        for (const char* comment : kHeader) {
            lines_.push_back({QString::fromUtf8(comment), -1});
        }
    }
    for (ScreeningRule rule : rules) {
        rule.label = platform::blankControls(rule.label).trimmed();
        lines_.push_back({rule.line(), static_cast<int>(rules_.size())});
        rules_.push_back(rule);
    }
    return edited();
}

bool ScreeningRules::replace(int index, const ScreeningRule& rule)
{
    if (index < 0 || index >= static_cast<int>(rules_.size()) || problemOf(rule)) {
        return false;
    }
    ScreeningRule& kept = rules_[static_cast<std::size_t>(index)];
    kept = rule;
    kept.label = platform::blankControls(rule.label).trimmed();
    for (FileLine& line : lines_) {
        if (line.rule == index) {
            line.text = kept.line();
        }
    }
    return edited();
}

bool ScreeningRules::remove(int index)
{
    if (index < 0 || index >= static_cast<int>(rules_.size())) {
        return false;
    }
    rules_.erase(rules_.begin() + index);
    std::erase_if(lines_, [index](const FileLine& line) { return line.rule == index; });
    for (FileLine& line : lines_) {
        if (line.rule > index) {
            --line.rule;
        }
    }
    return edited();
}

bool ScreeningRules::edited()
{
    compile();
    return save();
}

QByteArray ScreeningRules::fileBytes() const
{
    QByteArray bytes;
    for (const FileLine& line : lines_) {
        bytes += line.text.toUtf8() + QByteArrayLiteral("\r\n");
    }
    return bytes;
}

bool ScreeningRules::save() const
{
    if (unreadable_) {
        return false;
    }
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (!QFileInfo::exists(path_)) {
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    const QByteArray bytes = fileBytes();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace qlnrec::blocklist

#include "blocklist/call_screening.h"

#include "core/strings.h"
#include "platform/core/text_helpers.h"

#include <QRegularExpression>

#include <cmath>

namespace qlnrec::blocklist {

namespace {

const QString kNumber = QStringLiteral("number");
const QString kPublic = QStringLiteral("public");
const QString kHeaderLine = QStringLiteral("action,pattern,label");

QString csvLine(const QString& action, const QString& pattern, const QString& label)
{
    return platform::csvField(action) + QLatin1Char(',') + platform::csvField(pattern) + QLatin1Char(',') +
           platform::csvField(label);
}

} // namespace

telephony::ScreeningVerdict CallScreening::screen(const QString& number) const
{
    using Kind = telephony::ScreeningVerdict::Kind;
    const ScreeningDecision decision = rules_.decide(number);
    if (decision.decided()) {
        const ScreeningRule& rule = rules_.rules()[static_cast<std::size_t>(decision.rule)];
        return {decision.action == ScreeningAction::Allow ? Kind::Allow : Kind::Block, rule.name()};
    }
    return list_.contains(number) ? telephony::ScreeningVerdict{Kind::Block, {}}
                                  : telephony::ScreeningVerdict{};
}

QString CallScreening::explain(const QString& number, const core::Strings& strings) const
{
    using core::ProgramText;
    if (screeningDigits(number).isEmpty()) {
        return strings.text(ProgramText::ScreenTypeDigits);
    }
    const ScreeningDecision decision = rules_.decide(number);
    if (decision.decided()) {
        const ScreeningRule& rule = rules_.rules()[static_cast<std::size_t>(decision.rule)];
        return strings.text(ProgramText::ScreenByRule)
            .arg(strings.text(decision.action == ScreeningAction::Allow ? ProgramText::ScreenAllowed
                                                                        : ProgramText::ScreenBlocked))
            .arg(decision.rule + 1)
            .arg(rule.line());
    }
    if (list_.contains(number.trimmed())) {
        return strings.text(ProgramText::ScreenOnBlockList);
    }
    return strings.text(ProgramText::ScreenNotBlocked);
}

QByteArray screeningCsv(const BlockList& list, const ScreeningRules& rules)
{
    QString text = kHeaderLine + QStringLiteral("\r\n");
    for (int i = 0; i < list.count(); ++i) {
        const double value = list.entry(i);
        text += csvLine(value < 0 ? kPublic : kNumber, BlockList::entryText(std::fabs(value)), {}) +
                QStringLiteral("\r\n");
    }
    for (const ScreeningRule& rule : rules.rules()) {
        text += csvLine(rule.line().section(QLatin1Char(' '), 0, 0), rule.pattern, rule.label) +
                QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

ScreeningImport importScreeningCsv(const QByteArray& bytes, BlockList& list, ScreeningRules& rules,
                                   const core::Strings& strings)
{
    using core::ProgramText;
    ScreeningImport result;
    QStringList numbers;
    for (int i = 0; i < list.count(); ++i) {
        numbers << BlockList::entryText(list.entry(i));
    }
    const int room = BlockList::kMaxNumbers - list.count();
    std::vector<ScreeningRule> newRules;
    const QList<QByteArray> lines = bytes.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = QString::fromUtf8(lines[i]).trimmed();
        if (i == 0 && line.startsWith(QChar(0xFEFF))) {
            line.remove(0, 1); // a byte order mark, as spreadsheet programs write one
        }
        if (line.isEmpty() || (i == 0 && line.compare(kHeaderLine, Qt::CaseInsensitive) == 0)) {
            continue;
        }
        const QStringList fields = platform::splitCsvFields(line);
        const QString action = fields.value(0).trimmed().toLower();
        QString pattern = fields.value(1).trimmed();
        const auto problem = [&](const QString& why) {
            result.problems << strings.text(ProgramText::CsvLineProblem).arg(i + 1).arg(why);
        };
        if (action == kNumber || action == kPublic) {
            // Digits with the separators lists print; the table keeps up to 15 digits exactly.
            static const QRegularExpression written(QStringLiteral("^[0-9\\s().\\-]+$"));
            const QString digits = screeningDigits(pattern);
            const double value = digits.toDouble();
            if (!written.match(pattern).hasMatch() || digits.isEmpty() || digits.size() > 15 || value == 0) {
                problem(strings.text(ProgramText::CsvNotANumber).arg(pattern.left(40)));
            } else if (result.numbers >= room) {
                problem(strings.text(ProgramText::CsvBlockListFull));
            } else {
                numbers << BlockList::entryText(action == kPublic ? -value : value);
                ++result.numbers;
            }
            continue;
        }
        std::optional<ScreeningProblem> why;
        pattern.remove(QRegularExpression(QStringLiteral("\\s")));
        const auto rule = ScreeningRules::parseLine(
            action + QLatin1Char(' ') + pattern + QLatin1Char(' ') + fields.value(2), &why);
        if (!rule) {
            problem(why ? why->in(strings) : strings.text(ProgramText::CsvLineEmpty));
            continue;
        }
        newRules.push_back(*rule);
        ++result.rules;
    }
    if (result.numbers > 0) {
        result.written = list.rewrite(numbers) && result.written;
    }
    if (!newRules.empty()) {
        result.written = rules.add(newRules) && result.written;
    }
    return result;
}

} // namespace qlnrec::blocklist

#pragma once
// Call screening rules: screening.txt beside public.tel, UTF-8, one rule a line.
//
//   # a comment; blank lines are skipped
//   block 900*            Premium rate
//   allow 555-1234        Anna (on the shared public list too)
//   block 1800???????
//   block /1(800|888)[0-9]{7}/ Toll-free sellers
//
// A rule is "block" or "allow", a pattern without blanks, and an optional label (the rest of the
// line) that the status line shows. A pattern holds digits, "*" (any digits, also none) and "?"
// (one digit), optionally a leading "+"; the separators - ( ) . are ignored, so 555-1234 and
// 5551234 are the same pattern. A pattern between slashes is a regular expression that must match
// the whole number. Numbers are compared by their digits and a leading "+" only.
//
// Which rule decides: the first allow rule in the file that matches, else the first block rule.
// A line that is not a rule is reported with its line number and skipped; it stays in the file
// as written when the rules are edited, as comments do.
#include "core/program_texts.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace qlnrec::core {
class Strings;
}

namespace qlnrec::blocklist {

enum class ScreeningAction { Block, Allow };

struct ScreeningRule {
    ScreeningAction action = ScreeningAction::Block;
    QString pattern; // as written: "900*", "555-1234", "/1(800|888)[0-9]{7}/"
    QString label;

    bool isRegex() const;
    // The rule as its line in the file.
    QString line() const;
    // What the status line and the test box name the rule by: the label, else the pattern.
    QString name() const { return label.isEmpty() ? pattern : label; }
    bool operator==(const ScreeningRule&) const = default;
};

// Why a line or a rule is no rule: one of the program's texts and its argument, put into words in
// the user's language when it is shown.
struct ScreeningProblem {
    core::ProgramText text = core::ProgramText::ScreeningPatternMissing;
    QString arg; // the text's %1, for the texts that have one
    QString in(const core::Strings& strings) const;
    bool operator==(const ScreeningProblem&) const = default;
};

struct ScreeningError {
    int line = 0; // 1-based line of the file; 0: the file cannot be read (problem.arg says why)
    ScreeningProblem problem;
    bool operator==(const ScreeningError&) const = default;
};

// The rule that decides a number, if any (index into ScreeningRules::rules()).
struct ScreeningDecision {
    int rule = -1;
    ScreeningAction action = ScreeningAction::Block;
    bool decided() const { return rule >= 0; }
};

// The digits of a number and a leading "+" ("+1 (800) 555-0100" -> "+18005550100"); other
// characters are dropped. Cut to kMaxNumberLength characters.
QString screeningDigits(const QString& number);

class ScreeningMatcher;

class ScreeningRules {
public:
    static constexpr int kMaxNumberLength = 32;
    // A longer regular expression is refused: the expressions run on the GUI thread for every
    // caller, so they stay small.
    static constexpr int kMaxRegexLength = 200;

    explicit ScreeningRules(const QString& programFolder);
    ~ScreeningRules();

    QString path() const { return path_; }

    // Reads the file (a missing file holds no rules). The bad lines are in errors(); a file that
    // cannot be read is an error of line 0, and no edit then writes over it.
    void load();
    // The same from the file's bytes.
    void parse(const QByteArray& bytes);

    const std::vector<ScreeningRule>& rules() const { return rules_; }
    const QList<ScreeningError>& errors() const { return errors_; }
    // "screening.txt line 3: ..." for each bad line, in the language of strings.
    QStringList errorTexts(const core::Strings& strings) const;

    ScreeningDecision decide(const QString& number) const;

    // Why a rule cannot be kept (nullopt when it can).
    static std::optional<ScreeningProblem> problemOf(const ScreeningRule& rule);
    // One line of the file as a rule; nullopt for a comment or a blank line; problem says why a
    // line is no rule.
    static std::optional<ScreeningRule> parseLine(const QString& line,
                                                  std::optional<ScreeningProblem>* problem);

    // Edits: each keeps the other lines of the file as they are and writes the file at once.
    // A rule with a problem is refused. False when refused or when the file cannot be written
    // (the rules in memory are those edited all the same, so the next save retries).
    bool add(const std::vector<ScreeningRule>& rules);
    bool replace(int index, const ScreeningRule& rule);
    bool remove(int index);
    bool save() const;
    QByteArray fileBytes() const;

private:
    // A line of the file: a rule (its index in rules_) or text kept as it was.
    struct FileLine {
        QString text;
        int rule = -1;
    };
    void compile();
    bool edited();

    QString path_;
    std::vector<FileLine> lines_;
    std::vector<ScreeningRule> rules_;
    QList<ScreeningError> errors_;
    std::unique_ptr<ScreeningMatcher> matcher_;
    bool unreadable_ = false;
};

} // namespace qlnrec::blocklist

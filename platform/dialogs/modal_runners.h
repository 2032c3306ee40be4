#pragma once
// The two modal runners: the real one (QDialog::exec) and the automatic one for headless runs
// and tests.
#include "platform/core/modal_runner.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <utility>

namespace qlnrec::platform {

class WidgetModalRunner final : public ModalRunner {
public:
    int run(QDialog& dialog) override;
    void showModeless(QDialog& dialog) override;
};

class AutoModalRunner final : public ModalRunner {
public:
    // What a scripted answer does with the dialog: fill fields, press buttons (it should close
    // the dialog; if it does not, the dialog is rejected afterwards).
    using Answer = std::function<void(QDialog& dialog)>;

    // echo: write one line per window to standard error (headless runs do, tests need not).
    explicit AutoModalRunner(bool echo = true) : echo_(echo) {}

    // The next time a dialog with this object name runs, answer instead of pressing its default
    // button. Answers for one name are used in the order given.
    void script(const QString& dialogName, Answer answer)
    {
        scripted_.emplace_back(dialogName, std::move(answer));
    }
    // Presses the button with this object name the next time the dialog runs.
    void scriptButton(const QString& dialogName, const QString& buttonName);

    int run(QDialog& dialog) override;
    void showModeless(QDialog& dialog) override;

    // "<dialog>: <button>" for every dialog run so far ("<dialog>: scripted" for scripted ones,
    // "<dialog>: rejected" when no button was found).
    const QStringList& log() const { return log_; }
    int runCount(const QString& dialogName) const;

    // Presses a child button of dialog by object name; false when there is none.
    static bool pressButton(QDialog& dialog, const QString& buttonName);

private:
    void note(const QString& name, const QString& entry);
    // The scripted answer for a dialog name, taken off the script; empty when there is none.
    Answer takeAnswer(const QString& name);

    bool echo_;
    std::deque<std::pair<QString, Answer>> scripted_;
    QStringList log_;
};

} // namespace qlnrec::platform

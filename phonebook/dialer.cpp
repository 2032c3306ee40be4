#include "phonebook/dialer.h"

#include "core/config_store.h"
#include "core/settings_table.h"
#include "core/status_line.h"
#include "core/strings.h"
#include "phonebook/phone_book_transfer.h"
#include "platform/core/dialog_service.h"
#include "platform/core/event_service.h"
#include "platform/telephony/telephony_service.h"
#include "platform/wave/wave_service.h"

#include <limits>

namespace qlnrec::phonebook {

namespace {
constexpr int kEndOfRecordingText = 1033;
constexpr int kDropFirstText = 1085;

// Text that may go to the telephony interface as a dial string: printable ASCII only. A NUL
// would cut the string short and a control character or a non-ASCII one has no place in a
// number; the line refuses what it does not dial.
bool plainDialText(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E) {
            return false;
        }
    }
    return true;
}
} // namespace

Dialer::Dialer(telephony::LineSystem& lines, DialRecords& records, const PhoneBookFile& phoneBook,
               QString programFolder)
    : lines_(lines), records_(records), lists_(phoneBook), programFolder_(std::move(programFolder))
{
    for (int line = 0; line < telephony::kLineCount; ++line) {
        Watch& w = watch_.at(static_cast<std::size_t>(line));
        w.timer = std::make_unique<platform::Timer>(lines_.context().events, kWatchMs,
                                                    [this, line] { watchTick(line); });
    }
}

Dialer::~Dialer() = default;

void Dialer::load()
{
    core::ConfigStore& config = lines_.context().config;
    const int line = config.getInt(core::keys::kDialOut);
    line_ = telephony::LineState::validLine(line) ? line : 0;
    // The prefix comes back as it was typed: a pause or a leading zero in it is part of the
    // number that is dialled.
    prefix_ = config.get(core::keys::kDialPrefix).trimmed();
    prefixChecked_ = config.getNumber(core::keys::kUseDialPrefix) != 0;
    number_ = config.get(core::keys::kLastCallerId);
    if (!search_.lastSearchTerm.isEmpty()) {
        findText_ = search_.lastSearchTerm;
    }
    lists_.load();
    listsChanged();
}

void Dialer::listsChanged()
{
    if (selected_ >= lists_.count()) {
        selected_ = -1;
    }
    ++listsRevision_;
    notify();
}

// ---- number, prefix, line, lists ----

void Dialer::setNumber(const QString& text)
{
    number_ = text;
    notify();
}

void Dialer::appendToNumber(const QString& key)
{
    setNumber(number_ + key);
}

void Dialer::backspace()
{
    const QString trimmed = number_.trimmed();
    if (!trimmed.isEmpty()) {
        setNumber(trimmed.left(trimmed.size() - 1));
    }
}

void Dialer::clearNumber()
{
    setNumber(QString());
}

void Dialer::setPrefix(const QString& text)
{
    prefix_ = text;
    lines_.context().config.save(core::keys::kDialPrefix, text.trimmed());
}

void Dialer::setPrefixChecked(bool checked)
{
    prefixChecked_ = checked;
    lines_.context().config.save(core::keys::kUseDialPrefix,
                                 checked ? QStringLiteral("1") : QStringLiteral("0"));
}

void Dialer::setLine(int line)
{
    if (telephony::LineState::validLine(line)) {
        line_ = line;
    }
}

void Dialer::saveLine()
{
    lines_.context().config.save(core::keys::kDialOut, QString::number(line_));
}

void Dialer::select(int index)
{
    selected_ = index >= 0 && index < lists_.count() ? index : -1;
    notify();
}

void Dialer::selectEntry()
{
    if (selected_ >= 0) {
        setNumber(lists_.at(selected_).telephone.trimmed());
    }
}

void Dialer::deleteSelected()
{
    if (selected_ < 0) {
        return;
    }
    lists_.removeAndSave(selected_);
    selected_ = -1;
    listsChanged();
}

void Dialer::importPhoneBook()
{
    PhoneBookTransfer(lists_, lines_.context().dialogs, programFolder_, lines_.context().strings)
        .importPhoneBook();
    selected_ = -1;
    listsChanged();
}

void Dialer::exportPhoneBook()
{
    PhoneBookTransfer(lists_, lines_.context().dialogs, programFolder_, lines_.context().strings)
        .exportPhoneBook();
}

void Dialer::copyToUnreachable()
{
    if (selected_ < 0) {
        return;
    }
    PhoneBookTransfer(lists_, lines_.context().dialogs, programFolder_, lines_.context().strings)
        .appendUnreachable(selected_);
    listsChanged();
}

void Dialer::deleteUnreachable()
{
    PhoneBookTransfer(lists_, lines_.context().dialogs, programFolder_, lines_.context().strings)
        .deleteUnreachableFile();
}

// ---- dialling ----

bool Dialer::MakeCall(int line, const QString& dialString)
{
    telephony::LineSlot& slot = lines_.state()[line];
    if (slot.hLine == 0) {
        lines_.context().dialogs.messageBox(QStringLiteral("Please select a line that supports voice"),
                                            QString::fromLatin1(telephony::kMessageTitle),
                                            platform::MessageIcon::Critical);
        return false;
    }
    if (dialString.isEmpty() || !plainDialText(dialString)) {
        return false;
    }
    const QByteArray address = dialString.toLatin1();
    return lines_.context().tapi.lineMakeCall(slot.hLine, &slot.hCall, address.constData(), 0, nullptr) > 0;
}

bool Dialer::dial()
{
    if (dialNext_) {
        if (selected_ == lists_.count() - 1) {
            lines_.context().dialogs.messageBox(QStringLiteral("End of PhoneBook"),
                                                QString::fromLatin1(telephony::kMessageTitle),
                                                platform::MessageIcon::Critical);
            return false;
        }
        select(selected_ + 1);
        // Trimmed as Select does: the list's padding would end up in the recording's name.
        setNumber(lists_.at(selected_).telephone.trimmed());
    }
    const QString number = number_.trimmed();
    // Joining a call dialled on the telephone set dials nothing, so no prefix either.
    const bool join = platform::isJoinCallAddress(number.toLatin1());
    const QString dialString = prefixChecked_ && !join ? prefix_.trimmed() + number : number;
    const int line = line_;
    // The line's caller part is left alone when the request fails: the line may be recording
    // another call whose file name it is.
    if (!MakeCall(line, dialString)) {
        return false;
    }
    setCalling(true);
    markDialled(line, number_);
    records_.recordCallMade(number);
    countCall(line);
    Watch& w = watch_.at(static_cast<std::size_t>(line));
    w.replyAwaited = false;
    w.callSeen = false;
    w.ticksWithoutCall = 0;
    w.timer->setEnabled(true);
    return true;
}

bool Dialer::dialNumber(const QString& number)
{
    setNumber(number);
    return dial();
}

void Dialer::quickDial()
{
    quickDialClose_ = true;
    dialNumber(QStringLiteral("O"));
}

void Dialer::markDialled(int line, const QString& typed)
{
    telephony::LineSlot& slot = lines_.state()[line];
    slot.dialOutPending = -1;
    slot.callerNumberPart = QStringLiteral("~") + QString(typed).replace(QLatin1Char('*'), QLatin1Char('@'));
    slot.callerNamePart.clear();
    const QString number = typed.trimmed();
    for (const PhoneBookEntry& entry : lists_.entries()) {
        if (entry.telephone.trimmed() == number) {
            slot.callerNamePart = entry.name.trimmed().section(QLatin1Char(' '), 0, 0);
            break;
        }
    }
    // The connection of this call must not start the answering machine's greeting.
    slot.greetingDue = 0;
}

void Dialer::countCall(int line)
{
    // The weight of the learned ring intervals grows with each call, held at its 16-bit top.
    core::ConfigStore& config = lines_.context().config;
    const core::SettingKey key = core::ringWeight(line);
    telephony::LineSlot& slot = lines_.state()[line];
    slot.ringSamples = telephony::LineDispatcher::ringSamplesFromText(config.get(key));
    const int next = slot.ringSamples == std::numeric_limits<std::int16_t>::max() ? slot.ringSamples
                                                                                  : slot.ringSamples + 1;
    config.save(key, QString::number(next));
}

void Dialer::drop()
{
    setCalling(false);
    const int line = line_;
    telephony::LineSlot& slot = lines_.state()[line];
    slot.callerNumberPart.clear();
    slot.callerNamePart.clear();
    slot.recordState = telephony::kRecordIdle;
    lines_.context().wave.waveInReset(slot.waveInHandle);
    // A call dropped before it connected must not be taken for an outgoing call when the next
    // call on the line connects, and one dropped in the second after it connected must not
    // start recording afterwards.
    slot.dialOutPending = 0;
    telephony::LineTimers::at(lines_.timers().Timer4, line).setEnabled(false);
    stopWatch(line);
    lines_.context().statusLog.addStatusLine(QStringLiteral("@") +
                                             lines_.context().strings.loadText(kEndOfRecordingText));
    telephony::LineTimers::at(lines_.timers().timDropCall, line).setEnabled(true);
    if (quickDialClose_) {
        exit();
    }
}

bool Dialer::exit()
{
    const bool mayClose = !calling_;
    if (!mayClose) {
        lines_.context().dialogs.messageBox(lines_.context().strings.loadText(kDropFirstText),
                                            QString::fromLatin1(telephony::kMessageTitle),
                                            platform::MessageIcon::Critical);
    }
    call(hooks_.reloadPhoneBookTable);
    if (mayClose) {
        call(hooks_.closeWindow);
    }
    return mayClose;
}

// ---- watching the call ----

void Dialer::awaitReply(int line)
{
    if (!telephony::LineState::validLine(line)) {
        return;
    }
    Watch& w = watch_.at(static_cast<std::size_t>(line));
    w.replyAwaited = true;
    w.timer->setEnabled(true);
}

void Dialer::watchTick(int line)
{
    Watch& w = watch_.at(static_cast<std::size_t>(line));
    telephony::LineSlot& slot = lines_.state()[line];
    bool ended = false;
    if (w.replyAwaited) {
        ended = slot.recordState == telephony::kRecordIdle;
    } else {
        // Busy, no answer or a refused request: the call ends without ever being recorded, and
        // the window must not wait for a recording that never comes.
        w.callSeen = w.callSeen || slot.hCall != 0;
        w.ticksWithoutCall = slot.hCall == 0 ? w.ticksWithoutCall + 1 : 0;
        ended = w.callSeen ? slot.hCall == 0 : w.ticksWithoutCall >= kTicksWithoutCall;
        if (ended) {
            slot.dialOutPending = 0;
        }
    }
    if (ended) {
        stopWatch(line);
        setCalling(false);
    }
}

void Dialer::stopWatch(int line)
{
    Watch& w = watch_.at(static_cast<std::size_t>(line));
    w.timer->setEnabled(false);
    w.replyAwaited = false;
    w.callSeen = false;
    w.ticksWithoutCall = 0;
}

void Dialer::setCalling(bool calling)
{
    calling_ = calling;
    notify();
}

} // namespace qlnrec::phonebook

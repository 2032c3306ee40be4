#include "app/call_notifier.h"

#include "core/config_store.h"
#include "core/settings_table.h"
#include "core/strings.h"
#include "platform/core/shell_service.h"

namespace qlnrec::app {

bool CallNotifier::enabled() const
{
    return config_.get(core::keys::kNotify) != QLatin1String("0");
}

void CallNotifier::incomingCall(const QString& number, const QString& name)
{
    if (!enabled()) {
        return;
    }
    const QString body = name.trimmed().isEmpty() ? number : number + QLatin1Char('\n') + name.trimmed();
    shell_.notify(strings_.text(core::ProgramText::NotifyIncomingCall), body);
}

void CallNotifier::recordingFinished(const QString& fileName)
{
    if (!enabled() || !fileName.startsWith(QLatin1Char('A'))) {
        return;
    }
    shell_.notify(strings_.text(core::ProgramText::NotifyNewMessage),
                  strings_.text(core::ProgramText::NotifyNewMessageBody).arg(fileName));
}

} // namespace qlnrec::app

#pragma once
// "Mail To..." of the recordings list: hands the selected recording to the user's mail program
// with its compose window open. Nothing is sent without the user.
#include <QString>

namespace qlnrec::platform {
class DialogService;
class ShellService;
} // namespace qlnrec::platform

namespace qlnrec::core {
class Strings;
}

namespace qlnrec::tools {

// Hands recordingsFolder + name over as the attachment, with the name as subject and "@" as the
// recipient the user replaces. A missing file is said and nothing is handed over; a mail program
// that fails, or none installed, is said when the hand-over ends (in the language of strings,
// which must outlive the hand-over).
void mailRecording(const QString& recordingsFolder, const QString& name, platform::ShellService& shell,
                   platform::DialogService& dialogs, const core::Strings& strings);

} // namespace qlnrec::tools

#pragma once
// What the two ring rule dialogs need from the program, and how the setup dialog's "Ring Rules"
// button opens them.
#include "app/rings/ring_rules_file.h"

class QWidget;

namespace qlnrec::core {
class Strings;
}
namespace qlnrec::platform {
class DialogService;
class ModalRunner;
} // namespace qlnrec::platform

namespace qlnrec::app {

struct RingRuleDialogContext {
    RingRulesFile& file;
    platform::DialogService& dialogs;
    platform::ModalRunner& runner; // every modal window of the program runs through it
    const core::Strings& strings;
};

// Shows the rule list (frmSetRings) modally over owner.
void showRingRules(RingRuleDialogContext& context, QWidget* owner);

} // namespace qlnrec::app

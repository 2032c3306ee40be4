#pragma once
// The texts this program shows beyond the string table (windows, tips and messages it added), in
// the same three languages. Strings::text picks the current language's copy.
#include <QString>

namespace qlnrec::core {

enum class ProgramText {
    // The tray icon.
    TrayTip,
    TrayNoNotificationArea,
    // Desktop notifications and their switch in the setup dialog.
    NotifyIncomingCall,
    NotifyNewMessage,
    NotifyNewMessageBody, // %1: the recording's file name
    SetupNotifications,
    // The what's-new window.
    WhatsNewTitle,
    WhatsNewNotes, // HTML
    // Mailing a recording.
    MailNoProgram,
    // The wave file browser.
    BrowseFolderTip,
    BrowseSearch,
    BrowsePause,
    BrowseCannotDelete,     // %1 file, %2 reason
    BrowseCannotShowFolder, // %1 folder
    // The black list window's tabs and its screening rules.
    BlackListNumbersTab,
    RulesTab,
    RulesTitle,
    RulesEditTip,
    RulesAction,
    RulesPattern,
    RulesLabel,
    RulesAdd,
    RulesEdit,
    RulesDelete,
    RulesImportCsv,
    RulesImportCsvTip,
    RulesExportCsv,
    RulesExportCsvTip,
    RulesTestNumber,
    RulesPhoneBookWins,
    RulesKnownOnly,
    RulesOrder,
    RulesSelectRule,
    RuleBlock,
    RuleAllow,
    RuleTitle,
    RulePatternTip,
    RuleLabelTip,
    RuleCannotKeep, // %1: why
    RuleActionField,
    RulePatternField,
    RuleLabelField,
    RuleOk,
    RuleCancel,
    RulesCannotRead,  // %1 file
    RulesCannotWrite, // %1 file
    RulesImported,    // %1 numbers, %2 rules
    RulesSkipped,     // %1 lines
    RulesNotWritten,
    RulesListBlock, // the action column of the rule list
    RulesListAllow,
    // Other subsystems.
    CannotPlay,           // %1 file, %2 reason
    NoRecordingsToBackUp, // %1 folder
    RingRuleNotWritten,
    PromptNotWritten, // followed by the file
};

// The text in the language of the offset (0 English, 1000 Simplified, 2000 Traditional Chinese;
// any other offset gives English).
QString programText(ProgramText id, int languageOffset);

} // namespace qlnrec::core

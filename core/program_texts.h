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
    FileCannotRead,  // %1 file
    FileCannotWrite, // %1 file
    RulesImported,   // %1 numbers, %2 rules
    RulesSkipped,    // %1 lines
    RulesNotWritten,
    RulesListBlock, // the action column of the rule list
    RulesListAllow,
    // Other subsystems.
    CannotPlay,           // %1 file, %2 reason
    NoRecordingsToBackUp, // %1 folder
    RingRuleNotWritten,
    PromptNotWritten, // followed by the file
    // The black list window's test box and its CSV import.
    ScreenTypeDigits,
    ScreenByRule, // %1 ScreenAllowed or ScreenBlocked, %2 rule number, %3 the rule as written
    ScreenAllowed,
    ScreenBlocked,
    ScreenOnBlockList,
    ScreenNotBlocked,
    CsvLineProblem, // %1 line number, %2 why
    CsvNotANumber,  // %1 what the line holds
    CsvBlockListFull,
    CsvLineEmpty,
    // Changes to the black list.
    BlackListFull,       // %1 numbers
    BlackListNotWritten, // %1 file
    BlackListImported,   // %1 numbers, %2 lines
    BlackListZero,
    // The phone book's files.
    PhoneBookFileError, // %1 file
    PhoneBookFull,      // %1 entries, %2 lines
    // Settings, start and backup.
    SettingsJournalNotWritten, // %1 file, %2 reason
    SettingsFileNotWritten,    // %1 file, %2 reason
    CannotKeepFiles,           // %1 why
    SplashVersion,             // %1 version
    BackupProgress,            // %1 of %2 files, %3 of %4 bytes, %5 file
    BackupCancelled,
    BackupStopped, // %1 why
    BackupSummary, // %1 BackupMoved or BackupCopied, %2 done, %3 skipped, %4 failed
    BackupMoved,
    BackupCopied,
    BackupNoFolder,       // %1 folder
    BackupTargetIsSource, // the recordings folder itself
    BackupAlreadyThere,   // %1 count, %2 folder, %3 names
    // The setup dialog's recordings folder.
    SetupFolderNotFullPath,  // %1 folder
    SetupFolderCannotCreate, // %1 folder
    SetupFolderNotWritable,  // %1 folder
    // Calls and the main window.
    KnownOnlyRule,           // ends a blocked caller's status line
    CallerHistoryNotWritten, // followed by the file
    TouchToneLogNotWritten,  // %1 file, %2 reason
    NotAvailableYet,         // %1 command
    NoVolumeControl,
    // Choosing files.
    PromptUseFile,
    PromptUseFileTitle,
    PromptWaveFilter,
    PublicListImport,
    PublicListExport,
    // Screening rules that cannot be kept.
    ScreeningPatternMissing,
    ScreeningPatternBlanks,
    ScreeningRegexSlashes,
    ScreeningRegexTooLong, // %1 characters
    ScreeningRegexInvalid, // %1 why
    ScreeningPatternChars,
    ScreeningNotAnAction,    // %1 the first word
    ScreeningFileUnreadable, // %1 file, %2 why
    ScreeningBadLine,        // %1 file, %2 line number, %3 why
    // Ring rules.
    RingsLineUnreadable, // %1 line number, %2 its fields
    RingsMissingRings,
    RingsRuleNotWritten,
    // The incoming-call popup.
    PopupLine, // %1 line
    PopupSecondsLeft,
    // The log viewer.
    LogFileHeldOpen,
    NoPrinter,
    // The phone book's entry forms.
    PhoneBookEntryListFull, // %1 entries
    PhoneBookEntryNotWritten,
    // The program folder.
    FolderIsAFile,     // %1 folder
    FolderCannotMake,  // %1 folder
    FolderNotWritable, // %1 folder, %2 reason
    // The day log and the recordings list's rename.
    DayLogNotWritten, // %1 file, %2 reason
    RenameBadName,
    RenameNameTaken,
    RenameAccessError,
    // Reasons in the backup summary.
    CopyReadBackDiffers,
    CopyChangedMeanwhile,
    CopySourceNotRemoved, // %1 reason
    BackupSourceGone,
    BackupStillWritten,
    BackupNameInTarget,
    BackupTargetRefused, // %1 file, %2 target folder, %3 reason
    // The prompt recorders.
    PromptTooShort,
    PromptNotSavedAs,      // %1 file
    PromptCannotRead,      // %1 file, %2 reason
    PromptNotPcm,          // %1 file
    PromptCannotWrite,     // %1 file, %2 reason
    PromptNowHolds,        // %1 prompt file, %2 the file taken
    PromptRecorderStarted, // %1 program, %2 file
    PromptNoRecorder,      // %1 programs looked for
    PromptLineBusy,
    PromptInputNotOpened, // %1 error number
    PromptLineTookCall,
    PromptTakeNotWritten, // %1 reason
    PromptSaved,          // %1 file
    DefaultPromptMissing, // %1 file
    // The signal analysis library.
    SigScanNotFound, // %1 library, %2 places looked, %3 SigScanWithout
    SigScanUnusable, // %1 library, %2 problems, %3 SigScanWithout
    SigScanWithout,
    SigScanNoFbs, // %1 file
    // Recordings that cannot be written.
    RecordingNotWritten,  // %1 name, %2 reason
    UnfinishedNotWritten, // %1 name, %2 reason
    UnfinishedRecovered,  // %1 name, %2 seconds
    RecordingNotStored,   // %1 line
};

constexpr ProgramText kLastProgramText = ProgramText::RecordingNotStored;

// The text in the language of the offset (0 English, 1000 Simplified, 2000 Traditional Chinese;
// any other offset gives English).
QString programText(ProgramText id, int languageOffset);

} // namespace qlnrec::core

#include "core/program_texts.h"

#include <array>

namespace qlnrec::core {

namespace {

struct Row {
    ProgramText id;
    const char* english;
    const char* simplified;
    const char* traditional;
};

using T = ProgramText;

// One row per text, in the order of the enumeration (checked below).
constexpr std::array kRows{
    Row{T::TrayTip, "Quillon Recorder - Right Click To Record Outgoing Call",
        "Quillon Recorder - 右键单击录制拨出的电话", "Quillon Recorder - 按右鍵錄製撥出的電話"},
    Row{T::TrayNoNotificationArea,
        "This desktop has no notification area: the minimised window stays in the task bar",
        "此桌面没有通知区域：最小化的窗口留在任务栏中", "此桌面沒有通知區域：最小化的視窗留在工作列中"},
    Row{T::NotifyIncomingCall, "Incoming call", "来电", "來電"},
    Row{T::NotifyNewMessage, "New message", "新留言", "新留言"},
    Row{T::NotifyNewMessageBody, "Recording %1", "录音 %1", "錄音 %1"},
    Row{T::SetupNotifications, "Desktop Notifications", "桌面通知", "桌面通知"},
    Row{T::WhatsNewTitle, "What's New in Quillon Recorder", "Quillon Recorder 新功能",
        "Quillon Recorder 新功能"},
    Row{T::WhatsNewNotes,
        "<h3>Quillon Recorder for Linux</h3><ul>"
        "<li>Records calls on up to four voice modem lines as WAVE files, in PCM or TrueSpeech, and "
        "stops on hang-up, silence, fast busy or dial tone.</li>"
        "<li>Answers like an answering machine: greeting, beep, message, an optional legal notice "
        "and a touch-tone menu. New messages wait in the unread list.</li>"
        "<li>Shows and logs caller ID, names callers from the phone book, pops up Answer and Hang "
        "Up, and tells the desktop of each call and each new message (switch it off in Setup).</li>"
        "<li>Blocks unwanted callers: the block list, and screening rules with number patterns, "
        "allow rules and 'only known callers' (Setup, Blacklist Setup, Rules).</li>"
        "<li>Dials from the phone book and records the answered call. Minimised, it waits in the "
        "notification area; a right click there records a call dialled on the telephone set.</li>"
        "<li>Mails a recording, backs recordings up or moves them (each copy checked first), and "
        "finds and plays any wave file in its browser.</li>"
        "<li>No modem yet? Start it with <b>--demo</b> and watch a whole answered call on a "
        "simulated line; your own settings and recordings are not touched.</li></ul>",
        "<h3>Quillon Recorder（Linux 版）</h3><ul>"
        "<li>在最多四条语音调制解调器线路上把通话录制成 WAVE 文件（PCM 或 TrueSpeech），"
        "挂机、静音、忙音或拨号音时停止录音。</li>"
        "<li>像答录机一样接听：问候语、提示音、留言、可选的法律声明和按键菜单。新留言列在未读列表中。</li>"
        "<li>显示并记录来电号码，从电话簿查出来电者姓名，弹出“接听”和“挂断”窗口，"
        "并在每次来电和每条新留言时通知桌面（可在“设置”中关闭）。</li>"
        "<li>拦截不想接的来电：黑名单，以及带号码模式、允许规则和“只接已知来电”的筛选规则"
        "（设置、黑名单设置、规则）。</li>"
        "<li>从电话簿拨号并录制接通的电话。最小化后在通知区域等候；在那里单击右键可录制在话机上拨出的电话。</"
        "li>"
        "<li>可用邮件发送录音，备份或移动录音（每份副本先经校验），并可在浏览器中查找和播放任何声音文件。</"
        "li>"
        "<li>还没有调制解调器？用 <b>--demo</b> 启动，观看模拟线路上一次完整的自动接听；"
        "您自己的设置和录音不受影响。</li></ul>",
        "<h3>Quillon Recorder（Linux 版）</h3><ul>"
        "<li>在最多四條語音數據機線路上把通話錄製成 WAVE 檔案（PCM 或 TrueSpeech），"
        "掛斷、靜音、忙音或撥號音時停止錄音。</li>"
        "<li>像答錄機一樣接聽：問候語、提示音、留言、可選的法律聲明和按鍵選單。新留言列在未讀清單中。</li>"
        "<li>顯示並記錄來電號碼，從電話簿查出來電者姓名，彈出「接聽」和「掛斷」視窗，"
        "並在每次來電和每則新留言時通知桌面（可在「設定」中關閉）。</li>"
        "<li>封鎖不想接的來電：黑名單，以及含號碼樣式、允許規則和「只接已知來電」的過濾規則"
        "（設定、黑名單設定、規則）。</li>"
        "<li>從電話簿撥號並錄製接通的電話。最小化後在通知區域等候；在那裡按右鍵可錄製在話機上撥出的電話。</"
        "li>"
        "<li>可用郵件寄出錄音，備份或移動錄音（每份副本先經驗證），並可在瀏覽器中尋找和播放任何聲音檔案。</"
        "li>"
        "<li>還沒有數據機？用 <b>--demo</b> 啟動，觀看模擬線路上一次完整的自動接聽；"
        "您自己的設定和錄音不受影響。</li></ul>"},
    Row{T::MailNoProgram,
        "No mail program could be started: xdg-email (package xdg-utils) is not installed. Message has "
        "not been sent.",
        "无法启动邮件程序：未安装 xdg-email（xdg-utils 软件包）。邮件未发送。",
        "無法啟動郵件程式：未安裝 xdg-email（xdg-utils 套件）。郵件未寄出。"},
    Row{T::BrowseFolderTip, "Double click a folder to open it", "双击文件夹将其打开", "按兩下資料夾將其開啟"},
    Row{T::BrowseSearch, "Search", "搜索", "搜尋"},
    Row{T::BrowsePause, "Pause", "暂停", "暫停"},
    Row{T::BrowseCannotDelete, "Cannot delete %1: %2", "无法删除 %1：%2", "無法刪除 %1：%2"},
    Row{T::BrowseCannotShowFolder, "Cannot show %1 in the file manager.", "无法在文件管理器中显示 %1。",
        "無法在檔案管理員中顯示 %1。"},
    Row{T::BlackListNumbersTab, "Numbers", "号码", "號碼"},
    Row{T::RulesTab, "Rules", "规则", "規則"},
    Row{T::RulesTitle, "Screening Rules", "筛选规则", "過濾規則"},
    Row{T::RulesEditTip, "Double click to edit", "双击进行编辑", "按兩下進行編輯"},
    Row{T::RulesAction, "Action", "操作", "動作"},
    Row{T::RulesPattern, "Pattern", "模式", "樣式"},
    Row{T::RulesLabel, "Label", "标签", "標籤"},
    Row{T::RulesAdd, "Add", "添加", "新增"},
    Row{T::RulesEdit, "Edit", "编辑", "編輯"},
    Row{T::RulesDelete, "Delete", "删除", "刪除"},
    Row{T::RulesImportCsv, "Import CSV", "导入 CSV", "匯入 CSV"},
    Row{T::RulesImportCsvTip, "Add the numbers and rules of a CSV file: action,pattern,label",
        "添加 CSV 文件中的号码和规则：action,pattern,label",
        "新增 CSV 檔案中的號碼和規則：action,pattern,label"},
    Row{T::RulesExportCsv, "Export CSV", "导出 CSV", "匯出 CSV"},
    Row{T::RulesExportCsvTip, "Save the block list and the rules as a CSV file: action,pattern,label",
        "把黑名单和规则保存为 CSV 文件：action,pattern,label",
        "把黑名單和規則儲存為 CSV 檔案：action,pattern,label"},
    Row{T::RulesTestNumber, "Test a number:", "测试号码：", "測試號碼："},
    Row{T::RulesPhoneBookWins, "Callers in the phone book are never blocked", "电话簿中的来电者永不拦截",
        "電話簿中的來電者永不封鎖"},
    Row{T::RulesKnownOnly, "Only known callers: block everyone not in the phone book or an allow rule",
        "只接已知来电：拦截不在电话簿中、也不符合允许规则的所有来电",
        "只接已知來電：封鎖不在電話簿中、也不符合允許規則的所有來電"},
    Row{T::RulesOrder,
        "Who decides, first to last: allow rules; the phone book (when ticked); block rules and the block "
        "list; only known callers (when ticked). Within the rules the first matching line wins.",
        "决定顺序（从先到后）：允许规则；电话簿（勾选时）；拦截规则和黑名单；只接已知来电（勾选时）。"
        "规则之间以第一条符合的为准。",
        "決定順序（由先到後）：允許規則；電話簿（勾選時）；封鎖規則和黑名單；只接已知來電（勾選時）。"
        "規則之間以第一條符合的為準。"},
    Row{T::RulesSelectRule, "Please select a rule", "请选择一条规则", "請選擇一條規則"},
    Row{T::RuleBlock, "Block", "拦截", "封鎖"},
    Row{T::RuleAllow, "Allow", "允许", "允許"},
    Row{T::RuleTitle, "Screening Rule", "筛选规则", "過濾規則"},
    Row{T::RulePatternTip, "Digits, * for any digits, ? for one digit; /.../ for a regular expression",
        "数字，* 代表任意多位数字，? 代表一位数字；/.../ 为正则表达式",
        "數字，* 代表任意多位數字，? 代表一位數字；/.../ 為正規表示式"},
    Row{T::RuleLabelTip, "Shown in the status list when this rule decides", "此规则起作用时显示在状态列表中",
        "此規則起作用時顯示在狀態清單中"},
    Row{T::RuleCannotKeep, "This rule cannot be kept: %1", "无法保存此规则：%1", "無法儲存此規則：%1"},
    Row{T::RuleActionField, "Action:", "操作：", "動作："},
    Row{T::RulePatternField, "Pattern:", "模式：", "樣式："},
    Row{T::RuleLabelField, "Label:", "标签：", "標籤："},
    Row{T::RuleOk, "OK", "确定", "確定"},
    Row{T::RuleCancel, "Cancel", "取消", "取消"},
    Row{T::FileCannotRead, "%1 cannot be read", "无法读取 %1", "無法讀取 %1"},
    Row{T::FileCannotWrite, "%1 cannot be written", "无法写入 %1", "無法寫入 %1"},
    Row{T::RulesImported, "%1 numbers and %2 rules added", "已添加 %1 个号码和 %2 条规则",
        "已新增 %1 個號碼和 %2 條規則"},
    Row{T::RulesSkipped, "; %1 lines skipped:\n", "；跳过 %1 行：\n", "；略過 %1 行：\n"},
    Row{T::RulesNotWritten, "\nThe black list or the rules could not be written.", "\n无法写入黑名单或规则。",
        "\n無法寫入黑名單或規則。"},
    // English shows the words of screening.txt.
    Row{T::RulesListBlock, "block", "拦截", "封鎖"},
    Row{T::RulesListAllow, "allow", "允许", "允許"},
    Row{T::CannotPlay, "Cannot play %1: %2", "无法播放 %1：%2", "無法播放 %1：%2"},
    Row{T::NoRecordingsToBackUp, "There are no recordings (*.wav) in %1.", "%1 中没有录音（*.wav）。",
        "%1 中沒有錄音（*.wav）。"},
    Row{T::RingRuleNotWritten, "Rings.txt could not be written; the rule is kept",
        "无法写入 Rings.txt；该规则仍然保留", "無法寫入 Rings.txt；該規則仍然保留"},
    Row{T::PromptNotWritten, "Prompt not written: ", "提示音未写入：", "提示音未寫入："},
    Row{T::ScreenTypeDigits, "Type a number with digits", "请输入含数字的号码", "請輸入含數字的號碼"},
    Row{T::ScreenByRule, "%1 by rule %2: %3", "%1，依据第 %2 条规则：%3", "%1，依據第 %2 條規則：%3"},
    Row{T::ScreenAllowed, "Allowed", "允许", "允許"},
    Row{T::ScreenBlocked, "Blocked", "拦截", "封鎖"},
    Row{T::ScreenOnBlockList, "Blocked: on the block list", "拦截：在黑名单中", "封鎖：在黑名單中"},
    Row{T::ScreenNotBlocked, "Not blocked: no rule matches and the number is not on the block list",
        "不拦截：没有符合的规则，号码也不在黑名单中", "不封鎖：沒有符合的規則，號碼也不在黑名單中"},
    Row{T::CsvLineProblem, "line %1: %2", "第 %1 行：%2", "第 %1 行：%2"},
    Row{T::CsvNotANumber, "\"%1\" is no number the block list can hold", "“%1”不是黑名单能保存的号码",
        "「%1」不是黑名單能儲存的號碼"},
    Row{T::CsvBlockListFull, "the block list is full", "黑名单已满", "黑名單已滿"},
    Row{T::CsvLineEmpty, "the line is empty", "该行为空", "該行為空"},
    Row{T::BlackListFull, "The black list is full: it holds %1 numbers", "黑名单已满：已有 %1 个号码",
        "黑名單已滿：已有 %1 個號碼"},
    Row{T::BlackListNotWritten, "%1 cannot be written; the black list is unchanged",
        "无法写入 %1；黑名单未改变", "無法寫入 %1；黑名單未變更"},
    Row{T::BlackListImported, "%1 numbers added to the black list, %2 lines skipped",
        "已向黑名单添加 %1 个号码，跳过 %2 行", "已向黑名單新增 %1 個號碼，略過 %2 行"},
    Row{T::BlackListZero, "0 cannot be stored as a telephone number", "0 不能作为电话号码保存",
        "0 不能作為電話號碼儲存"},
    Row{T::PhoneBookFileError, "The file %1 could not be read or written.", "无法读取或写入文件 %1。",
        "無法讀取或寫入檔案 %1。"},
    Row{T::PhoneBookFull, "The phone book holds at most %1 entries; %2 lines were not imported.",
        "电话簿最多保存 %1 个条目；有 %2 行未导入。", "電話簿最多儲存 %1 個項目；有 %2 行未匯入。"},
    Row{T::SettingsJournalNotWritten,
        "The settings journal %1 cannot be written (%2). Your settings are saved; the journal misses this "
        "change and later ones.",
        "无法写入设置日志 %1（%2）。您的设置已保存；日志中缺少此项及以后的更改。",
        "無法寫入設定日誌 %1（%2）。您的設定已儲存；日誌中缺少此項及以後的變更。"},
    Row{T::SettingsFileNotWritten,
        "The settings file %1 cannot be written (%2). The file keeps its earlier contents; your changes are "
        "kept while the program runs and written as soon as the file can be written again.",
        "无法写入设置文件 "
        "%1（%2）。该文件保留原有内容；您的更改在程序运行期间保留，一旦文件可以写入便立即写入。",
        "無法寫入設定檔 "
        "%1（%2）。該檔案保留原有內容；您的變更在程式執行期間保留，一旦檔案可以寫入便立即寫入。"},
    Row{T::CannotKeepFiles, "Quillon cannot keep its files: %1.", "Quillon 无法保存其文件：%1。",
        "Quillon 無法儲存其檔案：%1。"},
    Row{T::SplashVersion, "Version %1", "版本 %1", "版本 %1"},
    Row{T::BackupProgress, "%1 of %2 files, %3 of %4   %5", "%1 / %2 个文件，%3 / %4   %5",
        "%1 / %2 個檔案，%3 / %4   %5"},
    Row{T::BackupCancelled, "The backup was cancelled.\n\n", "备份已取消。\n\n", "備份已取消。\n\n"},
    Row{T::BackupStopped,
        "The backup stopped: %1\nThe recordings not backed up are still in the recordings folder.\n\n",
        "备份已停止：%1\n未备份的录音仍在录音文件夹中。\n\n",
        "備份已停止：%1\n未備份的錄音仍在錄音資料夾中。\n\n"},
    Row{T::BackupSummary, "%1: %2\nSkipped: %3\nFailed: %4", "%1：%2\n跳过：%3\n失败：%4",
        "%1：%2\n略過：%3\n失敗：%4"},
    Row{T::BackupMoved, "Moved", "已移动", "已移動"},
    Row{T::BackupCopied, "Copied", "已复制", "已複製"},
    Row{T::BackupNoFolder, "The folder %1 does not exist.", "文件夹 %1 不存在。", "資料夾 %1 不存在。"},
    Row{T::BackupTargetIsSource, "The target is the recordings folder itself. Please select another folder.",
        "目标就是录音文件夹本身。请选择其他文件夹。", "目標就是錄音資料夾本身。請選擇其他資料夾。"},
    Row{T::BackupAlreadyThere,
        "%1 of the recordings already exist in %2:\n%3\n\nReplace them?\n\nYes replaces them, No leaves "
        "these "
        "recordings out, Cancel backs up nothing.",
        "%2 中已有 %1 "
        "个同名录音：\n%3\n\n要替换它们吗？\n\n“是”替换，“否”不备份这些录音，“取消”什么也不备份。",
        "%2 中已有 %1 "
        "個同名錄音：\n%3\n\n要取代它們嗎？\n\n「是」取代，「否」不備份這些錄音，「取消」什麼也不備份。"},
    Row{T::SetupFolderNotFullPath,
        "The folder \"%1\" is not a full path. Please give the whole path, beginning with \"/\".",
        "文件夹“%1”不是完整路径。请输入以“/”开头的完整路径。",
        "資料夾「%1」不是完整路徑。請輸入以「/」開頭的完整路徑。"},
    Row{T::SetupFolderCannotCreate,
        "The folder \"%1\" cannot be created. Please choose another folder for your wave files.",
        "无法创建文件夹“%1”。请为声音文件选择其他文件夹。",
        "無法建立資料夾「%1」。請為聲音檔案選擇其他資料夾。"},
    Row{T::SetupFolderNotWritable,
        "The folder \"%1\" cannot be written to. Please choose another folder for your wave files.",
        "无法写入文件夹“%1”。请为声音文件选择其他文件夹。",
        "無法寫入資料夾「%1」。請為聲音檔案選擇其他資料夾。"},
    Row{T::KnownOnlyRule, "Only known callers", "只接已知来电", "只接已知來電"},
    Row{T::CallerHistoryNotWritten, "Cannot write ", "无法写入 ", "無法寫入 "},
    Row{T::TouchToneLogNotWritten, "Cannot write the touch-tone log %1: %2", "无法写入按键记录 %1：%2",
        "無法寫入按鍵記錄 %1：%2"},
    Row{T::NotAvailableYet, "%1 is not available in this version of Quillon Recorder yet.",
        "此版本的 Quillon Recorder 尚未提供“%1”。", "此版本的 Quillon Recorder 尚未提供「%1」。"},
    Row{T::NoVolumeControl, "No volume control was found. Install pavucontrol to set the volume from here.",
        "未找到音量控制程序。请安装 pavucontrol，以便在此调节音量。",
        "找不到音量控制程式。請安裝 pavucontrol，以便在此調整音量。"},
    Row{T::PromptUseFile, "Use a File...", "使用文件...", "使用檔案..."},
    Row{T::PromptUseFileTitle, "Use a File", "使用文件", "使用檔案"},
    Row{T::PromptWaveFilter, "Wave Files (*.wav);;All Files (*)", "声音文件 (*.wav);;所有文件 (*)",
        "聲音檔案 (*.wav);;所有檔案 (*)"},
    Row{T::PublicListImport, "Import Public List", "导入公共名单", "匯入公共名單"},
    Row{T::PublicListExport, "Export Public List", "导出公共名单", "匯出公共名單"},
    Row{T::ScreeningPatternMissing, "the pattern is missing", "缺少模式", "缺少樣式"},
    Row{T::ScreeningPatternBlanks, "a pattern holds no blanks", "模式中不能有空格", "樣式中不能有空格"},
    Row{T::ScreeningRegexSlashes, "a regular expression is written between two slashes: /.../",
        "正则表达式要写在两个斜线之间：/.../", "正規表示式要寫在兩個斜線之間：/.../"},
    Row{T::ScreeningRegexTooLong, "the regular expression is longer than %1 characters",
        "正则表达式超过 %1 个字符", "正規表示式超過 %1 個字元"},
    Row{T::ScreeningRegexInvalid, "the regular expression is not valid: %1", "正则表达式无效：%1",
        "正規表示式無效：%1"},
    Row{T::ScreeningPatternChars, "a pattern holds digits, * and ?, and may start with +",
        "模式只能包含数字、* 和 ?，并可以 + 开头", "樣式只能包含數字、* 和 ?，並可以 + 開頭"},
    Row{T::ScreeningNotAnAction, "\"%1\" is neither block nor allow", "“%1”既不是 block 也不是 allow",
        "「%1」既不是 block 也不是 allow"},
    Row{T::ScreeningFileUnreadable, "%1 cannot be read: %2", "无法读取 %1：%2", "無法讀取 %1：%2"},
    Row{T::ScreeningBadLine, "%1 line %2: %3", "%1 第 %2 行：%3", "%1 第 %2 行：%3"},
    Row{T::RingsLineUnreadable, "Rings.txt line %1 unreadable: %2", "Rings.txt 第 %1 行无法读取：%2",
        "Rings.txt 第 %1 行無法讀取：%2"},
    Row{T::RingsMissingRings, "Please input the number of rings, 0 to 9", "请输入响铃次数，0 到 9",
        "請輸入響鈴次數，0 到 9"},
    Row{T::RingsRuleNotWritten, "The rule could not be written to Rings.txt", "无法把规则写入 Rings.txt",
        "無法把規則寫入 Rings.txt"},
    Row{T::PopupLine, "Line %1:", "线路 %1：", "線路 %1："},
    Row{T::PopupSecondsLeft, "seconds until this window closes", "秒后关闭此窗口", "秒後關閉此視窗"},
    Row{T::LogFileHeldOpen, "File already open", "文件已打开", "檔案已開啟"},
    Row{T::NoPrinter, "No printer is available", "没有可用的打印机", "沒有可用的印表機"},
    Row{T::PhoneBookEntryListFull, "The phone book is full (%1 entries); the entry was not added.",
        "电话簿已满（%1 个条目）；未添加该条目。", "電話簿已滿（%1 個項目）；未新增該項目。"},
    Row{T::PhoneBookEntryNotWritten,
        "PhoneBook.txt could not be written. The change is kept in the list and is saved with the next "
        "change "
        "of the phone book.",
        "无法写入 PhoneBook.txt。此更改保留在列表中，并在电话簿下次更改时保存。",
        "無法寫入 PhoneBook.txt。此變更保留在清單中，並在電話簿下次變更時儲存。"},
    Row{T::FolderIsAFile, "%1 exists and is not a folder", "%1 已存在，但不是文件夹",
        "%1 已存在，但不是資料夾"},
    Row{T::FolderCannotMake, "%1 cannot be created", "无法创建 %1", "無法建立 %1"},
    Row{T::FolderNotWritable, "%1 is not writable (%2)", "%1 不可写入（%2）", "%1 無法寫入（%2）"},
    Row{T::DayLogNotWritten,
        "The day log %1 cannot be written (%2); new lines are kept in the status list only",
        "无法写入当日日志 %1（%2）；新的行只保留在状态列表中",
        "無法寫入當日日誌 %1（%2）；新的行只保留在狀態清單中"},
    Row{T::RenameBadName, "Bad file name or number", "文件名或文件号错误", "檔案名稱或檔案代碼錯誤"},
    Row{T::RenameNameTaken, "File already exists", "文件已存在", "檔案已存在"},
    Row{T::RenameAccessError, "Path/File access error", "路径/文件访问错误", "路徑/檔案存取錯誤"},
    Row{T::CopyReadBackDiffers, "the copy read back from the target differs", "从目标读回的副本与原文件不同",
        "從目標讀回的副本與原檔案不同"},
    Row{T::CopyChangedMeanwhile, "it changed while it was copied", "复制期间文件发生了变化",
        "複製期間檔案發生了變化"},
    Row{T::CopySourceNotRemoved, "copied, but it could not be removed from the recordings folder: %1",
        "已复制，但无法从录音文件夹中删除：%1", "已複製，但無法從錄音資料夾中刪除：%1"},
    Row{T::BackupSourceGone, "no longer in the recordings folder", "已不在录音文件夹中",
        "已不在錄音資料夾中"},
    Row{T::BackupStillWritten, "still being written", "仍在写入中", "仍在寫入中"},
    Row{T::BackupNameInTarget, "a file of this name is in the target", "目标文件夹中已有同名文件",
        "目標資料夾中已有同名檔案"},
    Row{T::BackupTargetRefused, "%1 could not be written to %2: %3", "无法将 %1 写入 %2：%3",
        "無法將 %1 寫入 %2：%3"},
    Row{T::PromptTooShort, "The recording was too short; the previous file is kept.",
        "录音太短；保留原来的文件。", "錄音太短；保留原來的檔案。"},
    Row{T::PromptNotSavedAs, "The recording could not be saved as %1; the previous file is kept.",
        "无法将录音保存为 %1；保留原来的文件。", "無法將錄音儲存為 %1；保留原來的檔案。"},
    Row{T::PromptCannotRead, "%1 could not be read: %2", "无法读取 %1：%2", "無法讀取 %1：%2"},
    Row{T::PromptNotPcm, "%1 is not a PCM wave file (8 or 16 bits, mono or stereo).",
        "%1 不是 PCM 声音文件（8 位或 16 位，单声道或立体声）。",
        "%1 不是 PCM 聲音檔案（8 位元或 16 位元，單聲道或立體聲）。"},
    Row{T::PromptCannotWrite, "%1 could not be written: %2", "无法写入 %1：%2", "無法寫入 %1：%2"},
    Row{T::PromptNowHolds, "%1 now holds %2.", "%1 现在是 %2 的内容。", "%1 現在是 %2 的內容。"},
    Row{T::PromptRecorderStarted, "%1 was started; save the sound as %2.", "已启动 %1；请将声音保存为 %2。",
        "已啟動 %1；請將聲音儲存為 %2。"},
    Row{T::PromptNoRecorder, "No sound recorder was found on this computer (looked for %1).",
        "在此计算机上找不到录音程序（查找了 %1）。", "在此電腦上找不到錄音程式（尋找了 %1）。"},
    Row{T::PromptLineBusy, "Line3 is busy. Please record when its call has ended.",
        "Line3 正忙。请在其通话结束后再录音。", "Line3 忙線中。請在其通話結束後再錄音。"},
    Row{T::PromptInputNotOpened, "The sound input could not be opened (error %1).",
        "无法打开声音输入（错误 %1）。", "無法開啟聲音輸入（錯誤 %1）。"},
    Row{T::PromptLineTookCall, "Line3 took a call before the take was saved; the previous file is kept.",
        "保存录音之前 Line3 接了一个电话；保留原来的文件。",
        "儲存錄音之前 Line3 接了一通電話；保留原來的檔案。"},
    Row{T::PromptTakeNotWritten, "The recording could not be written (%1); the previous file is kept.",
        "无法写入录音（%1）；保留原来的文件。", "無法寫入錄音（%1）；保留原來的檔案。"},
    Row{T::PromptSaved, "Saved %1.", "已保存 %1。", "已儲存 %1。"},
    Row{T::DefaultPromptMissing, "%1: not in the program", "%1：程序中没有此文件", "%1：程式中沒有此檔案"},
    Row{T::SigScanNotFound, "Signal analysis library %1 not found (looked for %2); %3",
        "找不到信号分析库 %1（查找了 %2）；%3", "找不到訊號分析程式庫 %1（尋找了 %2）；%3"},
    Row{T::SigScanUnusable, "Signal analysis library %1 could not be used (%2); %3",
        "无法使用信号分析库 %1（%2）；%3", "無法使用訊號分析程式庫 %1（%2）；%3"},
    Row{T::SigScanWithout, "recordings continue without silence and busy-tone detection.",
        "录音继续进行，但不检测静音和忙音。", "錄音繼續進行，但不偵測靜音和忙音。"},
    Row{T::SigScanNoFbs, "%1 has no function Fbs", "%1 中没有 Fbs 函数", "%1 中沒有 Fbs 函式"},
    Row{T::RecordingNotWritten,
        "Recording %1 cannot be written (%2); it is kept and finished at the next start",
        "无法写入录音 %1（%2）；已保留，下次启动时完成", "無法寫入錄音 %1（%2）；已保留，下次啟動時完成"},
    Row{T::UnfinishedNotWritten, "Unfinished recording %1 cannot be written (%2); it is kept",
        "无法写入未完成的录音 %1（%2）；已保留", "無法寫入未完成的錄音 %1（%2）；已保留"},
    Row{T::UnfinishedRecovered, "Recovered unfinished recording %1 (%2 s)", "已恢复未完成的录音 %1（%2 秒）",
        "已復原未完成的錄音 %1（%2 秒）"},
    Row{T::RecordingNotStored,
        "Line%1 recording cannot be stored (disk full or not writable); the part recorded so far is kept",
        "Line%1 的录音无法保存（磁盘已满或不可写入）；保留已录制的部分",
        "Line%1 的錄音無法儲存（磁碟已滿或無法寫入）；保留已錄製的部分"},
};

constexpr bool rowsInOrder()
{
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        if (static_cast<std::size_t>(kRows[i].id) != i) {
            return false;
        }
    }
    return true;
}
static_assert(rowsInOrder(), "one row per text, in the enumeration's order");
static_assert(kRows.size() == static_cast<std::size_t>(kLastProgramText) + 1, "every text has a row");

} // namespace

QString programText(ProgramText id, int languageOffset)
{
    const Row& row = kRows[static_cast<std::size_t>(id)];
    switch (languageOffset) {
    case 1000:
        return QString::fromUtf8(row.simplified);
    case 2000:
        return QString::fromUtf8(row.traditional);
    default:
        return QString::fromUtf8(row.english);
    }
}

} // namespace qlnrec::core

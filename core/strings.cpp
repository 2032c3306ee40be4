#include "core/strings.h"

#include "platform/core/text_helpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <array>
#include <cmath>

namespace qlnrec::core {

namespace {

struct Row {
    int baseId;
    const char* english;
    const char* simplified;
    const char* traditional;
};

// One row per base id; each language copy is the same row at its offset. The English texts are
// the program's own wording, blanks and spelling included.
constexpr std::array kRows{
    Row{1002, "File not found", "找不到文件", "找不到檔案"},
    Row{1003, "Play wave file", "播放声音文件", "播放聲音檔案"},
    Row{1009, "Setup", "设置", "設定"},
    Row{1010, "Log Files Management", "日志文件管理", "日誌檔案管理"},
    Row{1011, "Backup", "备份", "備份"},
    Row{1013, "Help", "帮助", "說明"},
    Row{1014, "Exit", "退出", "結束"},
    Row{1015, "Play", "播放", "播放"},
    Row{1016, "Stop", "停止", "停止"},
    Row{1017, "Search Wave Files", "搜索声音文件", "搜尋聲音檔案"},
    Row{1019, "Compatibility problem with your modem and TAPI (Windows),please contact your modem provider",
        "您的调制解调器与 TAPI (Windows) 存在兼容性问题，请与调制解调器供应商联系",
        "您的數據機與 TAPI (Windows) 有相容性問題，請聯絡您的數據機供應商"},
    Row{1021, "Line0 is ready", "线路0已就绪", "線路0已就緒"},
    Row{1022, "Can not initialize callback message of line0", "无法初始化线路0的回调消息",
        "無法初始化線路0的回呼訊息"},
    Row{1025, "Line1 is ready", "线路1已就绪", "線路1已就緒"},
    Row{1026, "Can not initialize callback message of line1", "无法初始化线路1的回调消息",
        "無法初始化線路1的回呼訊息"},
    Row{1028, "Line2 is ready", "线路2已就绪", "線路2已就緒"},
    Row{1029, "Can not initialize callback message of line2", "无法初始化线路2的回调消息",
        "無法初始化線路2的回呼訊息"},
    Row{1031, "Line3 is ready", "线路3已就绪", "線路3已就緒"},
    Row{1032, "Can not initialize callback message of line3", "无法初始化线路3的回调消息",
        "無法初始化線路3的回呼訊息"},
    Row{1033, "End of Recording", "录音结束", "錄音結束"},
    Row{1034, "Backup Sound Files", "备份声音文件", "備份聲音檔案"},
    Row{1035, "Select Target Path", "选择目标路径", "選擇目標路徑"},
    Row{1036, "Delete Source Files", "删除源文件", "刪除來源檔案"},
    Row{1037, "Ok", "确定", "確定"},
    Row{1038, "Cancel", "取消", "取消"},
    Row{1039, "Record", "录音", "錄音"},
    Row{1046, "View Log Files", "查看日志文件", "檢視日誌檔案"},
    Row{1047, "Exit", "退出", "結束"},
    Row{1048, "Print", "打印", "列印"},
    Row{1049, "Please Select Log File", "请选择日志文件", "請選擇日誌檔案"},
    Row{1050, "Agree", "同意", "同意"},
    Row{1054,
        "Quillon is a software that can record your phone calls to a wave file on your harddisk.We "
        "recommend that you inform the other party or parties to your phonecall that you are recording "
        "their conversation.  In some states and countries, you are required to do this by law.",
        "Quillon 是一款可以把您的电话通话录制成硬盘上的声音文件的软件。我们建议您告知通话的另一方或各方，"
        "您正在对他们的谈话进行录音。在某些州和国家/地区，法律要求您这样做。",
        "Quillon 是一套可以將您的電話通話錄製成硬碟上聲音檔案的軟體。我們建議您告知通話的另一方或各方，"
        "您正在錄下他們的談話。在某些州和國家，法律規定您必須這麼做。"},
    Row{1055, "Browse Wave File", "浏览声音文件", "瀏覽聲音檔案"},
    Row{1056, "Name:", "名称：", "名稱："},
    Row{1057, "Length:", "长度：", "長度："},
    Row{1058, "Please Be Sure That The Connection Between Your Microphone and Sound Card Is Well",
        "请确认麦克风与声卡之间连接良好", "請確認麥克風與音效卡之間連接良好"},
    Row{1059,
        "You need to ensure that you use Quillon in a legal and ethical manner. We will not be held "
        "responsible for any action or inaction on your part which leads to or causes you to break the "
        "law. If you do not agree this, please click the 'Exit' button ",
        "您必须确保以合法且合乎道德的方式使用 Quillon。对于您的任何作为或不作为所导致的违法行为，"
        "我们概不负责。如果您不同意，请单击“退出”按钮 ",
        "您必須確保以合法且合乎道德的方式使用 Quillon。對於您的任何作為或不作為所導致的違法行為，"
        "我們概不負責。如果您不同意，請按「結束」按鈕 "},
    Row{1060, " Start Recording", " 开始录音", " 開始錄音"},
    Row{1063, " Disconnected", " 已断开", " 已斷線"},
    Row{1064, "Calling 01", "正在呼叫 01", "正在呼叫 01"},
    Row{1065, "Calling 02", "正在呼叫 02", "正在呼叫 02"},
    Row{1066, "Calling 03", "正在呼叫 03", "正在呼叫 03"},
    Row{1067, "Calling 04", "正在呼叫 04", "正在呼叫 04"},
    Row{1068, "Line Selection", "线路选择", "線路選擇"},
    Row{1069, "Use the following line to record your voice mail", "使用以下线路录制语音留言",
        "使用下列線路錄製語音留言"},
    Row{1070, "Not Detected Voice Modem Line", "未检测到语音调制解调器线路", "未偵測到語音數據機線路"},
    Row{1072, "Auto answer the call after this many rings", "响铃达到以下次数后自动应答",
        "響鈴達到下列次數後自動接聽"},
    Row{1073, "Record Greeting", "录制问候语", "錄製問候語"},
    Row{1074, "Folder where voice messages will be stored", "语音留言的保存文件夹", "語音留言的儲存資料夾"},
    Row{1075, "Calling sub operators", "呼叫分机话务员", "呼叫分機話務員"},
    Row{1076,
        "If the caller enters one of following numbers using their phone touch pad, the corresponding "
        "wave file will be played after the greeting message",
        "如果来电者用电话按键输入下列数字之一，问候语之后将播放对应的声音文件",
        "如果來電者用電話按鍵輸入下列數字之一，問候語之後將播放對應的聲音檔案"},
    Row{1077, "Save", "保存", "儲存"},
    Row{1078, "Please select line", "请选择线路", "請選擇線路"},
    Row{1080, "Please select the path of your wave files", "请选择声音文件的保存路径",
        "請選擇聲音檔案的儲存路徑"},
    Row{1081, "             Setting is complete,please reload Quillon            ",
        "             设置已完成，请重新启动 Quillon            ",
        "             設定已完成，請重新啟動 Quillon            "},
    Row{1082, "Invalid type of line", "无效的线路类型", "無效的線路類型"},
    Row{1083, "Dial", "拨号", "撥號"},
    Row{1084, "Drop Call", "挂断", "掛斷"},
    Row{1085, "Please Drop The Call First", "请先挂断电话", "請先掛斷電話"},
    Row{1086, "Browse With Explorer", "用文件管理器浏览", "以檔案總管瀏覽"},
    Row{1087, "Confirm Copy £¿", "确认复制？", "確認複製？"},
    Row{1088, "Confirm Copy And Delete Source Files?", "确认复制并删除源文件？", "確認複製並刪除來源檔案？"},
    Row{1089, "Ring Rules", "响铃规则", "響鈴規則"},
    Row{1090, "PhoneBook", "电话簿", "電話簿"},
    Row{1091, "Add", "添加", "新增"},
    Row{1092, "Delete", "删除", "刪除"},
    Row{1093, "Select", "选择", "選擇"},
    Row{1094, "DialOut", "拨出", "撥出"},
    Row{1095, "Records", "记录", "記錄"},
    Row{1096, "PhoneCalls", "通话", "通話"},
    Row{1097, "Last Calls Made", "最近拨出的电话", "最近撥出的電話"},
    Row{1098, "Last Calls Received", "最近接到的来电", "最近接到的來電"},
    Row{1102, "Popup Caller ID Window", "弹出来电显示窗口", "彈出來電顯示視窗"},
    Row{1103, "Minimize On Start", "启动时最小化", "啟動時最小化"},
    Row{1106, "Answer Manually", "手动接听", "手動接聽"},
    Row{1107, "Load At System Start", "系统启动时加载", "系統啟動時載入"},
    Row{1108, "Stop Recording Trigger", "停止录音的条件", "停止錄音的條件"},
    Row{1109, "Auto hang-up when silence is detected", "检测到静音时自动挂机", "偵測到靜音時自動掛斷"},
    Row{1111, "Record Legal Message", "录制法律声明", "錄製法律聲明"},
    Row{1112, "Output Wave File Format", "输出声音文件格式", "輸出聲音檔案格式"},
    Row{1114, "Play Legal Message Before Recording", "录音前播放法律声明", "錄音前播放法律聲明"},
    Row{1117, "Duration of Silence", "静音持续时间", "靜音持續時間"},
    Row{1119, "Silence Detected", "检测到静音", "偵測到靜音"},
    Row{1120, "Display Ring Count For Incoming Calls", "显示来电响铃次数", "顯示來電響鈴次數"},
    Row{1121, " Line does not support voice", " 线路不支持语音", " 線路不支援語音"},
    Row{1123, "will be treated as SILENCE", "将被视为静音", "將被視為靜音"},
};

const Row* findRow(int baseId)
{
    for (const Row& row : kRows) {
        if (row.baseId == baseId) {
            return &row;
        }
    }
    return nullptr;
}

bool isLanguageOffset(int offset)
{
    return offset == Strings::kEnglish || offset == Strings::kSimplifiedChinese ||
           offset == Strings::kTraditionalChinese;
}

// Folders where the shipped HTML help may lie besides the program folder: the data folder beside
// the program's own folder (an installed tree, wherever it was moved), then the data folder of
// the prefix the program was built for.
QStringList installedHelpFolders()
{
    QStringList folders;
#ifdef QLNREC_RELATIVE_DATADIR
    if (QCoreApplication::instance()) {
        folders << QCoreApplication::applicationDirPath() +
                       QStringLiteral("/../" QLNREC_RELATIVE_DATADIR "/help");
    }
#endif
#ifdef QLNREC_INSTALL_DATADIR
    folders << QStringLiteral(QLNREC_INSTALL_DATADIR "/help");
#endif
    return folders;
}

QString firstExisting(const QStringList& folders, const QString& name)
{
    for (const QString& folder : folders) {
        const QString path = QDir::cleanPath(folder + QLatin1Char('/') + name);
        if (QFileInfo(path).isFile()) {
            return path;
        }
    }
    return {};
}

} // namespace

Strings::Strings(int languageOffset) : offset_(isLanguageOffset(languageOffset) ? languageOffset : kEnglish)
{
}

QString Strings::loadText(int baseId) const
{
    if (baseId < kFirstBaseId || baseId > kLastBaseId) {
        return {};
    }
    return resource(offset_ + baseId);
}

int Strings::offsetForLanguageSetting(const QString& value)
{
    const double number = platform::leadingNumber(value);
    // The stored value is an option index; anything but 0, 1 or 2 is not ours and keeps English.
    if (number == 1.0) {
        return kSimplifiedChinese;
    }
    if (number == 2.0) {
        return kTraditionalChinese;
    }
    return kEnglish;
}

int Strings::offsetForLocale(const QLocale& locale)
{
    if (locale.language() != QLocale::Chinese) {
        return kEnglish;
    }
    const QLocale::Territory territory = locale.territory();
    const bool traditional = locale.script() == QLocale::TraditionalChineseScript ||
                             territory == QLocale::Taiwan || territory == QLocale::HongKong ||
                             territory == QLocale::Macao;
    return traditional ? kTraditionalChinese : kSimplifiedChinese;
}

QString Strings::resource(int id)
{
    const int offset = (id / 1000 - 1) * 1000;
    if (!isLanguageOffset(offset)) {
        return {};
    }
    const Row* row = findRow(id - offset);
    if (!row) {
        return {};
    }
    switch (offset) {
    case kSimplifiedChinese:
        return QString::fromUtf8(row->simplified);
    case kTraditionalChinese:
        return QString::fromUtf8(row->traditional);
    default:
        return QString::fromUtf8(row->english);
    }
}

QString Strings::helpDocumentName() const
{
    switch (offset_) {
    case kSimplifiedChinese:
        return QStringLiteral("helpgb.htm");
    case kTraditionalChinese:
        return QStringLiteral("helpbig5.htm");
    default:
        return QStringLiteral("helpen.chm");
    }
}

QByteArray Strings::legacyEncoding() const
{
    switch (offset_) {
    case kSimplifiedChinese:
        return QByteArrayLiteral("GB18030");
    case kTraditionalChinese:
        return QByteArrayLiteral("Big5");
    default:
        return QByteArrayLiteral("windows-1252");
    }
}

QString Strings::helpDocumentPath(const QString& programFolder) const
{
    const QString own = QDir::cleanPath(programFolder + QLatin1Char('/') + helpDocumentName());
    if (QFileInfo(own).isFile()) {
        return own;
    }
    // A compiled help file rarely exists on this platform; the English HTML help stands in for it.
    QString html = helpDocumentName();
    if (html.endsWith(QStringLiteral(".chm"))) {
        html = QStringLiteral("helpen.htm");
    }
    QStringList folders{programFolder};
    folders << installedHelpFolders();
    for (const QString& name : {html, QStringLiteral("helpen.htm")}) {
        const QString found = firstExisting(folders, name);
        if (!found.isEmpty()) {
            return found;
        }
    }
    return own;
}

} // namespace qlnrec::core

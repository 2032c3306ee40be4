#include "core/strings.h"
#include "tests/support/temp_home.h"

#include <QDir>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <vector>

using qlnrec::core::Strings;
using qlnrec::test::TempHome;

namespace {

// Every base id a screen of the program loads.
const std::vector<int> kUsedIds{1002, 1003, 1009, 1010, 1011, 1013, 1014, 1015, 1016, 1017, 1019, 1021, 1022,
                                1025, 1026, 1028, 1029, 1031, 1032, 1033, 1034, 1035, 1036, 1037, 1038, 1039,
                                1046, 1047, 1048, 1049, 1050, 1054, 1055, 1056, 1057, 1058, 1059, 1060, 1063,
                                1064, 1065, 1066, 1067, 1068, 1069, 1070, 1072, 1073, 1074, 1075, 1076, 1077,
                                1078, 1080, 1081, 1082, 1083, 1084, 1085, 1086, 1087, 1088, 1089, 1090, 1091,
                                1092, 1093, 1094, 1095, 1096, 1097, 1098, 1102, 1103, 1106, 1107, 1108, 1109,
                                1111, 1112, 1114, 1117, 1119, 1120, 1121, 1123};

bool hasHanCharacter(const QString& text)
{
    static const QRegularExpression han(QStringLiteral("\\p{Han}"));
    return han.match(text).hasMatch();
}

} // namespace

TEST(Strings, EveryUsedRowExistsInAllThreeLanguagesAndChineseCopiesAreTranslated)
{
    for (const int id : kUsedIds) {
        SCOPED_TRACE(id);
        const QString english = Strings::resource(id);
        const QString simplified = Strings::resource(id + 1000);
        const QString traditional = Strings::resource(id + 2000);
        ASSERT_FALSE(english.isEmpty());
        EXPECT_FALSE(hasHanCharacter(english));
        EXPECT_TRUE(hasHanCharacter(simplified)) << simplified.toStdString();
        EXPECT_TRUE(hasHanCharacter(traditional)) << traditional.toStdString();
        EXPECT_EQ(Strings(0).loadText(id), english);
        EXPECT_EQ(Strings(1000).loadText(id), simplified);
        EXPECT_EQ(Strings(2000).loadText(id), traditional);
    }
    // The Traditional copy is its own text, not the Simplified one again.
    EXPECT_NE(Strings::resource(2049), Strings::resource(3049));
    EXPECT_NE(Strings::resource(2046), Strings::resource(3046));
}

TEST(Strings, RowsNotInTheTableAndIdsOutsideItAreEmpty)
{
    for (const int id : {1001, 1004, 1020, 1122, 2001, 3122, 0, -1, 999, 1124, 3124, 4077, 65535}) {
        EXPECT_TRUE(Strings::resource(id).isEmpty()) << id;
    }
    const Strings english(0);
    EXPECT_TRUE(english.loadText(1001).isEmpty());
    EXPECT_TRUE(english.loadText(2077).isEmpty()); // not a base id
    EXPECT_TRUE(english.loadText(-3).isEmpty());
}

TEST(Strings, EnglishTextsKeepTheirBlanksAndSpelling)
{
    const QString complete = Strings::resource(1081);
    EXPECT_EQ(complete, QString(13, QLatin1Char(' ')) +
                            QStringLiteral("Setting is complete,please reload Quillon") +
                            QString(12, QLatin1Char(' ')));
    EXPECT_EQ(Strings::resource(1060), QStringLiteral(" Start Recording"));
    EXPECT_EQ(Strings::resource(1063), QStringLiteral(" Disconnected"));
    EXPECT_EQ(Strings::resource(1121), QStringLiteral(" Line does not support voice"));
    EXPECT_TRUE(Strings::resource(1059).endsWith(QStringLiteral("please click the 'Exit' button ")));
    EXPECT_FALSE(Strings::resource(1059).endsWith(QStringLiteral("  ")));
    EXPECT_TRUE(Strings::resource(1054).contains(QStringLiteral("harddisk.We recommend")));
    EXPECT_TRUE(Strings::resource(1054).contains(QStringLiteral("conversation.  In some states")));
    EXPECT_EQ(Strings::resource(1087), QStringLiteral("Confirm Copy \u00a3\u00bf"));
    EXPECT_EQ(Strings::resource(1019),
              QStringLiteral("Compatibility problem with your modem and TAPI (Windows),please contact your "
                             "modem provider"));
    EXPECT_EQ(Strings::resource(1049), QStringLiteral("Please Select Log File"));
    EXPECT_EQ(Strings::resource(1123), QStringLiteral("will be treated as SILENCE"));
}

TEST(Strings, TranslationsKeepTheBlanksThatJoinOrCentreThem)
{
    for (const int offset : {1000, 2000}) {
        SCOPED_TRACE(offset);
        // Appended to a line name in status lines: the leading blank separates them.
        for (const int id : {1060, 1063, 1121}) {
            EXPECT_TRUE(Strings::resource(offset + id).startsWith(QLatin1Char(' ')));
            EXPECT_FALSE(Strings::resource(offset + id).startsWith(QStringLiteral("  ")));
        }
        const QString complete = Strings::resource(offset + 1081);
        EXPECT_TRUE(complete.startsWith(QString(13, QLatin1Char(' ')) + QChar(complete.at(13))));
        EXPECT_NE(complete.at(13), QLatin1Char(' '));
        EXPECT_TRUE(complete.endsWith(QString(12, QLatin1Char(' '))));
        EXPECT_NE(complete.at(complete.size() - 13), QLatin1Char(' '));
        EXPECT_TRUE(Strings::resource(offset + 1081).contains(QStringLiteral("Quillon")));
    }
}

TEST(Strings, LanguageSettingSelectsTheOffsetAndAnythingElseKeepsEnglish)
{
    EXPECT_EQ(Strings::offsetForLanguageSetting(QStringLiteral("0")), 0);
    EXPECT_EQ(Strings::offsetForLanguageSetting(QStringLiteral("1")), 1000);
    EXPECT_EQ(Strings::offsetForLanguageSetting(QStringLiteral("2")), 2000);
    EXPECT_EQ(Strings::offsetForLanguageSetting(QStringLiteral(" 2")), 2000);
    for (const char* bad : {"", "abc", "3", "-1", "1.5", "999", "2000", "-0.5"}) {
        EXPECT_EQ(Strings::offsetForLanguageSetting(QString::fromLatin1(bad)), 0) << bad;
    }
    // The desktop's locale, for messages shown before the setting is read.
    for (const auto& [locale, offset] : {std::pair{"zh_CN", 1000},
                                         {"zh_SG", 1000},
                                         {"zh_TW", 2000},
                                         {"zh_HK", 2000},
                                         {"zh_Hant_CN", 2000},
                                         {"en_US", 0},
                                         {"C", 0}}) {
        EXPECT_EQ(Strings::offsetForLocale(QLocale(QLatin1String(locale))), offset) << locale;
    }

    const Strings big5(Strings::offsetForLanguageSetting(QStringLiteral("2")));
    EXPECT_EQ(big5.languageOffset(), 2000);
    EXPECT_EQ(big5.loadText(1077), Strings::resource(3077));
    EXPECT_EQ(big5.loadText(1077), QStringLiteral("儲存"));
    EXPECT_EQ(Strings(1000).loadText(1077), QStringLiteral("保存"));
    EXPECT_EQ(Strings(0).loadText(1077), QStringLiteral("Save"));

    // An offset that is not one of the three languages falls back to English.
    EXPECT_EQ(Strings(500).languageOffset(), 0);
    EXPECT_EQ(Strings(3000).loadText(1077), QStringLiteral("Save"));
}

TEST(Strings, HelpDocumentFollowsTheLanguageAndFallsBackToTheHtmlHelp)
{
    EXPECT_EQ(Strings(0).helpDocumentName(), QStringLiteral("helpen.chm"));
    EXPECT_EQ(Strings(1000).helpDocumentName(), QStringLiteral("helpgb.htm"));
    EXPECT_EQ(Strings(2000).helpDocumentName(), QStringLiteral("helpbig5.htm"));

    TempHome home;
    const QString folder = home.programFolder();
    auto touch = [&](const QString& name) {
        qlnrec::test::writeFile(folder + QLatin1Char('/') + name, "<html/>");
    };

    // Nothing there: the language's own document is named, so the shell reports it missing.
    EXPECT_EQ(Strings(2000).helpDocumentPath(folder), folder + QStringLiteral("/helpbig5.htm"));

    touch(QStringLiteral("helpen.htm"));
    EXPECT_EQ(Strings(0).helpDocumentPath(folder), folder + QStringLiteral("/helpen.htm"));
    EXPECT_EQ(Strings(1000).helpDocumentPath(folder), folder + QStringLiteral("/helpen.htm"));
    touch(QStringLiteral("helpgb.htm"));
    EXPECT_EQ(Strings(1000).helpDocumentPath(folder), folder + QStringLiteral("/helpgb.htm"));
    touch(QStringLiteral("helpen.chm"));
    EXPECT_EQ(Strings(0).helpDocumentPath(folder), folder + QStringLiteral("/helpen.chm"));
}

TEST(Strings, ShippedHelpDocumentsExistInEachLanguage)
{
    const QString source = QStringLiteral(QLNREC_TEST_SOURCE_DIR);
    const struct {
        const char* name;
        const char* lang;
        bool chinese;
    } docs[] = {
        {"helpen.htm", "en", false}, {"helpgb.htm", "zh-Hans", true}, {"helpbig5.htm", "zh-Hant", true}};
    for (const auto& doc : docs) {
        SCOPED_TRACE(doc.name);
        const QByteArray bytes =
            qlnrec::test::readFile(source + QStringLiteral("/docs/help/") + QLatin1String(doc.name));
        ASSERT_FALSE(bytes.isEmpty());
        const QString text = QString::fromUtf8(bytes);
        EXPECT_TRUE(text.contains(QStringLiteral("<meta charset=\"utf-8\">")));
        EXPECT_TRUE(text.contains(QStringLiteral("lang=\"") + QLatin1String(doc.lang) + QLatin1Char('"')));
        EXPECT_TRUE(text.contains(QStringLiteral("LogFiles")));
        EXPECT_EQ(hasHanCharacter(text), doc.chinese);
        EXPECT_TRUE(text.trimmed().endsWith(QStringLiteral("</html>")));
    }
}

TEST(ProgramTexts, EveryTextIsInTheThreeLanguagesWithTheSamePlaceholders)
{
    using qlnrec::core::ProgramText;
    static const QRegularExpression placeholder(QStringLiteral("%[0-9]"));
    auto placeholders = [](const QString& text) {
        QStringList found;
        for (auto it = placeholder.globalMatch(text); it.hasNext();) {
            found << it.next().captured();
        }
        found.sort();
        return found;
    };
    for (int id = 0; id <= static_cast<int>(qlnrec::core::kLastProgramText); ++id) {
        const auto text = static_cast<ProgramText>(id);
        const QString english = Strings(Strings::kEnglish).text(text);
        ASSERT_FALSE(english.isEmpty()) << id;
        for (int offset : {Strings::kSimplifiedChinese, Strings::kTraditionalChinese}) {
            const QString translated = Strings(offset).text(text);
            EXPECT_FALSE(translated.isEmpty()) << id;
            EXPECT_NE(translated, english) << id << " is not translated";
            EXPECT_EQ(placeholders(translated), placeholders(english)) << id;
        }
    }
}

#include "platform/core/text_helpers.h"

#include <gtest/gtest.h>

using namespace qlnrec::platform;

TEST(TextHelpers, LenientNumbers)
{
    EXPECT_EQ(leadingNumber(QStringLiteral("12abc")), 12.0);
    EXPECT_EQ(leadingNumber(QStringLiteral("  7")), 7.0);
    EXPECT_EQ(leadingNumber(QStringLiteral("-3.5x")), -3.5);
    EXPECT_EQ(leadingNumber(QStringLiteral("abc")), 0.0);
    EXPECT_EQ(leadingNumber(QString()), 0.0);
    EXPECT_EQ(leadingNumber(QStringLiteral("-")), 0.0);
    EXPECT_EQ(leadingNumber(QStringLiteral("1e5")), 1.0);
    EXPECT_EQ(leadingNumber(QStringLiteral("99999999999999999999999")), 1e23);
}

TEST(TextHelpers, RoundingAndNumberText)
{
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(3.5), 4);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(6499.98), 6500);
    EXPECT_EQ(numberWithSignBlank(0), QStringLiteral(" 0"));
    EXPECT_EQ(numberWithSignBlank(49), QStringLiteral(" 49"));
    EXPECT_EQ(numberWithSignBlank(-3), QStringLiteral("-3"));
    EXPECT_EQ(hexUpper(0x80000048u), QStringLiteral("80000048"));
    EXPECT_EQ(timeOfDayText(QTime(14, 5, 9)), QStringLiteral("14:05:09"));
    EXPECT_EQ(stripTrailing(QStringLiteral("ab  ") + QChar(0) + QStringLiteral(" ")), QStringLiteral("ab"));
}

TEST(TextHelpers, SafeFileNamePartRemovesEverySeparatorAndControl)
{
    EXPECT_EQ(safeFileNamePart(QStringLiteral("5551234")), QStringLiteral("5551234"));
    EXPECT_EQ(safeFileNamePart(QStringLiteral("a/b*c\\d\"e\nf")), QStringLiteral("a@b@c@d@e@f"));
    EXPECT_EQ(safeFileNamePart(QStringLiteral("../etc")), QStringLiteral("@@@etc"));
}

#include "core/media/text_convert.h"

#include "test_support.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kGerman(QLocale::German, QLocale::Germany);

} // namespace

TEST(StrToInt, ReadsPlainDecimalsAndRejectsEverythingElse)
{
    EXPECT_EQ(StrToInt(QStringLiteral("1234")), 1234);
    EXPECT_EQ(StrToInt(QStringLiteral("  42")), 42);
    EXPECT_EQ(StrToInt(QStringLiteral("-7")), -7);
    for (const char* bad : {"", "N/A", "12 ", "1.5", "1,000", "0x10", "99999999999"}) {
        try {
            StrToInt(QString::fromLatin1(bad));
            ADD_FAILURE() << "accepted " << bad;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("'%1' is not a valid integer value").arg(QLatin1String(bad)));
        }
    }
}

TEST(StrToFloatAnySeparator, ReadsCommaOrPointUnderEitherLocale)
{
    for (const QLocale& locale : {kEnglish, kGerman, QLocale::c()}) {
        LocaleScope scope(locale);
        SCOPED_TRACE(locale.name().toStdString());
        EXPECT_DOUBLE_EQ(StrToFloatAnySeparator(QStringLiteral("29,97")), 29.97);
        EXPECT_DOUBLE_EQ(StrToFloatAnySeparator(QStringLiteral("29.97")), 29.97);
        EXPECT_DOUBLE_EQ(StrToFloatAnySeparator(QStringLiteral(" 25 ")), 25.0);
        EXPECT_DOUBLE_EQ(StrToFloatAnySeparator(QStringLiteral("25,00")), 25.0);
    }
}

TEST(StrToFloatAnySeparator, FailureNamesTheReplacedText)
{
    LocaleScope scope(kEnglish);
    try {
        StrToFloatAnySeparator(QStringLiteral("25,00 tb(r)"));
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("'25.00 tb(r)' is not a valid floating point value"));
    }
    EXPECT_THROW(StrToFloatAnySeparator(QStringLiteral("N/A")), EConvertError);
    EXPECT_THROW(StrToFloatAnySeparator(QString()), EConvertError);
}

TEST(FloatToStr, GeneralFormWithTheLocaleSeparator)
{
    {
        LocaleScope scope(kEnglish);
        EXPECT_EQ(FloatToStr(128), QStringLiteral("128"));
        EXPECT_EQ(FloatToStr(29.97), QStringLiteral("29.97"));
        EXPECT_EQ(FloatToStr(14.985), QStringLiteral("14.985"));
        EXPECT_EQ(FloatToStr(1.0 / 3.0), QStringLiteral("0.333333333333333"));
        EXPECT_EQ(FloatToStr(100000), QStringLiteral("100000"));
    }
    LocaleScope scope(kGerman);
    EXPECT_EQ(FloatToStr(40.5), QStringLiteral("40,5"));
    EXPECT_EQ(FloatToStr(1234567), QStringLiteral("1234567"));
}

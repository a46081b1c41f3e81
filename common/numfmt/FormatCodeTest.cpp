#include "FormatCode.h"

#include <gtest/gtest.h>

#include <ostream>

// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace tallimo::numfmt {
namespace {

struct Case {
    const char16_t* code;
    double value;
    const char16_t* shown;
};

void expectShown(const Case& c) {
    const QString code = QString::fromUtf16(c.code);
    EXPECT_EQ(FormatCode(code).formatNumber(c.value), QString::fromUtf16(c.shown))
        << "code " << code.toStdString() << " value " << c.value;
}

TEST(FormatCode, GeneralKeepsFifteenSignificantDigits) {
    const Case cases[] = {
        {u"", 42, u"42"},
        {u"General", -42, u"-42"},
        {u"", 0.1 + 0.2, u"0.3"},
        {u"", 1e20, u"1E+20"},
        {u"", 1.5e-10, u"1.5E-10"},
        {u"", 123456789012345.0, u"123456789012345"},
        {u"General", 0, u"0"},
        {u"general\" kg\"", 2.5, u"2.5 kg"},
        {u"[Blue]General;[Red]-General", -7.25, u"-7.25"},
        {u"@", 12.5, u"12.5"},
    };
    for (const Case& c : cases)
        expectShown(c);
}

TEST(FormatCode, PlacesDigitsSeparatorsAndPercent) {
    const Case cases[] = {
        {u"0", 2.5, u"3"},
        {u"0", -2.5, u"-3"},
        {u"0.00", 1.005, u"1.01"},
        {u"0.00", -0.001, u"0.00"},
        {u"000.00", 3.14159, u"003.14"},
        {u"00000", 123, u"00123"},
        {u"#.##", 0.5, u".5"},
        {u"#.##", 12, u"12."},
        {u"0.##", 1.5, u"1.5"},
        {u"??.??", 1.5, u" 1.5 "},
        {u"#,##0", 1234567.891, u"1,234,568"},
        {u"#,##0.00", -1200, u"-1,200.00"},
        {u"#,##0.00", 999.999, u"1,000.00"},
        {u"#,##0", 0, u"0"},
        {u"#,###", 0, u""},
        {u"0,000", 5, u"0,005"},
        // A '?' pad keeps the separator's room as a space, so the digits stay aligned.
        {u"?,??0", 5, u"    5"},
        {u"?,??0", 1234, u"1,234"},
        {u"?,??0", 1234567, u"1,234,567"},
        {u"#,??0", 5, u"  5"},
        {u"?,???.00", 12.5, u"   12.50"},
        {u"??,??0", 5, u"     5"},
        {u"$#,##0.00", 1234.567, u"$1,234.57"},
        {u"0000000", 1234, u"0001234"},
        {u"##0° 00' 00''", 123456, u"12° 34' 56''"},
        {u"0", 12345678901234567.0, u"12345678901234600"},
        {u"#,##0\"-\"00.0", 1234567.8, u"1,234,567-.8"},
        {u"#,##0,", 1234567, u"1,235"},
        {u"0.0,,", 1234567, u"1.2"},
        {u"#,##0.0,,\"M\"", 98765432, u"98.8M"},
        {u"0%", 0.125, u"13%"},
        {u"0.00%", 0.125, u"12.50%"},
        {u"0.0%%", 0.01, u"100.0%%"},
        {u"###-####", 5551234, u"555-1234"},
        {u"(###) ###-####", 5551234567, u"(555) 123-4567"},
        {u"\"¥\"#,##0.00", 1200, u"¥1,200.00"},
        {u"[$¥-804]#,##0.00", -3.5, u"-¥3.50"},
        {u"\\$0.00\\ \"USD\"", 2, u"$2.00 USD"},
        {u"#,##0.00_ ", 1200, u"1,200.00 "},
        {u"#,##0.00_);(#,##0.00)", 5, u"5.00 "},
        {u"**0", 7, u"*7"},
        {u"0*-", 7, u"7-"},
        {u"_-* #,##0.00_-", 1234, u"  1,234.00 "},
        {u"0!.0,", 12345, u"1.2"},
    };
    for (const Case& c : cases)
        expectShown(c);
}

TEST(FormatCode, ChoosesSectionsBySignConditionAndColour) {
    const Case cases[] = {
        {u"#,##0.00;(#,##0.00)", -1200, u"(1,200.00)"},
        {u"0;-0;\"zero\"", 0, u"zero"},
        {u"0;-0;\"zero\"", -3, u"-3"},
        {u"0;0;", 0, u""},
        {u"0.00;;", -1, u""},
        {u";;;", 5, u""},
        {u"[Red]0.00", 5, u"5.00"},
        {u"0;[Red]-0", -5, u"-5"},
        {u"[Color12]0;[Color3]0", -5, u"5"},
        {u"[>=100]\"big\";\"small\"", 150, u"big"},
        {u"[>=100]\"big\";\"small\"", 50, u"small"},
        {u"[<=9999999]###-####;(###) ###-####", 5551234, u"555-1234"},
        {u"[<=9999999]###-####;(###) ###-####", 5551234567, u"(555) 123-4567"},
        {u"[Red][<=100];[Blue][>100]", 50, u"50"},
        {u"[Red][<=100];[Blue][>100]", 150.5, u"150.5"},
        {u"[Red];[Blue]", -2, u"2"},
        {u"[Red][<=100]0;[Blue][>100]0.0", 150, u"150.0"},
        {u"[<0]\"neg \"0;[>0]\"pos \"0;\"zero\"", -4, u"neg 4"},
        {u"[<0]\"neg \"0;[>0]\"pos \"0;\"zero\"", 0, u"zero"},
        {u"[=1]\"one\";0", 1, u"one"},
        {u"[=1]\"one\";0", 2, u"2"},
        {u"0;-0;0;@", -2, u"-2"},
        // A lone section whose condition fails shows the number as General.
        {u"[<10]#\" Wow\"", 10, u"10"},
        {u"[<10]#\" Wow\"", 5, u"5 Wow"},
        {u"[<10]#\" Wow\"", -3, u"-3 Wow"},
        {u"[>=100]0.00", 50.25, u"50.25"},
        {u"[>0]\"pos\"", -2, u"-2"},
        {u"[>=100]0.00;@", 5, u"5"},
    };
    for (const Case& c : cases)
        expectShown(c);
}

TEST(FormatCode, ShowsScientificAndFractions) {
    const Case cases[] = {
        {u"0.00E+00", 12345, u"1.23E+04"},
        {u"0.00E+00", 0.000123, u"1.23E-04"},
        {u"0.00E+00", 0, u"0.00E+00"},
        {u"0.00E+00", -12345, u"-1.23E+04"},
        {u"0.00E+00", 9.999, u"1.00E+01"},
        {u"0.00E+00", 4.9e-324, u"4.94E-324"},
        {u"0.00E+00", 1.7976931348623157e308, u"1.80E+308"},
        {u"0.0E-0", 12345, u"1.2E4"},
        {u"0.0E-0", 0.012, u"1.2E-2"},
        {u"##0.0E+0", 12345, u"12.3E+3"},
        {u"##0.0E+0", 123456, u"123.5E+3"},
        {u"##0.0E+0", 1234, u"1.2E+3"},
        {u"##0.0E+0", 0.001234, u"1.2E-3"},
        {u"# ?/?", 1.25, u"1 1/4"},
        {u"# ?/?", 0.5, u" 1/2"},
        {u"# ?/?", 5, u"5    "},
        {u"# ?/?", 2.99, u"3    "},
        {u"# ?/?", -1.5, u"-1 1/2"},
        {u"# ?/?", 0.3333, u" 1/3"},
        {u"# ?/?", 4.34, u"4 1/3"},
        {u"# ?\?/?\?", 1.25, u"1  1/4 "},
        {u"# ?\?/?\?", 3.14159265, u"3 14/99"},
        {u"# ??\?/?\??", 3.14159265, u"3  16/113"},
        {u"?/?", 1.75, u"7/4"},
        {u"?/8", 0.3, u"2/8"},
        {u"# ?/8", 2.5, u"2 4/8"},
        {u"0 ?/100", 0.123, u"0 12/100"},
        {u"# ?/?\" kg\"", 1.5, u"1 1/2 kg"},
        {u"?/?", 1e16, u"1E+16"},
        // Text between the whole number, the numerator, the bar and the denominator.
        {u"# \"and\" ?/?", 1.5, u"1 and 1/2"},
        {u"0\" \"?/?", 0.75, u"0 3/4"},
        {u"#-?/?", 2.5, u"2-1/2"},
        {u"# ? / ?", 1.75, u"1 3 / 4"},
        {u"?/? \"in\"", 0.5, u"1/2 in"},
        {u"# ?/16\" in\"", 1.3, u"1 5/16 in"},
        {u"# ?/ 8", 2.5, u"2 4/ 8"},
        // '0', '#' and '?' in each part.
        {u"# 0/0", 1.25, u"1 1/4"},
        {u"# #/#", 1.25, u"1 1/4"},
        {u"# ##/##", 1.25, u"1 1/4"},
        {u"0 ?/?", 0.5, u"0 1/2"},
        {u"? ?/?", 0.5, u"  1/2"},
        {u"# 00/00", 1.25, u"1 01/04"},
        {u"?\?/??", 1.75, u" 7/4 "},
        {u"# ?\?/??", 5, u"5      "},
        {u"?/?", 0, u"0/1"},
        {u"?/?", 0.999, u"1/1"},
        {u"?/4", 2.5, u"10/4"},
        {u"?/?", 123456.5, u"246913/2"},
    };
    for (const Case& c : cases)
        expectShown(c);
}

TEST(FormatCode, ShowsDatesAndTimes) {
    const Case cases[] = {
        {u"yyyy-mm-dd", 42370, u"2016-01-01"},
        {u"yyyy/m/d", 42375, u"2016/1/6"},
        {u"m/d/yy", 42375, u"1/6/16"},
        {u"yyy", 42375, u"2016"},
        {u"d-mmm-yy", 42375, u"6-Jan-16"},
        {u"dddd, mmmm d", 42375, u"Wednesday, January 6"},
        {u"ddd mmmmm", 42375, u"Wed J"},
        {u"yyyy\"年\"m\"月\"d\"日\"", 42375, u"2016年1月6日"},
        {u"aaaa", 42375, u"星期三"},
        {u"aaa", 42376, u"四"},
        {u"[$-804]mmmm dddd", 42375, u"一月 星期三"},
        {u"[$-804]mmm ddd AM/PM", 42375.75, u"1月 周三 下午"},
        {u"yyyy/m/d h:mm", 42375.5, u"2016/1/6 12:00"},
        {u"hh:mm:ss", 0.75, u"18:00:00"},
        {u"MM/DD/YY H:MM AM/PM", 42375.25, u"01/06/16 6:00 AM"},
        {u"h:mm AM/PM", 0.75, u"6:00 PM"},
        {u"h:mm am/pm", 0.25, u"6:00 AM"},
        {u"h:mm A/P", 0, u"12:00 A"},
        {u"h:mm a/p", 0.75, u"6:00 p"},
        {u"hh:mm:ss Am/Pm", 0.5, u"12:00:00 PM"},
        {u"h AM/PM", 0.5, u"12 PM"},
        {u"上午/下午h\"时\"mm\"分\"", 0.6, u"下午2时24分"},
        {u"h:mm", 0.999999, u"0:00"},
        {u"h:mm", 10.5 / 24 + 59.4 / 86400, u"10:30"},
        {u"h:mm:ss", 1.0 / 86400 * 59.6, u"0:01:00"},
        {u"mm:ss.0", 1.0 / 86400 * 75.34, u"01:15.3"},
        {u"hh:mm:ss.000", 0.5 + 0.0123 / 86400, u"12:00:00.012"},
        {u"[h]:mm:ss", 1.5, u"36:00:00"},
        {u"[mm]:ss", 0.05, u"72:00"},
        {u"[ss]", 0.01, u"864"},
        {u"[hh]", 0.1, u"02"},
        // Beside its bracketed form a unit counts elapsed time too.
        {u"[h] h", 1.25, u"30 30"},
        {u"[h]:mm \"and\" h", 1.5, u"36:00 and 36"},
        {u"[m] m", 0.1, u"144 144"},
        {u"[s] s", 0.001, u"86 86"},
        {u"m", 42375, u"1"},
        {u"h \"h\" m \"min\"", 0.1, u"2 h 24 min"},
        {u"m:ss", 0.001, u"1:26"},
        {u"yyyy-mm-dd", 0, u"1900-01-00"},
        {u"yyyy-mm-dd", 1, u"1900-01-01"},
        {u"yyyy-mm-dd", 59, u"1900-02-28"},
        {u"yyyy-mm-dd", 60, u"1900-02-29"},
        {u"yyyy-mm-dd", 61, u"1900-03-01"},
        {u"dddd", 1, u"Sunday"},
        {u"dddd", 61, u"Thursday"},
        {u"yyyy-mm-dd", 2958465, u"9999-12-31"},
        {u"yyyy-mm-dd", 2958466, u"########"},
        // Rounded to the second, the last day's last moment would be 10000-01-01.
        {u"yyyy-mm-dd", 2958465.9999999, u"########"},
        {u"yyyy-mm-dd hh:mm:ss", 2958465.9999999, u"########"},
        {u"yyyy-mm-dd hh:mm:ss", 2958465.99999, u"9999-12-31 23:59:59"},
        {u"yyyy-mm-dd", -1, u"########"},
        {u"h:mm", -0.5, u"########"},
        {u"[Red]yyyy-mm-dd;0", 42370, u"2016-01-01"},
        {u"[$-F800]dddd, mmmm dd, yyyy", 42375, u"2016年1月6日"},
        {u"[$-F400]h:mm:ss AM/PM", 0.75, u"18:00:00"},
        {u"[$-x-sysdate]dddd, mmmm dd, yyyy", 42375, u"2016年1月6日"},
    };
    for (const Case& c : cases)
        expectShown(c);
}

// Codes as the Chinese edition writes them for its own format choices.
TEST(FormatCode, ShowsTheCodesChineseWorkbooksCarry) {
    const Case cases[] = {
        {u"yyyy\"年\"m\"月\"d\"日\";@", 42375, u"2016年1月6日"},
        {u"yyyy/m/d;@", 42375.5, u"2016/1/6"},
        {u"[$-409]h:mm:ss AM/PM;@", 0.5, u"12:00:00 PM"},
        {u"0.00_ ;[Red]\\-0.00\\ ", -3, u"-3.00 "},
        {u"0.00_);[Red]\\(0.00\\)", -3, u"(3.00)"},
        {u"\"¥\"#,##0.00;[Red]\"¥\"\\-#,##0.00", -1234.5, u"¥-1,234.50"},
        {u"_ [$¥-804]* #,##0.00_ ;_ [$¥-804]* \\-#,##0.00_ ;_ [$¥-804]* \"-\"??_ ;_ @_ ", 1234.5,
         u" ¥ 1,234.50 "},
        {u"#,##0.00\"元\"", 12, u"12.00元"},
        {u"[$-10804]aaaa", 42376, u"星期四"},
        {u"[$-zh-CN]mmmm", 42376, u"一月"},
        {u"[$-409]mmmm", 42376, u"January"},
    };
    for (const Case& c : cases)
        expectShown(c);
}

// The closest fraction is found in integers from the value's exact binary form: large whole
// numbers and long denominators neither overflow nor lose the best fraction.
TEST(FormatCode, FindsTheClosestFractionExactly) {
    const Case cases[] = {
        {u"# ???\?/????", 8589282915.634277, u"8589282915 1299/2048"},
        {u"# ???\?/????", -8589282915.634277, u"-8589282915 1299/2048"},
        {u"# ??\?/???", 3.14159265, u"3  16/113"},
        {u"# ???\?/????", 0.1234567, u"   10/81  "},
        {u"# ??\?/???", 12345.6789, u"12345  74/109"},
        {u"?/???", 2.718281828, u"1457/536"},
        {u"?/???????", 1e14 + 0.5, u"200000000000001/2      "},
        // These overflowed a 64-bit search: its products passed 2^63 on the way.
        {u"?/???????", 2364574634.37403, u"2479436211813383/1048576"},
        {u"?/???????", 17515520706.16996, u"2295794329999109/131072 "},
        {u"?/???????", 24224941735232.598, u"6201585084219545/256    "},
        {u"?/???????", 769650148.1492624, u"807036673745761/1048576"},
        {u"?/???????", 26111932761841.316, u"6684654787031377/256    "},
        {u"# ??????\?/???????", 0.5 + 1.0 / 9999999, u" 2500000/4999999"},
        {u"# ??????\?/???????", 1e-9, u"0                "},
        {u"# ??????\?/???????", 4.9e-324, u"0                "},
        {u"?/???????", 3e-8, u"0/1      "},
        {u"?/???????", 6e-8, u"1/9999999"},
        {u"# ?/?", 0.95, u"1    "},
        {u"# ?/?", 0.9, u" 8/9"},
    };
    for (const Case& c : cases)
        expectShown(c);
}

// [DBNum1] to [DBNum2] show digits as Chinese numerals: numbers with their units, decimals
// digit by digit, the years of dates digit by digit and their days and months as numbers.
TEST(FormatCode, ShowsChineseNumerals) {
    const Case cases[] = {
        {u"[DBNum1]General", 123, u"一百二十三"},
        {u"[DBNum1]General", 12, u"一十二"},
        {u"[DBNum1]General", 0, u"〇"},
        {u"[DBNum1]General", 1001, u"一千〇一"},
        {u"[DBNum1]General", 10010, u"一万〇一十"},
        {u"[DBNum1]General", 123456789, u"一亿二千三百四十五万六千七百八十九"},
        {u"[DBNum1]General", 100000000, u"一亿"},
        {u"[DBNum1]General", 1000000000000, u"一万亿"},
        {u"[DBNum1]General", 100010000, u"一亿〇一万"},
        {u"[DBNum1]General", 12.34, u"一十二.三四"},
        {u"[DBNum1]General", -5, u"-五"},
        {u"[DBNum2][$-804]General", 123, u"壹佰贰拾叁"},
        {u"[DBNum2][$-804]General", 0, u"零"},
        {u"[DBNum2][$-804]General", 100000, u"壹拾万"},
        {u"[DBNum2][$-804]General", 1000100, u"壹佰万零壹佰"},
        {u"[DBNum3][$-804]General", 123, u"１百２十３"},
        {u"[dbnum1]0.00", 3.5, u"三.五〇"},
        {u"[DBNum2]#,##0.00", 1234.5, u"壹仟贰佰叁拾肆.伍零"},
        {u"[DBNum1]000", 7, u"〇〇七"},
        // Amounts in capitals as accounts write them.
        {u"[DBNum2][$-804]General\"元\"", 123, u"壹佰贰拾叁元"},
        {u"[DBNum2][$-804]G/通用格式元整", 5000, u"伍仟元整"},
        {u"[DBNum2]0\"元\"0\"角\"0\"分\"", 12345, u"壹佰贰拾叁元肆角伍分"},
        {u"[DBNum2]0\"元\"0\"角\"0\"分\"", 5, u"零元零角伍分"},
        {u"[>0][DBNum2]G/通用格式\"元整\";[<0]\"负\"[DBNum2]G/通用格式\"元整\";\"零元整\"", 100,
         u"壹佰元整"},
        {u"[>0][DBNum2]G/通用格式\"元整\";[<0]\"负\"[DBNum2]G/通用格式\"元整\";\"零元整\"", -100,
         u"负壹佰元整"},
        {u"[>0][DBNum2]G/通用格式\"元整\";[<0]\"负\"[DBNum2]G/通用格式\"元整\";\"零元整\"", 0,
         u"零元整"},
        {u"[DBNum1][$-804]yyyy\"年\"m\"月\"d\"日\"", 36964, u"二〇〇一年三月十四日"},
        {u"[DBNum1][$-804]m\"月\"d\"日\"", 37246, u"十二月二十一日"},
        {u"[DBNum2]D\"角\"", 5, u"伍角"},
        {u"[DBNum1]h\"时\"mm\"分\"", 0.75 + 5.0 / 1440, u"十八时〇五分"},
        {u"G/通用格式", 2.5, u"2.5"},
    };
    for (const Case& c : cases)
        expectShown(c);
}

TEST(FormatCode, TextsGoThroughTheTextSection) {
    struct TextCase {
        const char16_t* code;
        const char16_t* text;
        const char16_t* shown;
    };
    const TextCase cases[] = {
        {u"0.00", u"00123", u"00123"},
        {u"@", u"abc", u"abc"},
        {u"\"编号：\"@", u"A-7", u"编号：A-7"},
        {u"0;-0;0;\"text: \"@\"!\"", u"x", u"text: x!"},
        {u"0;-0;0;[Red]@_)", u"x", u"x "},
        {u"0;-0;0;\"fixed\"", u"x", u"fixed"},
        {u";;;", u"hidden", u""},
        {u"0;-0", u"plain", u"plain"},
        {u"General;General;General;\"<\"General\">\"", u"t", u"<t>"},
        {u"_ * #,##0.00_ ;_ * \\-#,##0.00_ ;_ * \"-\"??_ ;_ @_ ", u"备注", u" 备注 "},
    };
    for (const TextCase& c : cases) {
        const QString code = QString::fromUtf16(c.code);
        EXPECT_EQ(FormatCode(code).formatText(QString::fromUtf16(c.text)),
                  QString::fromUtf16(c.shown))
            << code.toStdString();
    }
}

// Codes no spreadsheet would write still give some text, never a crash or a hang.
TEST(FormatCode, SurvivesMalformedCodes) {
    const char16_t* const codes[] = {
        u"\"unterminated",
        u"[Red",
        u"0.0E+",
        u"\\",
        u"_",
        u"*",
        u"?/",
        u"#/0",
        u"0/0",
        u"[>=abc]0",
        u"[h",
        u"0;0;0;0;0;0",
        u"[$",
        u"E+0",
        u"0.00000000000000000000000000000000000000",
        u"# ?/??????????????",
        u"?/?/?",
        u"# ?/\" \"",
        u"[DBNum9]0",
        u"[DBNum2]0000000000000000000000000000000000000000000000000000000000000000000",
        u"0%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%"
        u"%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%%",
        u"0,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,"
        u",,,,,,,,,,,,,,,,,,,,,,,,,,,,,,",
    };
    const double values[] = {0, -1, 1e308, -1e-308, 123.456, 2958465.99999};
    for (const char16_t* code : codes) {
        const FormatCode format{QString::fromUtf16(code)};
        for (double v : values)
            EXPECT_FALSE(format.formatNumber(v).contains(u"nan", Qt::CaseInsensitive))
                << QString::fromUtf16(code).toStdString() << " " << v;
        format.formatText(u"x"_qs);
    }
    // A code far beyond the spreadsheet's 255 characters would make every text as long.
    EXPECT_EQ(FormatCode(u"0."_qs + QString(5000, u'0')).formatNumber(1.5), u"1.5"_qs);
}

TEST(FormatCode, BuiltInIdsShowAsTheChineseEditionShowsThem) {
    struct IdCase {
        int id;
        double value;
        const char16_t* shown;
    };
    const IdCase cases[] = {
        {0, 1234.5, u"1234.5"},
        {1, 1234.5, u"1235"},
        {2, 1234.5, u"1234.50"},
        {3, 1234.5, u"1,235"},
        {4, -1234.5, u"-1,234.50"},
        {5, -1234.5, u"¥-1,235"},
        {7, 1234.5, u"¥1,234.50"},
        {8, -1234.5, u"¥-1,234.50"},
        {9, 0.5, u"50%"},
        {10, 0.5, u"50.00%"},
        {11, 1234.5, u"1.23E+03"},
        {12, 1.5, u"1 1/2"},
        {13, 1.5, u"1  1/2 "},
        {14, 42375, u"2016/1/6"},
        {15, 42375, u"6-Jan-16"},
        {16, 42375, u"6-Jan"},
        {17, 42375, u"Jan-16"},
        {18, 0.75, u"6:00 PM"},
        {19, 0.75, u"6:00:00 PM"},
        {20, 0.75, u"18:00"},
        {21, 0.75, u"18:00:00"},
        {22, 42375.75, u"2016/1/6 18:00"},
        {23, 1234.5, u"1234.5"},
        {27, 42375, u"2016年1月"},
        {28, 42375, u"1月6日"},
        {30, 42375, u"1-6-16"},
        {31, 42375, u"2016年1月6日"},
        {32, 0.75, u"18时00分"},
        {33, 0.75, u"18时00分00秒"},
        {34, 0.75, u"下午6时00分"},
        {35, 0.25, u"上午6时00分00秒"},
        {36, 42375, u"2016年1月"},
        {37, -1234, u"(1,234)"},
        {38, 1234, u"1,234 "},
        {39, -1234, u"(1,234.00)"},
        {40, 0, u"0.00"},
        {41, -1234, u"  -1,234 "},
        {42, 1234, u" ¥ 1,234 "},
        {43, 0, u"  -   "},
        {44, -1.5, u" ¥ -1.50 "},
        {45, 0.01, u"14:24"},
        {46, 1.25, u"30:00:00"},
        {47, 1.0 / 86400 * 75.34, u"01:15.3"},
        {48, 12345, u"12.3E+3"},
        {49, 12, u"12"},
        {50, 42375, u"2016年1月"},
        {51, 42375, u"1月6日"},
        {55, 0.5, u"下午12时00分"},
        {56, 0.5, u"下午12时00分00秒"},
        {57, 42375, u"2016年1月"},
        {58, 42375, u"1月6日"},
    };
    for (const IdCase& c : cases) {
        EXPECT_EQ(FormatCode(builtinFormatCode(c.id)).formatNumber(c.value),
                  QString::fromUtf16(c.shown))
            << "id " << c.id;
    }
    EXPECT_EQ(builtinFormatCode(200), QString());
    EXPECT_EQ(builtinFormatCode(-1), QString());
}

TEST(FormatCode, TellsCalendarDatesFromTimesAndNumbers) {
    EXPECT_TRUE(FormatCode(u"yyyy/m/d").showsCalendarDate());
    EXPECT_TRUE(FormatCode(u"[Red]d-mmm;0").showsCalendarDate());
    EXPECT_FALSE(FormatCode(u"h:mm").showsCalendarDate());
    EXPECT_FALSE(FormatCode(u"[h]:mm:ss").showsCalendarDate());
    EXPECT_FALSE(FormatCode(u"0.00\"d\"").showsCalendarDate());
    EXPECT_FALSE(FormatCode(u"").showsCalendarDate());
}

TEST(FormatCode, DateCellsWithoutAFormatShowTheirDayAndTime) {
    struct DefaultCase {
        double serial;
        const char16_t* shown;
    };
    const DefaultCase cases[] = {
        {42375, u"2016/1/6"},
        {42375.5, u"2016/1/6 12:00"},
        {42375.5 + 5.0 / 86400, u"2016/1/6 12:00:05"},
        {0.25, u"6:00"},
    };
    for (const DefaultCase& c : cases)
        EXPECT_EQ(FormatCode(defaultDateFormat(c.serial)).formatNumber(c.serial),
                  QString::fromUtf16(c.shown));
}

}  // namespace
}  // namespace tallimo::numfmt

#include "NumberFormat.h"

#include <gtest/gtest.h>

namespace tallimo::host {
namespace {

struct DisplayCase {
    double value;
    const char16_t* format;
    const char16_t* shown;
};

TEST(NumberFormat, ShowsNumbersAsTheSpreadsheetDoes) {
    const DisplayCase cases[] = {
        {42, u"", u"42"},
        {-42, u"General", u"-42"},
        {0.1 + 0.2, u"", u"0.3"},
        {1234.5, u"", u"1234.5"},
        {1e20, u"", u"1E+20"},
        {1.5e-10, u"", u"1.5E-10"},
        {123456789012345.0, u"", u"123456789012345"},
        {0, u"", u"0"},
        {2.5, u"0", u"3"},
        {-2.5, u"0", u"-3"},
        {1.005, u"0.00", u"1.01"},
        {1200, u"0.00", u"1200.00"},
        {1234567.891, u"#,##0", u"1,234,568"},
        {1234567.891, u"#,##0.00", u"1,234,567.89"},
        {-1200, u"#,##0.00", u"-1,200.00"},
        {999.999, u"#,##0.00", u"1,000.00"},
        {-0.001, u"0.00", u"0.00"},
        {0.125, u"0%", u"13%"},
        {0.125, u"0.00%", u"12.50%"},
        {-1200, u"#,##0.00;(#,##0.00)", u"(1,200.00)"},
        {1200, u"\"¥\"#,##0.00", u"¥1,200.00"},
        {1200, u"#,##0.00_ ", u"1,200.00 "},
        {42370, u"yyyy-mm-dd", u"2016-01-01"},
        {42375, u"yyyy/m/d", u"2016/1/6"},
        {42375, u"m/d/yyyy", u"1/6/2016"},
        {42375.5, u"yyyy/m/d h:mm", u"2016/1/6 12:00"},
        {42375, u"yyyy\"年\"m\"月\"d\"日\"", u"2016年1月6日"},
        {61, u"yyyy-mm-dd", u"1900-03-01"},
        {59, u"yyyy-mm-dd", u"1900-02-28"},
        {0.75, u"hh:mm:ss", u"18:00:00"},
        {42375, u"[Red]#,##0", u"42,375"},
        {123, u"[DBNum2][$-804]General\"元\"", u"壹佰贰拾叁元"},
        {10, u"[<10]#\" Wow\"", u"10"},
        {1.5, u"# \"and\" ?/?", u"1 and 1/2"},
        {2958465.9999999, u"yyyy-mm-dd", u"########"},
    };
    for (const DisplayCase& c : cases) {
        const QString format = QString::fromUtf16(c.format);
        EXPECT_EQ(formatCellValue(CellValue::fromNumber(c.value), format),
                  QString::fromUtf16(c.shown))
            << c.value << " " << format.toStdString();
    }
}

TEST(NumberFormat, ShowsOtherValuesUnchanged) {
    EXPECT_EQ(formatCellValue(CellValue::fromText(u"00123"_qs), u"0.00"_qs), u"00123"_qs);
    EXPECT_EQ(formatCellValue(CellValue::empty(), u"0.00"_qs), QString());
    EXPECT_EQ(formatCellValue(CellValue::fromBool(true), {}), u"TRUE"_qs);
    EXPECT_EQ(formatCellValue(CellValue::fromError(u"#REF!"_qs), {}), u"#REF!"_qs);
}

TEST(NumberFormat, ShowsTextsThroughTheTextSection) {
    const QString format = u"0.00;-0.00;0;\"[\"@\"]\""_qs;
    EXPECT_EQ(formatCellValue(CellValue::fromText(u"abc"_qs), format), u"[abc]"_qs);
    EXPECT_EQ(formatCellValue(CellValue::fromNumber(-1), format), u"-1.00"_qs);
    EXPECT_EQ(formatCellValue(CellValue::fromError(u"#N/A"_qs), format), u"#N/A"_qs);
}

TEST(NumberFormat, BuiltInIdsGiveTheirCodes) {
    EXPECT_EQ(numfmt::builtinFormatCode(14), u"yyyy/m/d"_qs);
    EXPECT_EQ(numfmt::builtinFormatCode(4), u"#,##0.00"_qs);
    EXPECT_EQ(formatCellValue(CellValue::fromNumber(42375), numfmt::builtinFormatCode(14)),
              u"2016/1/6"_qs);
    EXPECT_EQ(numfmt::builtinFormatCode(200), QString());
}

}  // namespace
}  // namespace tallimo::host

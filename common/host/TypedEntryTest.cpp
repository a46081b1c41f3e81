#include "TypedEntry.h"

#include <gtest/gtest.h>

namespace tallimo::host {
namespace {

struct TypedCase {
    const char16_t* typed;
    bool isNumber;
    double value;
    const char16_t* numberFormat;
};

TEST(TypedEntry, ConvertsPlainDecimalsAndKeepsEverythingElseAsText) {
    const TypedCase cases[] = {
        {u"123", true, 123, u""},
        {u"-45.5", true, -45.5, u""},
        {u"+7", true, 7, u""},
        {u" 12 ", true, 12, u""},
        {u"0.5", true, 0.5, u""},
        {u".5", true, 0.5, u""},
        {u"12.50", true, 12.5, u"0.00"},
        {u"1,200", true, 1200, u"#,##0"},
        {u"1,200.00", true, 1200, u"#,##0.00"},
        {u"-1,234,567.5", true, -1234567.5, u"#,##0.0"},
        {u"0", true, 0, u""},
        {u"-0", true, 0, u""},
        {u"123456789012345", true, 123456789012345.0, u""},
        {u"00123", false, 0, u""},
        {u"1234567890123456", false, 0, u""},
        {u"110101199001011234", false, 0, u""},
        {u"2016-01-05", false, 0, u""},
        {u"2016/1/5", false, 0, u""},
        {u"12,00", false, 0, u""},
        {u"1,2345", false, 0, u""},
        {u",123", false, 0, u""},
        {u"12%", false, 0, u""},
        {u"1e5", false, 0, u""},
        {u"12a", false, 0, u""},
        {u"-", false, 0, u""},
        {u".", false, 0, u""},
        {u"1.2.3", false, 0, u""},
        {u"左行12", false, 0, u""},
        {u"√", false, 0, u""},
        {u"", false, 0, u""},
    };
    for (const TypedCase& c : cases) {
        const QString typed = QString::fromUtf16(c.typed);
        const auto number = typedNumber(typed);
        ASSERT_EQ(number.has_value(), c.isNumber) << typed.toStdString();
        if (!number) continue;
        EXPECT_EQ(number->value, c.value) << typed.toStdString();
        EXPECT_EQ(number->numberFormat, QString::fromUtf16(c.numberFormat)) << typed.toStdString();
    }
}

}  // namespace
}  // namespace tallimo::host

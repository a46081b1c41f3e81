#include "TypedEntry.h"

#include "NumberFormat.h"

#include <gtest/gtest.h>

#include <QLocale>

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

// Signs, integer parts and decimal parts put together in every way, with and without spaces:
// numbers near every rule's edge (grouping, leading zeros, fifteen digits, the exponent form
// General takes below 1E-04) and texts that only look like numbers.
QStringList typedVariants() {
    const QStringList signs = {"", "-", "+"};
    const QStringList integers = {"",
                                  "0",
                                  "00",
                                  "7",
                                  "12",
                                  "100",
                                  "1234",
                                  "1,234",
                                  "12,345,678",
                                  "123456789012345",
                                  "1,2",
                                  "123,45",
                                  "1234567890123456"};
    const QStringList decimals = {"",
                                  ".",
                                  ".0",
                                  ".5",
                                  ".50",
                                  ".05",
                                  ".0001",
                                  ".00001",
                                  ".000012",
                                  ".000010",
                                  ".123456789012",
                                  "." + QString(40, u'0'),
                                  ".1" + QString(34, u'0'),
                                  ".12345678901234567"};
    QStringList variants;
    for (const QString& sign : signs)
        for (const QString& integer : integers)
            for (const QString& decimal : decimals)
                for (const QString& pad : {u""_qs, u" "_qs})
                    variants << pad + sign + integer + decimal + pad;
    return variants;
}

TEST(TypedEntry, DisplayTextIsTheNumberFormattedAsTypedEntryFormatsIt) {
    for (const QString& typed : typedVariants()) {
        const auto number = typedNumber(typed);
        const QString expected =
            number ? formatCellValue(CellValue::fromNumber(number->value), number->numberFormat)
                   : typed;
        QString shown = u"前"_qs;
        appendTypedDisplayText(shown, typed);
        EXPECT_EQ(shown.toStdString(), (u"前"_qs + expected).toStdString());
    }
}

TEST(TypedEntry, ValueIsTheDecimalReadingOfTheDigits) {
    for (const QString& typed : typedVariants()) {
        const auto number = typedNumber(typed);
        if (!number) continue;
        QString plain = typed.trimmed().remove(u',').remove(u'+');
        if (plain.startsWith(u'.') || plain.startsWith(u"-."))
            plain.insert(plain.indexOf(u'.'), u'0');
        EXPECT_EQ(number->value, QLocale::c().toDouble(plain)) << typed.toStdString();
    }
}

}  // namespace
}  // namespace tallimo::host

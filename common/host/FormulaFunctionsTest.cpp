#include "Formula.h"
#include "Host.h"
#include "MemoryHost.h"

#include <gtest/gtest.h>

namespace tallimo::host {
namespace {

CellValue text(const char16_t* t) {
    return CellValue::fromText(QString::fromUtf16(t));
}
CellValue number(double n) {
    return CellValue::fromNumber(n);
}
CellValue truth(bool b) {
    return CellValue::fromBool(b);
}
CellValue error(const char16_t* e) {
    return CellValue::fromError(QString::fromUtf16(e));
}

const char16_t* const kBalanceCheck =
    u"=IF(ROUND(B8-D8,2)=0,\"平衡\",\"不平衡，差额\"&TEXT(B8-D8,\"0.00\"))";

// Each formula written in one notation reads back the same in both, and the text printed is read
// as the same formula again. Function names come back in upper case, spaces go.
TEST(FormulaText, RoundTripsInBothNotations) {
    const struct {
        const char16_t* written;  // A1, in C10
        const char16_t* a1;
        const char16_t* r1c1;
    } cases[] = {
        {kBalanceCheck, kBalanceCheck,
         u"=IF(ROUND(R[-2]C[-1]-R[-2]C[1],2)=0,\"平衡\",\"不平衡，差额\"&TEXT(R[-2]C[-1]-R[-2]C[1],"
         u"\"0.00\"))"},
        {u"=if( a1 <> $B$1 , abs(-A1), Round(A1, -2))", u"=IF(A1<>$B$1,ABS(-A1),ROUND(A1,-2))",
         u"=IF(R[-9]C[-2]<>R1C2,ABS(-R[-9]C[-2]),ROUND(R[-9]C[-2],-2))"},
        {u"=\"say \"\"hi\"\"\"&A1&\"\"", u"=\"say \"\"hi\"\"\"&A1&\"\"",
         u"=\"say \"\"hi\"\"\"&R[-9]C[-2]&\"\""},
        {u"=\"\"\"\"", u"=\"\"\"\"", u"=\"\"\"\""},
        {u"=\"A1, (R1C1) SUM(\"&1", u"=\"A1, (R1C1) SUM(\"&1", u"=\"A1, (R1C1) SUM(\"&1"},
        {u"=(A1<B1)=(A1>=B1)", u"=(A1<B1)=(A1>=B1)",
         u"=(R[-9]C[-2]<R[-9]C[-1])=(R[-9]C[-2]>=R[-9]C[-1])"},
        {u"=A1<=1>0", u"=A1<=1>0", u"=R[-9]C[-2]<=1>0"},
        {u"=SUM(A1:A3)&\"元\"=text(0,\"#,##0.00\")", u"=SUM(A1:A3)&\"元\"=TEXT(0,\"#,##0.00\")",
         u"=SUM(R[-9]C[-2]:R[-7]C[-2])&\"元\"=TEXT(0,\"#,##0.00\")"},
        {u"=IF(A1,1)", u"=IF(A1,1)", u"=IF(R[-9]C[-2],1)"},
    };
    for (const auto& c : cases) {
        const QString written = QString::fromUtf16(c.written);
        const auto fromA1 = parseFormula(written, Notation::A1, 10, 3);
        ASSERT_TRUE(fromA1) << written.toStdString();
        EXPECT_EQ(formulaText(*fromA1, Notation::A1, 10, 3), QString::fromUtf16(c.a1));
        EXPECT_EQ(formulaText(*fromA1, Notation::R1C1, 10, 3), QString::fromUtf16(c.r1c1));
        const auto fromR1C1 = parseFormula(QString::fromUtf16(c.r1c1), Notation::R1C1, 10, 3);
        ASSERT_TRUE(fromR1C1) << written.toStdString();
        EXPECT_EQ(formulaText(*fromR1C1, Notation::A1, 10, 3), QString::fromUtf16(c.a1));
    }
}

TEST(FormulaText, RefusesWhatItCannotCompute) {
    for (const char16_t* bad : {
             u"=IF(A1)",
             u"=IF(1,2,3,4)",
             u"=ROUND(1)",
             u"=ABS(1,2)",
             u"=TEXT(1)",
             u"=VLOOKUP(A1,B1:C2,2)",
             u"=\"open",
             u"=\"a\"\"",
             u"=IF(A1:A2,1,2)",
             u"=TEXT(A1:A2,\"0\")",
             u"=A1=",
             u"=1<",
             u"=&1",
             u"=A1=<B1",
             u"=IF (1,2)",
         }) {
        EXPECT_FALSE(parseFormula(QString::fromUtf16(bad), Notation::A1, 1, 1))
            << QString::fromUtf16(bad).toStdString();
    }
}

class FormulaFunctions : public ::testing::Test {
protected:
    Application app{makeMemoryHost()};
    HostBackend& host = app.backend();
    Workbook book = app.workbooks().add();
    Worksheet sheet = book.sheets()[1];

    Range at(const char16_t* a1) const { return sheet.range(QString::fromUtf16(a1)); }
    // As a file's reader hands a formula over, with no value of its own.
    void write(const char16_t* a1, const QString& formula) {
        const Range cell = at(a1);
        host.setFormulaA1(sheet.id(), cell.row(), cell.column(), formula, {});
    }
};

// A small bank balance statement: the bank's side is computed, the book's side summed, and the
// check says whether they agree to the cent, and by how much when they do not.
TEST_F(FormulaFunctions, BalanceStatementChecksItsTwoSides) {
    at(u"B5").setValue(1000.10);
    at(u"B6").setValue(250.20);
    at(u"B7").setValue(49.97);
    write(u"B8", u"=B5+B6-B7"_qs);
    at(u"E12").setValue(1200.00);
    at(u"E13").setValue(0.33);
    write(u"D8", u"=SUM(E12:E20)"_qs);
    write(u"C10", QString::fromUtf16(kBalanceCheck));
    EXPECT_EQ(at(u"B8").value(), number(1200.33));
    EXPECT_EQ(at(u"D8").value(), number(1200.33));
    EXPECT_EQ(at(u"C10").value(), text(u"平衡"));
    EXPECT_EQ(at(u"C10").formula(), QString::fromUtf16(kBalanceCheck));

    at(u"E20").setValue(0.01);
    EXPECT_EQ(at(u"C10").value(), text(u"不平衡，差额-0.01"));
    at(u"E20").setValue(-0.02);
    EXPECT_EQ(at(u"C10").value(), text(u"不平衡，差额0.02"));
}

TEST_F(FormulaFunctions, ValuesFollowSpreadsheetRules) {
    at(u"A1").setValue(2.675);
    host.setLiteral(sheet.id(), 2, 1, text(u"Abc"));
    host.setLiteral(sheet.id(), 3, 1, text(u"12"));  // a text, not the number it reads as
    host.setLiteral(sheet.id(), 4, 1, CellValue::fromText(QString(20000, u'x')));
    // A9 stays empty.
    const struct {
        const char16_t* formula;
        CellValue value;
    } cases[] = {
        // ROUND rounds the decimal a number shows, half away from zero.
        {u"=ROUND(A1,2)", number(2.68)},
        {u"=ROUND(-0.005,2)", number(-0.01)},
        {u"=ROUND(0.004999,2)", number(0)},
        {u"=ROUND(1.005,2)", number(1.01)},
        {u"=ROUND(0.285,2)", number(0.29)},
        {u"=ROUND(999.995,2)", number(1000)},
        {u"=ROUND(-2.5,0)", number(-3)},
        {u"=ROUND(2.5,0.9)", number(3)},
        {u"=ROUND(1234.5,-2)", number(1200)},
        {u"=ROUND(0.1*3,14)", number(0.3)},
        {u"=ROUND(1.23456789012345,20)", number(1.23456789012345)},
        {u"=ROUND(5E-300,2)", number(0)},
        {u"=ROUND(A9,2)", number(0)},
        {u"=ROUND(9E307*1.99,-308)", error(u"#NUM!")},
        {u"=ABS(-3.5)+ABS(A3)", number(15.5)},
        {u"=ABS(A2)", error(u"#VALUE!")},
        // TEXT shows a number as a cell in that format would.
        {u"=TEXT(-0.01,\"0.00\")", text(u"-0.01")},
        {u"=TEXT(-1234567.891,\"#,##0.00\")", text(u"-1,234,567.89")},
        {u"=TEXT(-5,\"0.00;-0.00\")", text(u"-5.00")},
        {u"=TEXT(2.5,\"0\")", text(u"3")},
        {u"=TEXT(A1,\"0.00\")", text(u"2.68")},
        {u"=TEXT(A3,\"0.00\")", text(u"12.00")},
        {u"=TEXT(A2,\"0.00\")", text(u"Abc")},
        {u"=TEXT(A9,\"0.00\")", text(u"0.00")},
        // "&" joins General texts; an empty cell joins as nothing.
        {u"=1+2&3*4", text(u"312")},
        {u"=0.1+0.2&\"\"", text(u"0.3")},
        {u"=1/3&\"\"", text(u"0.333333333333333")},
        {u"=1E+20&\"\"", text(u"1E+20")},
        {u"=\"合计：\"&A9&\"元\"", text(u"合计：元")},
        {u"=\"x\"&(1=1)", text(u"xTRUE")},
        {u"=\"他说\"\"好\"\"\"", text(u"他说\"好\"")},
        {u"=A4&\"y\"", CellValue::fromText(QString(20000, u'x') + u'y')},
        {u"=A4&A4", error(u"#VALUE!")},  // longer than a cell holds
        // Comparisons: texts without regard to case, numbers before texts before truth values.
        {u"=1<2", truth(true)},
        {u"=2<=2", truth(true)},
        {u"=2>=3", truth(false)},
        {u"=1<>1", truth(false)},
        {u"=A2=\"aBC\"", truth(true)},
        {u"=\"a\"<\"B\"", truth(true)},
        {u"=\"平衡\"=\"平衡\"", truth(true)},
        {u"=1E+300<\"0\"", truth(true)},
        {u"=A3=12", truth(false)},
        {u"=(1<2)>\"z\"", truth(true)},
        {u"=A9=0", truth(true)},
        {u"=A9=\"\"", truth(true)},
        {u"=0.1*3=0.3", truth(true)},
        {u"=\"a\"&1=1", truth(false)},
        // IF takes any non-zero number as true and computes only the branch it takes.
        {u"=IF(0,\"y\",\"n\")", text(u"n")},
        {u"=IF(-2,\"y\",\"n\")", text(u"y")},
        {u"=IF(1>2,1)", truth(false)},
        {u"=IF(A9,1,2)", number(2)},
        {u"=IF(1,A9)", number(0)},
        {u"=IF(1,2,1/0)", number(2)},
        {u"=IF(A2,1,2)", error(u"#VALUE!")},
        // The first error is the result.
        {u"=IF(1/0,1,2)", error(u"#DIV/0!")},
        {u"=1/0&\"x\"", error(u"#DIV/0!")},
        {u"=\"x\"&ABS(A2)", error(u"#VALUE!")},
        {u"=1/0=A2+1", error(u"#DIV/0!")},
        {u"=ROUND(1/0,2)", error(u"#DIV/0!")},
        {u"=TEXT(1/0,\"0\")", error(u"#DIV/0!")},
    };
    for (const auto& c : cases) {
        write(u"C1", QString::fromUtf16(c.formula));
        EXPECT_EQ(at(u"C1").value(), c.value) << QString::fromUtf16(c.formula).toStdString();
    }
}

// Nesting IF counts a level for each call, like any other operator.
TEST_F(FormulaFunctions, DeeplyNestedIfIsRefusedWithAMessage) {
    const auto nestedIf = [](int levels) {
        return u'=' + QString(u"IF(1,"_qs).repeated(levels) + u'7' + QString(levels, u')');
    };
    try {
        at(u"A1").setFormulaR1C1(nestedIf(kMaxFormulaDepth * 100));
        ADD_FAILURE() << "a nested IF past the limit was taken";
    } catch (const HostError& e) {
        EXPECT_TRUE(e.message().contains(u"嵌套"_qs)) << e.message().toStdString();
    }
    EXPECT_THROW(at(u"A1").setFormulaR1C1(nestedIf(kMaxFormulaDepth)), HostError);
    at(u"A1").setFormulaR1C1(nestedIf(kMaxFormulaDepth - 1));
    EXPECT_EQ(at(u"A1").value(), number(7));
}

// Deleting a row the formula reads makes that reference #REF!, and so the value; references
// below move up, and a quoted text that looks like a reference stays as written.
TEST_F(FormulaFunctions, DeletedInputsBecomeRefErrors) {
    at(u"B2").setValue(5.0);
    at(u"B3").setValue(-1.5);
    write(u"C5", u"=IF(B3<0,\"B3 负\",\"正\")&TEXT(B2,\"0.00\")"_qs);
    EXPECT_EQ(at(u"C5").value(), text(u"B3 负5.00"));
    sheet.rows(2, 2).deleteCells(Shift::Up);
    EXPECT_EQ(at(u"C4").formula(), u"=IF(B2<0,\"B3 负\",\"正\")&TEXT(#REF!,\"0.00\")"_qs);
    EXPECT_EQ(at(u"C4").value(), error(u"#REF!"));
}

}  // namespace
}  // namespace tallimo::host

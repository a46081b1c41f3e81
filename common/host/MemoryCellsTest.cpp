#include "CompensatedSum.h"
#include "Formula.h"
#include "Host.h"
#include "MemoryHost.h"

#include <gtest/gtest.h>
#include <limits>

namespace tallimo::host {
namespace {

class MemoryCells : public ::testing::Test {
protected:
    Application app{makeMemoryHost()};
    HostBackend& host = app.backend();
    Workbook book = app.workbooks().add();
    Worksheet sheet = book.sheets()[1];

    Range at(const char16_t* a1) const { return sheet.range(QString::fromUtf16(a1)); }
    void fillColumn(int column, int firstRow, const QList<double>& values) {
        for (int i = 0; i < values.size(); ++i)
            sheet.cells(firstRow + i, column).setValue(values[i]);
    }
};

TEST_F(MemoryCells, TypedTextsBecomeNumbersShownAsWritten) {
    at(u"A1").setValue(u"1,200.00"_qs);
    at(u"A2").setValue(u"00123"_qs);
    at(u"A3").setValue(u"2016-01-05"_qs);
    EXPECT_EQ(at(u"A1").value(), CellValue::fromNumber(1200));
    EXPECT_EQ(at(u"A1").text(), u"1,200.00"_qs);
    EXPECT_EQ(at(u"A2").value(), CellValue::fromText(u"00123"_qs));
    EXPECT_EQ(at(u"A3").value(), CellValue::fromText(u"2016-01-05"_qs));

    // A cell formatted as text keeps what is typed; a cell with its own number format keeps it.
    host.setNumberFormat(sheet.id(), parseA1(u"B1"_qs), u"@"_qs);
    at(u"B1").setValue(u"123"_qs);
    EXPECT_EQ(at(u"B1").value(), CellValue::fromText(u"123"_qs));
    host.setNumberFormat(sheet.id(), parseA1(u"B2"_qs), u"0.000"_qs);
    at(u"B2").setValue(u"1,200"_qs);
    EXPECT_EQ(at(u"B2").text(), u"1200.000"_qs);

    // setLiteral stores a text as a text, and an empty text empties the cell.
    host.setLiteral(sheet.id(), 3, 2, CellValue::fromText(u"42"_qs));
    EXPECT_EQ(at(u"B3").value(), CellValue::fromText(u"42"_qs));
    at(u"B3").setValue(u""_qs);
    EXPECT_TRUE(at(u"B3").value().isEmpty());
}

TEST_F(MemoryCells, BlockWriteTypesEveryCellAndOverwritesInPlace) {
    TextGrid grid(3);
    for (const auto& row : {QStringList{u"左行5"_qs, u"12.50"_qs, u""_qs},
                            QStringList{u"左行6"_qs, u"-3"_qs, u"x"_qs}}) {
        for (const QString& cell : row)
            grid.addCell(cell);
        grid.endRow();
    }
    sheet.cells(2, 1).setValues(grid);
    EXPECT_EQ(at(u"A2").value(), CellValue::fromText(u"左行5"_qs));
    EXPECT_EQ(at(u"B2").text(), u"12.50"_qs);
    EXPECT_TRUE(at(u"C2").value().isEmpty());
    EXPECT_EQ(at(u"B3").value(), CellValue::fromNumber(-3));
    EXPECT_EQ(host.usedRange(sheet.id()), (CellRect{2, 1, 3, 3}));
    // A shorter text reuses the old one's place; a longer one must not spill into a neighbour.
    at(u"A2").setValue(u"√"_qs);
    at(u"C3").setValue(u"a much longer text than before"_qs);
    EXPECT_EQ(at(u"A2").value().text, u"√"_qs);
    EXPECT_EQ(at(u"A3").value().text, u"左行6"_qs);
    EXPECT_EQ(at(u"C3").value().text, u"a much longer text than before"_qs);
}

TEST_F(MemoryCells, FormulasEvaluateAndFollowTheirInputs) {
    fillColumn(2, 7, {5, 3});
    fillColumn(5, 7, {2, 4});
    at(u"H7:H8").setFormulaR1C1(u"=RC[-6]-RC[-3]"_qs);
    EXPECT_EQ(at(u"H7").value(), CellValue::fromNumber(3));
    EXPECT_EQ(at(u"H8").value(), CellValue::fromNumber(-1));
    EXPECT_EQ(at(u"H8").formula(), u"=B8-E8"_qs);
    EXPECT_EQ(at(u"H8").formulaR1C1(), u"=RC[-6]-RC[-3]"_qs);

    at(u"H9").setFormulaR1C1(u"=SUM(R[-2]C:R[-1]C)"_qs);
    at(u"H10").setFormulaR1C1(u"=R9C8*2+(R7C2-1)/4"_qs);
    EXPECT_EQ(at(u"H9").value(), CellValue::fromNumber(2));
    EXPECT_EQ(at(u"H10").value(), CellValue::fromNumber(5));
    EXPECT_EQ(at(u"H10").formula(), u"=$H$9*2+($B$7-1)/4"_qs);

    at(u"E8").setValue(10.0);  // H8 = 3 - 10, H9 = 3 - 7
    EXPECT_EQ(at(u"H8").value(), CellValue::fromNumber(-7));
    EXPECT_EQ(at(u"H9").value(), CellValue::fromNumber(-4));
    EXPECT_EQ(at(u"H10").value(), CellValue::fromNumber(-7));

    at(u"B7").setValue(u"abc"_qs);
    EXPECT_EQ(at(u"H7").value(), CellValue::fromError(u"#VALUE!"_qs));
    EXPECT_EQ(at(u"H9").value(), CellValue::fromError(u"#VALUE!"_qs));
    at(u"B7").clearContents();
    EXPECT_EQ(at(u"H7").value(), CellValue::fromNumber(-2));

    // Writing a value over a formula removes it.
    at(u"H7").setValue(1.0);
    EXPECT_EQ(at(u"H7").formulaR1C1(), u"1"_qs);
    EXPECT_THROW(at(u"H11").setFormulaR1C1(u"=VLOOKUP(A1,B:C,2)"_qs), HostError);
    EXPECT_THROW(at(u"H11").setFormulaR1C1(u"=SUM(R[-1]C"_qs), HostError);
}

// Cells sharing a formula text share one parse, moved to each cell: whichever cell is read first,
// each reads what its own parse gives, at the grid's edge too.
TEST_F(MemoryCells, SharedFormulaTextsReadAsParsedForEachCell) {
    constexpr int kTop = kMaxRows - 7;
    for (const int readFirst : {kTop, kMaxRows - 1, kMaxRows}) {
        Worksheet fresh = book.sheets().add();
        fresh.range(CellRect{kTop, 1, kMaxRows, 1}).setValue(2.0);
        fresh.range(CellRect{kTop, 3, kMaxRows, 3})
            .setFormulaR1C1(u"=R[2]C[-2]*R1C1+SUM(RC[-2]:R[1]C[-2])"_qs);
        (void)fresh.cells(readFirst, 3).value();
        for (int row = kTop; row <= kMaxRows; ++row) {
            const Range cell = fresh.cells(row, 3);
            if (row + 2 <= kMaxRows) {
                EXPECT_EQ(
                    cell.formula(),
                    QStringLiteral("=A%1*$A$1+SUM(A%2:A%3)").arg(row + 2).arg(row).arg(row + 1))
                    << row;
                EXPECT_EQ(cell.value(), CellValue::fromNumber(0 + 4)) << row;  // A1 is empty
            } else {
                EXPECT_EQ(cell.value(), CellValue::fromError(u"#REF!"_qs)) << row;
            }
        }
    }
}

TEST_F(MemoryCells, SumsAndDifferencesHaveNoRoundingNoiseAndOverflowIsNumError) {
    // Summed in doubles these read -9251707.29000004 top down and -9251707.28999999 bottom up.
    fillColumn(1, 1, {-493141349.55, 159890132.71, 216595549.32, 107403960.23});
    at(u"A5").setFormulaR1C1(u"=SUM(R[-4]C:R[-1]C)"_qs);
    at(u"A6").setFormulaR1C1(u"=SUM(R4C1,R3C1,R2C1,R1C1)"_qs);
    EXPECT_EQ(at(u"A5").value(), CellValue::fromNumber(-9251707.29));
    EXPECT_EQ(at(u"A6").value(), CellValue::fromNumber(-9251707.29));
    fillColumn(4, 1, {0.3, 0.1});
    at(u"D3").setFormulaR1C1(u"=R1C4-R2C4"_qs);  // 0.19999999999999998 in doubles
    at(u"D4").setFormulaR1C1(u"=R3C4+R2C4"_qs);
    EXPECT_EQ(at(u"D3").value(), CellValue::fromNumber(0.2));
    EXPECT_EQ(at(u"D4").value(), CellValue::fromNumber(0.3));

    fillColumn(2, 1, {1e308, 1e308});
    const CellValue overflow = CellValue::fromError(u"#NUM!"_qs);
    for (const char16_t* formula : {u"=SUM(R1C2:R2C2)", u"=R1C2+R2C2", u"=-R1C2-R2C2", u"=R1C2*10",
                                    u"=R1C2/0.5", u"=SUM(R1C2,R2C2,-R1C2)"}) {
        at(u"C1").setFormulaR1C1(QString::fromUtf16(formula));
        EXPECT_EQ(at(u"C1").value(), overflow) << QString::fromUtf16(formula).toStdString();
    }
    at(u"C1").setFormulaR1C1(u"=R1C2-R2C2"_qs);
    EXPECT_EQ(at(u"C1").value(), CellValue::fromNumber(0));
}

TEST_F(MemoryCells, NonFiniteNumbersAreRefusedAndTheCellKept) {
    at(u"A1").setValue(5.0);
    for (double bad :
         {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
          std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_THROW(at(u"A1").setValue(bad), HostError);
        EXPECT_THROW(at(u"A1:B2").setValue(bad), HostError);
        EXPECT_THROW(host.setLiteral(sheet.id(), 1, 1, CellValue::fromNumber(bad)), HostError);
        EXPECT_THROW(host.setFormulaA1(sheet.id(), 1, 1, u"=B1"_qs, CellValue::fromNumber(bad)),
                     HostError);
        EXPECT_EQ(at(u"A1").value(), CellValue::fromNumber(5));
        EXPECT_EQ(at(u"A1").formulaR1C1(), u"5"_qs);
        EXPECT_TRUE(at(u"B2").value().isEmpty());
    }
}

TEST_F(MemoryCells, LongFormulaChainsEvaluateWithoutExhaustingTheStack) {
    const int rows = 20000;  // a running balance: every row adds to the one above
    at(u"A1").setValue(1.0);
    sheet.range(CellRect{2, 1, rows, 1}).setFormulaR1C1(u"=R[-1]C+1"_qs);
    EXPECT_EQ(sheet.cells(rows, 1).value(), CellValue::fromNumber(rows));
    at(u"A1").setValue(10.0);
    EXPECT_EQ(sheet.cells(rows, 1).value(), CellValue::fromNumber(rows + 9));

    // The same chain written bottom-up still settles.
    sheet.range(CellRect{1, 2, rows - 1, 2}).setFormulaR1C1(u"=R[1]C+1"_qs);
    sheet.cells(rows, 2).setValue(0.0);
    EXPECT_EQ(sheet.cells(1, 2).value(), CellValue::fromNumber(rows - 1));

    at(u"C1").setFormulaR1C1(u"=R1C4+1"_qs);
    at(u"D1").setFormulaR1C1(u"=R1C3+1"_qs);  // circular: an error, never a hang
    EXPECT_EQ(at(u"C1").value(), CellValue::fromError(circularReferenceError()));
}

TEST_F(MemoryCells, DeepFormulasAreRefusedWithAMessage) {
    const auto repeated = [](const char* piece, int times) {
        QString s;
        for (int i = 0; i < times; ++i)
            s += QLatin1String(piece);
        return s;
    };
    const int deep = kMaxFormulaDepth * 100;
    const QString tooDeep[] = {
        u'=' + repeated("(", deep) + u'1' + repeated(")", deep),
        u'=' + repeated("-", deep) + u'1',
        u'=' + repeated("+", deep) + u'1',
        u"=1"_qs + repeated("+1", deep),
        u'=' + repeated("SUM(", deep) + u'1' + repeated(")", deep),
    };
    for (const QString& formula : tooDeep) {
        try {
            at(u"A1").setFormulaR1C1(formula);
            ADD_FAILURE() << formula.left(20).toStdString();
        } catch (const HostError& e) {
            EXPECT_TRUE(e.message().contains(u"嵌套"_qs)) << e.message().toStdString();
        }
    }
    // Within the limit the formula is kept and computed.
    const int fits = kMaxFormulaDepth / 2 - 1;
    at(u"A2").setFormulaR1C1(u'=' + repeated("(", fits) + u"1+1"_qs + repeated(")", fits));
    EXPECT_EQ(at(u"A2").value(), CellValue::fromNumber(2));
    // A file's formula past the limit keeps the value the file holds, like any formula the host
    // cannot compute.
    host.setFormulaA1(sheet.id(), 3, 1, tooDeep[0], CellValue::fromNumber(1));
    EXPECT_EQ(at(u"A3").value(), CellValue::fromNumber(1));
}

// Cells whose chain of formulas is deep in levels, not only in cells, still settle.
TEST_F(MemoryCells, ChainsOfDeepFormulasEvaluateWithoutExhaustingTheStack) {
    const int rows = 1000;
    const QString nested =
        QStringLiteral("=%1R[-1]C+1%2")
            .arg(QString(kMaxFormulaDepth / 2 - 2, u'('), QString(kMaxFormulaDepth / 2 - 2, u')'));
    at(u"A1").setValue(0.0);
    sheet.range(CellRect{2, 1, rows, 1}).setFormulaR1C1(nested);
    EXPECT_EQ(sheet.cells(rows, 1).value(), CellValue::fromNumber(rows - 1));
}

// SUM reads the cells a block stores, not its area, and a running balance down a long column
// costs one pass: either done cell by cell over the area would not finish.
TEST_F(MemoryCells, SumsCostTheStoredCells) {
    at(u"B2").setValue(1.5);
    at(u"XFD1048576").setValue(2.0);
    at(u"C3").setValue(u"text"_qs);
    at(u"A1").setFormulaR1C1(u"=SUM(R1C2:R1048576C16384)"_qs);
    EXPECT_EQ(at(u"A1").value(), CellValue::fromNumber(3.5));

    const int rows = 100000;
    QList<double> debit, credit;
    for (int i = 0; i < rows; ++i) {
        debit.append((qint64(i) * 7919 % 100000) / 100.0);
        credit.append(i % 3 == 0 ? (qint64(i) * 104729 % 50000) / 100.0 : 0.0);
    }
    fillColumn(4, 2, debit);
    fillColumn(5, 2, credit);
    sheet.range(CellRect{2, 6, rows + 1, 6})
        .setFormulaR1C1(u"=SUM(R2C[-2]:RC[-2])-SUM(R2C[-1]:RC[-1])"_qs);
    EXPECT_EQ(sheet.cells(3, 6).formula(), u"=SUM(D$2:D3)-SUM(E$2:E3)"_qs);
    CompensatedSum debitTotal, creditTotal;
    const auto balance = [&] {
        CompensatedSum difference;
        difference += debitTotal.value();
        difference += -creditTotal.value();
        return difference.value();
    };
    for (int i = 0; i < rows; ++i) {
        debitTotal += debit[i];
        creditTotal += credit[i];
        // The same totals as each formula summing on its own.
        if (i % 997 == 0 || i == rows - 1) {
            ASSERT_EQ(sheet.cells(i + 2, 6).value(), CellValue::fromNumber(balance())) << i;
        }
    }
    const double debits = debitTotal.value(), credits = creditTotal.value();

    // A change anywhere in the column shows in every balance below it.
    sheet.cells(50000, 4).setValue(debit[49998] + 1000);
    EXPECT_DOUBLE_EQ(sheet.cells(49999, 6).value().number,
                     sheet.cells(49998, 6).value().number + debit[49997] - credit[49997]);
    EXPECT_DOUBLE_EQ(sheet.cells(rows + 1, 6).value().number, debits - credits + 1000);

    // An error in the column is what every balance from its row down shows.
    host.setLiteral(sheet.id(), 30000, 4, CellValue::fromError(u"#N/A"_qs));
    EXPECT_TRUE(sheet.cells(29999, 6).value().isNumber());
    EXPECT_EQ(sheet.cells(30000, 6).value(), CellValue::fromError(u"#N/A"_qs));
    EXPECT_EQ(sheet.cells(rows + 1, 6).value(), CellValue::fromError(u"#N/A"_qs));
}

// Results past the range of numbers show #NUM!, as in the spreadsheet, never an infinity.
TEST_F(MemoryCells, OverflowingResultsAreNumErrors) {
    at(u"A1").setValue(1e308);
    at(u"A2").setValue(1e308);
    const CellValue num = CellValue::fromError(u"#NUM!"_qs);
    for (const char16_t* formula : {u"=R1C1*10", u"=R1C1+R2C1", u"=-R1C1-R2C1", u"=R1C1/1E-10",
                                    u"=SUM(R1C1:R2C1)", u"=SUM(R1C1,R2C1)"}) {
        at(u"B1").setFormulaR1C1(QString::fromUtf16(formula));
        EXPECT_EQ(at(u"B1").value(), num) << QString::fromUtf16(formula).toStdString();
    }
    at(u"B1").setFormulaR1C1(u"=R1C1*10-R1C1*10"_qs);  // no NaN from the infinity either
    EXPECT_EQ(at(u"B1").value(), num);
}

// A formula inside the block it sums is a circular reference, and never hangs.
TEST_F(MemoryCells, SumOverItsOwnColumnSettles) {
    fillColumn(1, 1, QList<double>(40, 1.0));
    at(u"A41").setFormulaR1C1(u"=SUM(R1C:R50C)"_qs);
    at(u"B1").setFormulaR1C1(u"=SUM(R1C1:R50C1)"_qs);
    // A41 shows the error, and B1 the error it reads in A41, whichever is read first.
    const CellValue circular = CellValue::fromError(circularReferenceError());
    EXPECT_EQ(at(u"A41").value(), circular);
    EXPECT_EQ(at(u"B1").value(), circular);
    at(u"A1").setValue(1.0);
    EXPECT_EQ(at(u"B1").value(), circular);
    EXPECT_EQ(at(u"A41").value(), circular);
    at(u"A41").setFormulaR1C1(u"=SUM(R1C:R[-1]C)"_qs);
    EXPECT_EQ(at(u"B1").value(), CellValue::fromNumber(80));
}

TEST_F(MemoryCells, FormulasFromFilesKeepTheirText) {
    at(u"B1").setValue(4.0);
    at(u"C1").setValue(5.0);
    host.setFormulaA1(sheet.id(), 1, 1, u"B1+C1"_qs, CellValue::fromNumber(9));
    host.setFormulaA1(sheet.id(), 2, 1, u"=VLOOKUP(B2,C:D,2,FALSE)"_qs,
                      CellValue::fromText(u"x"_qs));
    EXPECT_EQ(at(u"A1").value(), CellValue::fromNumber(9));
    EXPECT_EQ(at(u"A1").formulaR1C1(), u"=RC[1]+RC[2]"_qs);
    EXPECT_EQ(at(u"A2").formula(), u"=VLOOKUP(B2,C:D,2,FALSE)"_qs);
    at(u"B1").setValue(1.0);
    EXPECT_EQ(at(u"A1").value(), CellValue::fromNumber(6));
    EXPECT_EQ(at(u"A2").value(), CellValue::fromText(u"x"_qs));
}

// The report writes totals in row T = R + 2 over rows 6..T-1, then deletes row R + 1 and row 6.
class ReportTotals : public MemoryCells {
protected:
    void writeReport(int groups) {
        const int lastGroup = 6 + groups;  // R; with no group R is 6
        for (int row = 7; row <= lastGroup; ++row)
            sheet.cells(row, 2).setValue(double(row));
        totalRow = lastGroup + 2;
        sheet.cells(totalRow, 2)
            .setFormulaR1C1(QStringLiteral("=SUM(R[-%1]C:R[-1]C)").arg(totalRow - 6));
        sheet.rows(lastGroup + 1, lastGroup + 1).deleteCells();
        sheet.rows(6, 6).deleteCells();
        totalRow -= 2;
    }
    int totalRow = 0;
};

TEST_F(ReportTotals, DeletingTheSpacerRowsKeepsTheSumOverTheGroupRows) {
    writeReport(3);  // groups in rows 7..9 hold 7, 8, 9; after the deletions rows 6..8
    EXPECT_EQ(totalRow, 9);
    EXPECT_EQ(sheet.cells(totalRow, 2).formulaR1C1(), u"=SUM(R[-3]C:R[-1]C)"_qs);
    EXPECT_EQ(sheet.cells(totalRow, 2).formula(), u"=SUM(B6:B8)"_qs);
    EXPECT_EQ(sheet.cells(totalRow, 2).value(), CellValue::fromNumber(24));
    EXPECT_EQ(sheet.cells(6, 2).value(), CellValue::fromNumber(7));
}

TEST_F(ReportTotals, WithoutGroupsTheSumLosesItsRangeAsTheHostDoes) {
    writeReport(0);
    EXPECT_EQ(totalRow, 6);
    EXPECT_EQ(sheet.cells(totalRow, 2).formulaR1C1(), u"=SUM(#REF!)"_qs);
    EXPECT_EQ(sheet.cells(totalRow, 2).value(), CellValue::fromError(u"#REF!"_qs));
}

TEST_F(MemoryCells, DeletingRowsMovesEverythingBelowUp) {
    fillColumn(1, 1, {1, 2, 3, 4, 5});
    at(u"B5").setFormulaR1C1(u"=R1C1+R[-1]C[-1]+R3C1"_qs);  // A1 + A4 + A3
    at(u"A4").addComment(u"note"_qs);
    at(u"C4:D4").merge();
    host.setRowHeight(sheet.id(), 4, 4, 30);
    sheet.rows(2, 3).deleteCells();
    EXPECT_EQ(at(u"A2").value(), CellValue::fromNumber(4));
    EXPECT_EQ(at(u"B3").formula(), u"=$A$1+A2+#REF!"_qs);
    EXPECT_EQ(at(u"B3").value(), CellValue::fromError(u"#REF!"_qs));
    EXPECT_EQ(at(u"A2").comment().text(), u"note"_qs);
    EXPECT_EQ(host.merges(sheet.id()), (QList<CellRect>{{2, 3, 2, 4}}));
    EXPECT_EQ(host.rowHeight(sheet.id(), 2), 30);
}

TEST_F(MemoryCells, DeletingCellsShiftsOnlyTheirColumns) {
    for (int row = 1; row <= 5; ++row) {
        sheet.cells(row, 1).setValue(double(row));
        sheet.cells(row, 2).setValue(double(10 * row));
    }
    at(u"C1").setFormulaR1C1(u"=SUM(R2C1:R5C1)"_qs);  // column A only
    at(u"A2:A3").deleteCells(Shift::Up);
    EXPECT_EQ(at(u"A2").value(), CellValue::fromNumber(4));
    EXPECT_EQ(at(u"A3").value(), CellValue::fromNumber(5));
    EXPECT_TRUE(at(u"A4").value().isEmpty());
    EXPECT_EQ(at(u"B2").value(), CellValue::fromNumber(20));
    EXPECT_EQ(at(u"C1").formula(), u"=SUM($A$2:$A$3)"_qs);
    EXPECT_EQ(at(u"C1").value(), CellValue::fromNumber(9));

    // Only the block's columns hold cells: the fast way must give the same result.
    Worksheet data = book.sheets()[2];
    for (int row = 1; row <= 6; ++row)
        data.cells(row, 2).setValue(double(row));
    data.range(u"B2:B3"_qs).deleteCells(Shift::Up);
    data.range(u"A1:A2"_qs).deleteCells(Shift::Up);  // nothing there, nothing moves
    EXPECT_EQ(data.range(u"B2"_qs).value(), CellValue::fromNumber(4));
    EXPECT_EQ(data.range(u"B4"_qs).value(), CellValue::fromNumber(6));
    EXPECT_EQ(host.usedRange(data.id()), (CellRect{1, 2, 4, 2}));

    at(u"A1").deleteCells(Shift::Left);
    EXPECT_EQ(at(u"A1").value(), CellValue::fromNumber(10));
    EXPECT_EQ(at(u"A2").value(), CellValue::fromNumber(4));

    // Deleting a whole column narrows the sums across it and moves widths along.
    Worksheet wide = book.sheets()[3];
    for (int column = 1; column <= 3; ++column)
        wide.cells(1, column).setValue(double(column));
    wide.cells(2, 4).setFormulaR1C1(u"=SUM(R1C1:R1C3)"_qs);
    host.setColumnWidth(wide.id(), 3, 3, 20);
    wide.columns(2, 2).deleteCells(Shift::Left);
    EXPECT_EQ(wide.cells(2, 3).formula(), u"=SUM($A$1:$B$1)"_qs);
    EXPECT_EQ(wide.cells(2, 3).value(), CellValue::fromNumber(4));
    EXPECT_EQ(wide.cells(1, 2).columnWidth(), 20);
}

// A formula's text changes only where the deletion moves it apart from what it reads; formulas
// that move together with their inputs, or not at all, keep their text.
TEST_F(MemoryCells, DeletionsRewriteExactlyTheFormulasTheyMoveApart) {
    constexpr int all = kMaxColumns;
    struct Case {
        const char* what;
        const char16_t* at;
        const char16_t* formula;
        CellRect deleted;
        Shift shift;
        const char16_t* landsAt;
        const char16_t* expected;
    };
    const Case cases[] = {
        {"moves with its input", u"B10", u"=RC[-1]", {2, 1, 3, all}, Shift::Up, u"B8", u"=RC[-1]"},
        {"input deleted", u"B10", u"=R[-8]C[-1]", {2, 1, 3, all}, Shift::Up, u"B8", u"=#REF!"},
        {"input below the rows",
         u"B10",
         u"=R[-5]C[-1]",
         {2, 1, 3, all},
         Shift::Up,
         u"B8",
         u"=R[-5]C[-1]"},
        {"input moves up to it",
         u"B3",
         u"=R[5]C[-1]",
         {5, 1, 6, all},
         Shift::Up,
         u"B3",
         u"=R[3]C[-1]"},
        {"sum over the rows",
         u"B10",
         u"=SUM(R[-9]C[-1]:R[-1]C[-1])",
         {4, 1, 5, all},
         Shift::Up,
         u"B8",
         u"=SUM(R[-7]C[-1]:R[-1]C[-1])"},
        {"all above", u"B2", u"=R[1]C", {5, 1, 6, all}, Shift::Up, u"B2", u"=R[1]C"},
        {"input's column moves, formula's not",
         u"C10",
         u"=RC[-2]",
         {2, 1, 3, 1},
         Shift::Up,
         u"C10",
         u"=R[-2]C[-2]"},
        {"formula's column moves, input's not",
         u"A10",
         u"=RC[1]",
         {2, 1, 3, 1},
         Shift::Up,
         u"A8",
         u"=R[2]C[1]"},
        {"both in the moving column",
         u"A10",
         u"=R[-1]C",
         {2, 1, 3, 1},
         Shift::Up,
         u"A8",
         u"=R[-1]C"},
        {"whole columns, both move",
         u"J2",
         u"=RC[-1]",
         {1, 3, kMaxRows, 4},
         Shift::Left,
         u"H2",
         u"=RC[-1]"},
        {"cells left, input moves", u"B2", u"=RC[5]", {2, 3, 2, 4}, Shift::Left, u"B2", u"=RC[3]"},
        {"fixed reference below", u"B10", u"=R5C1", {2, 1, 3, all}, Shift::Up, u"B8", u"=R3C1"},
        {"fixed reference above", u"B10", u"=R1C1", {2, 1, 3, all}, Shift::Up, u"B8", u"=R1C1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Worksheet s = book.sheets().add();
        s.range(QString::fromUtf16(c.at)).setFormulaR1C1(QString::fromUtf16(c.formula));
        host.deleteCells(s.id(), c.deleted, c.shift);
        EXPECT_EQ(s.range(QString::fromUtf16(c.landsAt)).formulaR1C1(),
                  QString::fromUtf16(c.expected));
    }

    // One formula written down a column shares its text; the deletion splits the cells into
    // those above (unchanged), the one that lost its input and those that moved with theirs.
    for (int row = 1; row <= 10; ++row)
        sheet.cells(row, 1).setValue(double(row));
    at(u"B2:B10").setFormulaR1C1(u"=R[-1]C[-1]"_qs);
    sheet.rows(5, 5).deleteCells();
    EXPECT_EQ(at(u"B4").formulaR1C1(), u"=R[-1]C[-1]"_qs);
    EXPECT_EQ(at(u"B5").formulaR1C1(), u"=#REF!"_qs);
    EXPECT_EQ(at(u"B6").formulaR1C1(), u"=R[-1]C[-1]"_qs);
    EXPECT_EQ(at(u"B9").value(), CellValue::fromNumber(9));
    EXPECT_TRUE(at(u"B10").value().isEmpty());
}

// A copied sheet starts out sharing the original's stored texts; writing either one afterwards,
// in place or anew, leaves the other as it was.
TEST_F(MemoryCells, CopiedSheetsKeepTheirTextsApart) {
    at(u"A1").setValue(u"original"_qs);
    at(u"A2").setValue(u"kept"_qs);
    Worksheet copy = sheet.copy(sheet, Placement::After);
    copy.range(u"A1"_qs).setValue(u"copy"_qs);  // shorter: would fit the old place
    at(u"A2").setValue(u"k2"_qs);
    copy.range(u"A3"_qs).setValue(u"new"_qs);
    at(u"A4").setValue(u"own"_qs);
    EXPECT_EQ(at(u"A1").value(), CellValue::fromText(u"original"_qs));
    EXPECT_EQ(at(u"A2").value(), CellValue::fromText(u"k2"_qs));
    EXPECT_TRUE(at(u"A3").value().isEmpty());
    EXPECT_EQ(copy.range(u"A1"_qs).value(), CellValue::fromText(u"copy"_qs));
    EXPECT_EQ(copy.range(u"A2"_qs).value(), CellValue::fromText(u"kept"_qs));
    EXPECT_EQ(copy.range(u"A3"_qs).value(), CellValue::fromText(u"new"_qs));
    EXPECT_TRUE(copy.range(u"A4"_qs).value().isEmpty());
}

// Formatting a block fills in its missing cells with the format they showed (their row's, else
// their column's), changed; present cells keep their values and only change the one property.
TEST_F(MemoryCells, BlockFormatsFillInMissingCellsWithTheFormatTheyShowed) {
    sheet.columns(2, 2).font().setBold(true);
    sheet.rows(3, 3).interior().setColorIndex(6);
    at(u"A2").setValue(1.0);
    at(u"D2").setValue(u"right"_qs);
    at(u"C3").setValue(2.0);
    at(u"A2:C3").font().setColorIndex(3);
    const auto formatAt = [&](const char16_t* a1) {
        const CellRect c = parseA1(QString::fromUtf16(a1));
        return host.format(sheet.id(), c.top, c.left);
    };
    for (const char16_t* a1 : {u"A2", u"B2", u"C2", u"A3", u"B3", u"C3"})
        EXPECT_EQ(formatAt(a1).fontColorIndex, 3) << QString::fromUtf16(a1).toStdString();
    EXPECT_TRUE(formatAt(u"B2").bold);
    EXPECT_FALSE(formatAt(u"A2").bold);
    EXPECT_EQ(formatAt(u"A3").fillColorIndex, 6);
    EXPECT_FALSE(formatAt(u"B3").bold);  // the row's format, not the column's
    EXPECT_EQ(formatAt(u"D2").fontColorIndex, 0);
    EXPECT_EQ(at(u"A2").value(), CellValue::fromNumber(1));
    EXPECT_EQ(at(u"D2").value(), CellValue::fromText(u"right"_qs));
    EXPECT_EQ(at(u"C3").value(), CellValue::fromNumber(2));
}

// Several blocks deleted at once must leave what deleting them one by one from the bottom up
// leaves: with cells beside the blocks' columns (a column at a time) and without (whole rows move).
TEST_F(MemoryCells, DeletingSeveralBlocksAtOnceMatchesDeletingThemBottomUp) {
    const QList<CellRect> blocks = {parseA1(u"B7:C8"_qs), parseA1(u"B2:C2"_qs),
                                    parseA1(u"B4:C4"_qs)};
    for (const bool besideTheBlocks : {false, true}) {
        SCOPED_TRACE(besideTheBlocks ? "cells beside the blocks" : "only the blocks' columns");
        Worksheet once = book.sheets().add(), oneByOne = book.sheets().add();
        for (Worksheet* s : {&once, &oneByOne}) {
            for (int row = 1; row <= 10; ++row) {
                s->cells(row, 2).setValue(double(row));
                s->cells(row, 3).setValue(QStringLiteral("r%1").arg(row));
                if (besideTheBlocks) s->cells(row, 4).setValue(double(100 + row));
            }
            s->cells(5, 3).addComment(u"moves to C3"_qs);
            s->cells(7, 3).addComment(u"deleted"_qs);
        }
        once.deleteAreas(blocks);
        for (const CellRect& block : {blocks[0], blocks[2], blocks[1]})
            oneByOne.range(block).deleteCells(Shift::Up);
        for (int row = 1; row <= 10; ++row) {
            for (int column = 2; column <= 4; ++column) {
                EXPECT_EQ(once.cells(row, column).value(), oneByOne.cells(row, column).value())
                    << row << "," << column;
                EXPECT_EQ(once.cells(row, column).comment().text(),
                          oneByOne.cells(row, column).comment().text());
            }
        }
        EXPECT_EQ(once.range(u"B2:C2"_qs).text(), u"3"_qs);
        EXPECT_EQ(once.range(u"C3"_qs).comment().text(), u"moves to C3"_qs);
        EXPECT_EQ(host.usedRange(once.id()), host.usedRange(oneByOne.id()));
    }
    EXPECT_THROW(sheet.deleteAreas({parseA1(u"A1:A3"_qs), parseA1(u"A3:A4"_qs)}), HostError);
}

TEST_F(MemoryCells, SortOrdersNumbersThenTextsThenEmptiesAndIsStable) {
    const QList<CellValue> keys = {CellValue::fromText(u"b"_qs), CellValue::fromNumber(10),
                                   CellValue::empty(),           CellValue::fromText(u"A"_qs),
                                   CellValue::fromNumber(2),     CellValue::fromText(u"B"_qs),
                                   CellValue::fromText(u"a"_qs)};
    for (int i = 0; i < keys.size(); ++i) {
        const int row = 7 + i;
        if (!keys[i].isEmpty()) host.setLiteral(sheet.id(), row, 1, keys[i]);
        sheet.cells(row, 2).setValue(double(i));               // original position
        sheet.cells(row, 3).setFormulaR1C1(u"=RC[-1]*10"_qs);  // moves with its row
    }
    host.setFillColorIndex(sheet.id(), {9, 1, 9, 3}, 6);  // the empty key's row
    Sort sort = sheet.sort();
    sort.addSortField(sheet.range(u"A7"_qs));
    sort.setRange(sheet.range(u"A7:C13"_qs));
    sort.setHeader(false);
    sort.apply();
    const QList<double> order = {4, 1, 3, 6, 0, 5, 2};  // 2, 10, A, a, b, B, empty
    for (int i = 0; i < order.size(); ++i) {
        const int row = 7 + i;
        EXPECT_EQ(sheet.cells(row, 2).value(), CellValue::fromNumber(order[i])) << row;
        EXPECT_EQ(sheet.cells(row, 3).value(), CellValue::fromNumber(order[i] * 10)) << row;
        EXPECT_EQ(sheet.cells(row, 3).formulaR1C1(), u"=RC[-1]*10"_qs);
    }
    EXPECT_EQ(sheet.cells(13, 1).format().fillColorIndex, 6);

    sort.addSortField(sheet.range(u"A7"_qs), SortOrder::Descending);
    sort.apply();
    EXPECT_EQ(sheet.cells(7, 2).value(), CellValue::fromNumber(0));   // b
    EXPECT_EQ(sheet.cells(12, 2).value(), CellValue::fromNumber(4));  // 2
    EXPECT_EQ(sheet.cells(13, 2).value(), CellValue::fromNumber(2));  // empty stays last
}

TEST_F(MemoryCells, FormatsApplyToRangesColumnsAndBorders) {
    at(u"A1:B2").interior().setColorIndex(15);
    at(u"A1").font().setColor(rgbColor(0, 112, 192));
    at(u"A1").font().setBold(true);
    EXPECT_EQ(at(u"B2").interior().colorIndex(), 15);
    EXPECT_EQ(at(u"B2").interior().color(), rgbColor(192, 192, 192));
    EXPECT_TRUE(at(u"A1").font().bold());
    EXPECT_FALSE(at(u"B1").font().bold());
    EXPECT_EQ(at(u"A1").format().fontColor, 12611584u);

    // A whole column carries its format to cells written later.
    sheet.columns(4, 4).setWrapText(true);
    at(u"D100000").setValue(u"x"_qs);
    EXPECT_TRUE(at(u"D100000").format().wrapText);
    EXPECT_EQ(host.usedRange(sheet.id()), (CellRect{1, 1, 100000, 4}));

    at(u"A4:C6").borders().setLineStyle(xl::kContinuous);
    const CellFormat middle = at(u"B5").format();
    for (int side = 0; side < 4; ++side)
        EXPECT_EQ(middle.borderLineStyle[side], 1);
    at(u"A8:C9").borders()(xl::kEdgeBottom).setLineStyle(xl::kContinuous);
    EXPECT_EQ(at(u"B9").format().borderLineStyle[2], 1);
    EXPECT_EQ(at(u"B8").format().borderLineStyle[2], xl::kLineNone);

    EXPECT_THROW(at(u"A1").interior().setColorIndex(57), HostError);
    EXPECT_THROW(host.setBorderLineStyle(sheet.id(), {1, 1, 1, 1}, 13, 1), HostError);
}

TEST_F(MemoryCells, CharactersCommentsAndMerges) {
    at(u"A3").setValue(u"色彩标志：◇左多于右"_qs);
    at(u"A3").characters(6, 1).setFontColorIndex(19);
    const QList<CharacterRun> runs = host.characterRuns(sheet.id(), 3, 1);
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(runs[0].start, 6);
    EXPECT_EQ(runs[0].length, 1);
    EXPECT_EQ(runs[0].colorIndex, 19);

    at(u"B1").addComment(u"重复组1"_qs);
    EXPECT_FALSE(host.commentVisible(sheet.id(), 1, 2));
    at(u"B1").comment().setVisible(true);
    EXPECT_TRUE(host.commentVisible(sheet.id(), 1, 2));
    EXPECT_THROW(at(u"B1").addComment(u"again"_qs), HostError);
    EXPECT_EQ(host.rowCells(sheet.id(), 1).size(), 1);  // the comment's empty cell

    at(u"A4").setValue(u"左项"_qs);
    at(u"B4").setValue(u"gone"_qs);
    at(u"A4:C4").merge();
    EXPECT_TRUE(at(u"B4").value().isEmpty());
    EXPECT_EQ(host.merges(sheet.id()), (QList<CellRect>{{4, 1, 4, 3}}));
}

TEST_F(MemoryCells, AutoFitCountsEastAsianCharactersDouble) {
    at(u"A1").setValue(u"abcd"_qs);
    at(u"B1").setValue(u"比较项目"_qs);
    at(u"C1").setValue(u"1,234.50"_qs);
    at(u"D1:F1").merge();
    at(u"D1").setValue(u"a very long title over three columns"_qs);
    const double before = at(u"D1").columnWidth();
    at(u"A1:D1").autoFitColumns();
    const double narrow = at(u"A1").columnWidth();
    const double wide = at(u"B1").columnWidth();
    EXPECT_NEAR(wide - 0.71, 2 * (narrow - 0.71), 0.02);
    EXPECT_NEAR(at(u"C1").columnWidth() - 0.71, 8, 0.02);  // the shown text "1,234.50"
    EXPECT_EQ(at(u"D1").columnWidth(), before);
}

TEST_F(MemoryCells, CopyRangeCarriesValuesFormatsAndFormulas) {
    at(u"A1").setValue(2.0);
    at(u"B1").setFormulaR1C1(u"=RC[-1]*2"_qs);
    at(u"A1:B1").font().setBold(true);
    Worksheet other = book.sheets()[2];
    at(u"A1:B1").copyTo(other.range(u"C5"_qs));
    EXPECT_EQ(other.range(u"D5"_qs).value(), CellValue::fromNumber(4));
    EXPECT_EQ(other.range(u"D5"_qs).formula(), u"=C5*2"_qs);
    EXPECT_TRUE(other.range(u"C5"_qs).font().bold());
}

TEST_F(MemoryCells, BadInputIsRefusedWithAMessage) {
    EXPECT_THROW(sheet.cells(0, 1).value(), HostError);
    EXPECT_THROW(sheet.cells(1, kMaxColumns + 1).setValue(1.0), HostError);
    EXPECT_THROW(sheet.range(u"A1"_qs).resize(0, 1).setValue(1.0), HostError);
    EXPECT_THROW(sheet.cells(kMaxRows, 1).resize(2, 1).setValue(1.0), HostError);
    EXPECT_THROW(host.value(9999, 1, 1), HostError);
    EXPECT_THROW(at(u"A1").setValue(QString(32768, u'x')), HostError);
    EXPECT_THROW(at(u"A1").setColumnWidth(300), HostError);
    EXPECT_THROW(at(u"A1").font().setSize(0), HostError);
    EXPECT_THROW(at(u"A1:XFD10000").setValue(1.0), HostError);  // too many cells at once
    at(u"A:XFD").clearContents();                               // nothing to visit
    at(u"A:A").setValue(u""_qs);
    try {
        book.sheets()[u"没有这张表"_qs];
        ADD_FAILURE();
    } catch (const HostError& e) {
        EXPECT_TRUE(e.message().contains(u"没有这张表"_qs));
    }
}

}  // namespace
}  // namespace tallimo::host

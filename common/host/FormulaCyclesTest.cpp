#include "Host.h"
#include "MemoryHost.h"

#include <gtest/gtest.h>

namespace tallimo::host {
namespace {

const CellValue kCircular = CellValue::fromError(circularReferenceError());

class FormulaCycles : public ::testing::Test {
protected:
    Application app{makeMemoryHost()};
    HostBackend& host = app.backend();
    Workbook book = app.workbooks().add();
    Worksheet sheet = book.sheets()[1];

    Range at(const char16_t* a1) const { return sheet.range(QString::fromUtf16(a1)); }
    CellValue valueAt(int row, int column) const { return sheet.cells(row, column).value(); }
    // A change elsewhere, after which every formula is computed again when read.
    void touch() { sheet.cells(1, 100).setValue(double(++touches_)); }

private:
    int touches_ = 0;
};

// Cells A1..An, each reading the cell below plus one. An open chain ends at an empty cell and
// counts up from it; a circular one (An reads A1) shows the error in every cell. Neither hangs
// or runs out of stack, however long, and neither depends on the cell read first.
TEST_F(FormulaCycles, ChainsSettleWhicheverCellIsReadFirst) {
    for (const int length : {2, 1000, 1001, 100000}) {
        for (const bool circular : {false, true}) {
            sheet.range(CellRect{1, 1, length - 1, 1}).setFormulaR1C1(u"=R[1]C+1"_qs);
            sheet.cells(length, 1).setFormulaR1C1(circular ? u"=R1C1+1"_qs : u"=R[1]C+1"_qs);
            for (const int first : {1, length, length / 2 + 1}) {
                touch();
                const auto expected = [&](int row) {
                    return circular ? kCircular : CellValue::fromNumber(length - row + 1);
                };
                ASSERT_EQ(valueAt(first, 1), expected(first)) << length << " from " << first;
                for (int row = 1; row <= length; row += std::max(1, length / 7))
                    ASSERT_EQ(valueAt(row, 1), expected(row)) << length << " row " << row;
                ASSERT_EQ(valueAt(length, 1), expected(length));
            }
        }
        sheet.range(CellRect{1, 1, length, 1}).clearContents();
    }
}

// Many formulas reading one block share what they read: each costs its own edges to the block,
// not one to every formula in it, whether the block holds them (a circle) or not (a running
// balance of formulas), and whichever end is read first.
TEST_F(FormulaCycles, ManyFormulasReadingOneBlockCostLinearTime) {
    constexpr int kRows = 30000;
    sheet.range(CellRect{1, 1, kRows, 1}).setFormulaR1C1(u"=SUM(R1C1:R1048576C16384)"_qs);
    sheet.range(CellRect{1, 2, kRows, 2}).setFormulaR1C1(u"=2"_qs);
    sheet.range(CellRect{1, 3, kRows, 3}).setFormulaR1C1(u"=SUM(R1C2:RC2)"_qs);
    for (const int first : {kRows, 1}) {
        touch();
        ASSERT_EQ(valueAt(first, 3), CellValue::fromNumber(2.0 * first));
        ASSERT_EQ(valueAt(first, 1), kCircular);
        for (int row = 1; row <= kRows; ++row) {
            ASSERT_EQ(valueAt(row, 3), CellValue::fromNumber(2.0 * row)) << row;
            ASSERT_EQ(valueAt(row, 1), kCircular) << row;
        }
    }
}

struct CycleCase {
    const char* name;
    std::vector<std::pair<const char16_t*, const char16_t*>> formulas;  // cell, R1C1 formula
    std::vector<std::pair<const char16_t*, CellValue>> expected;
};

void PrintTo(const CycleCase& c, std::ostream* out) {
    *out << c.name;
}

const CycleCase kCycleCases[] = {
    {"SelfReference",
     {{u"A1", u"=RC+1"}, {u"B1", u"=RC[-1]*2"}},
     {{u"A1", kCircular}, {u"B1", kCircular}}},
    {"TwoIdenticalFormulasReadingEachOther",
     {{u"A1", u"=R1C2+5"}, {u"B1", u"=R1C1+5"}, {u"C1", u"=5"}},
     {{u"A1", kCircular}, {u"B1", kCircular}, {u"C1", CellValue::fromNumber(5)}}},
    // A total inside the block it sums; a total of the same block from outside reads its error.
    {"SumOverItsOwnBlock",
     {{u"A1", u"=1"},
      {u"A2", u"=2"},
      {u"A3", u"=SUM(R1C:R10C)"},
      {u"B1", u"=SUM(R1C1:R2C1)"},
      {u"B2", u"=SUM(R1C1:R3C1)"}},
     {{u"A3", kCircular}, {u"B1", CellValue::fromNumber(3)}, {u"B2", kCircular}}},
    // Every cell sums the whole sheet, itself and the others included.
    {"SumsOfTheWholeSheet",
     {{u"A1", u"=SUM(R1C1:R1048576C16384)"},
      {u"B7", u"=SUM(R1C1:R1048576C16384)"},
      {u"XFD1048576", u"=SUM(R1C1:R1048576C16384)"}},
     {{u"A1", kCircular}, {u"B7", kCircular}, {u"XFD1048576", kCircular}}},
    // A circle through a SUM of a neighbour's block, with a chain hanging off it.
    {"CircleThroughASumWithAChainReadingIt",
     {{u"A1", u"=SUM(R2C1:R3C2)"}, {u"B3", u"=R1C1-1"}, {u"C1", u"=R1C1+1"}, {u"C2", u"=R1C3*2"}},
     {{u"A1", kCircular}, {u"B3", kCircular}, {u"C1", kCircular}, {u"C2", kCircular}}},
    {"ChainIntoACircleIsNotOnIt",
     {{u"A1", u"=R2C1"}, {u"A2", u"=R3C1"}, {u"A3", u"=R2C1"}, {u"B1", u"=7"}, {u"B2", u"=R1C2+1"}},
     {{u"A1", kCircular}, {u"B2", CellValue::fromNumber(8)}}},
};

class CycleShapes : public FormulaCycles, public testing::WithParamInterface<CycleCase> {};

// Every order of reading gives the same values: the cells are read first to last, last to
// first, and once more after the sheet changed elsewhere.
TEST_P(CycleShapes, ShowTheErrorInEveryOrderOfReading) {
    for (const auto& [cell, formula] : GetParam().formulas)
        at(cell).setFormulaR1C1(QString::fromUtf16(formula));
    const auto& expected = GetParam().expected;
    for (const bool backwards : {false, true}) {
        touch();
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const auto& [cell, value] = expected[backwards ? expected.size() - 1 - i : i];
            EXPECT_EQ(at(cell).value(), value) << QString::fromUtf16(cell).toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formulas, CycleShapes, testing::ValuesIn(kCycleCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Formulas read from a file keep the values the file holds while they stand on a circle; a
// formula reading them computes from those values, and breaking the circle computes them again.
TEST_F(FormulaCycles, CirclesFromFilesShowTheValuesTheFileHolds) {
    host.setFormulaA1(sheet.id(), 1, 1, u"=A2+1"_qs, CellValue::fromNumber(5));
    host.setFormulaA1(sheet.id(), 2, 1, u"=A1+1"_qs, CellValue::fromNumber(6));
    host.setFormulaA1(sheet.id(), 3, 1, u"=A3*2"_qs, CellValue::empty());
    host.setFormulaA1(sheet.id(), 1, 2, u"=A1+A2"_qs, CellValue::fromNumber(0));
    for (const bool fromTheTotal : {false, true}) {
        touch();
        if (fromTheTotal) {
            EXPECT_EQ(at(u"B1").value(), CellValue::fromNumber(11));
        }
        EXPECT_EQ(at(u"A2").value(), CellValue::fromNumber(6));
        EXPECT_EQ(at(u"A1").value(), CellValue::fromNumber(5));
        EXPECT_EQ(at(u"A3").value(), kCircular);
        EXPECT_EQ(at(u"B1").value(), CellValue::fromNumber(11));
    }
    at(u"A2").setValue(10.0);
    EXPECT_EQ(at(u"A1").value(), CellValue::fromNumber(11));
    EXPECT_EQ(at(u"B1").value(), CellValue::fromNumber(21));
    // Computed once, the formula no longer has the file's value to fall back on.
    at(u"A2").setFormulaR1C1(u"=R1C1+1"_qs);
    EXPECT_EQ(at(u"A1").value(), kCircular);
}

}  // namespace
}  // namespace tallimo::host

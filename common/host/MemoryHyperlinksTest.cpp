#include "FaultInjectingBackend.h"
#include "Host.h"
#include "MemoryHost.h"

#include <gtest/gtest.h>

#include <functional>

namespace tallimo::host {

// Printed by gtest when a list of links differs.
static void PrintTo(const CellHyperlink& link, std::ostream* out) {
    *out << "R" << link.row << "C" << link.column << " -> " << link.location.toStdString();
}

namespace {

class MemoryHyperlinks : public ::testing::Test {
protected:
    Application app{makeMemoryHost()};
    HostBackend& host = app.backend();
    Workbook book = app.workbooks().add();
    Worksheet sheet = book.sheets()[1];

    Range at(const char16_t* a1) const { return sheet.range(QString::fromUtf16(a1)); }
};

TEST_F(MemoryHyperlinks, ALinkStandsOnTheTopLeftCellAndALaterOneReplacesIt) {
    const QString source = u"'▲(F列_D列)源▲'!A12"_qs;
    at(u"C4").setValue(u"x"_qs);
    at(u"C4").addHyperlink(u"Sheet1!A1"_qs);
    at(u"B3:D5").addHyperlink(u"'it''s here'!B2"_qs);
    at(u"B3").addHyperlink(source);
    EXPECT_EQ(at(u"B3").hyperlink(), source);
    EXPECT_TRUE(at(u"C3").hyperlink().isEmpty());
    EXPECT_EQ(at(u"C4").value(), CellValue::fromText(u"x"_qs));  // the cell keeps its value
    // By row and then column, whatever order they came in.
    EXPECT_EQ(host.hyperlinks(sheet.id()),
              (QList<CellHyperlink>{{3, 2, source}, {4, 3, u"Sheet1!A1"_qs}}));
    // A link on a cell that holds nothing still belongs to the sheet's used part.
    EXPECT_EQ(host.usedRange(sheet.id()), (CellRect{3, 2, 4, 3}));
}

TEST_F(MemoryHyperlinks, PlacesAFileCannotHoldAreRefused) {
    const struct {
        const char* why;
        QString location;
    } cases[] = {
        {"empty", QString()},
        {"too long", u"Sheet1!A"_qs + QString(250, u'1')},
        {"line break", u"Sheet1!A1\nB2"_qs},
        {"control character", u"Sheet1!A1"_qs + QChar(0x01)},
        {"non-character", u"Sheet1!A1"_qs + QChar(0xFFFF)},
        {"lone surrogate", u"Sheet1!A1"_qs + QChar(0xD800)},
    };
    at(u"B2").addHyperlink(u"Sheet1!A1"_qs);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        try {
            at(u"B2").addHyperlink(c.location);
            ADD_FAILURE() << "accepted";
        } catch (const HostError& e) {
            EXPECT_TRUE(e.message().contains(u"B2"_qs)) << e.message().toStdString();
        }
        EXPECT_EQ(at(u"B2").hyperlink(), u"Sheet1!A1"_qs);  // the earlier link stays
    }
    at(u"B2").addHyperlink(u"Sheet1!A"_qs + QString(247, u'1'));  // 255 characters
    EXPECT_THROW(host.addHyperlink(sheet.id(), 0, 1, u"Sheet1!A1"_qs), HostError);
    EXPECT_THROW(host.hyperlink(sheet.id(), 1, kMaxColumns + 1), HostError);
}

// Links go wherever the operations take comments: each case puts both on the same cells and
// checks the links' places, and that the comments went to the same places.
TEST_F(MemoryHyperlinks, LinksMoveAndStayAsCommentsDo) {
    using Links = QList<CellHyperlink>;
    const struct {
        const char* operation;
        std::function<void(Worksheet&)> apply;
        Links expected;
    } cases[] = {
        {"delete rows 2-3",
         [](Worksheet& s) { s.rows(2, 3).deleteCells(); },
         {{2, 2, u"b4"_qs}, {3, 3, u"c5"_qs}}},
        {"delete B1:B2 upwards",
         [](Worksheet& s) { s.range(u"B1:B2"_qs).deleteCells(); },
         {{2, 2, u"b4"_qs}, {5, 3, u"c5"_qs}}},
        {"delete A4 to the left",
         [](Worksheet& s) { s.range(u"A4"_qs).deleteCells(Shift::Left); },
         {{2, 2, u"b2"_qs}, {4, 1, u"b4"_qs}, {5, 3, u"c5"_qs}}},
        {"delete B1 and B3 at once",
         [](Worksheet& s) {
             s.deleteAreas({parseA1(u"B1"_qs), parseA1(u"B3"_qs)});
         },
         {{1, 2, u"b2"_qs}, {2, 2, u"b4"_qs}, {5, 3, u"c5"_qs}}},
        {"sort descending",
         [](Worksheet& s) {
             Sort sort = s.sort();
             sort.addSortField(s.range(u"A1"_qs), SortOrder::Descending);
             sort.setRange(s.range(u"A1:C6"_qs));
             sort.apply();
         },
         {{2, 3, u"c5"_qs}, {3, 2, u"b4"_qs}, {5, 2, u"b2"_qs}}},
        {"clear contents",
         [](Worksheet& s) { s.range(u"A1:C6"_qs).clearContents(); },
         {{2, 2, u"b2"_qs}, {4, 2, u"b4"_qs}, {5, 3, u"c5"_qs}}},
        {"copy A2:C5 to E10",
         [](Worksheet& s) { s.range(u"A2:C5"_qs).copyTo(s.range(u"E10"_qs)); },
         {{2, 2, u"b2"_qs},
          {4, 2, u"b4"_qs},
          {5, 3, u"c5"_qs},
          {10, 6, u"b2"_qs},
          {12, 6, u"b4"_qs},
          {13, 7, u"c5"_qs}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.operation);
        Worksheet s = book.sheets().add();
        for (int row = 1; row <= 6; ++row)
            for (int column = 1; column <= 3; ++column)
                s.cells(row, column).setValue(double(10 * row + column));
        for (const char16_t* a1 : {u"B2", u"B4", u"C5"}) {
            const QString name = QString::fromUtf16(a1);
            s.range(name).addHyperlink(name.toLower());
            s.range(name).addComment(name.toLower());
        }
        c.apply(s);
        const Links links = host.hyperlinks(s.id());
        EXPECT_EQ(links, c.expected);
        Links fromComments;
        for (const CellComment& comment : host.comments(s.id()))
            fromComments.append({comment.row, comment.column, comment.text});
        EXPECT_EQ(links, fromComments);
    }
}

TEST_F(MemoryHyperlinks, ACopiedSheetHasItsOwnLinks) {
    at(u"A2").addHyperlink(u"'源'!A2"_qs);
    Worksheet copy = sheet.copy(sheet, Placement::After);
    EXPECT_EQ(copy.range(u"A2"_qs).hyperlink(), u"'源'!A2"_qs);
    copy.range(u"A2"_qs).addHyperlink(u"'源'!A9"_qs);
    copy.range(u"A3"_qs).addHyperlink(u"'源'!A3"_qs);
    EXPECT_EQ(host.hyperlinks(sheet.id()), (QList<CellHyperlink>{{2, 1, u"'源'!A2"_qs}}));
}

// A back end without its own list of links has them found cell by cell, empty cells included.
TEST(HyperlinksOfAWrappedBackend, AreFoundCellByCell) {
    FaultInjectingBackend wrapped(makeMemoryHost());
    const BookId book = wrapped.addWorkbook();
    const SheetId sheet = wrapped.sheetAt(book, 1);
    wrapped.setLiteral(sheet, 2, 2, CellValue::fromNumber(12));
    wrapped.addHyperlink(sheet, 2, 2, u"'源'!A12"_qs);
    wrapped.addHyperlink(sheet, 9, 5, u"'源'!A1"_qs);  // on an empty cell
    EXPECT_EQ(wrapped.hyperlinks(sheet),
              (QList<CellHyperlink>{{2, 2, u"'源'!A12"_qs}, {9, 5, u"'源'!A1"_qs}}));
    EXPECT_GT(wrapped.callCount(u"hyperlink"_qs), 0);
}

}  // namespace
}  // namespace tallimo::host

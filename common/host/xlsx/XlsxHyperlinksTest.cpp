#include "MemoryHost.h"
#include "TestZip.h"
#include "Xlsx.h"
#include "XlsxTestBook.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <QTemporaryDir>
#include <cstring>
#include <optional>
#include <string>

namespace tallimo::host {
namespace {

using xlsx::test::Parts;

const QString kSource = u"▲(F列_D列)源▲"_qs;

Parts savedParts(const HostBackend& host, BookId book) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("links.xlsx"));
    writeXlsx(host, book, path);
    return xlsx::test::readZip(path);
}

// As text, which a failed comparison shows readably.
std::optional<std::string> partOf(const Parts& parts, const QString& name) {
    for (const auto& [partName, content] : parts)
        if (partName == name) return content.toStdString();
    return std::nullopt;
}

std::string savedSheet(const Parts& parts, int number) {
    return partOf(parts, QStringLiteral("xl/worksheets/sheet%1.xml").arg(number))
        .value_or(std::string());
}

struct WrittenLink {
    QString ref;
    QString location;
    bool relationship = false;  // has an r:id, as links to other files do
    bool operator==(const WrittenLink&) const = default;
};

std::vector<WrittenLink> writtenLinks(const std::string& sheetXml) {
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_buffer(sheetXml.data(), sheetXml.size()));
    std::vector<WrittenLink> links;
    for (pugi::xml_node link : doc.child("worksheet").child("hyperlinks").children("hyperlink"))
        links.push_back({QString::fromUtf8(link.attribute("ref").value()),
                         QString::fromUtf8(link.attribute("location").value()),
                         !link.attribute("r:id").empty()});
    return links;
}

std::string withoutHyperlinks(std::string sheetXml) {
    const std::size_t start = sheetXml.find("<hyperlinks>");
    const std::size_t end = sheetXml.find("</hyperlinks>");
    if (start != std::string::npos && end != std::string::npos && end > start)
        sheetXml.erase(start, end + std::strlen("</hyperlinks>") - start);
    return sheetXml;
}

void PrintTo(const WrittenLink& link, std::ostream* out) {
    *out << link.ref.toStdString() << " -> " << link.location.toStdString()
         << (link.relationship ? " (r:id)" : "");
}

// The test report book and a source-copy sheet, with links or without: links on a number with
// its own fill and a comment, on a formula, and on an empty cell with a comment.
BookId reportWithSource(HostBackend& host, bool withLinks) {
    const BookId book = xlsx::test::buildReportBook(host);
    const SheetId report = host.sheetAt(book, 1);
    const SheetId source = host.addSheet(book, std::nullopt);
    host.setSheetName(source, kSource);
    host.moveSheet(source, host.sheetAt(book, 3), Placement::After);
    host.setLiteral(source, 12, 1, CellValue::fromText(u"左行12"_qs));
    host.selectSheet(report);
    if (withLinks) {
        host.addHyperlink(report, 6, 2, u"'▲(F列_D列)源▲'!A12"_qs);
        host.addHyperlink(report, 8, 1, u"'a''b \"c\" & <d>!'!B2"_qs);
        host.addHyperlink(report, 2, 5, u"'▲(F列_D列)源▲'!A1:E1"_qs);
        host.addHyperlink(report, 6, 2, u"'▲(F列_D列)源▲'!A12"_qs);  // again: still one
    }
    return book;
}

TEST(XlsxHyperlinks, LinksArePlacesInTheWorkbookAndChangeNothingElse) {
    auto host = makeMemoryHost();
    const Parts plain = savedParts(*host, reportWithSource(*host, false));
    const BookId book = reportWithSource(*host, true);
    const Parts linked = savedParts(*host, book);

    const std::vector<WrittenLink> expected = {
        {u"E2"_qs, u"'▲(F列_D列)源▲'!A1:E1"_qs},
        {u"B6"_qs, u"'▲(F列_D列)源▲'!A12"_qs},
        {u"A8"_qs, u"'a''b \"c\" & <d>!'!B2"_qs},
    };
    EXPECT_EQ(writtenLinks(savedSheet(linked, 1)), expected);
    for (int sheet : {2, 3})
        EXPECT_TRUE(writtenLinks(savedSheet(linked, sheet)).empty()) << sheet;

    // The cells, their styles and the sheet's relationships are those of the book without links:
    // no display text among the strings, no link style, no relationship for an internal link.
    EXPECT_EQ(withoutHyperlinks(savedSheet(linked, 1)), savedSheet(plain, 1));
    for (const char* name :
         {"xl/styles.xml", "xl/worksheets/_rels/sheet1.xml.rels", "[Content_Types].xml"})
        EXPECT_EQ(partOf(linked, QString::fromLatin1(name)),
                  partOf(plain, QString::fromLatin1(name)))
            << name;
    EXPECT_FALSE(partOf(linked, u"xl/sharedStrings.xml"_qs));

    // The file reads back with its values.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("again.xlsx"));
    writeXlsx(*host, book, path);
    const BookId copy = host->addWorkbook();
    readXlsx(*host, copy, path);
    EXPECT_EQ(host->value(host->sheetAt(copy, 1), 6, 2), CellValue::fromNumber(2));
    EXPECT_EQ(host->sheetName(host->sheetAt(copy, 3)), kSource);
}

TEST(XlsxHyperlinks, LinksPastASheetsLimitAreLeftOutAndTheSaveSucceeds) {
    constexpr int kLimit = 65530;
    auto host = makeMemoryHost();
    const BookId book = host->addWorkbook();
    const SheetId sheet = host->sheetAt(book, 1);
    for (int row = 1; row <= kLimit + 10; ++row)
        host->addHyperlink(sheet, row, 1, QStringLiteral("Sheet1!B%1").arg(row));
    const std::vector<WrittenLink> links = writtenLinks(savedSheet(savedParts(*host, book), 1));
    ASSERT_EQ(links.size(), std::size_t(kLimit));
    EXPECT_EQ(links.back(), (WrittenLink{u"A65530"_qs, u"Sheet1!B65530"_qs}));
}

}  // namespace
}  // namespace tallimo::host

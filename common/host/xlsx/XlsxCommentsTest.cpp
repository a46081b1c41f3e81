#include "MemoryHost.h"
#include "TestZip.h"
#include "Xlsx.h"

#include <gtest/gtest.h>
#include <xlsxwriter.h>
#include <pugixml.hpp>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <map>
#include <set>

namespace tallimo::host {
namespace {

const QString kTestData = QStringLiteral(TALLIMO_XLSX_TESTDATA);
const QString kPython = QStringLiteral("/usr/bin/python3");

struct Note {
    int row, column;
    QString text;
    bool visible;
};

void addNotes(HostBackend& host, SheetId sheet, const std::vector<Note>& notes) {
    for (const Note& n : notes) {
        host.addComment(sheet, n.row, n.column, n.text);
        host.setCommentVisible(sheet, n.row, n.column, n.visible);
    }
}

const std::vector<Note> kMixedNotes = {
    {1, 1, QStringLiteral("重复组1"), true},
    {2, 3, QStringLiteral("a & b < c > \"d\" 'e' ]]>"), false},
    {3, 2, QStringLiteral("第一行\n第二行\t制表"), true},
    {7, 5, QStringLiteral("  前后有空格  "), false},
    {9, 4, QStringLiteral("_x0041_ 不是转义"), false},
    {12, 2, QStringLiteral("𠀀 补充平面"), true},
};

// Many comments reach past one block of drawing shapes.
std::vector<Note> manyNotes(int count) {
    std::vector<Note> notes;
    for (int i = 0; i < count; ++i)
        notes.push_back({2 + i, 5, QStringLiteral("重复组%1").arg(i / 2 + 1), i % 7 == 0});
    return notes;
}

// Mixed comments on the first sheet, none on the second, many on the third; with `fourth`, one
// comment on a fourth sheet, whose drawing's shapes start past the many.
BookId buildCommentedBook(HostBackend& host, bool fourth = false) {
    const BookId book = host.addWorkbook();
    for (int i = fourth ? 4 : 3; i > 1; --i)
        host.addSheet(book, std::nullopt);
    const SheetId first = host.sheetAt(book, 1);
    host.setLiteral(first, 1, 1, CellValue::fromText(QStringLiteral("有批注")));
    host.setColumnWidth(first, 2, 3, 3.5);
    addNotes(host, first, kMixedNotes);
    host.setLiteral(host.sheetAt(book, 2), 1, 1, CellValue::fromNumber(1));
    addNotes(host, host.sheetAt(book, 3), manyNotes(2500));
    if (fourth) addNotes(host, host.sheetAt(book, 4), {{4, 4, QStringLiteral("后"), true}});
    return book;
}

QJsonObject describeWithOpenpyxl(const QString& path) {
    QProcess python;
    python.start(kPython, {kTestData + QStringLiteral("/describe_with_openpyxl.py"), path});
    if (!python.waitForFinished(120000) || python.exitCode() != 0) {
        ADD_FAILURE() << "openpyxl failed: " << python.readAllStandardError().toStdString();
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

QString cellName(int row, int column) {
    QString letters;
    for (int c = column; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters + QString::number(row);
}

TEST(XlsxComments, EveryReaderSeesTheCommentsAsTheModelHeldThem) {
    auto host = makeMemoryHost();
    const BookId book = buildCommentedBook(*host);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("comments.xlsx"));
    writeXlsx(*host, book, path);

    const BookId reread = host->addWorkbook();
    readXlsx(*host, reread, path);
    const QJsonArray seen =
        QFile::exists(kPython) ? describeWithOpenpyxl(path)[u"sheets"].toArray() : QJsonArray();
    const std::vector<Note> sheets[] = {kMixedNotes, {}, manyNotes(2500)};
    for (int s = 0; s < 3; ++s) {
        const SheetId back = host->sheetAt(reread, s + 1);
        EXPECT_EQ(host->comments(back).size(), qsizetype(sheets[s].size())) << "sheet " << s + 1;
        const QJsonObject cells = seen[s][u"cells"].toObject();
        for (const Note& n : sheets[s]) {
            const QString where = cellName(n.row, n.column);
            EXPECT_EQ(host->commentText(back, n.row, n.column), n.text) << where.toStdString();
            EXPECT_EQ(host->commentVisible(back, n.row, n.column), n.visible)
                << where.toStdString();
            if (seen.isEmpty()) continue;
            const QJsonObject cell = cells[where].toObject();
            EXPECT_EQ(cell[u"comment"].toString(), n.text) << where.toStdString();
            // The author is empty, which openpyxl shows as "None".
            EXPECT_EQ(cell[u"commentAuthor"].toString(), QStringLiteral("None"))
                << where.toStdString();
        }
    }
}

// A character XML cannot carry must not cost a strict reader the comments part.
TEST(XlsxComments, AControlCharacterLeavesThePartReadable) {
    auto host = makeMemoryHost();
    const BookId book = host->addWorkbook();
    const SheetId sheet = host->sheetAt(book, 1);
    addNotes(
        *host, sheet,
        {{2, 2, QStringLiteral("响铃\a与换页\f"), false}, {3, 2, QStringLiteral("之后"), true}});
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("control.xlsx"));
    writeXlsx(*host, book, path);
    const BookId reread = host->addWorkbook();
    readXlsx(*host, reread, path);
    const SheetId back = host->sheetAt(reread, 1);
    EXPECT_TRUE(host->commentText(back, 2, 2).startsWith(QStringLiteral("响铃")));
    EXPECT_EQ(host->commentText(back, 3, 2), QStringLiteral("之后"));
    EXPECT_TRUE(host->commentVisible(back, 3, 2));
    if (!QFile::exists(kPython)) return;
    const QJsonObject cells = describeWithOpenpyxl(path)[u"sheets"][0][u"cells"].toObject();
    EXPECT_TRUE(cells[u"B2"][u"comment"].toString().startsWith(QStringLiteral("响铃")));
    EXPECT_EQ(cells[u"B3"][u"comment"].toString(), QStringLiteral("之后"));
}

QString folderOf(const QString& part) {
    const qsizetype slash = part.lastIndexOf(u'/');
    return slash < 0 ? QString() : part.left(slash + 1);
}

// "xl/worksheets/" + "../comments1.xml" = "xl/comments1.xml"
QString resolve(const QString& folder, const QString& target) {
    if (target.startsWith(u'/')) return target.mid(1);
    return QDir::cleanPath(folder + target);
}

pugi::xml_document parse(const QByteArray& xml) {
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_buffer(xml.constData(), std::size_t(xml.size())));
    return doc;
}

TEST(XlsxComments, PackageHoldsEveryPartItNamesAndTypesEveryPart) {
    auto host = makeMemoryHost();
    const BookId book = buildCommentedBook(*host, true);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("package.xlsx"));
    writeXlsx(*host, book, path);

    std::map<QString, QByteArray> parts;
    for (auto& [name, data] : xlsx::test::readZip(path))
        parts.emplace(name, data);
    ASSERT_TRUE(parts.count(QStringLiteral("[Content_Types].xml")));

    std::set<QString> defaults, overrides;
    const pugi::xml_document types = parse(parts[QStringLiteral("[Content_Types].xml")]);
    for (pugi::xml_node t : types.document_element().children()) {
        if (std::string_view(t.name()) == "Default")
            defaults.insert(QString::fromUtf8(t.attribute("Extension").value()));
        else
            overrides.insert(QString::fromUtf8(t.attribute("PartName").value()).mid(1));
    }
    for (const QString& name : overrides)
        EXPECT_TRUE(parts.count(name)) << "typed but missing: " << name.toStdString();
    for (const auto& [name, data] : parts) {
        if (name == QStringLiteral("[Content_Types].xml")) continue;
        EXPECT_TRUE(overrides.count(name) || defaults.count(name.section(u'.', -1)))
            << "untyped: " << name.toStdString();
    }

    int drawings = 0;
    std::set<int> shapeIds, blocks;
    for (const auto& [name, data] : parts) {
        if (!name.endsWith(QStringLiteral(".rels"))) continue;
        // "xl/worksheets/_rels/sheet1.xml.rels" speaks for "xl/worksheets/sheet1.xml".
        const QString source = folderOf(name).chopped(6) + name.section(u'/', -1).chopped(5);
        std::map<QString, QString> byId;
        const pugi::xml_document rels = parse(data);
        for (pugi::xml_node r : rels.document_element().children()) {
            const QString target =
                resolve(folderOf(source), QString::fromUtf8(r.attribute("Target").value()));
            EXPECT_TRUE(parts.count(target))
                << name.toStdString() << " -> " << target.toStdString();
            byId[QString::fromUtf8(r.attribute("Id").value())] = target;
        }
        if (!source.startsWith(QStringLiteral("xl/worksheets/"))) continue;
        // The sheet names its drawing by the drawing's relationship.
        const pugi::xml_document sheet = parse(parts[source]);
        const QString drawingId = QString::fromUtf8(
            sheet.document_element().child("legacyDrawing").attribute("r:id").value());
        ASSERT_TRUE(byId.count(drawingId)) << source.toStdString();
        const QString drawing = byId[drawingId];
        EXPECT_TRUE(drawing.endsWith(QStringLiteral(".vml"))) << drawing.toStdString();
        ++drawings;

        // Each shape's id lies in a block its drawing claims, and no two drawings share one.
        const pugi::xml_document vml = parse(parts[drawing]);
        std::set<int> claimed;
        for (const QString& b :
             QString::fromUtf8(
                 vml.select_node("//*[local-name()='idmap']").node().attribute("data").value())
                 .split(u','))
            claimed.insert(b.toInt());
        for (int b : claimed)
            EXPECT_TRUE(blocks.insert(b).second) << "block " << b << " claimed twice";
        for (const pugi::xpath_node& s : vml.select_nodes("//*[local-name()='shape']")) {
            const int id = QString::fromUtf8(s.node().attribute("id").value()).mid(8).toInt();
            EXPECT_TRUE(shapeIds.insert(id).second) << "shape " << id << " twice";
            EXPECT_TRUE(claimed.count(id / 1024))
                << "shape " << id << " outside " << drawing.toStdString();
        }
    }
    EXPECT_EQ(drawings, 3);
    EXPECT_EQ(shapeIds.size(), kMixedNotes.size() + 2500 + 1);
}

// The boxes are placed, sized and numbered as the writer library did when it wrote the comments,
// so reports look as they always did: the library itself is the reference.
TEST(XlsxComments, DrawingAndTextsAreThoseTheWriterLibraryWrote) {
    const struct {
        const char* name;
        std::vector<std::pair<int, double>> widths;  // 1-based column, width in characters
        std::vector<Note> notes;
    } cases[] = {
        {"default columns", {}, kMixedNotes},
        {"narrow and zero-width columns right of the cell",
         {{2, 0.5}, {3, 0}, {4, 1.2}, {5, 0}, {6, 2}},
         {{5, 1, QStringLiteral("窄列"), true}, {6, 2, QStringLiteral("零宽"), false}}},
        {"wide and fractional columns",
         {{1, 40.25}, {2, 255}, {3, 8.43}, {4, 13.7}},
         {{2, 1, QStringLiteral("宽"), false}, {30, 3, QStringLiteral("x"), true}}},
        {"the sheet's last rows and columns",
         {{16380, 3}, {16383, 20}},
         {{1048573, 16381, QStringLiteral("a"), false},
          {1048574, 16382, QStringLiteral("b"), true},
          {1048575, 16383, QStringLiteral("c"), false},
          {1048576, 16384, QStringLiteral("d"), true},
          {2, 16380, QStringLiteral("e"), false}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto host = makeMemoryHost();
        const BookId book = host->addWorkbook();
        const SheetId sheet = host->sheetAt(book, 1);
        for (const auto& [column, width] : c.widths)
            host->setColumnWidth(sheet, column, column, width);
        addNotes(*host, sheet, c.notes);
        QTemporaryDir dir;
        const QString ours = dir.filePath(QStringLiteral("ours.xlsx"));
        writeXlsx(*host, book, ours);

        const QString theirs = dir.filePath(QStringLiteral("theirs.xlsx"));
        lxw_workbook* workbook = workbook_new(QFile::encodeName(theirs).constData());
        lxw_worksheet* ws = workbook_add_worksheet(workbook, "Sheet1");
        for (const auto& [column, width] : c.widths)
            worksheet_set_column(ws, lxw_col_t(column - 1), lxw_col_t(column - 1), width, nullptr);
        for (const Note& n : c.notes) {
            lxw_comment_options options{};
            options.visible = n.visible ? LXW_COMMENT_DISPLAY_VISIBLE : LXW_COMMENT_DISPLAY_HIDDEN;
            worksheet_write_comment_opt(ws, lxw_row_t(n.row - 1), lxw_col_t(n.column - 1),
                                        n.text.toUtf8().constData(), &options);
        }
        for (int i = 2; i <= host->sheetCount(book); ++i)
            workbook_add_worksheet(workbook, nullptr);
        ASSERT_EQ(workbook_close(workbook), LXW_NO_ERROR);

        std::map<QString, QByteArray> expected, written;
        for (auto& [name, data] : xlsx::test::readZip(theirs))
            expected.emplace(name, data);
        for (auto& [name, data] : xlsx::test::readZip(ours))
            written.emplace(name, data);
        for (const char* part : {"xl/comments1.xml", "xl/drawings/vmlDrawing1.vml",
                                 "xl/worksheets/_rels/sheet1.xml.rels", "[Content_Types].xml"})
            EXPECT_EQ(written[QLatin1String(part)].toStdString(),
                      expected[QLatin1String(part)].toStdString())
                << part;
    }
}

}  // namespace
}  // namespace tallimo::host

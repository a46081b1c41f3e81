#include "Xlsx.h"
#include "XlsxPackage.h"
#include "XlsxSheetReader.h"
#include "XlsxStyles.h"
#include "XlsxXml.h"

#include <QHash>
#include <vector>

namespace tallimo::host {

namespace {

using namespace xlsx;

struct Relationship {
    QString type;  // the last segment of the type URI: "worksheet", "styles", ...
    QString target;
};

// The relationships of a part, by id, with their targets resolved to part names.
QHash<QString, Relationship> readRelationships(const Package& package, const QString& part) {
    QHash<QString, Relationship> result;
    const int slash = int(part.lastIndexOf(u'/'));
    const QString relsPart = part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) +
                             QStringLiteral(".rels");
    if (!package.contains(relsPart)) return result;
    QByteArray xml = package.read(relsPart);
    pugi::xml_document doc;
    parsePart(doc, xml, relsPart);
    for (pugi::xml_node r = doc.document_element().first_child(); r; r = r.next_sibling()) {
        if (!isNamed(r, "Relationship")) continue;
        if (std::string_view(r.attribute("TargetMode").value()) == "External") continue;
        const QString type = text(r.attribute("Type"));
        result.insert(text(r.attribute("Id")), {type.mid(type.lastIndexOf(u'/') + 1),
                                                resolvePart(part, text(r.attribute("Target")))});
    }
    return result;
}

QString targetOfType(const QHash<QString, Relationship>& relationships, const QString& type) {
    for (const Relationship& r : relationships)
        if (r.type == type) return r.target;
    return {};
}

// Palette indices the writer recorded for colours the palette holds twice.
constexpr const char* kPreferredIndicesProperty = "TallimoColorIndexes";

PalettePreference readPreference(const Package& package) {
    PalettePreference prefer;
    if (!package.contains(QStringLiteral("docProps/custom.xml"))) return prefer;
    QByteArray xml = package.read(QStringLiteral("docProps/custom.xml"));
    pugi::xml_document doc;
    parsePart(doc, xml, QStringLiteral("docProps/custom.xml"));
    for (pugi::xml_node p = doc.document_element().first_child(); p; p = p.next_sibling()) {
        if (std::string_view(p.attribute("name").value()) != kPreferredIndicesProperty) continue;
        for (const QString& n : QString::fromUtf8(p.first_child().text().get()).split(u' '))
            if (const int index = n.toInt(); index > 0) prefer.indices.push_back(index);
    }
    return prefer;
}

// Comment texts of a sheet, and from its drawing which of them are shown.
void readComments(HostBackend& host, SheetId sheet, const Package& package,
                  const QHash<QString, Relationship>& relationships) {
    const QString commentsPart = targetOfType(relationships, QStringLiteral("comments"));
    if (commentsPart.isEmpty()) return;
    QByteArray xml = package.read(commentsPart);
    pugi::xml_document doc;
    parsePart(doc, xml, commentsPart);
    const pugi::xml_node list = childNamed(doc.document_element(), "commentList");
    for (pugi::xml_node c = list.first_child(); c; c = c.next_sibling()) {
        if (!isNamed(c, "comment")) continue;
        std::int64_t row = 0, column = 0;
        if (!parseCellName(c.attribute("ref").value(), row, column) || row > kMaxRows ||
            column > kMaxColumns)
            fault(QStringLiteral("部件 %1 中的批注地址 \"%2\" 无效")
                      .arg(commentsPart, text(c.attribute("ref"))));
        QString body;
        const pugi::xml_node textNode = childNamed(c, "text");
        for (pugi::xml_node piece = textNode.first_child(); piece; piece = piece.next_sibling()) {
            if (isNamed(piece, "t"))
                body += QString::fromUtf8(piece.text().get());
            else if (isNamed(piece, "r"))
                body += QString::fromUtf8(childNamed(piece, "t").text().get());
        }
        host.addComment(sheet, int(row), int(column), body);
    }
    // The drawing is legacy markup that other writers do not always keep well formed; shown
    // comments are a nicety, so a drawing that does not parse leaves them hidden.
    const QString drawingPart = targetOfType(relationships, QStringLiteral("vmlDrawing"));
    if (drawingPart.isEmpty() || !package.contains(drawingPart)) return;
    QByteArray vml = package.read(drawingPart);
    pugi::xml_document drawing;
    try {
        parsePart(drawing, vml, drawingPart);
    } catch (const FileFault&) {
        return;
    }
    for (const pugi::xpath_node& node : drawing.select_nodes("//*[local-name()='ClientData']")) {
        const pugi::xml_node data = node.node();
        if (!childNamed(data, "Visible")) continue;
        const int row = childNamed(data, "Row").text().as_int(-1) + 1;
        const int column = childNamed(data, "Column").text().as_int(-1) + 1;
        if (row >= 1 && row <= kMaxRows && column >= 1 && column <= kMaxColumns &&
            !host.commentText(sheet, row, column).isEmpty())
            host.setCommentVisible(sheet, row, column, true);
    }
}

struct SheetEntry {
    QString name;
    QString part;
};

// The entry of the one sheet to read, or entries.size() for none.
std::size_t onlyEntry(const std::vector<SheetEntry>& entries, const QString& name) {
    if (name.isEmpty()) return 0;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].name.compare(name, Qt::CaseInsensitive) == 0) return i;
    return entries.size();
}

void readPackage(HostBackend& host, BookId book, const Package& package,
                 const XlsxReading& reading) {
    const QString workbookPart =
        targetOfType(readRelationships(package, QString()), QStringLiteral("officeDocument"));
    if (workbookPart.isEmpty() || !package.contains(workbookPart))
        fault(QStringLiteral("缺少工作簿部件"));
    const auto relationships = readRelationships(package, workbookPart);
    QByteArray workbookXml = package.read(workbookPart);
    pugi::xml_document workbook;
    parsePart(workbook, workbookXml, workbookPart);
    const pugi::xml_node root = workbook.document_element();

    std::vector<SheetEntry> entries;
    for (pugi::xml_node s = childNamed(root, "sheets").first_child(); s; s = s.next_sibling()) {
        if (!isNamed(s, "sheet")) continue;
        const auto r = relationships.constFind(text(attributeNamed(s, "id")));
        if (r == relationships.constEnd() || r->type != u"worksheet") continue;  // chart sheets
        if (!package.contains(r->target)) fault(QStringLiteral("缺少工作表部件 %1").arg(r->target));
        entries.push_back({text(s.attribute("name")), r->target});
    }
    if (entries.empty()) fault(QStringLiteral("工作簿中没有工作表"));
    const int activeTab =
        childNamed(childNamed(root, "bookViews"), "workbookView").attribute("activeTab").as_int(0);

    const PalettePreference prefer = readPreference(package);
    const QString stylesPart = targetOfType(relationships, QStringLiteral("styles"));
    const Styles styles = stylesPart.isEmpty() || !package.contains(stylesPart)
                              ? Styles()
                              : Styles(package.read(stylesPart), stylesPart, prefer);
    const QString stringsPart = targetOfType(relationships, QStringLiteral("sharedStrings"));
    const SharedStrings strings = stringsPart.isEmpty() || !package.contains(stringsPart)
                                      ? SharedStrings()
                                      : SharedStrings(package, stringsPart, prefer);
    ReadBudget budget{reading.maxItems, reading.maxBytes, 0};
    if (budget.maxBytes > 0 && package.bytesRead() > budget.maxBytes)
        fault(QStringLiteral("部件 %1 过大：读取区域时每个文件最多解压 %2 的内容")
                  .arg(stringsPart, byteCountText(budget.maxBytes)));

    const BookParts parts{strings, styles, prefer,
                          isTrue(childNamed(root, "workbookPr").attribute("date1904")),
                          budget.maxItems > 0 || budget.maxBytes > 0 ? &budget : nullptr};

    // The new sheets go in front of the book's default sheets, which then go; placeholder
    // names first, so no file name meets a default or automatic name on its way in.
    const int defaults = host.sheetCount(book);
    const SheetId anchor = host.sheetAt(book, 1);
    std::vector<SheetId> sheets;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        sheets.push_back(host.addSheet(book, anchor));
        host.setSheetName(sheets.back(), QStringLiteral("~%1~").arg(i + 1));
    }
    for (int i = 0; i < defaults; ++i)
        host.deleteSheet(host.sheetAt(book, int(entries.size()) + 1));
    for (std::size_t i = 0; i < entries.size(); ++i)
        host.setSheetName(sheets[i], entries[i].name);

    const std::size_t only =
        reading.onlySheet ? onlyEntry(entries, *reading.onlySheet) : entries.size();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (reading.onlySheet && i != only) continue;
        readSheet(host, sheets[i], package, entries[i].part, parts);
        readComments(host, sheets[i], package, readRelationships(package, entries[i].part));
    }
    host.selectSheet(sheets[std::size_t(std::clamp(activeTab, 0, int(sheets.size()) - 1))]);
}

}  // namespace

void readXlsx(HostBackend& host, BookId emptyBook, const QString& path,
              const XlsxReading& reading) {
    const auto failure = [&](const QString& reason) {
        return HostError(QStringLiteral("无法打开工作簿 \"%1\"：%2").arg(path, reason));
    };
    try {
        const Package package(path);
        readPackage(host, emptyBook, package, reading);
    } catch (const FileFault& f) {
        throw failure(f.reason);
    } catch (const HostError& e) {
        throw failure(e.message());
    } catch (const std::bad_alloc&) {
        throw failure(QStringLiteral("内存不足"));
    }
}

}  // namespace tallimo::host

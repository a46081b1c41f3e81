#include "OdsBook.h"

#include "FormatCode.h"
#include "XlsxCommon.h"
#include "XlsxPackage.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstring>
#include <vector>

namespace tallimo::area {

namespace {

bool named(const pugi::xml_node& node, const char* name) {
    return std::strcmp(node.name(), name) == 0;
}

// A repeat count as the file gives it; missing, malformed or zero counts as one.
int repeatCount(const pugi::xml_node& node, const char* attribute) {
    const long long count = node.attribute(attribute).as_llong(1);
    return int(std::clamp<long long>(count, 1, host::kMaxRows));
}

// Spans inside spans deeper than this are markup no office program writes.
constexpr int kSpanDepth = 32;

// The text of a paragraph as the document shows it: runs of white space in the markup are one
// space; spaces, tabs and line breaks the document means are elements.
void appendParagraph(const pugi::xml_node& paragraph, QString& out, int depth = 0) {
    for (pugi::xml_node child = paragraph.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
            const QString text = QString::fromUtf8(child.value());
            bool blank = false;
            for (const QChar c : text) {
                const bool space = c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
                if (space && blank) continue;
                out.append(space ? QChar(u' ') : c);
                blank = space;
            }
        } else if (named(child, "text:s")) {
            out.append(QString(std::clamp(child.attribute("text:c").as_int(1), 1, 32767), u' '));
        } else if (named(child, "text:tab")) {
            out.append(u'\t');
        } else if (named(child, "text:line-break")) {
            out.append(u'\n');
        } else if (depth < kSpanDepth && !named(child, "office:annotation") &&
                   !named(child, "text:note")) {
            appendParagraph(child, out, depth + 1);
        }
    }
}

// What a cell shows: its paragraphs one a line; a cell written without them (by programs that
// only give the value) shows its value.
QString cellText(const pugi::xml_node& cell) {
    QString text;
    bool first = true;
    for (pugi::xml_node p = cell.child("text:p"); p; p = p.next_sibling("text:p")) {
        if (!first) text.append(u'\n');
        appendParagraph(p, text);
        first = false;
    }
    if (!first) return text;
    const pugi::char_t* type = cell.attribute("office:value-type").value();
    if (std::strcmp(type, "float") == 0 || std::strcmp(type, "percentage") == 0 ||
        std::strcmp(type, "currency") == 0) {
        return numfmt::generalText(cell.attribute("office:value").as_double());
    }
    if (std::strcmp(type, "boolean") == 0)
        return cell.attribute("office:boolean-value").as_bool() ? u"TRUE"_qs : u"FALSE"_qs;
    if (std::strcmp(type, "string") == 0)
        return QString::fromUtf8(cell.attribute("office:string-value").value());
    if (std::strcmp(type, "date") == 0)
        return QString::fromUtf8(cell.attribute("office:date-value").value());
    if (std::strcmp(type, "time") == 0)
        return QString::fromUtf8(cell.attribute("office:time-value").value());
    return {};
}

class TableWalk {
public:
    explicit TableWalk(SheetVisitor& visitor) : visitor_(visitor) {}

    // Rows may sit in groups and header sections, nested; walked without recursion, since a
    // hostile file may nest them deeply.
    void rowsOf(const pugi::xml_node& table) {
        pugi::xml_node node = table.first_child();
        while (node && row_ <= host::kMaxRows) {
            if (named(node, "table:table-row")) {
                row(node);
            } else if ((named(node, "table:table-row-group") ||
                        named(node, "table:table-header-rows") ||
                        named(node, "table:table-rows")) &&
                       node.first_child()) {
                node = node.first_child();
                continue;
            }
            while (node != table && !node.next_sibling())
                node = node.parent();
            if (node == table) break;
            node = node.next_sibling();
        }
    }

private:
    void row(const pugi::xml_node& rowNode) {
        const int rows = repeatCount(rowNode, "table:number-rows-repeated");
        const int bottom = int(std::min<long long>(host::kMaxRows, (long long)row_ + rows - 1));
        int column = 1;
        for (pugi::xml_node cell = rowNode.first_child(); cell && column <= host::kMaxColumns;
             cell = cell.next_sibling()) {
            const bool covered = named(cell, "table:covered-table-cell");
            if (!covered && !named(cell, "table:table-cell")) continue;
            const int columns = repeatCount(cell, "table:number-columns-repeated");
            const int right =
                int(std::min<long long>(host::kMaxColumns, (long long)column + columns - 1));
            if (!covered) {
                const QString text = cellText(cell);
                if (!text.isEmpty()) visitor_.cells({row_, column, bottom, right}, text);
                const int spannedRows = repeatCount(cell, "table:number-rows-spanned");
                const int spannedColumns = repeatCount(cell, "table:number-columns-spanned");
                if (spannedRows > 1 || spannedColumns > 1) {
                    visitor_.merged(
                        {row_, column,
                         int(std::min<long long>(host::kMaxRows,
                                                 (long long)row_ + spannedRows - 1)),
                         int(std::min<long long>(host::kMaxColumns,
                                                 (long long)column + spannedColumns - 1))});
                }
            }
            column = right + 1;
        }
        row_ = bottom + 1;
    }

    SheetVisitor& visitor_;
    int row_ = 1;
};

}  // namespace

struct OdsBook::Document {
    QByteArray xml;
    pugi::xml_document tree;
    std::vector<pugi::xml_node> tables;
};

OdsBook::OdsBook() : document_(std::make_unique<Document>()) {}
OdsBook::~OdsBook() = default;

OdsBook::OdsBook(const QString& path, std::int64_t partCap) : OdsBook() {
    QByteArray content;
    try {
        const host::xlsx::Package package(path, partCap, partCap);
        if (package.contains(QStringLiteral("META-INF/manifest.xml")) &&
            package.read(QStringLiteral("META-INF/manifest.xml")).contains("encryption-data")) {
            throw FormatError(passwordProtectedMessage());
        }
        content = package.read(QStringLiteral("content.xml"));
    } catch (const host::xlsx::FileFault& fault) {
        throw FormatError(fault.reason);
    }
    parse(std::move(content));
}

std::unique_ptr<OdsBook> OdsBook::fromContent(QByteArray contentXml) {
    std::unique_ptr<OdsBook> book(new OdsBook());
    book->parse(std::move(contentXml));
    return book;
}

void OdsBook::parse(QByteArray contentXml) {
    Document& d = *document_;
    d.xml = std::move(contentXml);
    // Parsed in place: the tree points into the text instead of copying it.
    const pugi::xml_parse_result parsed = d.tree.load_buffer_inplace(
        d.xml.data(), std::size_t(d.xml.size()), pugi::parse_default | pugi::parse_ws_pcdata);
    if (!parsed) {
        throw FormatError(QStringLiteral("OpenDocument 表格的内容无法解析（%1，位置 %2）")
                              .arg(QString::fromUtf8(parsed.description()))
                              .arg(parsed.offset));
    }
    const pugi::xml_node spreadsheet =
        d.tree.child("office:document-content").child("office:body").child("office:spreadsheet");
    for (pugi::xml_node table = spreadsheet.child("table:table"); table;
         table = table.next_sibling("table:table"))
        d.tables.push_back(table);
}

QStringList OdsBook::sheetNames() const {
    QStringList names;
    for (const pugi::xml_node& table : document_->tables)
        names.append(QString::fromUtf8(table.attribute("table:name").value()));
    return names;
}

int OdsBook::firstShownSheet() const {
    // A sheet is hidden through its automatic style's table properties.
    const pugi::xml_node styles =
        document_->tree.child("office:document-content").child("office:automatic-styles");
    const auto hidden = [&](const pugi::xml_node& table) {
        const pugi::char_t* name = table.attribute("table:style-name").value();
        for (pugi::xml_node style = styles.child("style:style"); style;
             style = style.next_sibling("style:style")) {
            if (std::strcmp(style.attribute("style:name").value(), name) == 0) {
                return std::strcmp(
                           style.child("style:table-properties").attribute("table:display").value(),
                           "false") == 0;
            }
        }
        return false;
    };
    for (std::size_t i = 0; i < document_->tables.size(); ++i)
        if (!hidden(document_->tables[i])) return int(i);
    return 0;
}

SheetSource OdsBook::source(int index) const {
    const pugi::xml_node table = document_->tables.at(std::size_t(index));
    return {QString::fromUtf8(table.attribute("table:name").value()),
            [table](SheetVisitor& visitor) { TableWalk(visitor).rowsOf(table); }};
}

}  // namespace tallimo::area

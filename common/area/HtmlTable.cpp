#include "HtmlTable.h"

#include "TextEncoding.h"
#include "TypedEntry.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>

namespace tallimo::area {

namespace {

constexpr qsizetype kHeadBytes = 4096;

QString headText(QByteArrayView bytes) {
    const QByteArrayView head = bytes.first(std::min(bytes.size(), kHeadBytes));
    if (head.startsWith("\xFF\xFE")) return decodeText(head, TextEncoding::Utf16LE);
    if (head.startsWith("\xFE\xFF")) return decodeText(head, TextEncoding::Utf16BE);
    return QString::fromLatin1(head.startsWith("\xEF\xBB\xBF") ? head.sliced(3) : head);
}

// The page's text: its byte-order mark, else the character set its head declares, else UTF-8
// when the bytes are UTF-8 and GB18030 (the Chinese exports' encoding) when not.
QString decodePage(QByteArrayView bytes) {
    if (bytes.startsWith("\xFF\xFE")) return decodeText(bytes, TextEncoding::Utf16LE);
    if (bytes.startsWith("\xFE\xFF")) return decodeText(bytes, TextEncoding::Utf16BE);
    if (bytes.startsWith("\xEF\xBB\xBF")) return decodeText(bytes, TextEncoding::Utf8);
    static const QRegularExpression charset(
        QStringLiteral("charset\\s*=\\s*[\"']?([A-Za-z0-9_-]+)"),
        QRegularExpression::CaseInsensitiveOption);
    const QString declared = charset.match(headText(bytes)).captured(1).toLower();
    if (declared == u"gb2312" || declared == u"gbk" || declared == u"gb18030" ||
        declared == u"x-gbk")
        return decodeText(bytes, TextEncoding::Gb18030);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError() || declared == u"utf-8") return text;
    return decodeText(bytes, TextEncoding::Gb18030);
}

bool isSpace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// The character an entity stands for; the entity itself when it is not one of these.
void appendEntity(QStringView entity, QString& out) {
    static const QHash<QString, QChar> named = {
        {u"amp"_qs, u'&'},        {u"lt"_qs, u'<'},          {u"gt"_qs, u'>'},
        {u"quot"_qs, u'"'},       {u"apos"_qs, u'\''},       {u"nbsp"_qs, QChar(0xA0)},
        {u"yen"_qs, QChar(0xA5)}, {u"copy"_qs, QChar(0xA9)}, {u"middot"_qs, QChar(0xB7)}};
    const QStringView name = entity.sliced(1, entity.size() - 2);
    if (name.startsWith(u'#')) {
        bool ok = false;
        const uint code = name.size() > 1 && (name[1] == u'x' || name[1] == u'X')
                              ? name.sliced(2).toUInt(&ok, 16)
                              : name.sliced(1).toUInt(&ok, 10);
        if (ok && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
            out.append(QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1));
            return;
        }
    } else if (const auto found = named.constFind(name.toString()); found != named.cend()) {
        out.append(*found);
        return;
    }
    out.append(entity);
}

struct Tag {
    QString name;  // lower case, "/td" for an end tag
    QStringView attributes;
};

// A span as browsers take it: at most 1000 columns or 65534 rows, and not past the sheet.
int spanOf(QStringView attributes, bool columns, int room) {
    static const QRegularExpression colspan(QStringLiteral("\\bcolspan\\s*=\\s*[\"']?\\s*([0-9]+)"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression rowspan(QStringLiteral("\\browspan\\s*=\\s*[\"']?\\s*([0-9]+)"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = (columns ? colspan : rowspan).match(attributes.toString());
    if (!m.hasMatch()) return 1;
    bool ok = false;
    const qlonglong value = m.capturedView(1).left(9).toLongLong(&ok);
    return ok ? int(std::clamp<qlonglong>(value, 1, std::min(columns ? 1000 : 65534, room))) : 1;
}

}  // namespace

bool looksLikeHtml(QByteArrayView bytes) {
    const QString head = headText(bytes).trimmed().toLower();
    if (!head.startsWith(u'<')) return false;
    return head.contains(u"<html") || head.contains(u"<table") || head.contains(u"<!doctype html");
}

HtmlTable::HtmlTable(QByteArrayView bytes) {
    parse(decodePage(bytes));
}

void HtmlTable::parse(QStringView html) {
    int row = 0, column = 1;
    bool inCell = false;
    host::CellRect cell;
    QString text;
    std::vector<int> coveredUntil;  // per column, the last row a span above reaches
    const auto finishCell = [&] {
        if (!inCell) return;
        inCell = false;
        // Spaces around line breaks and at the ends are layout, not content.
        static const QRegularExpression aroundBreaks(QStringLiteral(" *\n *"));
        text.replace(aroundBreaks, QStringLiteral("\n"));
        text.replace(QChar(0xA0), u' ');
        const QString shown = text.trimmed();
        if (!shown.isEmpty()) {
            const qsizetype offset = pool_.size();
            host::appendTypedDisplayText(pool_, shown);
            cells_.push_back({cell, offset, pool_.size() - offset});
        }
        if (cell.rowCount() > 1 || cell.columnCount() > 1) merges_.push_back(cell);
        if (coveredUntil.size() < std::size_t(cell.right)) coveredUntil.resize(cell.right, 0);
        for (int c = cell.left; c <= cell.right; ++c)
            coveredUntil[c - 1] = std::max(coveredUntil[c - 1], cell.bottom);
        column = cell.right + 1;
        text.clear();
    };
    const auto appendText = [&](QStringView raw) {
        for (qsizetype i = 0; i < raw.size(); ++i) {
            const QChar c = raw[i];
            if (c == u'&') {
                const qsizetype end = raw.indexOf(u';', i);
                if (end > i && end - i <= 10) {
                    appendEntity(raw.sliced(i, end - i + 1), text);
                    i = end;
                    continue;
                }
            }
            if (isSpace(c)) {
                if (!text.isEmpty() && text.back() != u' ' && text.back() != u'\n')
                    text.append(u' ');
            } else {
                text.append(c);
            }
        }
    };

    qsizetype at = 0;
    while (at < html.size() && row <= host::kMaxRows) {
        const qsizetype open = html.indexOf(u'<', at);
        if (inCell) appendText(html.sliced(at, (open < 0 ? html.size() : open) - at));
        if (open < 0) break;
        if (html.sliced(open).startsWith(u"<!--")) {
            const qsizetype close = html.indexOf(u"-->", open + 4);
            at = close < 0 ? html.size() : close + 3;
            continue;
        }
        const qsizetype close = html.indexOf(u'>', open);
        if (close < 0) break;
        at = close + 1;
        const QStringView inside = html.sliced(open + 1, close - open - 1);
        qsizetype nameEnd = 0;
        while (nameEnd < inside.size() && !isSpace(inside[nameEnd]) && inside[nameEnd] != u'/')
            ++nameEnd;
        if (nameEnd == 0 && inside.startsWith(u'/')) {
            nameEnd = 1;
            while (nameEnd < inside.size() && !isSpace(inside[nameEnd]))
                ++nameEnd;
        }
        const Tag tag{inside.first(nameEnd).toString().toLower(), inside.sliced(nameEnd)};
        if (tag.name == u"script" || tag.name == u"style") {
            const qsizetype end =
                html.indexOf(QString(QStringLiteral("</") + tag.name), at, Qt::CaseInsensitive);
            at = end < 0 ? html.size() : end;
        } else if (tag.name == u"tr") {
            finishCell();
            ++row;
            column = 1;
        } else if (tag.name == u"td" || tag.name == u"th") {
            finishCell();
            if (row == 0) row = 1;
            while (column <= host::kMaxColumns && std::size_t(column) <= coveredUntil.size() &&
                   coveredUntil[column - 1] >= row)
                ++column;
            if (column > host::kMaxColumns) continue;
            const int columns = spanOf(tag.attributes, true, host::kMaxColumns - column + 1);
            const int rows = spanOf(tag.attributes, false, host::kMaxRows - row + 1);
            cell = {row, column, row + rows - 1, column + columns - 1};
            inCell = true;
        } else if (tag.name == u"br") {
            if (inCell) text.append(u'\n');
        } else if (tag.name == u"/p" || tag.name == u"/div") {
            if (inCell && !text.isEmpty()) text.append(u'\n');
        } else if (tag.name == u"/td" || tag.name == u"/th" || tag.name == u"/tr" ||
                   tag.name == u"table" || tag.name == u"/table") {
            finishCell();
        }
    }
    finishCell();
}

SheetSource HtmlTable::source(const QString& sheetName) const {
    return {sheetName, [this](SheetVisitor& visitor) {
                for (const Cell& cell : cells_)
                    visitor.cells(cell.cells, QStringView(pool_).sliced(cell.offset, cell.length));
                for (const host::CellRect& merge : merges_)
                    visitor.merged(merge);
            }};
}

}  // namespace tallimo::area

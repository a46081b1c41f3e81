#include "XlsxSheetReader.h"
#include "FormatCode.h"
#include "XlsxFormulaMove.h"
#include "XlsxItemStream.h"
#include "XlsxXml.h"

#include <QDate>
#include <QStringList>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>

namespace tallimo::host::xlsx {

namespace {

// Text in files escapes control characters as _xHHHH_.
void decodeEscapes(QString& s) {
    if (!s.contains(u"_x")) return;
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        bool ok = false;
        if (s[i] == u'_' && i + 6 < s.size() && s[i + 1] == u'x' && s[i + 6] == u'_') {
            const ushort code = s.mid(i + 2, 4).toUShort(&ok, 16);
            if (ok) {
                out.append(QChar(code));
                i += 6;
                continue;
            }
        }
        out.append(s[i]);
    }
    s = out;
}

// Text may come in pieces: plain text and CDATA sections side by side.
QString nodeText(const pugi::xml_node& t) {
    QString s;
    for (pugi::xml_node piece = t.first_child(); piece; piece = piece.next_sibling())
        if (piece.type() == pugi::node_pcdata || piece.type() == pugi::node_cdata)
            s += QString::fromUtf8(piece.value());
    decodeEscapes(s);
    return s;
}

// The text of a string item (<si> or <is>) and the runs that carry a palette colour.
void readStringItem(const pugi::xml_node& item, const PalettePreference& prefer, QString& text,
                    QList<CharacterRun>& runs) {
    for (pugi::xml_node c = item.first_child(); c; c = c.next_sibling()) {
        if (isNamed(c, "t")) {
            text += nodeText(c);
        } else if (isNamed(c, "r")) {
            const QString piece = nodeText(childNamed(c, "t"));
            const auto color = readFontColor(childNamed(childNamed(c, "rPr"), "color"), prefer);
            if (color && color->paletteIndex > 0 && !piece.isEmpty())
                runs.append({int(text.size()) + 1, int(piece.size()), color->paletteIndex});
            text += piece;
        }
    }
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\n' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\n' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool parseNumber(std::string_view s, double& value) {
    s = trimmed(s);
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    return error == std::errc() && end == s.data() + s.size() && std::isfinite(value);
}

bool parseIndex(std::string_view s, std::int64_t& value) {
    s = trimmed(s);
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    return error == std::errc() && end == s.data() + s.size();
}

// The date serial of an ISO 8601 date or time ("2024-03-15", "2024-03-15T10:20:30.5Z",
// "10:20"), counted from 1900 as the host counts, with the spreadsheet's leap day of 1900;
// nullopt when the text is no such date. A time zone is ignored, as spreadsheets ignore it.
std::optional<double> serialFromIsoDate(std::string_view s) {
    s = trimmed(s);
    std::size_t i = 0;
    const auto digits = [&](std::size_t count, int& value) {
        if (i + count > s.size()) return false;
        value = 0;
        for (std::size_t end = i + count; i < end; ++i) {
            if (s[i] < '0' || s[i] > '9') return false;
            value = value * 10 + (s[i] - '0');
        }
        return true;
    };
    const auto eat = [&](char c) { return i < s.size() && s[i] == c ? (++i, true) : false; };
    double serial = 0;
    const bool hasDate = s.size() >= 10 && s[4] == '-';
    if (hasDate) {
        int year = 0, month = 0, day = 0;
        if (!digits(4, year) || !eat('-') || !digits(2, month) || !eat('-') || !digits(2, day))
            return std::nullopt;
        const QDate date(year, month, day);
        if (!date.isValid()) return std::nullopt;
        // Serial 0 is the day times of day count from; 60 is the 29th of February 1900, a day
        // the calendar never had, so days before March 1900 count one less.
        static const qint64 kDayZero = QDate(1899, 12, 30).toJulianDay();
        static const qint64 kMarch1900 = QDate(1900, 3, 1).toJulianDay();
        static const qint64 kJanuary1900 = QDate(1900, 1, 1).toJulianDay();
        const qint64 julian = date.toJulianDay();
        if (julian >= kMarch1900)
            serial = double(julian - kDayZero);
        else if (julian >= kJanuary1900)
            serial = double(julian - kDayZero - 1);
        else if (julian != kDayZero)
            return std::nullopt;
        if (i == s.size()) return serial;
        if (!eat('T') && !eat(' ')) return std::nullopt;
    } else {
        eat('T');
    }
    int hour = 0, minute = 0, second = 0;
    if (!digits(2, hour) || !eat(':') || !digits(2, minute) || hour > 23 || minute > 59)
        return std::nullopt;
    double seconds = 0;
    if (eat(':')) {
        if (!digits(2, second) || second > 59) return std::nullopt;
        seconds = second;
        if (eat('.') || eat(',')) {
            double scale = 0.1;
            const std::size_t first = i;
            for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i, scale /= 10)
                seconds += (s[i] - '0') * scale;
            if (i == first) return std::nullopt;
        }
    }
    const std::string_view zone = s.substr(i);
    const bool zoneOk = zone.empty() || zone == "Z" ||
                        ((zone[0] == '+' || zone[0] == '-') && zone.size() <= 6 &&
                         zone.find_first_not_of("0123456789:", 1) == std::string_view::npos);
    if (!zoneOk) return std::nullopt;
    return serial + (hour * 3600 + minute * 60 + seconds) / 86400;
}

// A cell block "A1:B2" or a single cell "A1"; refuses what lies outside the grid.
CellRect parseBlock(std::string_view ref, const QString& part) {
    const std::size_t colon = ref.find(':');
    std::int64_t r1 = 0, c1 = 0, r2 = 0, c2 = 0;
    const bool ok =
        parseCellName(ref.substr(0, colon), r1, c1) &&
        (colon == std::string_view::npos ? (r2 = r1, c2 = c1, true)
                                         : parseCellName(ref.substr(colon + 1), r2, c2));
    if (!ok)
        fault(QStringLiteral("部件 %1 中的区域 \"%2\" 无效")
                  .arg(part, QString::fromUtf8(ref.data(), qsizetype(ref.size()))));
    if (std::max(r1, r2) > kMaxRows || std::max(c1, c2) > kMaxColumns)
        fault(QStringLiteral("部件 %1 中的区域 %2 超出表格的 %3 行、%4 列")
                  .arg(part, QString::fromUtf8(ref.data(), qsizetype(ref.size())))
                  .arg(kMaxRows)
                  .arg(kMaxColumns));
    return {int(std::min(r1, r2)), int(std::min(c1, c2)), int(std::max(r1, r2)),
            int(std::max(c1, c2))};
}

bool isErrorText(const QString& text) {
    static const QStringList errors = {QStringLiteral("#NULL!"),  QStringLiteral("#DIV/0!"),
                                       QStringLiteral("#VALUE!"), QStringLiteral("#REF!"),
                                       QStringLiteral("#NAME?"),  QStringLiteral("#NUM!"),
                                       QStringLiteral("#N/A")};
    return text.startsWith(u'#') && errors.contains(text);
}

// Files keep a column's width with the cell padding of 5 pixels at 7 pixels a character; the
// host's column width counts characters only, to two decimals.
double characterWidth(double fileWidth) {
    const double pixels = std::round(fileWidth * 7);
    const double characters = pixels >= 12 ? (pixels - 5) / 7 : pixels / 12;
    return std::round(characters * 100) / 100;
}

class SheetReader {
public:
    SheetReader(HostBackend& host, SheetId sheet, const Package& package, const QString& part,
                const BookParts& book)
        : host_(host),
          sheet_(sheet),
          package_(package),
          budget_(book.budget),
          part_(part),
          strings_(book.strings),
          styles_(book.styles),
          prefer_(book.prefer),
          date1904_(book.date1904) {}

    void read(PartStream& in);

private:
    void checkDimension(std::string_view ref);
    void readColumns(const pugi::xml_node& root);
    void readRow(const pugi::xml_node& row);
    void spend(int items);
    void readCell(const pugi::xml_node& c, int row, int column);
    QString formulaOf(const pugi::xml_node& f, int row, int column);
    void styleCell(int row, int column, std::size_t style);
    void flushStyleRun();
    void readMerges(const pugi::xml_node& root);
    void readView(const pugi::xml_node& root);
    void readSelection(const pugi::xml_node& sheetView, const pugi::xml_node& pane);

    HostBackend& host_;
    SheetId sheet_;
    const Package& package_;
    ReadBudget* budget_;
    const QString& part_;
    const SharedStrings& strings_;
    const Styles& styles_;
    const PalettePreference& prefer_;
    bool date1904_;
    int lastRow_ = 0;
    int rows_ = 0;  // <row> elements read
    struct SharedFormula {
        QString text;
        int row = 0, column = 0;
    };
    std::unordered_map<int, SharedFormula> sharedFormulas_;
    // Consecutive cells of one row with the same style get their formats in one call each.
    struct StyleRun {
        int row = 0, first = 0, last = 0;
        std::size_t style = 0;
    } run_;
};

void SheetReader::read(PartStream& in) {
    Outline outline =
        streamItems(in, "sheetData", "row", part_, [&](const pugi::xml_document& rows) {
            for (pugi::xml_node row = rows.first_child(); row; row = row.next_sibling())
                if (isNamed(row, "row")) readRow(row);
        });
    flushStyleRun();
    pugi::xml_document doc;
    parsePart(doc, outline.xml, part_);
    const pugi::xml_node root = doc.document_element();
    checkDimension(childNamed(root, "dimension").attribute("ref").value());
    readColumns(root);
    readMerges(root);
    readView(root);
}

// The dimension is only a hint of the block in use. Writers fill it with forms that name no
// block of cells ("1:4", "A:C", an empty text), which say nothing to check; a block of cells
// beyond the grid marks a file no spreadsheet program wrote.
void SheetReader::checkDimension(std::string_view ref) {
    const std::size_t colon = ref.find(':');
    std::int64_t row = 0, column = 0;
    if (!parseCellName(ref.substr(0, colon), row, column)) return;
    if (colon != std::string_view::npos && !parseCellName(ref.substr(colon + 1), row, column))
        return;
    parseBlock(ref, part_);
}

void SheetReader::readColumns(const pugi::xml_node& root) {
    for (pugi::xml_node c = childNamed(root, "cols").first_child(); c; c = c.next_sibling()) {
        if (!isNamed(c, "col") || !c.attribute("width")) continue;
        const pugi::xml_attribute custom = c.attribute("customWidth");
        if (custom && !isTrue(custom)) continue;
        const int first = std::max(1, c.attribute("min").as_int(1));
        const int last = std::min(kMaxColumns, c.attribute("max").as_int(first));
        if (first <= last)
            host_.setColumnWidth(  // beyond what spreadsheet programs allow: their limit
                sheet_, first, last,
                std::clamp(characterWidth(c.attribute("width").as_double()), 0.0, 255.0));
    }
}

void SheetReader::readRow(const pugi::xml_node& rowNode) {
    std::int64_t row = lastRow_ + 1;
    if (const pugi::xml_attribute r = rowNode.attribute("r"); r && !parseIndex(r.value(), row))
        fault(QStringLiteral("部件 %1 中的行号 \"%2\" 无效").arg(part_, text(r)));
    if (row < 1 || row > kMaxRows)
        fault(QStringLiteral("部件 %1 中的行号 %2 超出表格的 %3 行")
                  .arg(part_)
                  .arg(row)
                  .arg(kMaxRows));
    lastRow_ = int(row);
    if (isTrue(rowNode.attribute("customHeight")) && rowNode.attribute("ht"))
        host_.setRowHeight(sheet_, lastRow_, lastRow_,
                           std::clamp(rowNode.attribute("ht").as_double(), 0.0, 409.0));
    int column = 0;
    int cells = 0;
    for (pugi::xml_node c = rowNode.first_child(); c; c = c.next_sibling()) {
        if (!isNamed(c, "c")) continue;
        ++cells;
        std::int64_t r = 0, col = column + 1;
        if (const pugi::xml_attribute ref = c.attribute("r")) {
            if (!parseCellName(ref.value(), r, col))
                fault(QStringLiteral("部件 %1 中的单元格地址 \"%2\" 无效").arg(part_, text(ref)));
            if (r > kMaxRows)
                fault(QStringLiteral("部件 %1 中的单元格 %2 超出表格的 %3 行")
                          .arg(part_, text(ref))
                          .arg(kMaxRows));
        }
        if (col > kMaxColumns)
            fault(QStringLiteral("部件 %1 中第 %2 行的单元格超出最后一列 XFD").arg(part_).arg(row));
        column = int(col);
        readCell(c, lastRow_, column);
    }
    spend(cells + 1);
}

// Checked row by row, so a sheet is refused a row past its budget, before its cells cost more.
// A row counts as one more: a sheet repeating one empty row millions of times costs time too,
// and more rows than the grid has mark such a sheet at once.
void SheetReader::spend(int items) {
    if (!budget_) return;
    budget_->items += items;
    const auto refuse = [&](const QString& what) {
        fault(QStringLiteral("工作表“%1”过大：%2").arg(host_.sheetName(sheet_), what));
    };
    if (++rows_ > kMaxRows)
        refuse(QStringLiteral("其中的行多于表格的 %1 行（有行号重复）").arg(kMaxRows));
    if (budget_->maxItems > 0 && budget_->items > budget_->maxItems)
        refuse(QStringLiteral("读取区域时每个文件最多读入 %1 个单元格和行").arg(budget_->maxItems));
    if (budget_->maxBytes > 0 && package_.bytesRead() > budget_->maxBytes)
        refuse(QStringLiteral("读取区域时每个文件最多解压 %1 的内容")
                   .arg(byteCountText(budget_->maxBytes)));
}

void SheetReader::readCell(const pugi::xml_node& c, int row, int column) {
    const std::string_view type = c.attribute("t").value();
    const pugi::xml_node v = childNamed(c, "v");
    const std::string_view raw = v.text().get();
    // <v></v> and <v/> hold no value, as a missing <v> holds none; only a formula's text
    // result may be an empty text.
    const bool hasValue = !trimmed(raw).empty();
    const std::size_t style = c.attribute("s").as_uint(0);
    CellValue value;
    QList<CharacterRun> runs;
    if (type == "s") {
        std::int64_t index = -1;
        if (hasValue && (!parseIndex(raw, index) || index < 0 || index >= strings_.size()))
            fault(QStringLiteral("部件 %1 中单元格 %2 的共享字符串编号无效")
                      .arg(part_, cellName(row, column)));
        if (hasValue) {
            value = CellValue::fromText(strings_.at(index));
            runs = strings_.runs(index);
        }
    } else if (type == "inlineStr") {
        QString s;
        readStringItem(childNamed(c, "is"), prefer_, s, runs);
        value = CellValue::fromText(s);
    } else if (type == "str") {
        QString s = nodeText(v);
        if (v || !s.isEmpty()) value = CellValue::fromText(s);
    } else if (type == "d") {
        // Dates written as ISO text become the date serials the host keeps; a text that is no
        // date stays a text.
        if (const auto serial = serialFromIsoDate(raw))
            value = CellValue::fromNumber(*serial);
        else if (hasValue)
            value = CellValue::fromText(nodeText(v));
    } else if (type == "b") {
        if (hasValue) value = CellValue::fromBool(trimmed(raw) == "1" || trimmed(raw) == "true");
    } else if (type == "e") {
        if (hasValue)
            value = CellValue::fromError(QString::fromUtf8(raw.data(), qsizetype(raw.size())));
    } else if (hasValue) {
        double number = 0;
        if (!parseNumber(raw, number))
            fault(QStringLiteral("部件 %1 中单元格 %2 的数值 \"%3\" 无效")
                      .arg(part_, cellName(row, column),
                           QString::fromUtf8(raw.data(), qsizetype(raw.size()))));
        value = CellValue::fromNumber(number);
    }

    // The host counts dates from 1900; a 1904 workbook's dates are 1462 days behind.
    constexpr double k1904Offset = 1462;
    if (date1904_ && value.isNumber() && type != "d" && styles_.style(style).date)
        value.number += k1904Offset;
    const QString formula = formulaOf(childNamed(c, "f"), row, column);
    // Files have no cached error type for formulas that some writers use; an error's text
    // stands for the error.
    if (!formula.isEmpty() && value.kind == CellValue::Kind::Text && isErrorText(value.text))
        value = CellValue::fromError(value.text);
    if (!formula.isEmpty()) {
        // A formula that is only an error constant stands for a bare error value.
        if (value.kind == CellValue::Kind::Error && formula == value.text)
            host_.setLiteral(sheet_, row, column, value);
        else
            host_.setFormulaA1(sheet_, row, column, u'=' + formula, value);
    } else if (!value.isEmpty()) {
        host_.setLiteral(sheet_, row, column, value);
    }
    if (!runs.isEmpty()) {
        const CellStyle& s = styles_.style(style);
        // Some writers spell out every run's colour; a run in the colour the cell shows anyway
        // (black for automatic text) is no run.
        const int cellColor = s.fontColor ? s.fontColor->paletteIndex : 1;
        for (const CharacterRun& r : runs)
            if (r.colorIndex != cellColor)
                host_.setCharactersColorIndex(sheet_, row, column, r.start, r.length, r.colorIndex);
    }
    styleCell(row, column, style);
    // A date cell in a style that shows numbers as General shows its day and time instead.
    if (type == "d" && value.isNumber() && styles_.style(style).numberFormat.isEmpty())
        host_.setNumberFormat(sheet_, {row, column, row, column},
                              numfmt::defaultDateFormat(value.number));
}

// A shared formula is written out once, in its first cell; the other cells name it by number
// and hold it moved by their distance from that cell.
QString SheetReader::formulaOf(const pugi::xml_node& f, int row, int column) {
    const QString text = f ? QString::fromUtf8(f.text().get()) : QString();
    if (std::string_view(f.attribute("t").value()) != "shared") return text;
    const int index = f.attribute("si").as_int(-1);
    if (!text.isEmpty()) {
        sharedFormulas_[index] = {text, row, column};
        return text;
    }
    const auto master = sharedFormulas_.find(index);
    if (master == sharedFormulas_.end()) return {};
    return moveFormula(master->second.text, row - master->second.row,
                       column - master->second.column);
}

void SheetReader::styleCell(int row, int column, std::size_t style) {
    if (run_.row == row && run_.style == style && run_.last + 1 == column) {
        run_.last = column;
        return;
    }
    flushStyleRun();
    run_ = {row, column, column, style};
}

void SheetReader::flushStyleRun() {
    if (run_.row > 0)
        Styles::apply(host_, sheet_, {run_.row, run_.first, run_.row, run_.last},
                      styles_.style(run_.style));
    run_ = {};
}

void SheetReader::readMerges(const pugi::xml_node& root) {
    for (pugi::xml_node m = childNamed(root, "mergeCells").first_child(); m; m = m.next_sibling()) {
        if (!isNamed(m, "mergeCell")) continue;
        const CellRect block = parseBlock(m.attribute("ref").value(), part_);
        if (block.rowCount() > 1 || block.columnCount() > 1) host_.merge(sheet_, block);
    }
}

// The selection of the pane the user works in (the last one when none is named); one that does
// not read as a list of ranges leaves the sheet's default.
void SheetReader::readSelection(const pugi::xml_node& sheetView, const pugi::xml_node& pane) {
    const std::string_view activePane = pane.attribute("activePane").value();
    pugi::xml_node chosen;
    for (pugi::xml_node s = sheetView.first_child(); s; s = s.next_sibling()) {
        if (!isNamed(s, "selection")) continue;
        if (!chosen || activePane.empty() || s.attribute("pane").value() == activePane) chosen = s;
    }
    QString ranges = QString::fromUtf8(chosen.attribute("sqref").value()).simplified();
    if (ranges.isEmpty()) ranges = QString::fromUtf8(chosen.attribute("activeCell").value());
    if (ranges.isEmpty()) return;
    try {
        host_.selectRanges(sheet_, parseA1List(ranges.replace(u' ', u',')));
    } catch (const HostError&) {
        // Not a range list this host knows: the sheet keeps A1 selected.
    }
}

void SheetReader::readView(const pugi::xml_node& root) {
    SheetView view = host_.sheetView(sheet_);
    const pugi::xml_node sheetPr = childNamed(root, "sheetPr");
    if (auto tab = readColor(childNamed(sheetPr, "tabColor"), prefer_)) view.tabColor = tab->color;
    const bool fitToPage = isTrue(childNamed(sheetPr, "pageSetUpPr").attribute("fitToPage"));
    const pugi::xml_node sheetView = childNamed(childNamed(root, "sheetViews"), "sheetView");
    if (const pugi::xml_attribute grid = sheetView.attribute("showGridLines"))
        view.showGridlines = isTrue(grid);
    const pugi::xml_node pane = childNamed(sheetView, "pane");
    if (std::string_view(pane.attribute("state").value()).starts_with("frozen")) {
        view.frozenRows = std::clamp(int(pane.attribute("ySplit").as_double()), 0, kMaxRows);
        view.frozenColumns = std::clamp(int(pane.attribute("xSplit").as_double()), 0, kMaxColumns);
    }
    readSelection(sheetView, pane);
    const pugi::xml_node pageSetup = childNamed(root, "pageSetup");
    if (std::string_view(pageSetup.attribute("orientation").value()) == "landscape")
        view.orientation = xl::kLandscape;
    if (fitToPage) view.fitToPagesWide = std::max(0, pageSetup.attribute("fitToWidth").as_int(1));
    if (isTrue(childNamed(root, "printOptions").attribute("horizontalCentered")))
        view.centerHorizontally = true;
    const pugi::xml_node footer = childNamed(childNamed(root, "headerFooter"), "oddFooter");
    if (footer) view.rightFooter = rightSection(QString::fromUtf8(footer.text().get()));
    host_.setSheetView(sheet_, view);
}

}  // namespace

SharedStrings::SharedStrings(const Package& package, const QString& part,
                             const PalettePreference& prefer) {
    PartStream in(package, part);
    const Outline outline =
        streamItems(in, "sst", "si", part, [&](const pugi::xml_document& items) {
            for (pugi::xml_node si = items.first_child(); si; si = si.next_sibling()) {
                if (!isNamed(si, "si")) continue;
                QString text;
                QList<CharacterRun> runs;
                readStringItem(si, prefer, text, runs);
                if (!runs.isEmpty()) runs_.emplace(qsizetype(ends_.size()), runs);
                chars_ += text;
                ends_.push_back(quint32(chars_.size()));
            }
        });
    if (!outline.containerFound) fault(QStringLiteral("部件 %1 不是共享字符串表").arg(part));
}

QString byteCountText(std::int64_t bytes) {
    if (bytes % (std::int64_t(1) << 20) == 0) return QStringLiteral("%1 MiB").arg(bytes >> 20);
    return QStringLiteral("%1 字节").arg(bytes);
}

void readSheet(HostBackend& host, SheetId sheet, const Package& package, const QString& part,
               const BookParts& book) {
    PartStream in(package, part);
    SheetReader(host, sheet, package, part, book).read(in);
}

QString rightSection(const QString& headerFooter) {
    QString right;
    bool inRight = false;
    for (qsizetype i = 0; i < headerFooter.size(); ++i) {
        const QChar c = headerFooter[i];
        if (c == u'&' && i + 1 < headerFooter.size()) {
            const QChar code = headerFooter[i + 1];
            if (code == u'L' || code == u'C' || code == u'R') {
                inRight = code == u'R';
                ++i;
                continue;
            }
            if (code == u'&') {
                if (inRight) right += u'&';
                ++i;
                continue;
            }
        }
        if (inRight) right += c;
    }
    return right;
}

}  // namespace tallimo::host::xlsx

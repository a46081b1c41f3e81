#include "XlsxRowFeed.h"

#include "XlsxCommon.h"

#include <algorithm>
#include <system_error>

namespace tallimo::host::xlsx {

namespace {

// A batch ends at whichever comes first; a few batches in flight keep memory small on any sheet.
constexpr std::size_t kBatchRows = 1024;
constexpr std::size_t kBatchTextBytes = 4 << 20;
constexpr std::size_t kBatchItems = 64 * 1024;
constexpr std::size_t kBatchesInFlight = 4;

// Files hold at most this many characters in a cell.
constexpr int kMaxCellText = 32767;

bool full(const RowBatch& batch) {
    return batch.rows.size() >= kBatchRows || batch.texts.size() >= kBatchTextBytes ||
           batch.items.size() >= kBatchItems;
}

}  // namespace

std::size_t appendUtf8(std::string& out, QStringView text) {
    const std::size_t start = out.size();
    out.reserve(start + std::size_t(text.size()) * 3 + 1);
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (c < 0x80) {
            out.push_back(char(c));
            continue;
        }
        if (c < 0x800) {
            out.push_back(char(0xC0 | (c >> 6)));
            out.push_back(char(0x80 | (c & 0x3F)));
            continue;
        }
        if (QChar::isSurrogate(c)) {
            if (!QChar::isHighSurrogate(c) || i + 1 == text.size() ||
                !text[i + 1].isLowSurrogate()) {
                out.push_back('?');
                continue;
            }
            c = QChar::surrogateToUcs4(char16_t(c), text[++i].unicode());
            out.push_back(char(0xF0 | (c >> 18)));
            out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
        } else {
            out.push_back(char(0xE0 | (c >> 12)));
        }
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    }
    out.push_back('\0');
    return start;
}

void RowBatch::clear() {
    formats.clear();
    rows.clear();
    items.clear();
    pieces.clear();
    texts.clear();
}

RowFeed::RowFeed(const HostBackend& host, const RowSpan& span,
                 std::unordered_set<std::uint32_t>& formatsSent)
    : host_(host), span_(span), formatsSent_(formatsSent) {
    try {
        reader_ = std::thread([this] { read(); });
    } catch (const std::system_error& e) {
        throw HostError(
            QStringLiteral("无法启动写入线程：%1").arg(QString::fromLocal8Bit(e.what())));
    }
}

RowFeed::~RowFeed() {
    {
        const std::lock_guard lock(mutex_);
        stopRequested_ = true;
    }
    changed_.notify_all();
    reader_.join();
}

std::unique_ptr<RowBatch> RowFeed::next() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !ready_.empty() || finished_; });
    if (!ready_.empty()) {
        std::unique_ptr<RowBatch> batch = std::move(ready_.front());
        ready_.pop_front();
        lock.unlock();
        changed_.notify_all();
        return batch;
    }
    if (failure_) std::rethrow_exception(failure_);
    return nullptr;
}

void RowFeed::recycle(std::unique_ptr<RowBatch> batch) {
    batch->clear();
    const std::lock_guard lock(mutex_);
    spare_.push_back(std::move(batch));
}

std::unique_ptr<RowBatch> RowFeed::emptyBatch() {
    {
        const std::lock_guard lock(mutex_);
        if (!spare_.empty()) {
            std::unique_ptr<RowBatch> batch = std::move(spare_.back());
            spare_.pop_back();
            return batch;
        }
    }
    return std::make_unique<RowBatch>();
}

void RowFeed::deliver(std::unique_ptr<RowBatch> batch) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return ready_.size() < kBatchesInFlight || stopRequested_; });
    if (stopRequested_) throw Stopped{};
    ready_.push_back(std::move(batch));
    lock.unlock();
    changed_.notify_all();
}

void RowFeed::read() {
    std::unique_ptr<RowBatch> batch;
    std::exception_ptr failure;
    try {
        batch = emptyBatch();
        for (int row = span_.firstRow; row <= span_.lastRow; ++row) {
            readRow(*batch, row);
            if (full(*batch)) {
                deliver(std::move(batch));
                batch = emptyBatch();
            }
        }
    } catch (const Stopped&) {
        return;
    } catch (...) {
        failure = std::current_exception();
    }
    // What was read before a failure is still written, so the first fault in row order is the
    // one reported, as when the rows were written one by one.
    try {
        if (batch && !batch->rows.empty()) deliver(std::move(batch));
    } catch (const Stopped&) {
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        finished_ = true;
        failure_ = failure;
    }
    changed_.notify_all();
}

void RowFeed::readRow(RowBatch& batch, int row) {
    const double height = host_.rowHeight(span_.sheet, row);
    const bool inUsed = row >= span_.used.top && row <= span_.used.bottom;
    if (height == span_.defaultHeight && !inUsed) return;
    batch.rows.push_back(
        {row, height != span_.defaultHeight, height, batch.items.size(), batch.items.size()});
    if (!inUsed) return;
    // A fault inside the row keeps the items before it, which are written before the fault is
    // reported.
    struct CloseRow {
        RowBatch& batch;
        ~CloseRow() { batch.rows.back().itemsEnd = batch.items.size(); }
    } closeRow{batch};
    for (const StoredCell& cell : host_.rowCells(span_.sheet, row)) {
        addCell(batch, row, cell);
        if (!span_.probeEveryCell) addComment(batch, row, cell.column);
    }
    if (span_.probeEveryCell)
        for (int column = span_.used.left; column <= span_.used.right; ++column)
            addComment(batch, row, column);
}

void RowFeed::addCell(RowBatch& batch, int row, const StoredCell& cell) {
    if (cell.formatId != 0 && formatsSent_.insert(cell.formatId).second)
        batch.formats.emplace_back(cell.formatId, host_.formatById(cell.formatId));
    RowItem item;
    item.column = cell.column;
    item.formatId = cell.formatId;
    const CellValue& v = cell.value;
    const bool textValue = v.kind == CellValue::Kind::Text || v.kind == CellValue::Kind::Error;
    if (!cell.formulaA1.isEmpty()) {
        const QStringView formula = cell.formulaA1;
        item.formula = appendUtf8(batch.texts, formula.startsWith(u'=') ? formula.mid(1) : formula);
        item.kind = textValue ? RowItem::Kind::FormulaText : RowItem::Kind::FormulaNumber;
        if (textValue)
            item.text = appendUtf8(batch.texts, v.text);
        else
            item.number = v.number;
        batch.items.push_back(item);
        return;
    }
    switch (v.kind) {
        case CellValue::Kind::Empty:
            item.kind = cell.formatId != 0 ? RowItem::Kind::Blank : RowItem::Kind::Nothing;
            break;
        case CellValue::Kind::Number:
            item.kind = RowItem::Kind::Number;
            item.number = v.number;
            break;
        case CellValue::Kind::Boolean:
            item.kind = RowItem::Kind::Boolean;
            item.number = v.number;
            break;
        case CellValue::Kind::Error:
            // Files keep a bare error only as a cached value; a formula that is the error
            // itself reads back as that error.
            item.kind = RowItem::Kind::FormulaText;
            item.formula = item.text = appendUtf8(batch.texts, v.text);
            break;
        case CellValue::Kind::Text: {
            if (v.text.size() > kMaxCellText)
                throw HostError(QStringLiteral("单元格 %1 的文字超过 %2 个字符")
                                    .arg(cellName(row, cell.column))
                                    .arg(kMaxCellText));
            if (v.text.isEmpty()) {
                item.kind = cell.formatId != 0 ? RowItem::Kind::Blank : RowItem::Kind::Nothing;
                break;
            }
            const QList<CharacterRun> runs = host_.characterRuns(span_.sheet, row, cell.column);
            if (runs.isEmpty()) {
                item.kind = RowItem::Kind::Text;
                item.text = appendUtf8(batch.texts, v.text);
                break;
            }
            const QString& text = v.text;
            // Later runs paint over earlier ones, as setting Characters twice does.
            std::vector<int> colorOf(text.size(), 0);
            for (const CharacterRun& run : runs) {
                const qsizetype begin = std::max<qsizetype>(run.start - 1, 0);
                const qsizetype end = std::min<qsizetype>(begin + run.length, text.size());
                std::fill(colorOf.begin() + std::min(begin, end), colorOf.begin() + end,
                          run.colorIndex);
            }
            item.kind = RowItem::Kind::RichText;
            item.piecesBegin = batch.pieces.size();
            for (qsizetype begin = 0; begin < text.size();) {
                qsizetype end = begin + 1;
                while (end < text.size() && colorOf[end] == colorOf[begin])
                    ++end;
                // Never split a surrogate pair between two pieces.
                if (end < text.size() && text[end].isLowSurrogate()) ++end;
                batch.pieces.push_back(
                    {appendUtf8(batch.texts, QStringView(text).mid(begin, end - begin)),
                     colorOf[begin]});
                begin = end;
            }
            item.piecesEnd = batch.pieces.size();
            break;
        }
    }
    batch.items.push_back(item);
}

void RowFeed::addComment(RowBatch& batch, int row, int column) {
    const QString text = host_.commentText(span_.sheet, row, column);
    if (text.isEmpty()) return;
    RowItem item;
    item.kind = RowItem::Kind::Comment;
    item.column = column;
    item.visible = host_.commentVisible(span_.sheet, row, column);
    item.text = appendUtf8(batch.texts, text);
    batch.items.push_back(item);
}

}  // namespace tallimo::host::xlsx

#include "XlsBook.h"

#include "FormatCode.h"
#include "NumberFormat.h"

#include <QHash>
#include <QtEndian>
#include <algorithm>

namespace tallimo::area {

namespace {

namespace record {
constexpr std::uint16_t kFormula = 0x0006;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kDateMode = 0x0022;
constexpr std::uint16_t kFilePass = 0x002F;
constexpr std::uint16_t kContinue = 0x003C;
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr std::uint16_t kMulRk = 0x00BD;
constexpr std::uint16_t kRString = 0x00D6;
constexpr std::uint16_t kXf = 0x00E0;
constexpr std::uint16_t kMergedCells = 0x00E5;
constexpr std::uint16_t kSst = 0x00FC;
constexpr std::uint16_t kLabelSst = 0x00FD;
constexpr std::uint16_t kNumber = 0x0203;
constexpr std::uint16_t kLabel = 0x0204;
constexpr std::uint16_t kBoolErr = 0x0205;
constexpr std::uint16_t kString = 0x0207;
constexpr std::uint16_t kRk = 0x027E;
constexpr std::uint16_t kFormat = 0x041E;
constexpr std::uint16_t kBof = 0x0809;
}  // namespace record

constexpr std::uint16_t kBiff8 = 0x0600;
constexpr std::uint16_t kBiff5 = 0x0500;
// The host counts dates from 1900; a 1904 workbook's dates are 1462 days behind.
constexpr double k1904Offset = 1462;

FormatError truncated() {
    return FormatError(QStringLiteral("Excel 97-2003 工作簿已损坏（记录不完整）"));
}

struct Record {
    std::uint16_t type = 0;
    QByteArrayView data;
};

// The records of the stream from a position on; CONTINUE records can be taken with the record
// they continue.
class Records {
public:
    Records(QByteArrayView stream, qsizetype at) : stream_(stream), at_(at) {}

    bool next(Record& out) {
        if (at_ + 4 > stream_.size()) return false;
        out.type = qFromLittleEndian<std::uint16_t>(stream_.data() + at_);
        const qsizetype length = qFromLittleEndian<std::uint16_t>(stream_.data() + at_ + 2);
        if (at_ + 4 + length > stream_.size()) throw truncated();
        out.data = stream_.sliced(at_ + 4, length);
        at_ += 4 + length;
        return true;
    }

    // The record's data followed by those of the CONTINUE records after it.
    std::vector<QByteArrayView> withContinues(const Record& first) {
        std::vector<QByteArrayView> parts{first.data};
        while (at_ + 4 <= stream_.size() &&
               qFromLittleEndian<std::uint16_t>(stream_.data() + at_) == record::kContinue) {
            Record more;
            next(more);
            parts.push_back(more.data);
        }
        return parts;
    }

private:
    QByteArrayView stream_;
    qsizetype at_;
};

// Reads fields across a record and its continuations. A string's characters that go on in the
// next part are preceded there by a new flags byte, since the part may change their width.
class Fields {
public:
    explicit Fields(std::vector<QByteArrayView> parts) : parts_(std::move(parts)) {}
    explicit Fields(QByteArrayView data) : parts_{data} {}

    bool atEnd() {
        while (part_ < parts_.size() && at_ >= parts_[part_].size()) {
            ++part_;
            at_ = 0;
        }
        return part_ >= parts_.size();
    }

    std::uint8_t u8() {
        while (part_ < parts_.size() && at_ >= parts_[part_].size()) {
            ++part_;
            at_ = 0;
        }
        if (part_ >= parts_.size()) throw truncated();
        return std::uint8_t(parts_[part_][at_++]);
    }
    std::uint16_t u16() {
        const std::uint16_t low = u8();
        return std::uint16_t(low | (u8() << 8));
    }
    std::uint32_t u32() {
        const std::uint32_t low = u16();
        return low | (std::uint32_t(u16()) << 16);
    }
    void skip(std::int64_t bytes) {
        while (bytes > 0) {
            if (part_ >= parts_.size()) throw truncated();
            const qsizetype step = std::min<std::int64_t>(bytes, parts_[part_].size() - at_);
            at_ += step;
            bytes -= step;
            if (at_ >= parts_[part_].size()) {
                ++part_;
                at_ = 0;
            }
        }
    }

    QString characters(int count, bool wide) {
        QString out;
        out.reserve(count);
        while (count > 0) {
            if (part_ < parts_.size() && at_ >= parts_[part_].size()) {
                ++part_;
                at_ = 0;
                if (part_ >= parts_.size()) throw truncated();
                wide = (std::uint8_t(parts_[part_][at_++]) & 0x01) != 0;
            }
            if (part_ >= parts_.size()) throw truncated();
            const QByteArrayView part = parts_[part_];
            const qsizetype available = (part.size() - at_) / (wide ? 2 : 1);
            if (available == 0) throw truncated();
            const qsizetype take = std::min<qsizetype>(count, available);
            for (qsizetype i = 0; i < take; ++i) {
                out.append(wide ? QChar(qFromLittleEndian<std::uint16_t>(part.data() + at_ + 2 * i))
                                : QChar(char16_t(std::uint8_t(part[at_ + i]))));
            }
            at_ += take * (wide ? 2 : 1);
            count -= int(take);
        }
        return out;
    }

    // A string with a 16-bit length, its flags and, in the shared strings, rich-text runs and
    // phonetic data after its characters.
    QString unicodeString(bool sizeIsByte = false) {
        const int count = sizeIsByte ? u8() : u16();
        const std::uint8_t flags = u8();
        const bool rich = (flags & 0x08) != 0;
        const bool phonetic = (flags & 0x04) != 0;
        const int runs = rich ? u16() : 0;
        const std::uint32_t phoneticBytes = phonetic ? u32() : 0;
        QString text = characters(count, (flags & 0x01) != 0);
        skip(std::int64_t(runs) * 4 + phoneticBytes);
        return text;
    }

private:
    std::vector<QByteArrayView> parts_;
    std::size_t part_ = 0;
    qsizetype at_ = 0;
};

double rkNumber(std::uint32_t rk) {
    double value = 0;
    if (rk & 0x02) {
        value = double(std::int32_t(rk) >> 2);
    } else {
        const std::uint64_t bits = std::uint64_t(rk & 0xFFFFFFFC) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 0x01) ? value / 100 : value;
}

QString errorText(std::uint8_t code) {
    switch (code) {
        case 0x00:
            return QStringLiteral("#NULL!");
        case 0x07:
            return QStringLiteral("#DIV/0!");
        case 0x0F:
            return QStringLiteral("#VALUE!");
        case 0x17:
            return QStringLiteral("#REF!");
        case 0x1D:
            return QStringLiteral("#NAME?");
        case 0x24:
            return QStringLiteral("#NUM!");
        default:
            return QStringLiteral("#N/A");
    }
}

}  // namespace

XlsBook::XlsBook(QByteArray workbookStream) : stream_(std::move(workbookStream)) {
    Records records(stream_, 0);
    Record r;
    if (!records.next(r) || r.type != record::kBof || r.data.size() < 4)
        throw FormatError(QStringLiteral("不是 Excel 97-2003 工作簿（缺少文件开始记录）"));
    const std::uint16_t version = qFromLittleEndian<std::uint16_t>(r.data.data());
    if (version != kBiff8) {
        throw FormatError(
            version == kBiff5
                ? QStringLiteral(
                      "这是 Excel 5.0/95 工作簿，不能读取，请在电子表格中另存为 .xlsx 后再试")
                : QStringLiteral(
                      "这是早期版本的 Excel 工作簿，不能读取，请在电子表格中另存为 .xlsx 后再试"));
    }
    while (records.next(r) && r.type != record::kEof) {
        switch (r.type) {
            case record::kFilePass:
                throw FormatError(passwordProtectedMessage());
            case record::kDateMode:
                date1904_ = r.data.size() >= 2 && r.data[0] == 1;
                break;
            case record::kBoundSheet: {
                Fields f(r.data);
                Sheet sheet;
                sheet.offset = f.u32();
                const std::uint8_t state = f.u8();
                const std::uint8_t kind = f.u8();
                sheet.hidden = (state & 0x03) != 0;
                sheet.name = f.unicodeString(true);
                if (kind == 0) sheets_.push_back(std::move(sheet));
                break;
            }
            case record::kFormat: {
                Fields f(r.data);
                const std::uint16_t id = f.u16();
                formats_.emplace_back(id, f.unicodeString());
                break;
            }
            case record::kXf:
                if (r.data.size() < 4) throw truncated();
                xfFormat_.push_back(qFromLittleEndian<std::uint16_t>(r.data.data() + 2));
                break;
            case record::kSst: {
                Fields f(records.withContinues(r));
                f.u32();
                const std::uint32_t unique = f.u32();
                // Each string takes at least three bytes, so a forged count costs nothing.
                strings_.reserve(std::min<std::size_t>(unique, std::size_t(stream_.size() / 3)));
                // Some writers count more strings than they write; the table ends with its data.
                for (std::uint32_t i = 0; i < unique && !f.atEnd(); ++i)
                    strings_.push_back(f.unicodeString());
                break;
            }
            default:
                break;
        }
    }
}

SheetSource XlsBook::source(const Sheet& sheet) const {
    const std::uint32_t offset = sheet.offset;
    return {sheet.name, [this, offset](SheetVisitor& visitor) { visitSheet(offset, visitor); }};
}

void XlsBook::visitSheet(std::uint32_t offset, SheetVisitor& visitor) const {
    if (offset >= std::uint32_t(stream_.size()))
        throw FormatError(QStringLiteral("Excel 97-2003 工作簿已损坏（工作表位置超出文件）"));
    QHash<std::uint16_t, numfmt::FormatCode> compiled;
    const auto formatOf = [&](std::uint16_t xf) -> const numfmt::FormatCode& {
        const std::uint16_t id = xf < xfFormat_.size() ? xfFormat_[xf] : 0;
        auto found = compiled.constFind(id);
        if (found != compiled.cend()) return *found;
        const auto own = std::find_if(formats_.begin(), formats_.end(),
                                      [id](const auto& format) { return format.first == id; });
        const QString code = own != formats_.end() ? own->second : numfmt::builtinFormatCode(id);
        return *compiled.insert(id, numfmt::FormatCode(code));
    };
    const auto show = [&](int row, int column, std::uint16_t xf, const host::CellValue& value) {
        const numfmt::FormatCode& format = formatOf(xf);
        host::CellValue shown = value;
        if (date1904_ && shown.isNumber() && format.showsCalendarDate())
            shown.number += k1904Offset;
        const QString text = host::displayTextOf(shown, format);
        visitor.cells({row + 1, column + 1, row + 1, column + 1}, text);
    };

    Records records(stream_, offset);
    Record r;
    int depth = 0;
    // A formula whose result is a text gives it in the STRING record that follows.
    struct Pending {
        int row = -1, column = -1;
        std::uint16_t xf = 0;
    } pending;
    while (records.next(r)) {
        if (r.type == record::kBof) {
            ++depth;
            continue;
        }
        if (r.type == record::kEof) {
            if (--depth <= 0) break;
            continue;
        }
        if (depth != 1) continue;
        switch (r.type) {
            case record::kNumber:
            case record::kRk:
            case record::kLabelSst:
            case record::kLabel:
            case record::kRString:
            case record::kBoolErr:
            case record::kFormula:
            case record::kMulRk:
                pending = {};
                break;
            default:
                break;
        }
        switch (r.type) {
            case record::kNumber: {
                if (r.data.size() < 14) throw truncated();
                Fields f(r.data);
                const int row = f.u16(), column = f.u16();
                const std::uint16_t xf = f.u16();
                show(row, column, xf,
                     host::CellValue::fromNumber(qFromLittleEndian<double>(r.data.data() + 6)));
                break;
            }
            case record::kRk: {
                Fields f(r.data);
                const int row = f.u16(), column = f.u16();
                const std::uint16_t xf = f.u16();
                show(row, column, xf, host::CellValue::fromNumber(rkNumber(f.u32())));
                break;
            }
            case record::kMulRk: {
                Fields f(r.data);
                const int row = f.u16(), first = f.u16();
                const qsizetype count = (r.data.size() - 6) / 6;
                for (qsizetype i = 0; i < count; ++i) {
                    const std::uint16_t xf = f.u16();
                    show(row, first + int(i), xf, host::CellValue::fromNumber(rkNumber(f.u32())));
                }
                break;
            }
            case record::kLabelSst: {
                Fields f(r.data);
                const int row = f.u16(), column = f.u16();
                const std::uint16_t xf = f.u16();
                const std::uint32_t index = f.u32();
                if (index < strings_.size())
                    show(row, column, xf, host::CellValue::fromText(strings_[index]));
                break;
            }
            case record::kLabel:
            case record::kRString: {
                Fields f(records.withContinues(r));
                const int row = f.u16(), column = f.u16();
                const std::uint16_t xf = f.u16();
                const int count = f.u16();
                const bool wide = (f.u8() & 0x01) != 0;
                show(row, column, xf, host::CellValue::fromText(f.characters(count, wide)));
                break;
            }
            case record::kBoolErr: {
                if (r.data.size() < 8) throw truncated();
                Fields f(r.data);
                const int row = f.u16(), column = f.u16();
                const std::uint16_t xf = f.u16();
                const std::uint8_t value = f.u8();
                show(row, column, xf,
                     f.u8() ? host::CellValue::fromError(errorText(value))
                            : host::CellValue::fromBool(value != 0));
                break;
            }
            case record::kFormula: {
                if (r.data.size() < 14) throw truncated();
                Fields f(r.data);
                const int row = f.u16(), column = f.u16();
                const std::uint16_t xf = f.u16();
                const char* result = r.data.data() + 6;
                if (qFromLittleEndian<std::uint16_t>(result + 6) != 0xFFFF) {
                    show(row, column, xf,
                         host::CellValue::fromNumber(qFromLittleEndian<double>(result)));
                    break;
                }
                switch (std::uint8_t(result[0])) {
                    case 0:
                        pending = {row, column, xf};
                        break;
                    case 1:
                        show(row, column, xf, host::CellValue::fromBool(result[2] != 0));
                        break;
                    case 2:
                        show(row, column, xf,
                             host::CellValue::fromError(errorText(std::uint8_t(result[2]))));
                        break;
                    default:  // an empty text
                        break;
                }
                break;
            }
            case record::kString: {
                Fields f(records.withContinues(r));
                const QString text = f.unicodeString();
                if (pending.row >= 0)
                    show(pending.row, pending.column, pending.xf, host::CellValue::fromText(text));
                pending = {};
                break;
            }
            case record::kMergedCells: {
                Fields f(r.data);
                const int count = f.u16();
                for (int i = 0; i < count; ++i) {
                    const int top = f.u16(), bottom = f.u16(), left = f.u16(), right = f.u16();
                    if (top <= bottom && left <= right)
                        visitor.merged({top + 1, left + 1, bottom + 1, right + 1});
                }
                break;
            }
            default:
                break;
        }
    }
}

}  // namespace tallimo::area

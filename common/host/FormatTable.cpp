#include "FormatTable.h"

namespace tallimo::host {
namespace {

template <typename T>
void put(QByteArray& key, const T& value) {
    key.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void put(QByteArray& key, const QString& text) {
    put(key, text.isNull() ? quint32(0xffffffff) : quint32(text.size()));
    key.append(reinterpret_cast<const char*>(text.constData()),
               text.size() * qsizetype(sizeof(QChar)));
}

// The format's fields as bytes, one after another: every format is keyed when it is interned,
// so this stays a plain copy.
QByteArray keyOf(const CellFormat& f) {
    QByteArray key;
    key.reserve(96 + (f.fontName.size() + f.numberFormat.size()) * qsizetype(sizeof(QChar)));
    put(key, f.fontName);
    put(key, f.fontSize);
    put(key, f.bold);
    put(key, f.fontColorIndex);
    put(key, f.fontColor);
    put(key, f.fontColorSet);
    put(key, f.fillColorIndex);
    put(key, f.fillColor);
    put(key, f.fillSet);
    put(key, f.horizontalAlignment);
    put(key, f.verticalAlignment);
    put(key, f.wrapText);
    for (int style : f.borderLineStyle)
        put(key, style);
    put(key, f.numberFormat);
    return key;
}

}  // namespace

FormatTable::FormatTable() {
    formats_.emplace_back();
    ids_.insert(keyOf(formats_.front()), 0);
}

std::uint32_t FormatTable::intern(const CellFormat& format) {
    const QByteArray key = keyOf(format);
    const auto found = ids_.constFind(key);
    if (found != ids_.cend()) return *found;
    const auto id = std::uint32_t(formats_.size());
    formats_.push_back(format);
    ids_.insert(key, id);
    return id;
}

const CellFormat& FormatTable::at(std::uint32_t id) const {
    if (id >= formats_.size()) throw HostError(QStringLiteral("未知的单元格格式编号：%1").arg(id));
    return formats_[id];
}

const numfmt::FormatCode& FormatTable::numberFormatCode(std::uint32_t id) const {
    const CellFormat& format = at(id);
    if (compiled_.size() <= id) compiled_.resize(formats_.size());
    if (!compiled_[id]) compiled_[id] = std::make_shared<numfmt::FormatCode>(format.numberFormat);
    return *compiled_[id];
}

std::uint32_t FormatChange::operator()(std::uint32_t oldId) {
    // Neighbouring cells mostly share a format.
    if (oldId == lastOld_) return lastNew_;
    const auto found = done_.constFind(oldId);
    std::uint32_t newId;
    if (found != done_.cend()) {
        newId = *found;
    } else {
        CellFormat format = table_.at(oldId);
        change_(format);
        newId = table_.intern(format);
        done_.insert(oldId, newId);
    }
    lastOld_ = oldId;
    lastNew_ = newId;
    return newId;
}

}  // namespace tallimo::host

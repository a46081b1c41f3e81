#include "CompoundFile.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace tallimo::area {

namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
constexpr char kSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr int kHeaderDifatEntries = 109;
constexpr int kEntryBytes = 128;
constexpr int kMiniSectorBytes = 64;
constexpr std::uint8_t kStreamEntry = 2;
constexpr std::uint8_t kRootEntry = 5;

std::uint32_t u32At(QByteArrayView bytes, qsizetype at) {
    return qFromLittleEndian<std::uint32_t>(bytes.data() + at);
}

std::uint16_t u16At(QByteArrayView bytes, qsizetype at) {
    return qFromLittleEndian<std::uint16_t>(bytes.data() + at);
}

FormatError damaged(const QString& what) {
    return FormatError(QStringLiteral("OLE 复合文档已损坏（%1）").arg(what));
}

}  // namespace

bool CompoundFile::hasSignature(QByteArrayView bytes) {
    return bytes.size() >= 8 && std::memcmp(bytes.data(), kSignature, 8) == 0;
}

CompoundFile::CompoundFile(QByteArrayView bytes, std::int64_t streamCap)
    : bytes_(bytes), streamCap_(streamCap) {
    if (!hasSignature(bytes) || bytes.size() < 512) throw damaged(QStringLiteral("文件头不完整"));
    sectorShift_ = u16At(bytes, 0x1E);
    if ((sectorShift_ != 9 && sectorShift_ != 12) || u16At(bytes, 0x20) != 6)
        throw damaged(QStringLiteral("扇区大小无效"));
    const bool version3 = u16At(bytes, 0x1A) == 3;
    miniCutoff_ = u32At(bytes, 0x38);
    const std::uint32_t sectorBytes = 1u << sectorShift_;
    const std::uint32_t perSector = sectorBytes / 4;
    const std::uint32_t sectors = sectorCount();

    // The FAT's own sectors are listed in the header and then in a chain of DIFAT sectors.
    const std::uint32_t fatSectors = std::min(u32At(bytes, 0x2C), sectors);
    std::vector<std::uint32_t> fatList;
    fatList.reserve(fatSectors);
    for (int i = 0; i < kHeaderDifatEntries && fatList.size() < fatSectors; ++i)
        fatList.push_back(u32At(bytes, 0x4C + 4 * i));
    std::uint32_t difat = u32At(bytes, 0x44);
    for (std::uint32_t hops = 0; fatList.size() < fatSectors && difat < sectors; ++hops) {
        if (hops > sectors) throw damaged(QStringLiteral("DIFAT 链循环"));
        const QByteArrayView s = sector(difat);
        if (s.size() < qsizetype(sectorBytes)) throw damaged(QStringLiteral("DIFAT 扇区不完整"));
        for (std::uint32_t i = 0; i + 1 < perSector && fatList.size() < fatSectors; ++i)
            fatList.push_back(u32At(s, 4 * i));
        difat = u32At(s, sectorBytes - 4);
    }
    fat_.reserve(std::size_t(fatList.size()) * perSector);
    for (const std::uint32_t index : fatList) {
        if (index >= sectors) throw damaged(QStringLiteral("FAT 扇区超出文件"));
        const QByteArrayView s = sector(index);
        for (std::uint32_t i = 0; i < perSector; ++i)
            fat_.push_back(4 * qsizetype(i) + 4 <= s.size() ? u32At(s, 4 * i) : kNoStream);
    }

    // Directory entries, 128 bytes each.
    const QByteArray directory = readChain(u32At(bytes, 0x30), std::uint64_t(bytes.size()));
    const qsizetype entryCount = directory.size() / kEntryBytes;
    entries_.reserve(std::size_t(entryCount));
    for (qsizetype i = 0; i < entryCount; ++i) {
        const QByteArrayView e = QByteArrayView(directory).sliced(i * kEntryBytes, kEntryBytes);
        Entry entry;
        const int nameBytes = std::min<int>(u16At(e, 64), 64);
        const int nameChars = std::max(0, nameBytes / 2 - 1);
        entry.name.resize(nameChars);
        for (int c = 0; c < nameChars; ++c)
            entry.name[c] = QChar(u16At(e, 2 * c));
        entry.type = std::uint8_t(e[66]);
        entry.left = u32At(e, 68);
        entry.right = u32At(e, 72);
        entry.child = u32At(e, 76);
        entry.start = u32At(e, 116);
        entry.size = qFromLittleEndian<std::uint64_t>(e.data() + 120);
        if (version3) entry.size &= 0xFFFFFFFFu;
        entries_.push_back(std::move(entry));
    }
    if (entries_.empty() || entries_.front().type != kRootEntry)
        throw damaged(QStringLiteral("没有根目录"));

    const Entry& root = entries_.front();
    if (root.size > std::uint64_t(bytes.size())) throw damaged(QStringLiteral("迷你流超出文件"));
    miniStream_ = readChain(root.start, root.size);
    const std::uint32_t miniFatStart = u32At(bytes, 0x3C);
    if (miniFatStart < sectors) {
        const QByteArray table = readChain(miniFatStart, std::uint64_t(bytes.size()));
        miniFat_.resize(std::size_t(table.size() / 4));
        for (std::size_t i = 0; i < miniFat_.size(); ++i)
            miniFat_[i] = u32At(table, qsizetype(4 * i));
    }

    // The root's children form a tree through their left and right links; each entry is
    // visited once, so a forged cycle ends.
    std::vector<bool> seen(entries_.size());
    std::vector<std::uint32_t> pending{root.child};
    while (!pending.empty()) {
        const std::uint32_t at = pending.back();
        pending.pop_back();
        if (at >= entries_.size() || seen[at]) continue;
        seen[at] = true;
        rootChildren_.push_back(at);
        pending.push_back(entries_[at].left);
        pending.push_back(entries_[at].right);
    }
}

std::uint32_t CompoundFile::sectorCount() const {
    const qsizetype sectorBytes = qsizetype(1) << sectorShift_;
    if (bytes_.size() <= sectorBytes) return 0;
    return std::uint32_t((bytes_.size() - sectorBytes + sectorBytes - 1) / sectorBytes);
}

QByteArrayView CompoundFile::sector(std::uint32_t index) const {
    const qsizetype sectorBytes = qsizetype(1) << sectorShift_;
    const qsizetype at = (qsizetype(index) + 1) * sectorBytes;
    return bytes_.sliced(at, std::min(sectorBytes, bytes_.size() - at));
}

std::vector<std::uint32_t> CompoundFile::chain(const std::vector<std::uint32_t>& table,
                                               std::uint32_t start, std::uint64_t maxLinks) const {
    std::vector<std::uint32_t> links;
    for (std::uint32_t at = start; at != kEndOfChain; at = table[at]) {
        if (at >= table.size()) throw damaged(QStringLiteral("扇区链指向文件之外"));
        // A chain longer than the table has a cycle.
        if (links.size() >= table.size() || links.size() >= maxLinks) break;
        links.push_back(at);
    }
    return links;
}

QByteArray CompoundFile::readChain(std::uint32_t start, std::uint64_t size) const {
    const std::uint64_t sectorBytes = 1u << sectorShift_;
    QByteArray out;
    if (start == kEndOfChain || size == 0) return out;
    const std::uint32_t sectors = sectorCount();
    for (const std::uint32_t at : chain(fat_, start, (size + sectorBytes - 1) / sectorBytes)) {
        if (at >= sectors) throw damaged(QStringLiteral("扇区超出文件"));
        out.append(sector(at));
    }
    if (std::uint64_t(out.size()) > size) out.truncate(qsizetype(size));
    return out;
}

QByteArray CompoundFile::readMiniChain(std::uint32_t start, std::uint64_t size) const {
    QByteArray out;
    if (start == kEndOfChain || size == 0) return out;
    const auto maxLinks = (size + kMiniSectorBytes - 1) / kMiniSectorBytes;
    for (const std::uint32_t at : chain(miniFat_, start, maxLinks)) {
        const qsizetype offset = qsizetype(at) * kMiniSectorBytes;
        if (offset >= miniStream_.size()) throw damaged(QStringLiteral("迷你扇区超出迷你流"));
        out.append(QByteArrayView(miniStream_)
                       .sliced(offset,
                               std::min<qsizetype>(kMiniSectorBytes, miniStream_.size() - offset)));
    }
    if (std::uint64_t(out.size()) > size) out.truncate(qsizetype(size));
    return out;
}

std::optional<CompoundFile::Entry> CompoundFile::rootEntry(const QString& name) const {
    for (const std::uint32_t at : rootChildren_) {
        const Entry& entry = entries_[at];
        if (entry.type == kStreamEntry && entry.name.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return std::nullopt;
}

QStringList CompoundFile::rootStreams() const {
    QStringList names;
    for (const std::uint32_t at : rootChildren_)
        if (entries_[at].type == kStreamEntry) names.append(entries_[at].name);
    return names;
}

bool CompoundFile::hasRootStream(const QString& name) const {
    return rootEntry(name).has_value();
}

QByteArray CompoundFile::readRootStream(const QString& name) const {
    const std::optional<Entry> entry = rootEntry(name);
    if (!entry) throw FormatError(QStringLiteral("OLE 复合文档中没有流“%1”").arg(name));
    if (entry->size > std::uint64_t(streamCap_)) {
        throw FormatError(
            QStringLiteral("流“%1”过大：超过 %2 MiB").arg(name).arg(streamCap_ >> 20));
    }
    if (entry->size > std::uint64_t(bytes_.size()))
        throw damaged(QStringLiteral("流“%1”超出文件").arg(name));
    QByteArray data = entry->size < miniCutoff_ ? readMiniChain(entry->start, entry->size)
                                                : readChain(entry->start, entry->size);
    if (std::uint64_t(data.size()) < entry->size)
        throw damaged(QStringLiteral("流“%1”不完整").arg(name));
    return data;
}

}  // namespace tallimo::area

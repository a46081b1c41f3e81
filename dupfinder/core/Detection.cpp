#include "Detection.h"

#include <QHashFunctions>
#include <QStringList>
#include <bit>

namespace tallimo::dupfinder {

namespace {

// Open addressing over key indexes: one probe sequence per row, no node per key.
class KeyTable {
public:
    explicit KeyTable(int expectedKeys)
        : slots_(std::bit_ceil(std::size_t(expectedKeys) * 2 + 16), -1), mask_(slots_.size() - 1) {}

    // The slot of `key`: holding its index, or -1 where it would go.
    template <typename KeyAt>
    int& slot(QStringView key, const KeyAt& keyAt) {
        std::size_t at = qHash(key) & mask_;
        while (slots_[at] >= 0 && keyAt(slots_[at]) != key)
            at = (at + 1) & mask_;
        return slots_[at];
    }

private:
    std::vector<int> slots_;
    std::size_t mask_;
};

void buildKey(QStringView line, bool wholeLine, const std::vector<int>& ticked, QString& key) {
    key.clear();
    if (wholeLine) {
        key.append(line);
        return;
    }
    std::size_t next = 0;
    qsizetype start = 0;
    for (int position = 0; next < ticked.size(); ++position) {
        const qsizetype tab = start < 0 ? -1 : line.indexOf(u'\t', start);
        // A line with fewer cells than the ticked position has an empty cell there.
        const QStringView cell =
            start < 0 ? QStringView() : line.mid(start, (tab < 0 ? line.size() : tab) - start);
        if (ticked[next] == position) {
            if (!key.isEmpty()) key.append(u',');
            key.append(cell);
            ++next;
        }
        start = tab < 0 ? -1 : tab + 1;
    }
}

}  // namespace

Detection detectDuplicates(const AreaBlock& block, const AreaAddress& address,
                           const DetectionOptions& options, const StatusReporter& status) {
    if (status) status(QStringLiteral("正准备查重..."));
    Detection d;
    d.address = address;
    const int rows = block.dataRowCount();
    d.nextIndex_.assign(std::size_t(rows), -1);
    KeyTable table(rows);
    const auto keyAt = [&d](int i) { return d.key(i); };
    const bool wholeLine = address.firstColumn == address.lastColumn;
    QString key;
    for (int k = 0; k < rows; ++k) {
        buildKey(block.line(k), wholeLine, options.tickedPositions, key);
        if (options.ignoreBlanks) key.remove(u' ');
        if (key.isEmpty()) continue;
        ++d.nonEmptyRowCount;
        int& slot = table.slot(key, keyAt);
        if (slot < 0) {
            slot = int(d.keys_.size());
            d.keys_.push_back({d.keyChars_.size(), key.size(), 1, k, k, 0, -1});
            d.keyChars_.append(key);
        } else {
            DistinctKey& entry = d.keys_[slot];
            ++entry.count;
            d.nextIndex_[entry.lastIndex] = k;
            entry.lastIndex = k;
            d.repeatRows_.push_back(address.firstRow + k);
        }
    }
    const std::size_t boxes = options.colorBoxes.size();
    for (DistinctKey& entry : d.keys_) {
        if (entry.count < 2) continue;
        entry.group = ++d.duplicateGroupCount;
        if (boxes > 0) entry.colorBox = options.colorBoxes[std::size_t(entry.group - 1) % boxes];
    }
    return d;
}

std::vector<int> Detection::rows(int i) const {
    std::vector<int> result;
    result.reserve(std::size_t(keys_[i].count));
    for (int k = keys_[i].firstIndex; k >= 0; k = nextIndex_[k])
        result.push_back(address.firstRow + k);
    return result;
}

QString Detection::rowList(int i) const {
    QString text;
    for (int row : rows(i)) {
        if (!text.isEmpty()) text += u'_';
        text += QString::number(row);
    }
    return text;
}

QString Detection::repeatRangesText() const {
    QStringList ranges;
    for (int row : repeatRows_)
        ranges << address.firstColumn + QString::number(row) + u':' + address.lastColumn +
                      QString::number(row);
    return ranges.join(u',');
}

QString plainAddress(const QString& address) {
    return QString(address).remove(u'$');
}

QString noDuplicatesNotice(const QString& loadedAddress) {
    return QStringLiteral("您选择的区域【") + plainAddress(loadedAddress) +
           QStringLiteral("】中无符合条件的重复数据！");
}

QString conclusionText(const Detection& d) {
    return QStringLiteral("报告结论：共【%1】组数据，其中【%2】组重复、【%3】组唯一。")
        .arg(d.distinctCount())
        .arg(d.duplicateGroupCount)
        .arg(d.uniqueCount());
}

}  // namespace tallimo::dupfinder

#include "Reconcile.h"
#include "Text.h"

namespace tallimo::core {

QString GroupIndex::rowListText(int group, qsizetype maxLength) const {
    static const QString cut = QStringLiteral("_…");
    QString text;
    for (qint32 row : rows(group)) {
        if (!text.isEmpty()) text += u'_';
        text += QString::number(row);
        if (maxLength >= 0 && text.size() > maxLength) {
            text.truncate(maxLength - cut.size());
            text.truncate(std::max<qsizetype>(0, text.lastIndexOf(u'_')));
            return text + cut;
        }
    }
    return text;
}

QString GroupIndex::countedText(int group) const {
    return key(group).toString() + u'|' + QString::number(count(group));
}

GroupIndex buildGroupIndex(const TextGrid& keyList, qint32 firstRow, const PumpMessages& pump) {
    if (firstRow <= 0) firstRow = 1;
    GroupIndex index;
    const int entries = keyList.rowCount();
    // Each entry's group first, then the row lists laid out group by group; rows stay
    // ascending because entries are visited in sheet order.
    std::vector<int> groupOf(std::size_t(entries), -1);
    std::vector<qint32> counts;
    index.lookup_.reserve(entries);
    for (int i = 0; i < entries; ++i) {
        if (pump) pump();
        const QStringView key = trimSpaces(keyList.cell(i, 0));
        if (key.isEmpty()) continue;
        auto it = index.lookup_.constFind(key);
        int group;
        if (it == index.lookup_.constEnd()) {
            group = int(index.keys_.size());
            index.lookup_.insert(key, group);
            index.keys_.push_back(key);
            counts.push_back(0);
        } else {
            group = *it;
        }
        groupOf[std::size_t(i)] = group;
        ++counts[std::size_t(group)];
    }
    index.offsets_.resize(counts.size() + 1);
    for (std::size_t g = 0; g < counts.size(); ++g)
        index.offsets_[g + 1] = index.offsets_[g] + counts[g];
    index.rows_.resize(std::size_t(index.offsets_.back()));
    std::vector<qint32> next(index.offsets_.begin(), index.offsets_.end() - 1);
    for (int i = 0; i < entries; ++i) {
        const int group = groupOf[std::size_t(i)];
        if (group >= 0) index.rows_[std::size_t(next[std::size_t(group)]++)] = firstRow + i;
    }
    return index;
}

}  // namespace tallimo::core

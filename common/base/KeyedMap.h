#pragma once

#include <QHash>
#include <QString>
#include <utility>
#include <vector>

namespace tallimo {

// A map from texts to values that lists its keys in order of first insertion and compares keys
// exactly (case-sensitive).
template <typename Value>
class KeyedMap {
public:
    bool contains(const QString& key) const { return index_.contains(key); }
    qsizetype count() const { return qsizetype(entries_.size()); }

    // The item of a key; a missing key is added with a default value, as the dictionary does.
    Value& operator[](const QString& key) {
        auto it = index_.constFind(key);
        if (it != index_.constEnd()) return entries_[*it].second;
        index_.insert(key, entries_.size());
        entries_.emplace_back(key, Value{});
        return entries_.back().second;
    }
    const Value* find(const QString& key) const {
        auto it = index_.constFind(key);
        return it == index_.constEnd() ? nullptr : &entries_[*it].second;
    }
    // Keys and items in insertion order.
    const std::vector<std::pair<QString, Value>>& items() const { return entries_; }
    void reserve(qsizetype n) {
        index_.reserve(n);
        entries_.reserve(std::size_t(n));
    }
    void clear() {
        index_.clear();
        entries_.clear();
    }

private:
    QHash<QString, std::size_t> index_;
    std::vector<std::pair<QString, Value>> entries_;
};

}  // namespace tallimo

#pragma once

#include "NearMiss.h"

#include <QElapsedTimer>

#include <algorithm>
#include <vector>

// The building blocks of the suggestion engine, shared by its parts and its tests.
namespace tallimo::core::nearmiss::detail {

struct Pair {
    Rule rule;
    Confidence confidence;
    int left;  // indices into the candidate lists
    int right;
    int gap;
};

std::vector<Pair> findPairs(const QList<Candidate>& left, const QList<Candidate>& right,
                            const Options& options);

// One row of one side equal to the sum of several rows of the other side.
struct Combination {
    bool targetOnLeft;
    int target;
    std::vector<std::vector<int>> alternatives;  // indices on the other side; two or more: 待定
    int gap;
};

struct SplitSearch {
    std::vector<Combination> found;
    qint64 unfinishedTargets = 0;
};

SplitSearch findSplits(const QList<Candidate>& left, const QList<Candidate>& right,
                       const Options& options, const QElapsedTimer& clock);

// Ten trillion yuan: beyond it an amount is a typing accident, and sums of such could overflow.
constexpr qint64 kLargestCents = 1'000'000'000'000'000;

// A row takes part in the rules only with a date and a sane amount.
inline bool usable(const Candidate& row) {
    return row.day && row.cents > -kLargestCents && row.cents < kLargestCents;
}

struct Dated {
    int day;
    int index;
};

inline std::vector<Dated> sortedByDay(std::vector<Dated> rows) {
    std::sort(rows.begin(), rows.end(), [](const Dated& a, const Dated& b) {
        return a.day != b.day ? a.day < b.day : a.index < b.index;
    });
    return rows;
}

// Walks `sorted` outward from `day`, nearest first, up to `maxGap` days; `accept(index, gap)`
// says whether a row is taken. Stops after `limit` taken or `scanLimit` looked at, so a crowd of
// rows on one day costs no more than a few.
template <typename Accept>
void nearestInDays(const std::vector<Dated>& sorted, int day, int maxGap, int limit, int scanLimit,
                   Accept accept) {
    auto high = std::lower_bound(sorted.begin(), sorted.end(), day,
                                 [](const Dated& d, int value) { return d.day < value; });
    auto low = high;
    for (int taken = 0, scanned = 0; taken < limit && scanned < scanLimit; ++scanned) {
        const bool hasLow = low != sorted.begin() && day - (low - 1)->day <= maxGap;
        const bool hasHigh = high != sorted.end() && high->day - day <= maxGap;
        if (!hasLow && !hasHigh) break;
        const Dated& next =
            hasHigh && (!hasLow || high->day - day <= day - (low - 1)->day) ? *high++ : *--low;
        if (accept(next.index, next.day > day ? next.day - day : day - next.day)) ++taken;
    }
}

}  // namespace tallimo::core::nearmiss::detail

#include "NearMissSearch.h"

#include <functional>

namespace tallimo::core::nearmiss::detail {
namespace {

constexpr int kMostRows = 5;
// Enough combinations to know the answer is not unique; more would only lengthen the list.
constexpr size_t kMostAlternatives = 4;

// Exact subset sums in cents over a small pool sorted by size, largest first, so a branch ends
// as soon as the largest amounts still allowed cannot reach what is left.
class SubsetSum {
public:
    SubsetSum(std::vector<qint64> amounts, qint64 nodeLimit, const QElapsedTimer& clock,
              qint64 deadlineMs)
        : amounts_(std::move(amounts)),
          nodeLimit_(nodeLimit),
          clock_(clock),
          deadlineMs_(deadlineMs) {
        prefix_.assign(amounts_.size() + 1, 0);
        for (size_t i = 0; i < amounts_.size(); ++i)
            prefix_[i + 1] = prefix_[i] + amounts_[i];
    }

    void run(qint64 target) { search(0, target); }
    bool finished() const { return !aborted_; }
    const std::vector<std::vector<int>>& found() const { return found_; }

private:
    void search(int start, qint64 remaining) {
        const int count = int(amounts_.size());
        // Amounts above what is left cannot be taken: skip straight past them.
        start = int(std::lower_bound(amounts_.begin() + start, amounts_.end(), remaining,
                                     std::greater<qint64>()) -
                    amounts_.begin());
        for (int i = start; i < count && !aborted_ && found_.size() < kMostAlternatives; ++i) {
            if (++nodes_ > nodeLimit_ || ((nodes_ & 1023) == 0 && clock_.elapsed() > deadlineMs_)) {
                aborted_ = true;
                return;
            }
            const int end = std::min(count, i + kMostRows - int(chosen_.size()));
            if (prefix_[end] - prefix_[i] < remaining) return;
            chosen_.push_back(i);
            if (amounts_[i] == remaining) {
                if (chosen_.size() >= 2) found_.push_back(chosen_);
            } else if (chosen_.size() < kMostRows) {
                search(i + 1, remaining - amounts_[i]);
            }
            chosen_.pop_back();
        }
    }

    std::vector<qint64> amounts_;
    std::vector<qint64> prefix_;
    qint64 nodeLimit_;
    const QElapsedTimer& clock_;
    qint64 deadlineMs_;
    qint64 nodes_ = 0;
    bool aborted_ = false;
    std::vector<int> chosen_;
    std::vector<std::vector<int>> found_;
};

void searchSide(bool targetOnLeft, const QList<Candidate>& targets, const QList<Candidate>& pool,
                const Options& options, const QElapsedTimer& clock, SplitSearch& out) {
    std::vector<Dated> positive, negative;
    for (int j = 0; j < pool.size(); ++j) {
        if (!usable(pool[j]) || pool[j].cents == 0) continue;
        (pool[j].cents > 0 ? positive : negative).push_back({*pool[j].day, j});
    }
    positive = sortedByDay(std::move(positive));
    negative = sortedByDay(std::move(negative));
    const qint64 deadlineMs = options.subsetTimePerPass.count();
    for (int t = 0; t < targets.size(); ++t) {
        const Candidate& target = targets[t];
        if (!usable(target) || target.cents == 0) continue;
        const qint64 size = target.cents > 0 ? target.cents : -target.cents;
        std::vector<int> members;
        nearestInDays(target.cents > 0 ? positive : negative, *target.day, options.windowDays,
                      options.subsetPoolSize, options.subsetPoolSize * 8, [&](int j, int) {
                          const qint64 amount = pool[j].cents > 0 ? pool[j].cents : -pool[j].cents;
                          if (amount >= size) return false;
                          members.push_back(j);
                          return true;
                      });
        if (members.size() < 2) continue;
        std::sort(members.begin(), members.end(), [&](int a, int b) {
            const qint64 x = qAbs(pool[a].cents), y = qAbs(pool[b].cents);
            return x != y ? x > y : a < b;
        });
        qint64 poolSum = 0;
        for (int j : members)
            poolSum += qAbs(pool[j].cents);
        if (poolSum < size) continue;
        if (clock.elapsed() > deadlineMs) {
            ++out.unfinishedTargets;
            continue;
        }
        std::vector<qint64> amounts;
        for (int j : members)
            amounts.push_back(qAbs(pool[j].cents));
        SubsetSum search(std::move(amounts), options.subsetNodesPerTarget, clock, deadlineMs);
        search.run(size);
        // Two combinations already found settle it as 待定 even when the search was cut short.
        if (!search.finished() && search.found().size() < 2) {
            ++out.unfinishedTargets;
            continue;
        }
        if (search.found().empty()) continue;
        Combination combination{targetOnLeft, t, {}, 0};
        for (const std::vector<int>& positions : search.found()) {
            std::vector<int> rows;
            for (int position : positions) {
                const int j = members[position];
                rows.push_back(j);
                combination.gap = std::max(combination.gap, std::abs(*pool[j].day - *target.day));
            }
            std::sort(rows.begin(), rows.end());
            combination.alternatives.push_back(std::move(rows));
        }
        std::sort(combination.alternatives.begin(), combination.alternatives.end());
        out.found.push_back(std::move(combination));
    }
}

}  // namespace

SplitSearch findSplits(const QList<Candidate>& left, const QList<Candidate>& right,
                       const Options& options, const QElapsedTimer& clock) {
    SplitSearch out;
    searchSide(true, left, right, options, clock, out);
    searchSide(false, right, left, options, clock, out);
    return out;
}

}  // namespace tallimo::core::nearmiss::detail

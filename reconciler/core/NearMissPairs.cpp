#include "NearMissSearch.h"

#include <QByteArray>
#include <QHash>

namespace tallimo::core::nearmiss::detail {
namespace {

// Partners kept per row and rule, nearest in date first; enough to see a tie.
constexpr int kPartners = 8;
constexpr int kScan = 256;
constexpr int kDigitWindow = 3;

QByteArray digitsOf(qint64 cents) {
    QByteArray digits = QByteArray::number(cents < 0 ? -cents : cents);
    digits.prepend(cents < 0 ? '-' : '+');
    return digits;
}

QByteArray sortedDigits(qint64 cents) {
    QByteArray digits = digitsOf(cents);
    std::sort(digits.begin() + 1, digits.end());
    return digits;
}

// One key per digit position with that digit blanked: amounts differing in exactly one digit
// share exactly one key.
QList<QByteArray> digitMasks(qint64 cents) {
    const QByteArray digits = digitsOf(cents);
    QList<QByteArray> masks;
    for (qsizetype i = 1; i < digits.size(); ++i) {
        QByteArray mask = digits;
        mask[i] = '*';
        masks.append(mask);
    }
    return masks;
}

template <typename Key>
using Buckets = QHash<Key, std::vector<Dated>>;

template <typename Key>
void sortBuckets(Buckets<Key>& buckets) {
    for (auto it = buckets.begin(); it != buckets.end(); ++it)
        it.value() = sortedByDay(std::move(it.value()));
}

class PairFinder {
public:
    PairFinder(const QList<Candidate>& left, const QList<Candidate>& right, const Options& options)
        : left_(left), right_(right), options_(options) {
        for (int j = 0; j < right.size(); ++j) {
            if (!usable(right[j])) continue;
            const Dated dated{*right[j].day, j};
            byCents_[right[j].cents].push_back(dated);
            bySortedDigits_[sortedDigits(right[j].cents)].push_back(dated);
            for (const QByteArray& mask : digitMasks(right[j].cents))
                byMask_[mask].push_back(dated);
            byAmount_.push_back(j);
        }
        sortBuckets(byCents_);
        sortBuckets(bySortedDigits_);
        sortBuckets(byMask_);
        std::sort(byAmount_.begin(), byAmount_.end(), [&](int a, int b) {
            return right[a].cents != right[b].cents ? right[a].cents < right[b].cents : a < b;
        });
        leftNames_.reserve(left.size());
        for (const Candidate& c : left)
            leftNames_.append(normaliseName(c.name));
        rightNames_.reserve(right.size());
        for (const Candidate& c : right)
            rightNames_.append(normaliseName(c.name));
    }

    std::vector<Pair> run() {
        for (int i = 0; i < left_.size(); ++i)
            if (usable(left_[i])) findFor(i);
        return std::move(pairs_);
    }

private:
    template <typename Key, typename Accept>
    void near(const Buckets<Key>& buckets, const Key& key, int i, int maxGap, Rule rule,
              Accept accept) {
        const auto it = buckets.constFind(key);
        if (it == buckets.constEnd()) return;
        nearestInDays(*it, *left_[i].day, maxGap, kPartners, kScan, [&](int j, int gap) {
            const std::optional<Confidence> confidence = accept(j, gap);
            if (confidence) pairs_.push_back({rule, *confidence, i, j, gap});
            return confidence.has_value();
        });
    }

    void findFor(int i) {
        const qint64 cents = left_[i].cents;
        const int window = options_.windowDays;
        using C = std::optional<Confidence>;
        near(byCents_, cents, i, window, Rule::NearDate, [](int, int gap) -> C {
            if (gap == 0) return std::nullopt;
            return gap <= 3 ? Confidence::High : Confidence::Medium;
        });
        near(byCents_, cents, i, 0, Rule::SimilarName, [&](int j, int) -> C {
            if (!similarNormalisedNames(leftNames_[i], rightNames_[j])) return std::nullopt;
            return Confidence::High;
        });
        if (cents == 0) return;
        near(byCents_, -cents, i, window, Rule::OppositeSign,
             [](int, int) -> C { return Confidence::Medium; });
        near(bySortedDigits_, sortedDigits(cents), i, kDigitWindow, Rule::Transposed,
             [&](int j, int) -> C {
                 const qint64 difference = cents - right_[j].cents;
                 if (difference == 0 || difference % 9 != 0) return std::nullopt;
                 return Confidence::Low;
             });
        for (const QByteArray& mask : digitMasks(cents))
            near(byMask_, mask, i, kDigitWindow, Rule::OneDigit, [&](int j, int) -> C {
                if (right_[j].cents == cents) return std::nullopt;
                return Confidence::Low;
            });
        findDecimalShifts(i);
        if (options_.feeLimitCents) findFees(i);
    }

    void findDecimalShifts(int i) {
        const qint64 cents = left_[i].cents;
        const auto low = [](int, int) -> std::optional<Confidence> { return Confidence::Low; };
        for (const qint64 factor : {10, 100}) {
            if (cents > -kLargestCents / factor && cents < kLargestCents / factor)
                near(byCents_, cents * factor, i, kDigitWindow, Rule::DecimalShift, low);
            if (cents % factor == 0)
                near(byCents_, cents / factor, i, kDigitWindow, Rule::DecimalShift, low);
        }
    }

    // Differences up to the fee limit, either way, same sign; the amounts are sorted, so only
    // the slice within the limit is looked at, and only the nearest in date kept.
    void findFees(int i) {
        const qint64 cents = left_[i].cents;
        const qint64 limit = std::min(*options_.feeLimitCents, kLargestCents);
        const int day = *left_[i].day;
        auto first = std::lower_bound(byAmount_.begin(), byAmount_.end(), cents - limit,
                                      [&](int j, qint64 value) { return right_[j].cents < value; });
        std::vector<Dated> inWindow;
        for (int scanned = 0; first != byAmount_.end() && scanned < kScan; ++first, ++scanned) {
            const Candidate& other = right_[*first];
            if (other.cents > cents + limit) break;
            const bool sameSign = (other.cents > 0) == (cents > 0) && other.cents != 0;
            if (other.cents != cents && sameSign &&
                std::abs(*other.day - day) <= options_.windowDays)
                inWindow.push_back({*other.day, *first});
        }
        nearestInDays(sortedByDay(std::move(inWindow)), day, options_.windowDays, kPartners, kScan,
                      [&](int j, int gap) {
                          pairs_.push_back({Rule::Fee, Confidence::Medium, i, j, gap});
                          return true;
                      });
    }

    const QList<Candidate>& left_;
    const QList<Candidate>& right_;
    const Options& options_;
    Buckets<qint64> byCents_;
    Buckets<QByteArray> bySortedDigits_;
    Buckets<QByteArray> byMask_;
    std::vector<int> byAmount_;
    QStringList leftNames_;
    QStringList rightNames_;
    std::vector<Pair> pairs_;
};

}  // namespace

std::vector<Pair> findPairs(const QList<Candidate>& left, const QList<Candidate>& right,
                            const Options& options) {
    return PairFinder(left, right, options).run();
}

}  // namespace tallimo::core::nearmiss::detail

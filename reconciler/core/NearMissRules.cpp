#include "NearMissSearch.h"

#include <QElapsedTimer>

#include <tuple>

namespace tallimo::core::nearmiss {
namespace {

using detail::Combination;
using detail::Pair;

int strength(Confidence confidence) {
    return int(confidence);  // High first, 待定 last
}

QString daysText(int gap) {
    return gap == 0 ? QStringLiteral("日期相同") : QStringLiteral("日期相差%1天").arg(gap);
}

QString because(Rule rule, qint64 leftCents, qint64 rightCents, int gap, const Options& options) {
    const QString difference = formatCents(qAbs(leftCents - rightCents));
    switch (rule) {
        case Rule::NearDate:
            return QStringLiteral("金额相同，") + daysText(gap);
        case Rule::SimilarName:
            return QStringLiteral("金额相同，日期相同，名称相近");
        case Rule::OppositeSign:
            return QStringLiteral("金额相同，正负相反，") + daysText(gap);
        case Rule::Transposed:
            return QStringLiteral("差额%1可被9整除，疑为数字颠倒，").arg(difference) +
                   daysText(gap);
        case Rule::OneDigit:
            return QStringLiteral("仅一位数字不同，差额%1，疑为数字录入错误，").arg(difference) +
                   daysText(gap);
        case Rule::DecimalShift: {
            const qint64 big = qMax(qAbs(leftCents), qAbs(rightCents));
            const qint64 small = qMin(qAbs(leftCents), qAbs(rightCents));
            return QStringLiteral("金额相差%1倍，疑为小数点错位，").arg(big / small) +
                   daysText(gap);
        }
        case Rule::Fee:
            return QStringLiteral("差额%1，不超过手续费上限%2，疑为手续费，")
                       .arg(difference, formatCents(options.feeLimitCents.value_or(0))) +
                   daysText(gap);
        case Rule::Split:
            break;
    }
    return {};
}

RowSet rowSet(const QList<Candidate>& side, const std::vector<int>& indices) {
    RowSet set;
    for (int i : indices) {
        set.rows.append(side[i].row);
        set.cents += side[i].cents;
    }
    return set;
}

// The order suggestions are tried in: confidence, then the smaller date gap, then the earlier row.
struct Offer {
    int strength;
    int gap;
    int firstLeftRow;
    int firstRightRow;
    int rule;
    bool isPair;
    size_t index;

    auto key() const { return std::tie(strength, gap, firstLeftRow, firstRightRow, rule); }
};

class Pairing {
public:
    Pairing(const QList<Candidate>& left, const QList<Candidate>& right, const Options& options,
            std::vector<Pair> pairs, std::vector<Combination> splits)
        : left_(left),
          right_(right),
          options_(options),
          pairs_(std::move(pairs)),
          splits_(std::move(splits)),
          leftUsed_(left.size(), false),
          rightUsed_(right.size(), false),
          pairsOfLeft_(left.size()),
          pairsOfRight_(right.size()) {}

    QList<Suggestion> run() {
        std::vector<Offer> offers;
        for (size_t p = 0; p < pairs_.size(); ++p) {
            const Pair& pair = pairs_[p];
            pairsOfLeft_[pair.left].push_back(p);
            pairsOfRight_[pair.right].push_back(p);
            offers.push_back({strength(pair.confidence), pair.gap, left_[pair.left].row,
                              right_[pair.right].row, int(pair.rule), true, p});
        }
        for (size_t s = 0; s < splits_.size(); ++s) {
            const Combination& split = splits_[s];
            const Confidence confidence =
                split.alternatives.size() == 1 ? Confidence::High : Confidence::Pending;
            const int targetRow = (split.targetOnLeft ? left_ : right_)[split.target].row;
            const int memberRow =
                (split.targetOnLeft ? right_ : left_)[split.alternatives[0][0]].row;
            offers.push_back(
                {strength(confidence), split.gap, split.targetOnLeft ? targetRow : memberRow,
                 split.targetOnLeft ? memberRow : targetRow, int(Rule::Split), false, s});
        }
        std::sort(offers.begin(), offers.end(),
                  [](const Offer& a, const Offer& b) { return a.key() < b.key(); });
        for (const Offer& offer : offers) {
            if (offer.isPair)
                takePair(pairs_[offer.index]);
            else
                takeSplit(splits_[offer.index]);
        }
        return std::move(out_);
    }

private:
    // The other side's rows still free that are as good a partner as `pair` is.
    std::vector<int> equallyGood(const std::vector<size_t>& pairsOfRow, const Pair& pair,
                                 bool partnersOnRight) const {
        std::vector<int> partners;
        for (size_t p : pairsOfRow) {
            const Pair& other = pairs_[p];
            if (other.confidence != pair.confidence || other.gap != pair.gap) continue;
            const int partner = partnersOnRight ? other.right : other.left;
            if (!(partnersOnRight ? rightUsed_ : leftUsed_)[partner]) partners.push_back(partner);
        }
        // A partner counts once, whichever rules name it.
        std::sort(partners.begin(), partners.end());
        partners.erase(std::unique(partners.begin(), partners.end()), partners.end());
        return partners;
    }

    void takePair(const Pair& pair) {
        if (leftUsed_[pair.left] || rightUsed_[pair.right]) return;
        const std::vector<int> rights = equallyGood(pairsOfLeft_[pair.left], pair, true);
        const std::vector<int> lefts = equallyGood(pairsOfRight_[pair.right], pair, false);
        Suggestion suggestion{pair.rule, pair.confidence, {}, {}, pair.gap, {}};
        suggestion.explanation = because(pair.rule, left_[pair.left].cents,
                                         right_[pair.right].cents, pair.gap, options_);
        // A row with several equally good partners is listed with all of them and none chosen.
        const std::vector<int> takenLeft =
            rights.size() > 1 || lefts.size() <= 1 ? std::vector<int>{pair.left} : lefts;
        const std::vector<int> takenRight =
            rights.size() > 1 ? rights : std::vector<int>{pair.right};
        for (int i : takenLeft)
            suggestion.left.append(rowSet(left_, {i}));
        for (int j : takenRight)
            suggestion.right.append(rowSet(right_, {j}));
        const size_t choices = std::max(takenLeft.size(), takenRight.size());
        if (choices > 1) {
            suggestion.confidence = Confidence::Pending;
            suggestion.explanation =
                QStringLiteral("有%1个同样可能的对应项，未选定：").arg(qsizetype(choices)) +
                suggestion.explanation;
        }
        add(std::move(suggestion), takenLeft, takenRight);
    }

    void takeSplit(const Combination& split) {
        const std::vector<bool>& targetUsed = split.targetOnLeft ? leftUsed_ : rightUsed_;
        const std::vector<bool>& memberUsed = split.targetOnLeft ? rightUsed_ : leftUsed_;
        if (targetUsed[split.target]) return;
        for (const std::vector<int>& members : split.alternatives)
            for (int j : members)
                if (memberUsed[j]) return;
        const QList<Candidate>& targets = split.targetOnLeft ? left_ : right_;
        const QList<Candidate>& pool = split.targetOnLeft ? right_ : left_;
        QList<RowSet> target{rowSet(targets, {split.target})};
        QList<RowSet> members;
        for (const std::vector<int>& alternative : split.alternatives)
            members.append(rowSet(pool, alternative));
        const bool unique = members.size() == 1;
        const QString targetSide =
            split.targetOnLeft ? QStringLiteral("左项") : QStringLiteral("右项");
        const QString poolSide =
            split.targetOnLeft ? QStringLiteral("右项") : QStringLiteral("左项");
        Suggestion suggestion{
            Rule::Split, unique ? Confidence::High : Confidence::Pending, {}, {}, split.gap, {}};
        suggestion.explanation = unique ? QStringLiteral("%1%2行之和等于%3金额，组合唯一，")
                                                  .arg(poolSide)
                                                  .arg(members[0].rows.size())
                                                  .arg(targetSide) +
                                              daysText(split.gap)
                                        : QStringLiteral("%1至少%2种组合之和等于%3金额，未选定")
                                              .arg(poolSide)
                                              .arg(members.size())
                                              .arg(targetSide);
        suggestion.left = split.targetOnLeft ? target : members;
        suggestion.right = split.targetOnLeft ? members : target;
        std::vector<int> memberIndices;
        for (const std::vector<int>& alternative : split.alternatives)
            memberIndices.insert(memberIndices.end(), alternative.begin(), alternative.end());
        const std::vector<int> targetIndex{split.target};
        add(std::move(suggestion), split.targetOnLeft ? targetIndex : memberIndices,
            split.targetOnLeft ? memberIndices : targetIndex);
    }

    void add(Suggestion suggestion, const std::vector<int>& lefts, const std::vector<int>& rights) {
        for (int i : lefts)
            leftUsed_[i] = true;
        for (int j : rights)
            rightUsed_[j] = true;
        out_.append(std::move(suggestion));
    }

    const QList<Candidate>& left_;
    const QList<Candidate>& right_;
    const Options& options_;
    std::vector<Pair> pairs_;
    std::vector<Combination> splits_;
    std::vector<bool> leftUsed_;
    std::vector<bool> rightUsed_;
    std::vector<std::vector<size_t>> pairsOfLeft_;
    std::vector<std::vector<size_t>> pairsOfRight_;
    QList<Suggestion> out_;
};

}  // namespace

Result suggest(const QList<Candidate>& left, const QList<Candidate>& right,
               const Options& options) {
    QElapsedTimer clock;
    clock.start();
    detail::SplitSearch splits = detail::findSplits(left, right, options, clock);
    Result result;
    result.suggestions = Pairing(left, right, options, detail::findPairs(left, right, options),
                                 std::move(splits.found))
                             .run();
    result.candidateRows = left.size() + right.size();
    result.unfinishedTargets = splits.unfinishedTargets;
    for (const Suggestion& suggestion : result.suggestions) {
        qint64 rows = 0;
        for (const QList<RowSet>* side : {&suggestion.left, &suggestion.right})
            for (const RowSet& set : *side)
                rows += set.rows.size();
        (suggestion.confidence == Confidence::Pending ? result.pendingRows
                                                      : result.explainedRows) += rows;
    }
    return result;
}

QString ruleName(Rule rule) {
    switch (rule) {
        case Rule::NearDate:
            return QStringLiteral("日期相近");
        case Rule::SimilarName:
            return QStringLiteral("名称相近");
        case Rule::OppositeSign:
            return QStringLiteral("正负相反");
        case Rule::Transposed:
            return QStringLiteral("数字颠倒");
        case Rule::OneDigit:
            return QStringLiteral("单数字错");
        case Rule::DecimalShift:
            return QStringLiteral("小数点错位");
        case Rule::Fee:
            return QStringLiteral("手续费差额");
        case Rule::Split:
            return QStringLiteral("拆分合并");
    }
    return {};
}

QString confidenceName(Confidence confidence) {
    switch (confidence) {
        case Confidence::High:
            return QStringLiteral("高");
        case Confidence::Medium:
            return QStringLiteral("中");
        case Confidence::Low:
            return QStringLiteral("低");
        case Confidence::Pending:
            return QStringLiteral("待定");
    }
    return {};
}

QString formatCents(qint64 cents) {
    const quint64 size = cents < 0 ? quint64(0) - quint64(cents) : quint64(cents);
    return QStringLiteral("%1%2.%3")
        .arg(cents < 0 ? QStringLiteral("-") : QString())
        .arg(size / 100)
        .arg(size % 100, 2, 10, QLatin1Char('0'));
}

}  // namespace tallimo::core::nearmiss

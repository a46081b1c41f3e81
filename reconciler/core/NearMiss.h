#pragma once

#include "TextGrid.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <chrono>
#include <optional>

// Suggestions for rows that exact matching left unexplained: the usual stories behind them
// (late booking, sign, digits, fees, splits, payee spelt another way), each with its reason.
namespace tallimo::core::nearmiss {

struct Candidate {
    int row = 0;             // the source row, as shown to the user
    qint64 cents = 0;        // the compared amount, exactly as the totals count it
    std::optional<int> day;  // days since 1970-01-01; a row without a date takes part in no rule
    QString name;            // raw name text; normalised inside
};

struct Options {
    int windowDays = 7;
    std::optional<qint64> feeLimitCents;  // the fee rule is off when unset
    std::chrono::milliseconds subsetTimePerPass{2000};
    int subsetNodesPerTarget = 200000;
    int subsetPoolSize = 30;
};

enum class Rule {
    NearDate,
    SimilarName,
    OppositeSign,
    Transposed,
    OneDigit,
    DecimalShift,
    Fee,
    Split
};
enum class Confidence { High, Medium, Low, Pending };

// One or several rows of one side taken together; amounts are summed.
struct RowSet {
    QList<int> rows;
    qint64 cents = 0;
};

// Normally one RowSet per side. A 待定 suggestion has one side with two or more equally good
// alternatives, none of them chosen.
struct Suggestion {
    Rule rule = Rule::NearDate;
    Confidence confidence = Confidence::High;
    QList<RowSet> left;
    QList<RowSet> right;
    int dayGap = 0;  // the largest gap between the rows on either side
    QString explanation;
};

struct Result {
    QList<Suggestion> suggestions;  // in the order they were paired, strongest first
    qint64 candidateRows = 0;
    qint64 explainedRows = 0;  // rows in suggestions that are not 待定
    qint64 pendingRows = 0;    // rows listed in 待定 suggestions
    qint64 unfinishedTargets = 0;
};

Result suggest(const QList<Candidate>& left, const QList<Candidate>& right, const Options& options);

QString ruleName(Rule rule);
QString confidenceName(Confidence confidence);
QString formatCents(qint64 cents);  // "-1234.50"

// Dates in the forms ledgers and bank exports write them: 2024-01-02, 2024/1/2, 2024.01.02,
// 20240102, 2024年1月2日, the first three also with a time of day after them. Days since
// 1970-01-01.
std::optional<int> dayFromText(QStringView text);
// Whether more than half of the column's non-empty cells are dates; an empty column is not.
bool mostlyDates(const TextGrid& grid, int column);

// Names
QString normaliseName(QStringView name);
bool similarNormalisedNames(QStringView a, QStringView b);
inline bool similarNames(QStringView a, QStringView b) {
    return similarNormalisedNames(normaliseName(a), normaliseName(b));
}

}  // namespace tallimo::core::nearmiss

#pragma once

#include "CompensatedSum.h"
#include "Reconcile.h"

// The report sheet "数据比对报告": header, one row per group, totals, conclusion.
namespace tallimo::core::detail {

struct ReportHeader {
    QString leftAddress, rightAddress;  // addressText of each side
    QString leftItem, rightItem;        // empty, or "(F列)" when two passes run
};

// Header steps up to the column fonts throw on failure (ending the pass); the fonts and what
// follows skip a failing step.
void writeReportHeader(host::Worksheet sheet, const ReportHeader& header, bool colourMarking);

// Writes the group rows from row 7 on and keeps the pass figures; every host step is skipped on
// failure.
class ReportWriter {
public:
    ReportWriter(host::Worksheet sheet, const PassInput& input) : sheet_(sheet), input_(input) {}

    // One group row; a side without the key passes group -1.
    void writeGroup(Outcome outcome, const GroupIndex& left, int leftGroup, const GroupIndex& right,
                    int rightGroup);
    void addPaired(qint64 records) { figures_.pairedRecords += records; }
    void addMatched(qint64 records) { figures_.matchedRecords += records; }

    // Totals, differences, conclusion, sort and tidying; returns the conclusion sentence.
    QString close(host::Application& app, host::Workbook book);
    const PassFigures& figures() const { return figures_; }

private:
    struct SideCells {
        qint64 count = 0;
        double total = 0;
    };
    SideCells writeSide(int row, int firstColumn, const GroupIndex& index, int group);
    void writeTotals(int totalsRow);
    QString conclusion() const;

    host::Worksheet sheet_;
    const PassInput& input_;
    int lastRow_ = 6;  // R: the last group row written
    PassFigures figures_;
    qint64 otherCounts_ = 0;
    CompensatedSum leftMoreAmounts_;
    CompensatedSum otherAmounts_;
};

// Numbers in the conclusion: integers as digits, amounts in the shortest form of up to 15
// significant digits, exponents as 1E+20, "#NUM!" for a figure past the double range.
QString amountText(double amount);
// The sum text of a group key: the field after the last "|".
QStringView sumField(QStringView key);
// A sum text as a number: locale-aware, group separators allowed, and the amount forms a
// spreadsheet shows (currency sign, negatives in brackets or with a trailing minus); nullopt
// when it is none.
std::optional<double> toAmount(QStringView text);

}  // namespace tallimo::core::detail

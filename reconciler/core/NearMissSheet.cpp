#include "NearMissSheet.h"

namespace tallimo::core::nearmiss {
namespace {

using detail::skipOnFailure;
using host::CellRect;

constexpr int kColumns = 10;
constexpr int kHeaderRow = 4;
constexpr int kFirstRow = 5;
const QString kAmountFormat = QStringLiteral("#,##0.00");
constexpr std::uint32_t kHeaderFill = host::rgbColor(217, 217, 217);
constexpr std::uint32_t kLinkColour = host::rgbColor(5, 99, 193);

std::uint32_t fillOf(Confidence confidence) {
    switch (confidence) {
        case Confidence::High:
            return host::rgbColor(198, 239, 206);
        case Confidence::Medium:
            return host::rgbColor(255, 235, 156);
        case Confidence::Low:
            return host::rgbColor(252, 228, 214);
        case Confidence::Pending:
            break;
    }
    return host::rgbColor(231, 230, 230);
}

QString joined(const QList<int>& rows) {
    QStringList texts;
    for (int row : rows)
        texts.append(QString::number(row));
    return texts.join(u'_');
}

// Alternatives of a 待定 suggestion are joined by "/".
QString rowsText(const QList<RowSet>& sets) {
    QStringList alternatives;
    for (const RowSet& set : sets)
        alternatives.append(joined(set.rows));
    return alternatives.join(u'/');
}

QString columnsLine(const RowFacts& left, const RowFacts& right) {
    const auto date = [](const RowFacts& facts) {
        return facts.dateColumn != 0 ? facts.dateColumnName : QStringLiteral("无");
    };
    const auto names = [](const RowFacts& facts) {
        return facts.nameColumns.isEmpty() ? QStringLiteral("无")
                                           : facts.nameColumnNames.join(QStringLiteral("、"));
    };
    return QStringLiteral("日期列：左项%1，右项%2；名称列：左项%3，右项%4")
        .arg(date(left), date(right), names(left), names(right));
}

QString settingsLine(const Options& options) {
    return QStringLiteral("；日期窗口：%1天；手续费上限：%2")
        .arg(options.windowDays)
        .arg(options.feeLimitCents ? formatCents(*options.feeLimitCents) : QStringLiteral("未设"));
}

QString countsLine(const Result& result) {
    return QStringLiteral("候选行%1行，已解释%2行，待定%3行；未能完成的拆分合并搜索%4个")
        .arg(result.candidateRows)
        .arg(result.explainedRows)
        .arg(result.pendingRows)
        .arg(result.unfinishedTargets);
}

class SheetWriter {
public:
    SheetWriter(host::Application& app, host::Worksheet sheet, const SheetContext& context)
        : app_(app), sheet_(sheet), context_(context) {}

    void writeHeader(const Result& result) {
        static const char* const titles[kColumns] = {
            "序号",     "规则",     "可信度", "左项行号",   "左项金额",
            "右项行号", "右项金额", "差额",   "日期差(天)", "说明"};
        for (int column = 1; column <= kColumns; ++column)
            skipOnFailure([&] {
                sheet_.cells(kHeaderRow, column).setValue(QString::fromUtf8(titles[column - 1]));
            });
        skipOnFailure([&] { sheet_.range(rowSpan(kHeaderRow)).font().setBold(true); });
        skipOnFailure([&] { sheet_.range(rowSpan(kHeaderRow)).interior().setColor(kHeaderFill); });
        const QString lines[] = {
            QStringLiteral("疑似匹配建议"),
            columnsLine(context_.left, context_.right) + settingsLine(context_.options),
            countsLine(result)};
        // Merged across the table, so the fitted widths follow the table and not these lines.
        for (int row = 1; row <= 3; ++row) {
            skipOnFailure([&] { sheet_.range(rowSpan(row)).merge(); });
            skipOnFailure([&] { sheet_.cells(row, 1).setValue(lines[row - 1]); });
        }
        skipOnFailure([&] { sheet_.cells(1, 1).font().setBold(true); });
        skipOnFailure([&] { sheet_.cells(1, 1).font().setSize(14); });
        skipOnFailure([&] { sheet_.rows(1, 1).setRowHeight(20); });
    }

    void writeRow(int row, int number, const Suggestion& suggestion) {
        const qint64 leftCents = suggestion.left.front().cents;
        const qint64 rightCents = suggestion.right.front().cents;
        set(row, 1, double(number));
        set(row, 2, ruleName(suggestion.rule));
        set(row, 3, confidenceName(suggestion.confidence));
        writeRows(row, 4, suggestion.left, context_.layout.left);
        set(row, 5, double(leftCents) / 100);
        writeRows(row, 6, suggestion.right, context_.layout.right);
        set(row, 7, double(rightCents) / 100);
        set(row, 8, double(leftCents - rightCents) / 100);
        set(row, 9, double(suggestion.dayGap));
        set(row, 10, suggestion.explanation);
    }

    // One fill per run of equal confidence; the suggestions come strongest first, so the runs
    // are few.
    void fillRuns(const QList<Suggestion>& suggestions) {
        int runStart = kFirstRow;
        for (qsizetype i = 0; i < suggestions.size(); ++i) {
            const bool runEnds = i + 1 == suggestions.size() ||
                                 suggestions[i + 1].confidence != suggestions[i].confidence;
            if (!runEnds) continue;
            const int runEnd = kFirstRow + int(i);
            const std::uint32_t fill = fillOf(suggestions[i].confidence);
            skipOnFailure([&] {
                sheet_.range(CellRect{runStart, 1, runEnd, kColumns}).interior().setColor(fill);
            });
            runStart = runEnd + 1;
        }
    }

    void finish(int lastRow) {
        for (const CellRect& amounts :
             {CellRect{kFirstRow, 5, lastRow, 5}, CellRect{kFirstRow, 7, lastRow, 8}})
            skipOnFailure([&] { sheet_.range(amounts).setNumberFormat(kAmountFormat); });
        // A single row number is entered as a number and a list as a text; centred, they read
        // alike.
        for (int column : {4, 6}) {
            const CellRect rows{kFirstRow, column, lastRow, column};
            skipOnFailure([&] { sheet_.range(rows).font().setColor(kLinkColour); });
            skipOnFailure(
                [&] { sheet_.range(rows).setHorizontalAlignment(host::xl::kAlignCenter); });
        }
        skipOnFailure([&] { sheet_.columns(1, kColumns).autoFitColumns(); });
        skipOnFailure([&] { sheet_.select(); });
        skipOnFailure([&] { sheet_.cells(kFirstRow, 1).select(); });
        skipOnFailure([&] { app_.freezePanes(); });
        detail::applyPageSetup(sheet_, [](auto&& step) { skipOnFailure(step); });
    }

private:
    static CellRect rowSpan(int row) { return {row, 1, row, kColumns}; }

    template <typename Value>
    void set(int row, int column, const Value& value) {
        skipOnFailure([&] { sheet_.cells(row, column).setValue(value); });
    }

    void writeRows(int row, int column, const QList<RowSet>& sets, const detail::Block& block) {
        set(row, column, rowsText(sets));
        const QString location =
            block.rowLocation(context_.sourceSheetName, sets.front().rows.front());
        skipOnFailure([&] { sheet_.cells(row, column).addHyperlink(location); });
    }

    host::Application& app_;
    host::Worksheet sheet_;
    const SheetContext& context_;
};

}  // namespace

QString writeSuggestionSheet(host::Application& app, host::Workbook book,
                             const SheetContext& context, const Result& result) {
    const host::Worksheet report = book.sheets()[context.reportSheetName];
    host::Worksheet sheet = book.sheets().add();
    const QString name = QString::number(context.pass) + QStringLiteral(".疑似匹配");
    sheet.setName(name);
    sheet.move(report, host::Placement::After);

    SheetWriter writer(app, sheet, context);
    writer.writeHeader(result);
    int row = kFirstRow;
    for (const Suggestion& suggestion : result.suggestions) {
        writer.writeRow(row, row - kFirstRow + 1, suggestion);
        ++row;
    }
    writer.fillRuns(result.suggestions);
    writer.finish(row - 1);
    return name;
}

}  // namespace tallimo::core::nearmiss

#include "BalanceStatement.h"

namespace tallimo::core::balance {
namespace {

using detail::skipOnFailure;
using host::CellRect;

const QString kSheetName = QStringLiteral("余额调节表");
const QString kAmountFormat = QStringLiteral("#,##0.00");
constexpr int kItemsTitleRow = 11;
constexpr int kItemsHeaderRow = 12;
constexpr int kFirstItemRow = 13;
constexpr int kColumns = 5;
constexpr std::uint32_t kHeaderFill = host::rgbColor(217, 217, 217);
constexpr std::uint32_t kInputFill = host::rgbColor(255, 242, 204);
constexpr std::uint32_t kLinkColour = host::rgbColor(5, 99, 193);

class StatementWriter {
public:
    StatementWriter(host::Application& app, host::Worksheet sheet, const Statement& statement,
                    const ReconcileResult& result, const detail::SourceLayout& layout)
        : app_(app), sheet_(sheet), statement_(statement), result_(result), layout_(layout) {}

    void writeSummary() {
        text(1, 1, QStringLiteral("银行存款余额调节表"));
        text(2, 1,
             QStringLiteral("企业日记账：%1，%2\n银行对账单：%3，%4")
                 .arg(statement_.addresses[0], source(0, QStringLiteral("B5")),
                      statement_.addresses[1], source(1, QStringLiteral("D5"))));
        const char* const header[] = {"项目", "金额", "项目", "金额"};
        for (int column = 1; column <= 4; ++column)
            text(4, column, QString::fromUtf8(header[column - 1]));
        text(5, 1, QStringLiteral("企业银行存款日记账余额"));
        text(5, 3, QStringLiteral("银行对账单余额"));
        balance(5, 2, 0);
        balance(5, 4, 1);
        text(6, 1, QStringLiteral("加：") + kindName(Kind::BankReceived));
        text(6, 3, QStringLiteral("加：") + kindName(Kind::CompanyReceived));
        text(7, 1, QStringLiteral("减：") + kindName(Kind::BankPaid));
        text(7, 3, QStringLiteral("减：") + kindName(Kind::CompanyPaid));
        text(8, 1, QStringLiteral("调节后的存款余额"));
        text(8, 3, QStringLiteral("调节后的存款余额"));
        formula(8, 2, QStringLiteral("=R[-3]C+R[-2]C-R[-1]C"));
        formula(8, 4, QStringLiteral("=R[-3]C+R[-2]C-R[-1]C"));
        text(9, 1, QStringLiteral("核对结果"));
        formula(9, 2,
                QStringLiteral("=IF(ROUND(R[-1]C-R[-1]C[2],2)=0,\"平衡\","
                               "\"不平衡，差额\"&TEXT(R[-1]C-R[-1]C[2],\"0.00\"))"));
    }

    // Returns the last row written.
    int writeItems() {
        text(kItemsTitleRow, 1, QStringLiteral("未达账项明细"));
        const char* const header[] = {"类别", "行号", "日期", "摘要", "金额"};
        for (int column = 1; column <= kColumns; ++column)
            text(kItemsHeaderRow, column, QString::fromUtf8(header[column - 1]));
        int row = kFirstItemRow;
        std::array<std::pair<int, int>, 4> runs{};  // first and last row of each kind
        for (const Item& item : statement_.items) {
            auto& run = runs[std::size_t(item.kind)];
            if (run.first == 0) run.first = row;
            run.second = row;
            text(row, 1, kindName(item.kind));
            writeRowNumber(row, item);
            text(row, 3, item.date);
            // A memo stays the text it was, even when it looks like a number.
            skipOnFailure([&] {
                app_.backend().setLiteral(sheet_.id(), row, 4,
                                          host::CellValue::fromText(item.memo));
            });
            number(row, 5, double(item.cents) / 100);
            ++row;
        }
        // The totals are the items' sums, so a row the user removes or corrects counts at once.
        const std::pair<int, int> totalCells[] = {{6, 2}, {7, 2}, {6, 4}, {7, 4}};
        for (std::size_t kind = 0; kind < 4; ++kind) {
            const auto [first, last] = runs[kind];
            const auto [totalRow, totalColumn] = totalCells[kind];
            if (first == 0)
                number(totalRow, totalColumn, 0);
            else
                formula(totalRow, totalColumn,
                        QStringLiteral("=SUM(R%1C5:R%2C5)").arg(first).arg(last));
        }
        return row - 1;
    }

    void tidy(int lastRow) {
        for (const CellRect& amounts :
             {CellRect{5, 2, 8, 2}, CellRect{5, 4, 8, 4}, CellRect{kFirstItemRow, 5, lastRow, 5}})
            skipOnFailure([&] { sheet_.range(amounts).setNumberFormat(kAmountFormat); });
        for (const CellRect& header :
             {CellRect{4, 1, 4, 4}, CellRect{kItemsHeaderRow, 1, kItemsHeaderRow, kColumns}}) {
            skipOnFailure([&] { sheet_.range(header).font().setBold(true); });
            skipOnFailure([&] { sheet_.range(header).interior().setColor(kHeaderFill); });
        }
        for (const CellRect& bold :
             {CellRect{8, 1, 9, 4}, CellRect{kItemsTitleRow, 1, kItemsTitleRow, 1}})
            skipOnFailure([&] { sheet_.range(bold).font().setBold(true); });
        skipOnFailure([&] {
            sheet_.range(CellRect{kFirstItemRow, 2, std::max(lastRow, kFirstItemRow), 2})
                .font()
                .setColor(kLinkColour);
        });
        skipOnFailure([&] {
            sheet_.range(CellRect{kFirstItemRow, 2, std::max(lastRow, kFirstItemRow), 2})
                .setHorizontalAlignment(host::xl::kAlignCenter);
        });
        // The title lines are merged across the table so that the widths follow the table.
        for (int row : {1, 2})
            skipOnFailure([&] { sheet_.range(CellRect{row, 1, row, kColumns}).merge(); });
        skipOnFailure([&] { sheet_.range(CellRect{9, 2, 9, 4}).merge(); });
        skipOnFailure([&] { sheet_.cells(1, 1).font().setBold(true); });
        skipOnFailure([&] { sheet_.cells(1, 1).font().setSize(16); });
        skipOnFailure([&] { sheet_.cells(1, 1).setHorizontalAlignment(host::xl::kAlignCenter); });
        skipOnFailure([&] { sheet_.rows(1, 1).setRowHeight(24); });
        skipOnFailure([&] { sheet_.cells(2, 1).setWrapText(true); });
        skipOnFailure([&] { sheet_.rows(2, 2).setRowHeight(30); });
        skipOnFailure([&] { sheet_.columns(1, kColumns).autoFitColumns(); });
        auto page = sheet_.pageSetup();
        skipOnFailure([&] { page.setOrientation(host::xl::kPortrait); });
        skipOnFailure([&] { page.setFitToPagesWide(1); });
        skipOnFailure([&] { page.setCenterHorizontally(true); });
        skipOnFailure([&] { page.setRightFooter(detail::kProductFooter); });
    }

private:
    QString source(std::size_t role, const QString& inputCell) const {
        const Balance& balance = statement_.closing[role];
        return balance.cents ? balance.source
                             : QStringLiteral("未找到余额，请在%1填入期末余额").arg(inputCell);
    }

    void balance(int row, int column, std::size_t role) {
        const Balance& balance = statement_.closing[role];
        if (balance.cents) {
            number(row, column, double(*balance.cents) / 100);
            return;
        }
        // Left empty for the user to type in; the formulas below it take it up.
        skipOnFailure([&] { sheet_.cells(row, column).interior().setColor(kInputFill); });
        skipOnFailure(
            [&] { sheet_.cells(row, column).addComment(QStringLiteral("请填入期末余额")); });
    }

    void writeRowNumber(int row, const Item& item) {
        number(row, 2, double(item.row));
        const detail::Block& block = item.side == Side::Left ? layout_.left : layout_.right;
        const QString location =
            block.rowLocation(result_.passes[std::size_t(item.pass - 1)].sourceSheetName, item.row);
        skipOnFailure([&] { sheet_.cells(row, 2).addHyperlink(location); });
    }

    void text(int row, int column, const QString& value) {
        skipOnFailure([&] { sheet_.cells(row, column).setValue(value); });
    }
    void number(int row, int column, double value) {
        skipOnFailure([&] { sheet_.cells(row, column).setValue(value); });
    }
    void formula(int row, int column, const QString& value) {
        skipOnFailure([&] { sheet_.cells(row, column).setFormulaR1C1(value); });
    }

    host::Application& app_;
    host::Worksheet sheet_;
    const Statement& statement_;
    const ReconcileResult& result_;
    const detail::SourceLayout& layout_;
};

}  // namespace

QString writeStatementSheet(host::Application& app, host::Workbook book, const Statement& statement,
                            const ReconcileResult& result, const detail::SourceLayout& layout) {
    auto sheets = book.sheets();
    const host::Worksheet last = sheets[sheets.count()];
    host::Worksheet sheet = sheets.add();
    sheet.setName(kSheetName);
    sheet.move(last, host::Placement::After);

    StatementWriter writer(app, sheet, statement, result, layout);
    writer.writeSummary();
    writer.tidy(writer.writeItems());
    return kSheetName;
}

}  // namespace tallimo::core::balance

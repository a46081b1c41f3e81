#pragma once

#include "MemoryHost.h"
#include "Reconcile.h"

#include <gtest/gtest.h>
#include <QStringList>

// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace tallimo::core::testing {

// One area as the windows would prepare it: lines of TAB-separated cells, the area's address,
// its sum columns and comparison columns as letters.
struct AreaSpec {
    QStringList lines;
    AreaAddress area;
    QStringList sumColumns;      // one or two letters
    QStringList compareColumns;  // letters, in list order
};

inline PreparedSide prepare(Side side, const AreaSpec& given) {
    const int first = columnNumber(given.area.firstColumn);
    KeyBuildInput in;
    const QString text = given.lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    in.selectionText = text;
    in.side = side;
    in.firstRow = given.area.firstRow;
    in.singleColumn = given.area.firstColumn == given.area.lastColumn;
    for (const QString& letters : given.sumColumns)
        in.sumPositions.push_back(columnNumber(letters) - first);
    for (const QString& letters : given.compareColumns)
        in.comparePositions.push_back(columnNumber(letters) - first);
    KeyBuildResult keys = buildKeys(in);
    EXPECT_TRUE(keys.ok()) << keys.error.toStdString();
    PreparedSide prepared;
    prepared.adoptKeys(std::move(keys));
    prepared.area = given.area;
    prepared.addressText = QStringLiteral("723[%1.xlsx]Sheet1!$%2$%3:$%4$%5")
                               .arg(side == Side::Left ? "ledger" : "bank")
                               .arg(given.area.firstColumn)
                               .arg(given.area.firstRow)
                               .arg(given.area.lastColumn)
                               .arg(given.area.lastRow);
    const QString first0 = given.sumColumns.value(0) + QStringLiteral("列");
    prepared.relationItems = {
        first0, given.sumColumns.size() > 1 ? given.sumColumns[1] + QStringLiteral("列") : first0};
    return prepared;
}

// A cell as text: numbers in their shortest form, texts as they are, empty as "".
inline QString cellText(host::HostBackend& host, host::SheetId sheet, int row, int column) {
    const host::CellValue v = host.value(sheet, row, column);
    if (v.isNumber()) return QString::number(v.number, 'g', 15);
    return v.text;
}

inline QStringList rowTexts(host::HostBackend& host, host::SheetId sheet, int row, int first,
                            int last) {
    QStringList texts;
    for (int c = first; c <= last; ++c)
        texts.append(cellText(host, sheet, row, c));
    return texts;
}

inline QStringList sheetNames(host::Application& app) {
    QStringList names;
    auto sheets = app.activeWorkbook().sheets();
    for (int i = 1; i <= sheets.count(); ++i)
        names.append(sheets[i].name());
    return names;
}

class PassFixture : public ::testing::Test {
public:
    std::unique_ptr<host::HostBackend> memory = host::makeMemoryHost();
    host::HostBackend& host = *memory;
    host::Application app{host};
    PreparedSide left, right;
    ReconcileRequest request;  // the sides are taken from left and right at each run
    Progress progress;

    void prepareSides(const AreaSpec& leftSpec, const AreaSpec& rightSpec) {
        left = prepare(Side::Left, leftSpec);
        right = prepare(Side::Right, rightSpec);
        request.compareListEmpty = rightSpec.compareColumns.isEmpty();
        request.reportTime = QDateTime(QDate(2026, 3, 7), QTime(9, 5, 4));
        request.logonName = QStringLiteral("kuaiji");
    }

    std::vector<PassResult> run(host::Application& application) {
        ReconcileRequest copy = request;
        copy.left = left;
        copy.right = right;
        return reconcile(application, std::move(copy), progress).passes;
    }
    std::vector<PassResult> run() { return run(app); }

    // The input of a single pass over left and right, as the job makes it.
    PassInput passInput() {
        request.left = left;
        request.right = right;
        return passInputFor(request);
    }

    host::SheetId sheet(const QString& name) {
        return host.sheetByName(host.activeWorkbook(), name);
    }
};

}  // namespace tallimo::core::testing

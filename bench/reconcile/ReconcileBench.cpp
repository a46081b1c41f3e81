// Times the batch reconciliation stage by stage on two CSV files and prints one table row per
// stage, with the peak resident memory of the stage. The grouping figures are also printed as a
// machine-readable line for run.sh to set against pandas.
//
//     tallimo-bench-reconcile LEFT.csv RIGHT.csv ROWS OUT.xlsx

#include "AreaReader.h"
#include "BenchSupport.h"
#include "Host.h"
#include "MemoryHost.h"
#include "Reconcile.h"
#include "SelectionText.h"

#include <QCoreApplication>
#include <QDateTime>
#include <array>
#include <cstdio>
#include <future>
#include <vector>

using namespace tallimo;

namespace {

// Compare 日期 (position 0); sum items 借方金额 and 贷方金额 (positions 4 and 5).
core::PreparedSide prepare(const area::AreaText& text, core::Side side, int rows) {
    core::KeyBuildInput input;
    input.selectionText = text.selectionText;
    input.side = side;
    input.firstRow = 2;
    input.sumPositions = {4, 5};
    input.comparePositions = {0};
    core::KeyBuildResult keys = core::buildKeys(input);
    if (!keys.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(keys.error));
        std::exit(1);
    }
    core::PreparedSide side_;
    side_.adoptKeys(std::move(keys));
    side_.addressText =
        QStringLiteral("0[%1]%2!%3").arg(text.workbookName, text.sheetName, text.range);
    side_.area = {2, QStringLiteral("A"), rows + 1, QStringLiteral("F")};
    side_.relationItems = {sumLabel(QStringLiteral("E")), sumLabel(QStringLiteral("F"))};
    return side_;
}

// Groups per outcome, in the order matched, left more, right more, left only, right only.
std::array<int, 5> classify(const core::GroupIndex& left, const core::GroupIndex& right) {
    std::array<int, 5> classes{};
    std::vector<bool> paired(std::size_t(left.groupCount()), false);
    for (int g = 0; g < right.groupCount(); ++g) {
        const int l = left.find(right.key(g));
        if (l < 0) {
            ++classes[4];
            continue;
        }
        paired[std::size_t(l)] = true;
        const qint32 cl = left.count(l), cr = right.count(g);
        ++classes[cl == cr ? 0 : cl > cr ? 1 : 2];
    }
    for (const bool p : paired)
        classes[3] += p ? 0 : 1;
    return classes;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s LEFT.csv RIGHT.csv ROWS OUT.xlsx\n", argv[0]);
        return 2;
    }
    const QStringList args = QCoreApplication::arguments();
    const int rows = args[3].toInt();
    const QString range = QStringLiteral("A2:F%1").arg(rows + 1);

    bench::StageTable stages("stage (2 x rows)");
    area::AreaText leftText, rightText;
    // Side by side, as tallimo-cli reads them.
    stages.run("read both CSV files (typed entry)", [&] {
        auto right =
            std::async(std::launch::async, [&] { return area::readArea(args[2], {}, range); });
        leftText = area::readArea(args[1], {}, range);
        rightText = right.get();
    });

    core::PreparedSide left, right;
    stages.run("key building (grids, two key lists)", [&] {
        auto rightSide = std::async(std::launch::async,
                                    [&] { return prepare(rightText, core::Side::Right, rows); });
        left = prepare(leftText, core::Side::Left, rows);
        right = rightSide.get();
    });
    std::array<std::array<int, 5>, 2> classes{};
    stages.run("grouping and classification", [&] {
        for (int slot = 0; slot < 2; ++slot) {
            const core::GroupIndex l = core::buildGroupIndex(left.keyLists[slot], 2, {});
            const core::GroupIndex r = core::buildGroupIndex(right.keyLists[slot], 2, {});
            classes[slot] = classify(l, r);
        }
    });
    leftText = {};
    rightText = {};

    host::Application app(host::makeMemoryHost());
    std::vector<core::PassResult> passes;
    stages.run("two passes in the memory host", [&] {
        core::ReconcileRequest request;
        request.left = std::move(left);
        request.right = std::move(right);
        request.options = {false, true, true};
        request.compareListEmpty = false;
        request.reportTime = QDateTime::currentDateTime();
        request.logonName = QStringLiteral("bench");
        passes = core::reconcile(app, std::move(request)).passes;
    });
    stages.run("save the result .xlsx",
               [&] { app.workbooks()[passes.front().workbookName].saveAs(args[4]); });
    stages.printTotal();

    for (const core::PassResult& pass : passes) {
        if (pass.completed)
            std::printf("%s\n", qPrintable(pass.conclusion));
        else
            std::printf("pass failed: %s\n", qPrintable(pass.failure));
    }
    // matched, left more, right more, left only, right only per pass.
    std::printf("grouping-seconds %.6f classes", stages.cpu(2));
    for (const auto& slot : classes) {
        for (const int n : slot)
            std::printf(" %d", n);
    }
    std::printf("\n");
    return 0;
}

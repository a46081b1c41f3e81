#include "BalanceStatement.h"
#include "NearMissJob.h"
#include "Reconcile.h"

namespace tallimo::core {

int ReconcileResult::failedPass() const {
    for (std::size_t i = 0; i < passes.size(); ++i)
        if (!passes[i].completed) return int(i) + 1;
    return 0;
}

QStringList ReconcileResult::conclusions() const {
    QStringList sentences;
    for (const PassResult& pass : passes)
        if (pass.completed) sentences.append(pass.conclusion);
    return sentences;
}

PassInput passInputFor(const ReconcileRequest& request) {
    PassInput input;
    input.left = &request.left;
    input.right = &request.right;
    input.options = request.options;
    input.secondPassNeeded = secondPassNeeded(request.left, request.right);
    input.sumPositions = sumPositionsOf(request.left, request.right);
    input.compareListEmpty = request.compareListEmpty;
    input.reportTime = request.reportTime;
    input.logonName = request.logonName;
    return input;
}

ReconcileResult reconcile(host::Application& app, ReconcileRequest request,
                          const Progress& progress) {
    PassInput input = passInputFor(request);
    input.pump = progress.pump;
    // Once the source copies hold the texts, the grids are the largest memory the job holds.
    input.textsCopied = [&request] {
        request.left.textGrid = {};
        request.right.textGrid = {};
    };

    std::optional<balance::StatementJob> statement;
    if (request.balanceStatement) statement.emplace(request, *request.balanceStatement);
    const bool explaining = request.suggestions || statement;
    // The rows' dates, names and memos are read once, for both, before the grids are freed.
    std::array<RowFacts, 2> facts;
    if (explaining) {
        for (Side side : {Side::Left, Side::Right}) {
            const bool left = side == Side::Left;
            RowFactsWanted wanted;
            if (request.suggestions) {
                wanted.given = left ? request.suggestions->left : request.suggestions->right;
                wanted.names = true;
            }
            if (statement) wanted.memoSkips = statement->memoSkips(side);
            facts[left ? 0 : 1] = rowFacts(left ? request.left : request.right, wanted);
        }
    }
    std::optional<nearmiss::PassSuggestions> suggestions;
    if (request.suggestions) suggestions.emplace(request, *request.suggestions, facts);
    UnexplainedRows unexplained;

    ReconcileResult result;
    for (int pass = 1; pass <= (input.secondPassNeeded ? 2 : 1); ++pass) {
        if (progress.passStarted) progress.passStarted(pass);
        if (explaining) unexplained.collectFor(input, pass);
        result.passes.push_back(runComparisonPass(app, input, pass));
        if (!result.passes.back().completed) break;
        for (PreparedSide* side : {&request.left, &request.right})
            side->keyLists[std::size_t(pass - 1)] = {};
    }
    if (suggestions) suggestions->writeSheets(app, result, unexplained);
    if (statement) statement->write(app, result, unexplained, facts);
    return result;
}

}  // namespace tallimo::core

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

    // Dates and names are read before the grids are freed.
    std::optional<nearmiss::PassSuggestions> suggestions;
    if (request.suggestions) suggestions.emplace(request, *request.suggestions);
    std::optional<balance::StatementJob> statement;
    if (request.balanceStatement) statement.emplace(request, *request.balanceStatement);
    UnexplainedRows unexplained;
    const bool explaining = suggestions || statement;

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
    if (statement) statement->write(app, result, unexplained);
    return result;
}

}  // namespace tallimo::core

#include "NearMissJob.h"

#include "NearMissSheet.h"

namespace tallimo::core::nearmiss {

PassSuggestions::PassSuggestions(const ReconcileRequest& request, const SuggestionRequest& wanted,
                                 const std::array<RowFacts, 2>& facts)
    : wanted_(wanted),
      facts_(facts),
      layout_(detail::sourceLayout(request.left.area, request.right.area)) {}

QList<Candidate> PassSuggestions::candidates(const std::vector<UnexplainedRow>& rows,
                                             const RowFacts& facts) const {
    QList<Candidate> list;
    list.reserve(qsizetype(rows.size()));
    for (const UnexplainedRow& row : rows) {
        // A row without an amount is counted but takes part in no rule, as one without a date.
        list.append({row.row, row.cents.value_or(0), row.cents ? facts.day(row.row) : std::nullopt,
                     facts.name(row.row)});
    }
    return list;
}

SuggestionFigures PassSuggestions::suggestForPass(host::Application& app, host::Workbook book,
                                                  const PassResult& pass, int number,
                                                  const UnexplainedRows& unexplained) const {
    Options options;
    options.windowDays = wanted_.windowDays;
    options.feeLimitCents = wanted_.feeLimitCents;
    const Result found =
        suggest(candidates(unexplained.of(number, Side::Left), facts_[0]),
                candidates(unexplained.of(number, Side::Right), facts_[1]), options);
    SuggestionFigures figures;
    figures.suggestions = int(found.suggestions.size());
    figures.candidateRows = found.candidateRows;
    figures.explainedRows = found.explainedRows;
    figures.pendingRows = found.pendingRows;
    figures.unfinishedTargets = found.unfinishedTargets;
    if (found.suggestions.isEmpty()) return figures;
    const SheetContext context{
        number, pass.reportSheetName, pass.sourceSheetName, layout_, facts_[0], facts_[1], options};
    try {
        figures.sheetName = writeSuggestionSheet(app, book, context, found);
    } catch (const host::HostError& error) {
        figures.failure = error.message();
    }
    return figures;
}

void PassSuggestions::writeSheets(host::Application& app, ReconcileResult& result,
                                  const UnexplainedRows& unexplained) const {
    if (result.passes.empty() || !result.passes.front().completed) return;
    // The sheets are added after the passes, so the passes' own sheets come out as without them;
    // the sheet the passes left active stays active.
    std::optional<host::Workbook> book;
    std::optional<host::Worksheet> active;
    QString failure;
    try {
        book = app.workbooks()[result.workbookName()];
        active = book->activeSheet();
    } catch (const host::HostError& error) {
        failure = error.message();
    }
    for (std::size_t i = 0; i < result.passes.size(); ++i) {
        PassResult& pass = result.passes[i];
        if (!pass.completed) continue;
        if (book) {
            pass.suggestions = suggestForPass(app, *book, pass, int(i) + 1, unexplained);
        } else {
            pass.suggestions = SuggestionFigures{};
            pass.suggestions->failure = failure;
        }
    }
    if (active) detail::skipOnFailure([&] { active->select(); });
}

}  // namespace tallimo::core::nearmiss

#pragma once

#include "RowFacts.h"
#include "SourceCopy.h"
#include "Unexplained.h"

#include <array>

// The suggestions of a reconciliation: after the passes each pass with suggestions gets its
// sheet.
namespace tallimo::core::nearmiss {

class PassSuggestions {
public:
    // `facts` (left, right) must outlive the suggestions.
    PassSuggestions(const ReconcileRequest& request, const SuggestionRequest& wanted,
                    const std::array<RowFacts, 2>& facts);

    // Suggests for every completed pass and writes a sheet after its report.
    void writeSheets(host::Application& app, ReconcileResult& result,
                     const UnexplainedRows& unexplained) const;

private:
    QList<Candidate> candidates(const std::vector<UnexplainedRow>& rows,
                                const RowFacts& facts) const;
    SuggestionFigures suggestForPass(host::Application& app, host::Workbook book,
                                     const PassResult& pass, int number,
                                     const UnexplainedRows& unexplained) const;

    SuggestionRequest wanted_;
    const std::array<RowFacts, 2>& facts_;
    detail::SourceLayout layout_;
};

}  // namespace tallimo::core::nearmiss

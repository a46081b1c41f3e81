#pragma once

#include "NearMissFacts.h"
#include "SourceCopy.h"

#include <array>

// The suggestions of a reconciliation: the rows each pass leaves unexplained are collected while
// the pass marks them, and after the passes each pass with suggestions gets its sheet.
namespace tallimo::core::nearmiss {

class PassSuggestions {
public:
    // Reads the dates and names while the request still holds the areas' texts.
    PassSuggestions(const ReconcileRequest& request, const SuggestionRequest& wanted);

    // What the pass hands over is kept for `pass`.
    void collectFor(PassInput& input, int pass);
    // Suggests for every completed pass and writes a sheet after its report.
    void writeSheets(host::Application& app, ReconcileResult& result) const;

private:
    struct Unexplained {
        qint32 row;
        std::optional<qint64> cents;  // none when the sum text is no amount in range
    };
    using SideRows = std::array<std::vector<Unexplained>, 2>;  // left, right

    QList<Candidate> candidates(const std::vector<Unexplained>& rows, const SideFacts& facts) const;
    SuggestionFigures suggestForPass(host::Application& app, host::Workbook book,
                                     const PassResult& pass, int number) const;

    SuggestionRequest wanted_;
    std::array<SideFacts, 2> facts_;
    detail::SourceLayout layout_;
    std::array<SideRows, 2> unexplained_;  // per pass
};

// The amount of a sum text in cents, as the report counts it; none when it is no amount or too
// large to be one.
std::optional<qint64> centsOf(QStringView sumText);

}  // namespace tallimo::core::nearmiss

#pragma once

#include "RowFacts.h"
#include "SourceCopy.h"

// The sheet "N.疑似匹配": the suggestions of one pass, each row number a link into the pass's
// source copy.
namespace tallimo::core::nearmiss {

struct SheetContext {
    int pass = 1;
    QString reportSheetName;
    QString sourceSheetName;
    const detail::SourceLayout& layout;
    const RowFacts& left;
    const RowFacts& right;
    const Options& options;
};

// Adds the sheet after the pass's report and returns its name. Adding, naming and placing the
// sheet throw on failure; each later step is skipped when it fails.
QString writeSuggestionSheet(host::Application& app, host::Workbook book,
                             const SheetContext& context, const Result& result);

}  // namespace tallimo::core::nearmiss

#pragma once

#include "AreaReader.h"
#include "CliOptions.h"
#include "Reconcile.h"

#include <vector>

namespace tallimo::cli {

// The column roles of one area as 0-based positions inside its block, checked as the column-roles
// window checks them: one or two sum columns, any comparison columns, none in both lists.
struct ColumnRoles {
    std::vector<int> sumPositions;
    std::vector<int> comparePositions;
};

// Resolves the letters of `options` against the area's block. Without --*-sum the block's last
// column is the sum column, as the window preselects it; repeated letters count once. Throws
// CliError (kExitInvalidInput) with the window's own message where it has one.
ColumnRoles resolveColumnRoles(const AreaOptions& options, const host::CellRect& block,
                               core::Side side);

// The prepared data of one area: text grid, key lists, comparison positions, descriptor
// ("0[" workbook "]" sheet "!" range), rectangle and relation items (sum item 1 and 2; a side
// with one sum column repeats it). Throws CliError (kExitInvalidInput) when the key lists cannot
// be built.
core::PreparedSide prepareArea(const area::AreaText& text, const ColumnRoles& roles,
                               core::Side side);

// "左区" or "右区", for messages.
QString areaName(core::Side side);

}  // namespace tallimo::cli

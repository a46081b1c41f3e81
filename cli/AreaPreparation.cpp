#include "AreaPreparation.h"

#include "SelectionText.h"

#include <algorithm>

namespace tallimo::cli {

namespace {

CliError invalid(core::Side side, const QString& message) {
    return CliError(kExitInvalidInput, areaName(side) + QStringLiteral("：") + message);
}

std::vector<int> positionsOf(const QStringList& letters, const host::CellRect& block,
                             core::Side side) {
    std::vector<int> positions;
    for (const QString& column : letters) {
        const int number = columnNumber(column);
        if (number < block.left || number > block.right) {
            throw invalid(
                side,
                QStringLiteral("列 %1 不在区域 %2 之内").arg(column, host::absoluteAddress(block)));
        }
        const int position = number - block.left;
        if (std::find(positions.begin(), positions.end(), position) == positions.end()) {
            positions.push_back(position);
        }
    }
    return positions;
}

}  // namespace

QString areaName(core::Side side) {
    return side == core::Side::Left ? QStringLiteral("左区") : QStringLiteral("右区");
}

ColumnRoles resolveColumnRoles(const AreaOptions& options, const host::CellRect& block,
                               core::Side side) {
    ColumnRoles roles;
    roles.sumPositions = options.sumGiven ? positionsOf(options.sumColumns, block, side)
                                          : std::vector<int>{block.columnCount() - 1};
    if (roles.sumPositions.empty()) {
        throw invalid(side, QStringLiteral("至少要选择一列作为求和项！"));
    }
    if (roles.sumPositions.size() > 2) {
        throw invalid(side, QStringLiteral("只可以同时选择两个求和项"));
    }
    roles.comparePositions = positionsOf(options.compareColumns, block, side);
    for (const int position : roles.comparePositions) {
        if (std::find(roles.sumPositions.begin(), roles.sumPositions.end(), position) !=
            roles.sumPositions.end()) {
            throw invalid(side, QStringLiteral("列 %1 不能同时是求和列和比较列")
                                    .arg(columnLetters(block.left + position)));
        }
    }
    return roles;
}

core::PreparedSide prepareArea(const area::AreaText& text, const ColumnRoles& roles,
                               core::Side side) {
    const host::CellRect& block = text.block;
    core::KeyBuildInput input;
    input.selectionText = text.selectionText;
    input.side = side;
    input.firstRow = block.top;
    input.singleColumn = block.columnCount() == 1;
    input.sumPositions = roles.sumPositions;
    input.comparePositions = roles.comparePositions;
    input.areaRows = block.rowCount();
    input.areaColumns = block.columnCount();
    core::KeyBuildResult keys = core::buildKeys(input);
    if (!keys.ok()) {
        throw invalid(side, QStringLiteral("%1 [%2]%3!%4")
                                .arg(keys.error, text.workbookName, text.sheetName, text.range));
    }

    core::PreparedSide prepared;
    prepared.adoptKeys(std::move(keys));
    prepared.addressText =
        QStringLiteral("0[%1]%2!%3").arg(text.workbookName, text.sheetName, text.range);
    prepared.area = {block.top, columnLetters(block.left), block.bottom,
                     columnLetters(block.right)};
    const auto itemOf = [&](int position) {
        return sumLabel(columnLetters(block.left + position));
    };
    prepared.relationItems = {itemOf(roles.sumPositions.front()),
                              itemOf(roles.sumPositions.back())};
    return prepared;
}

}  // namespace tallimo::cli

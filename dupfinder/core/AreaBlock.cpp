#include "AreaBlock.h"

namespace tallimo::dupfinder {

namespace {

const QString kReselect = QStringLiteral("，请重新在EXCEL中拖拉出连续的选区！");

int tabCells(QStringView line) {
    return int(line.count(u'\t')) + 1;
}

}  // namespace

AreaBlockReading readAreaBlock(QString text) {
    AreaBlock block;
    qsizetype start = 0;
    bool anyText = false;
    for (;;) {
        const qsizetype end = text.indexOf(QStringLiteral("\r\n"), start);
        const qsizetype lineEnd = end < 0 ? text.size() : end;
        anyText = anyText || lineEnd > start;
        block.lineStarts_.push_back(start);
        block.lineEnds_.push_back(lineEnd);
        if (end < 0) break;
        start = end + 2;
    }
    const QString message = QStringLiteral("读取数据源失败(无回车分隔)") + kReselect;
    if (!anyText) return {std::nullopt, {message, {}}};
    if (block.lineCount() < 3) return {std::nullopt, {message, QStringLiteral("至少两行")}};
    block.text_ = std::move(text);
    block.columnCount_ = tabCells(block.line(0));
    return {std::move(block), {}};
}

TextGrid AreaBlock::cellTable(int columns) const {
    TextGrid grid(columns);
    const int lines = line(lineCount() - 1).isEmpty() ? dataRowCount() : lineCount();
    grid.reserve(lines, text_.size());
    for (int k = 0; k < lines; ++k) {
        const QStringView text = line(k);
        qsizetype start = 0;
        for (int c = 0; c < columns; ++c) {
            const qsizetype tab = text.indexOf(u'\t', start);
            grid.addCell(text.mid(start, (tab < 0 ? text.size() : tab) - start));
            if (tab < 0) break;
            start = tab + 1;
        }
        grid.endRow();
    }
    return grid;
}

}  // namespace tallimo::dupfinder

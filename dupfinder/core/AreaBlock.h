#pragma once

#include "TextGrid.h"

#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

namespace tallimo::dupfinder {

struct AreaBlockReading;

// The texts of the selected area as the clipboard holds them: the text cut at every CR LF into
// lines (the piece after the last CR LF included, empty for text that ends in CR LF), each line
// cut at TAB into cells. Every line but the last is a data row. The text is cut naively, as the
// spreadsheet's plain text gives no safe way to tell a quoted cell from a cell that starts with a
// quote.
class AreaBlock {
public:
    int lineCount() const { return int(lineStarts_.size()); }
    int dataRowCount() const { return lineCount() - 1; }
    QStringView line(int k) const {
        return QStringView(text_).mid(lineStarts_[k], lineEnds_[k] - lineStarts_[k]);
    }
    // The TAB cells of the first line.
    int columnCount() const { return columnCount_; }

    // Lines as rows of `columns` cells: cells a line does not reach are empty, cells past the
    // width are left out. The last line only when it holds text (it is empty for text that ends
    // in CR LF, and would lie under the grid's last row for a full-height area).
    TextGrid cellTable(int columns) const;

    friend AreaBlockReading readAreaBlock(QString text);

private:
    QString text_;
    std::vector<qsizetype> lineStarts_;
    std::vector<qsizetype> lineEnds_;
    int columnCount_ = 0;
};

// Why a clipboard text is no area: the message box's text and title (empty: the application's).
struct AreaBlockError {
    QString text;
    QString title;
};

struct AreaBlockReading {
    std::optional<AreaBlock> block;
    AreaBlockError error;
};

// Reads the clipboard text of a selection. Refused: a text that holds nothing but line breaks,
// and a text of fewer than two lines ended by CR LF.
AreaBlockReading readAreaBlock(QString text);

}  // namespace tallimo::dupfinder

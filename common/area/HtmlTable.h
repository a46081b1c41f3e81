#pragma once

#include "SheetSource.h"

#include <QByteArrayView>
#include <QString>
#include <vector>

namespace tallimo::area {

// True when the bytes are an HTML page (a table saved as a "workbook", as online banking
// exports it), whatever the file is named.
bool looksLikeHtml(QByteArrayView bytes);

// The rows of every table of an HTML page, one after the other, as one sheet. Cells spanning
// rows or columns are merged cells; each cell's text, its white space collapsed and line
// breaks kept, is entered as typed, as a spreadsheet enters the cells of a page it opens.
class HtmlTable {
public:
    explicit HtmlTable(QByteArrayView bytes);

    // The book must outlive the source.
    SheetSource source(const QString& sheetName) const;

private:
    struct Cell {
        host::CellRect cells;
        qsizetype offset;
        qsizetype length;
    };
    void parse(QStringView html);

    std::vector<Cell> cells_;
    std::vector<host::CellRect> merges_;
    QString pool_;
};

}  // namespace tallimo::area

#pragma once

#include "HostTypes.h"

#include <QList>
#include <string>
#include <string_view>
#include <vector>

// A sheet's comments as the package carries them: the comments part with the texts, the legacy
// drawing with a note box for each, and what ties the two to the sheet. Written straight from
// the model like the rows, laid out as the writer library laid them out before.
namespace tallimo::host::xlsx {

class ChunkedDeflate;

// Where a sheet's comments go: the n-th sheet with comments has comments<n>.xml and
// vmlDrawing<n>.vml, and numbers its boxes' shapes in blocks of 1024 from `firstBlock`.
struct CommentParts {
    int number = 0;  // 0: the sheet has no comments
    int firstBlock = 0;
};
// The parts of every sheet, in sheet order, from how many comments each has.
std::vector<CommentParts> numberCommentParts(const std::vector<qsizetype>& commentCounts);

// Column widths in pixels as the boxes are placed; a column never set is 64 pixels wide.
class ColumnPixels {
public:
    // 1-based columns; `width` in characters, as the sheet's columns hold it.
    void set(int firstColumn, int lastColumn, double width);
    // 0-based, as the drawing counts columns.
    int at(int column) const;
    int setCount() const { return int(pixels_.size()); }

private:
    std::vector<int> pixels_;  // from column A up to the last one set
};

// False for a text longer than a file's comment may be.
bool commentFits(QStringView text);

// `comments` are by row and then column.
void writeCommentsPart(ChunkedDeflate& out, const QList<CellComment>& comments);
void writeVmlDrawing(ChunkedDeflate& out, const QList<CellComment>& comments,
                     const ColumnPixels& columns, int firstBlock);

std::string commentsPartName(int number);
std::string vmlDrawingName(int number);
// The relationships part of the worksheet part `sheetPartName`, and what it holds: the drawing
// as rId1, the comments as rId2.
std::string sheetRelationshipsName(const std::string& sheetPartName);
std::string sheetRelationships(int number);
// The sheet's reference to its drawing, the last child of <worksheet>.
inline constexpr std::string_view kLegacyDrawing = "<legacyDrawing r:id=\"rId1\"/>";
// Adds the comments' font to the fonts of a styles part, where spreadsheet programs expect it.
void addCommentFont(std::string& styles);
// Adds the drawings' and comment parts' types to `contentTypes` for parts 1..`count`.
void addCommentContentTypes(std::string& contentTypes, int count);

}  // namespace tallimo::host::xlsx

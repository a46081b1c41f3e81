#pragma once

#include "SheetSource.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace tallimo::area {

// A legacy workbook (BIFF8, the "Workbook" stream of an OLE compound file): its sheets and the
// display texts of their cells. Numbers, texts, truth values, errors and the cached results of
// formulas show through the number formats the workbook keeps (dates in either date system);
// cells covered by a merge show nothing. Throws FormatError for an encrypted workbook, an older
// BIFF version or records that run past the stream.
class XlsBook {
public:
    explicit XlsBook(QByteArray workbookStream);

    struct Sheet {
        QString name;
        bool hidden = false;
        std::uint32_t offset = 0;  // of its BOF record in the stream
    };
    // The worksheets in their order (charts and macro sheets are left out).
    const std::vector<Sheet>& sheets() const { return sheets_; }

    // The sheet as a source; the book must outlive it.
    SheetSource source(const Sheet& sheet) const;

private:
    void visitSheet(std::uint32_t offset, SheetVisitor& visitor) const;

    QByteArray stream_;
    std::vector<Sheet> sheets_;
    std::vector<QString> strings_;         // the shared strings
    std::vector<std::uint16_t> xfFormat_;  // the number format id of each cell format
    std::vector<std::pair<std::uint16_t, QString>> formats_;  // the workbook's own codes
    bool date1904_ = false;
};

}  // namespace tallimo::area

#pragma once

#include "SheetSource.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

namespace tallimo::area {

// An OpenDocument spreadsheet (.ods): its sheets and the texts its cells show, which the file
// itself carries beside each value. Rows and cells the file repeats are reported once with the
// block they cover, so a million repeated empty rows cost nothing. Throws FormatError for an
// encrypted document, a content part past `partCap` or markup that does not parse.
class OdsBook {
public:
    static constexpr std::int64_t kPartCap = std::int64_t(256) << 20;

    explicit OdsBook(const QString& path, std::int64_t partCap = kPartCap);
    // The content part itself, for tests and fuzzing.
    static std::unique_ptr<OdsBook> fromContent(QByteArray contentXml);
    ~OdsBook();

    QStringList sheetNames() const;
    // The first sheet not hidden (0 when all are).
    int firstShownSheet() const;
    // The sheet at `index` (0-based) as a source; the book must outlive it.
    SheetSource source(int index) const;

private:
    OdsBook();
    void parse(QByteArray contentXml);

    struct Document;
    std::unique_ptr<Document> document_;
};

}  // namespace tallimo::area

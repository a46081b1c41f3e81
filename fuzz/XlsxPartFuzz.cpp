// One part of a workbook at a time, inside an otherwise sound package, so that the fuzzer
// spends its effort on the markup rather than on the container. The first byte chooses the part.
#include "FuzzInput.h"
#include "MemoryHost.h"
#include "TestZip.h"
#include "Xlsx.h"

using namespace tallimo;
using namespace tallimo::host;

namespace {

const QByteArray kRelationship =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

xlsx::test::Parts packageWith(std::uint8_t choice, const QByteArray& part) {
    xlsx::test::Parts parts = xlsx::test::minimalWorkbook({});
    const auto relate = [&](const char* type, const char* target) {
        parts[3].second.replace("</Relationships>", "<Relationship Id=\"rId" + QByteArray(type) +
                                                        "\" Type=\"" + kRelationship + type +
                                                        "\" Target=\"" + target +
                                                        "\"/></Relationships>");
    };
    switch (choice % 4) {
        case 0:
            parts[4].second = part;  // the worksheet
            break;
        case 1:
            relate("styles", "styles.xml");
            parts.emplace_back(QStringLiteral("xl/styles.xml"), part);
            parts[4].second =
                "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" s=\"1\"><v>1.5</v>"
                "</c><c r=\"B1\" s=\"2\"><v>45366</v></c></row></sheetData>"
                "</worksheet>";
            break;
        case 2:
            relate("sharedStrings", "sharedStrings.xml");
            parts.emplace_back(QStringLiteral("xl/sharedStrings.xml"), part);
            parts[4].second =
                "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v>"
                "</c><c r=\"B1\" t=\"s\"><v>1</v></c></row></sheetData></worksheet>";
            break;
        default:
            parts[2].second = part;  // the workbook
            break;
    }
    return parts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const QString path = fuzz::writeInput({}, QStringLiteral(".xlsx"));
    xlsx::test::writeZip(path, packageWith(data[0], fuzz::bytesOf(data + 1, size - 1)));
    auto host = makeMemoryHost();
    const BookId book = host->addWorkbook();
    try {
        readXlsx(*host, book, path);
        const SheetId sheet = host->sheetAt(book, 1);
        for (int row = 1; row <= 8; ++row)
            for (int column = 1; column <= 8; ++column)
                host->displayText(sheet, row, column);
    } catch (const HostError&) {
    }
    return 0;
}

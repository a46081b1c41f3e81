#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The container side of saving: the final package written through minizip, with sheet parts
// whose deflate stream is made elsewhere.
namespace tallimo::host::xlsx {

// Thrown with the system's errno when the container cannot be written.
struct ZipFault {
    int systemError = 0;
};

class ZipOut {
public:
    explicit ZipOut(const std::string& path);
    ~ZipOut();
    ZipOut(const ZipOut&) = delete;
    ZipOut& operator=(const ZipOut&) = delete;

    // A part compressed here; for the small parts.
    void add(const std::string& name, std::string_view content);

    // A part whose raw deflate data arrives through `write`, closed with its checksum and size.
    void beginRaw(const std::string& name);
    void write(std::string_view compressed);
    void endRaw(std::uint32_t crc, std::uint64_t uncompressedSize);

    void close();

private:
    void* zip_ = nullptr;
};

// A worksheet part cut around its rows: what comes before <sheetData> and what after.
struct SheetFrame {
    std::string head;
    std::string tail;
};
// Cuts `part`; `dimension` ("A1:Q9") and, when not empty, `selection` ("B2:B9 E2:E9") replace
// what the library wrote for them. False when the part has no rows element.
bool cutSheetPart(const std::string& part, const std::string& dimension,
                  const std::string& selection, SheetFrame& frame);

}  // namespace tallimo::host::xlsx

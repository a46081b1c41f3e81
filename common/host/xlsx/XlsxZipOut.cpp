#include "XlsxZipOut.h"

#include <minizip/zip.h>

#include <cerrno>
#include <cstring>
#include <limits>

namespace tallimo::host::xlsx {

namespace {

// The small parts are a few kilobytes in all; every part is packed at the same fastest level.
constexpr int kSmallPartLevel = Z_BEST_SPEED;

[[noreturn]] void failed() {
    throw ZipFault{errno};
}

zip_fileinfo partInfo() {
    // The packages carry no real times, as the library writes them: the same workbook gives the
    // same bytes.
    zip_fileinfo info{};
    info.tmz_date.tm_year = 1980;
    info.tmz_date.tm_mday = 1;
    return info;
}

// Replaces the value of the attribute `name` in the first element `element` of `xml`.
void replaceAttribute(std::string& xml, std::size_t from, std::size_t to, std::string_view element,
                      std::string_view name, const std::string& value) {
    const std::size_t start = xml.find(element, from);
    if (start == std::string::npos || start >= to) return;
    const std::size_t end = xml.find('>', start);
    const std::string key = std::string(" ") + std::string(name) + "=\"";
    const std::size_t attribute = xml.find(key, start);
    if (attribute == std::string::npos || attribute > end) return;
    const std::size_t valueStart = attribute + key.size();
    const std::size_t valueEnd = xml.find('"', valueStart);
    if (valueEnd == std::string::npos || valueEnd > end) return;
    xml.replace(valueStart, valueEnd - valueStart, value);
}

}  // namespace

ZipOut::ZipOut(const std::string& path) {
    errno = 0;
    zip_ = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    if (!zip_) failed();
}

ZipOut::~ZipOut() {
    if (zip_) zipClose(zip_, nullptr);
}

void ZipOut::add(const std::string& name, std::string_view content) {
    const zip_fileinfo info = partInfo();
    errno = 0;
    if (zipOpenNewFileInZip64(zip_, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                              Z_DEFLATED, kSmallPartLevel, 0) != ZIP_OK ||
        zipWriteInFileInZip(zip_, content.data(), unsigned(content.size())) != ZIP_OK ||
        zipCloseFileInZip(zip_) != ZIP_OK)
        failed();
}

void ZipOut::beginRaw(const std::string& name) {
    const zip_fileinfo info = partInfo();
    errno = 0;
    if (zipOpenNewFileInZip2_64(zip_, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                Z_DEFLATED, Z_BEST_SPEED, 1, 0) != ZIP_OK)
        failed();
}

void ZipOut::write(std::string_view compressed) {
    errno = 0;
    while (!compressed.empty()) {
        const auto piece = unsigned(std::min<std::size_t>(compressed.size(), 1u << 30));
        if (zipWriteInFileInZip(zip_, compressed.data(), piece) != ZIP_OK) failed();
        compressed.remove_prefix(piece);
    }
}

void ZipOut::endRaw(std::uint32_t crc, std::uint64_t uncompressedSize) {
    errno = 0;
    if (zipCloseFileInZipRaw64(zip_, uncompressedSize, crc) != ZIP_OK) failed();
}

void ZipOut::close() {
    errno = 0;
    void* zip = zip_;
    zip_ = nullptr;
    if (zipClose(zip, nullptr) != ZIP_OK) failed();
}

bool cutSheetPart(const std::string& part, const std::string& dimension,
                  const std::string& selection, SheetFrame& frame) {
    const std::size_t start = part.find("<sheetData");
    if (start == std::string::npos) return false;
    std::size_t end = part.find('>', start);
    if (end == std::string::npos) return false;
    if (part[end - 1] == '/') {
        ++end;
    } else {
        end = part.find("</sheetData>", end);
        if (end == std::string::npos) return false;
        end += std::strlen("</sheetData>");
    }
    frame.head.assign(part, 0, start);
    frame.tail.assign(part, end);
    replaceAttribute(frame.head, 0, frame.head.size(), "<dimension ", "ref", dimension);
    if (!selection.empty()) {
        // The last selection of the view is the one of the pane the user works in.
        const std::size_t viewsEnd = frame.head.find("</sheetViews>");
        const std::size_t last = frame.head.rfind("<selection ", viewsEnd);
        if (viewsEnd != std::string::npos && last != std::string::npos)
            replaceAttribute(frame.head, last, viewsEnd, "<selection ", "sqref", selection);
    }
    return true;
}

}  // namespace tallimo::host::xlsx

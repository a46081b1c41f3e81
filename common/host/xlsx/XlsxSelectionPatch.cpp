#include "XlsxSelectionPatch.h"

#include <dlfcn.h>

namespace tallimo::host::xlsx {

namespace {

thread_local SelectionPatches* current = nullptr;

using ZipWrite = int (*)(void* file, const void* buffer, unsigned length);
using ZipClose = int (*)(void* file);

ZipWrite minizipWrite() {
    static const auto write = reinterpret_cast<ZipWrite>(dlsym(RTLD_NEXT, "zipWriteInFileInZip"));
    return write;
}

ZipClose minizipClose() {
    static const auto close = reinterpret_cast<ZipClose>(dlsym(RTLD_NEXT, "zipCloseFileInZip"));
    return close;
}

// The selection element comes before the sheet's rows, within its first few hundred bytes; a
// part that shows none by then goes out unchanged.
constexpr std::size_t kHeadLimit = 1 << 16;

}  // namespace

// Holds back the head of a part with a patch until its sheet view is complete.
class PartPatcher {
public:
    void start(void* zip, const char* name) {
        zip_ = nullptr;
        head_.clear();
        if (current == nullptr) return;
        const auto found = current->byPart_.find(name);
        if (found == current->byPart_.end()) return;
        zip_ = zip;
        sqref_ = found->second;
    }

    // Returns minizip's result for the bytes passed on; held-back bytes count as written.
    int write(void* zip, const void* buffer, unsigned length) {
        if (zip != zip_) return minizipWrite()(zip, buffer, length);
        head_.append(static_cast<const char*>(buffer), length);
        const std::size_t end = head_.find("</sheetViews>");
        if (end == std::string::npos && head_.find("<sheetData") == std::string::npos &&
            head_.size() < kHeadLimit)
            return kZipOk;
        if (end != std::string::npos) patch(end);
        return flush(zip);
    }

    int close(void* zip) {
        if (zip == zip_) {
            if (const int status = flush(zip); status != kZipOk) return status;
        }
        return minizipClose()(zip);
    }

private:
    static constexpr int kZipOk = 0;

    // The last selection of the view is the one of the pane the user works in.
    void patch(std::size_t viewsEnd) {
        const std::size_t element = head_.rfind("<selection ", viewsEnd);
        if (element == std::string::npos) return;
        const std::size_t elementEnd = head_.find('>', element);
        const std::size_t value = head_.find("sqref=\"", element);
        if (value == std::string::npos || value > elementEnd) return;
        const std::size_t valueStart = value + 7;
        const std::size_t valueEnd = head_.find('"', valueStart);
        if (valueEnd == std::string::npos || valueEnd > elementEnd) return;
        head_.replace(valueStart, valueEnd - valueStart, sqref_);
    }

    int flush(void* zip) {
        zip_ = nullptr;
        const int status =
            head_.empty() ? kZipOk : minizipWrite()(zip, head_.data(), unsigned(head_.size()));
        head_.clear();
        return status;
    }

    void* zip_ = nullptr;
    std::string head_;
    std::string sqref_;
};

namespace {
thread_local PartPatcher patcher;
}

SelectionPatches::SelectionPatches() : previous_(current) {
    current = this;
}

SelectionPatches::~SelectionPatches() {
    current = previous_;
}

void SelectionPatches::add(int sheetNumber, std::string sqref) {
    byPart_["xl/worksheets/sheet" + std::to_string(sheetNumber) + ".xml"] = std::move(sqref);
}

void noteZipEntry(void* zip, const char* name) {
    patcher.start(zip, name);
}

}  // namespace tallimo::host::xlsx

// The writer library's calls into minizip for the bytes of a part and its end. Only the saving
// thread's parts with a patch are held back; every other call passes straight on.
extern "C" {

int zipWriteInFileInZip(void* file, const void* buffer, unsigned length) {
    if (tallimo::host::xlsx::minizipWrite() == nullptr) return -1;  // ZIP_ERRNO
    return tallimo::host::xlsx::patcher.write(file, buffer, length);
}

int zipCloseFileInZip(void* file) {
    if (tallimo::host::xlsx::minizipClose() == nullptr) return -1;
    return tallimo::host::xlsx::patcher.close(file);
}
}

#pragma once

#include <map>
#include <string>

namespace tallimo::host::xlsx {

// The writer library keeps one range per sheet selection, and a selection of several ranges
// (the compared columns of a source copy) would be cut to its first. The library writes that
// first range; while it packs the workbook, this puts the whole list into the sheet part's
// selection element. The library packs on the thread that closes the workbook, so the patches
// belong to that thread.
class SelectionPatches {
public:
    SelectionPatches();  // becomes the calling thread's set until destroyed
    ~SelectionPatches();
    SelectionPatches(const SelectionPatches&) = delete;
    SelectionPatches& operator=(const SelectionPatches&) = delete;

    // `sqref` ("B2:B9 E2:E9") replaces the selection written into the n-th worksheet part.
    void add(int sheetNumber, std::string sqref);

private:
    friend class PartPatcher;
    std::map<std::string, std::string> byPart_;
    SelectionPatches* previous_;
};

// The packing of a new part starts; called by the library's entry hook.
void noteZipEntry(void* zip, const char* name);

}  // namespace tallimo::host::xlsx

#pragma once

#include "AddInRegistry.h"
#include "HostBackend.h"
#include "MemoryHost.h"
#include "MemorySheet.h"

#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

namespace tallimo::host {

// The memory model's application: its settings and add-ins, the open workbooks with their
// sheets, and the .xlsx files they are opened from and saved to. It owns every sheet; the other
// parts find a sheet here.
class MemoryWorkbooks {
public:
    // `host` is the whole back end, which the file reader fills and the file writer reads.
    MemoryWorkbooks(HostBackend& host, const MemoryHostOptions& options);
    ~MemoryWorkbooks();

    TALLIMO_HOST_BOOK_OPERATIONS(TALLIMO_HOST_MEMBER)
    void suggestFileName(BookId book, const QString& stem);

    MemoryBook& book(BookId id) const;
    MemorySheet& sheet(SheetId id) const;

private:
    BookId createBook(const QString& name);
    QString uniqueSheetName(const MemoryBook& book, const QString& wanted) const;
    void checkSheetName(const MemorySheet& sheet, const QString& name) const;
    SheetId createSheet(MemoryBook& book, const QString& name, int position);
    void placeSheet(MemoryBook& book, SheetId id, SheetId anchor, Placement where);
    void removeBook(BookId id);
    void showUnseenWorkbooks();
    void saveTo(BookId book, const QString& path);

    HostBackend& host_;
    bool visible_;
    std::function<void(const QString&)> showFile_;
    bool displayAlerts_ = true;
    bool enableEvents_ = true;
    AddInRegistry addIns_;
    std::unordered_map<BookId, std::unique_ptr<MemoryBook>> books_;
    std::vector<BookId> bookOrder_;
    std::unordered_map<SheetId, std::unique_ptr<MemorySheet>> sheets_;
    BookId activeBook_ = 0;
    BookId nextBookId_ = 1;
    SheetId nextSheetId_ = 1;
    int nextBookNumber_ = 1;
};

}  // namespace tallimo::host

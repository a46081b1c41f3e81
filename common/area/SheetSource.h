#pragma once

#include "HostTypes.h"

#include <QString>
#include <QStringView>
#include <functional>
#include <stdexcept>

namespace tallimo::area {

// Why a file's content could not be read as what it claims to be; the message is Chinese and
// says what is wrong with the content, the caller adds the file's name.
class FormatError : public std::runtime_error {
public:
    explicit FormatError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

// The refusal of a workbook that needs a password to open.
inline QString passwordProtectedMessage() {
    return QStringLiteral("工作簿受密码保护，请先在电子表格中取消密码后再试");
}

// What a reader of a workbook file reports of one sheet, in any order.
class SheetVisitor {
public:
    virtual ~SheetVisitor() = default;
    // Every cell of `cells` shows `text` (one cell, or a cell the file repeats over a block).
    // Only cells with a display text are reported.
    virtual void cells(const host::CellRect& cells, QStringView text) = 0;
    // The cells of `cells` are merged into the top-left one; the others show nothing.
    virtual void merged(const host::CellRect& cells) = 0;
};

// One sheet of a file, read by a visit that can be repeated.
struct SheetSource {
    QString sheetName;
    std::function<void(SheetVisitor&)> visit;
};

}  // namespace tallimo::area

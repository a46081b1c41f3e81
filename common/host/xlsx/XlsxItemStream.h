#pragma once

#include "XlsxPackage.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <string_view>

namespace pugi {
class xml_document;
}

namespace tallimo::host::xlsx {

// What is left of a part once its items have been handed on.
struct Outline {
    bool containerFound = false;
    QByteArray xml;  // the part without the container's content, a small document
};

// Reads a part whose bulk is a long run of items in one container element (the rows of
// <sheetData>, the strings of <sst>) a few megabytes at a time: onItems gets each piece of
// items parsed as a document fragment, so that memory stays at a few pieces whatever the size
// of the part. Throws FileFault for markup that does not parse.
// readBytes and pieceBytes are the sizes of one read and of one parsed piece.
Outline streamItems(PartStream& in, std::string_view container, std::string_view item,
                    const QString& part,
                    const std::function<void(const pugi::xml_document&)>& onItems,
                    qsizetype readBytes = qsizetype(1) << 20,
                    qsizetype pieceBytes = qsizetype(8) << 20);

}  // namespace tallimo::host::xlsx

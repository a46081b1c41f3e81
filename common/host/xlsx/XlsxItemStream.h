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

struct StreamLimits {
    qsizetype readBytes = qsizetype(1) << 20;   // one read
    qsizetype pieceBytes = qsizetype(8) << 20;  // items parsed at once, when they fit
    // One item, and the outline: what is held whole as text and then as a document tree.
    qsizetype wholeBytes = qsizetype(128) << 20;
    // White space between markup means nothing past a few characters, and a cell text holds
    // at most 32767; longer runs are cut to this as they arrive.
    qsizetype blankRun = qsizetype(64) << 10;
};

// Reads a part whose bulk is a long run of items in one container element (the rows of
// <sheetData>, the strings of <sst>) a few megabytes at a time: onItems gets each piece of
// items parsed as a document fragment, so that memory stays at a few pieces whatever the size
// of the part. Throws FileFault for markup that does not parse, and for an item or an outline
// past limits.wholeBytes.
Outline streamItems(PartStream& in, std::string_view container, std::string_view item,
                    const QString& part,
                    const std::function<void(const pugi::xml_document&)>& onItems,
                    const StreamLimits& limits = {});

}  // namespace tallimo::host::xlsx

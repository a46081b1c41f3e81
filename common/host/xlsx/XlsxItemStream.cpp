#include "XlsxItemStream.h"
#include "XlsxXml.h"

#include <algorithm>
#include <string>

namespace tallimo::host::xlsx {

namespace {

// Namespace prefixes are short; a longer run of name characters is no prefix.
constexpr qsizetype kMaxPrefix = 64;

bool isNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.' || c == ':';
}
bool endsTagName(char c) {
    return c == ' ' || c == '>' || c == '/' || c == '\t' || c == '\r' || c == '\n';
}

struct StartTag {
    enum class Scan { NotFound, Incomplete, Found } scan = Scan::NotFound;
    qsizetype at = 0;  // the "<" (Incomplete, Found)
    std::string prefix;
    qsizetype contentBegin = 0;
    bool empty = false;  // <name/>
};

// The first start tag of `local` (with any prefix) at or after `from`.
StartTag findStartTag(const QByteArray& xml, std::string_view local, qsizetype from) {
    const std::string_view all(xml.constData(), std::size_t(xml.size()));
    for (std::size_t pos = all.find(local, std::size_t(from)); pos != std::string_view::npos;
         pos = all.find(local, pos + 1)) {
        std::size_t nameStart = pos;
        while (nameStart > 0 && pos - nameStart < kMaxPrefix && isNameChar(all[nameStart - 1]))
            --nameStart;
        if (nameStart == 0 || all[nameStart - 1] != '<' ||
            (nameStart != pos && all[pos - 1] != ':'))
            continue;
        StartTag tag;
        tag.at = qsizetype(nameStart - 1);
        const std::size_t after = pos + local.size();
        if (after >= all.size()) {
            tag.scan = StartTag::Scan::Incomplete;
            return tag;
        }
        if (!endsTagName(all[after])) continue;
        const std::size_t close = all.find('>', after);
        if (close == std::string_view::npos) {
            tag.scan = StartTag::Scan::Incomplete;
            return tag;
        }
        tag.scan = StartTag::Scan::Found;
        tag.prefix = std::string(all.substr(nameStart, pos - nameStart));
        tag.contentBegin = qsizetype(close + 1);
        tag.empty = all[close - 1] == '/';
        return tag;
    }
    return {};
}

void parseItems(QByteArray& buffer, qsizetype size, const QString& part,
                const std::function<void(const pugi::xml_document&)>& onItems) {
    pugi::xml_document doc;
    parseInPlace(doc, buffer.data(), std::size_t(size), kParseFlags | pugi::parse_fragment,
                 pugi::encoding_utf8, part);
    onItems(doc);
    buffer.remove(0, size);
}

bool isBlank(char c) {
    return c == ' ' || c == '\n' || c == '\t' || c == '\r';
}

// Drops the white space past `limit` in a row from `from` on; `run` carries the white space
// the buffer ended with over from one call to the next.
void cutBlankRuns(QByteArray& buffer, qsizetype from, qsizetype limit, qsizetype& run) {
    char* data = buffer.data();
    qsizetype out = from;
    for (qsizetype i = from; i < buffer.size(); ++i) {
        run = isBlank(data[i]) ? run + 1 : 0;
        if (run <= limit) data[out++] = data[i];
    }
    buffer.truncate(out);
}

}  // namespace

Outline streamItems(PartStream& in, std::string_view container, std::string_view item,
                    const QString& part,
                    const std::function<void(const pugi::xml_document&)>& onItems,
                    const StreamLimits& limits) {
    QByteArray buffer;
    bool exhausted = false;
    qsizetype blankRun = 0;
    const auto tooLarge = [&](const QString& what) {
        fault(QStringLiteral("部件 %1 中%2解压后超过 %3 字节，无法读取")
                  .arg(part, what)
                  .arg(limits.wholeBytes));
    };
    const QString containerName = QString::fromUtf8(container.data(), qsizetype(container.size()));
    const auto readMore = [&] {
        const qsizetype old = buffer.size();
        exhausted = in.readInto(buffer, limits.readBytes) == 0;
        cutBlankRuns(buffer, old, limits.blankRun, blankRun);
    };
    // What follows the items is the rest of the outline.
    const auto readRest = [&](qsizetype held) {
        while (!exhausted) {
            readMore();
            if (held + buffer.size() > limits.wholeBytes)
                tooLarge(QStringLiteral(" <%1> 以外的部分").arg(containerName));
        }
    };

    // Up to the container's start tag; the search goes on where it left off.
    StartTag open;
    for (qsizetype from = 0;;) {
        open = findStartTag(buffer, container, from);
        if (open.scan == StartTag::Scan::Found || exhausted) break;
        from = open.scan == StartTag::Scan::Incomplete
                   ? open.at
                   : std::max<qsizetype>(0, buffer.size() - qsizetype(container.size()));
        if (buffer.size() > limits.wholeBytes)
            tooLarge(QStringLiteral(" <%1> 以外的部分").arg(containerName));
        readMore();
    }
    if (open.scan != StartTag::Scan::Found) return {false, buffer};
    Outline outline{true, buffer.left(open.contentBegin)};
    buffer.remove(0, open.contentBegin);
    if (open.empty) {
        readRest(outline.xml.size());
        outline.xml += buffer;
        return outline;
    }

    // The items, cut before an item's start tag once a piece is large enough. Both searches
    // look only at what arrived since the last look, so no byte is scanned twice over.
    const std::string closeTag = "</" + open.prefix + std::string(container);
    const std::string itemTag = "<" + open.prefix + std::string(item);
    const QString itemName =
        QStringLiteral("的一个 <%1> ").arg(QString::fromUtf8(item.data(), qsizetype(item.size())));
    qsizetype closeFrom = 0, itemFrom = 0, lastItem = 0;
    for (;;) {
        const qsizetype close = buffer.indexOf(closeTag.c_str(), closeFrom);
        // A piece is cut before it grows past the limit, unless a single item is larger.
        if (close > limits.wholeBytes) tooLarge(itemName);
        if (close >= 0) {
            parseItems(buffer, close, part, onItems);
            break;
        }
        for (qsizetype at = buffer.indexOf(itemTag.c_str(), itemFrom);
             at >= 0 && at + qsizetype(itemTag.size()) < buffer.size();
             at = buffer.indexOf(itemTag.c_str(), at + 1))
            if (endsTagName(buffer[at + qsizetype(itemTag.size())])) lastItem = at;
        if (buffer.size() >= limits.pieceBytes && lastItem > 0) {
            parseItems(buffer, lastItem, part, onItems);
            lastItem = 0;
        }
        // No cut left a whole item too large to parse within bounds.
        if (buffer.size() > limits.wholeBytes) tooLarge(itemName);
        if (exhausted)
            fault(QStringLiteral("部件 %1 不是有效的 XML（缺少 %2 的结束标记）")
                      .arg(part, containerName));
        closeFrom = std::max<qsizetype>(0, buffer.size() - qsizetype(closeTag.size()));
        itemFrom = std::max<qsizetype>(0, buffer.size() - qsizetype(itemTag.size()));
        readMore();
    }
    outline.xml += buffer;
    buffer.clear();
    readRest(outline.xml.size());
    outline.xml += buffer;
    return outline;
}

}  // namespace tallimo::host::xlsx

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
    const pugi::xml_parse_result result = doc.load_buffer_inplace(
        buffer.data(), std::size_t(size), kParseFlags | pugi::parse_fragment, pugi::encoding_utf8);
    if (!result)
        fault(QStringLiteral("部件 %1 不是有效的 XML（%2）")
                  .arg(part, QString::fromUtf8(result.description())));
    onItems(doc);
    buffer.remove(0, size);
}

}  // namespace

Outline streamItems(PartStream& in, std::string_view container, std::string_view item,
                    const QString& part,
                    const std::function<void(const pugi::xml_document&)>& onItems,
                    qsizetype readBytes, qsizetype pieceBytes) {
    QByteArray buffer;
    bool exhausted = false;
    const auto readMore = [&] { exhausted = in.readInto(buffer, readBytes) == 0; };
    const auto readRest = [&] {
        while (!exhausted)
            readMore();
    };

    // Up to the container's start tag; the search goes on where it left off.
    StartTag open;
    for (qsizetype from = 0;;) {
        open = findStartTag(buffer, container, from);
        if (open.scan == StartTag::Scan::Found || exhausted) break;
        from = open.scan == StartTag::Scan::Incomplete
                   ? open.at
                   : std::max<qsizetype>(0, buffer.size() - qsizetype(container.size()));
        readMore();
    }
    if (open.scan != StartTag::Scan::Found) return {false, buffer};
    Outline outline{true, buffer.left(open.contentBegin)};
    buffer.remove(0, open.contentBegin);
    if (open.empty) {
        readRest();
        outline.xml += buffer;
        return outline;
    }

    // The items, cut before an item's start tag once a piece is large enough. Both searches
    // look only at what arrived since the last look, so no byte is scanned twice over.
    const std::string closeTag = "</" + open.prefix + std::string(container);
    const std::string itemTag = "<" + open.prefix + std::string(item);
    qsizetype closeFrom = 0, itemFrom = 0, lastItem = 0;
    for (;;) {
        const qsizetype close = buffer.indexOf(closeTag.c_str(), closeFrom);
        if (close >= 0) {
            parseItems(buffer, close, part, onItems);
            break;
        }
        for (qsizetype at = buffer.indexOf(itemTag.c_str(), itemFrom);
             at >= 0 && at + qsizetype(itemTag.size()) < buffer.size();
             at = buffer.indexOf(itemTag.c_str(), at + 1))
            if (endsTagName(buffer[at + qsizetype(itemTag.size())])) lastItem = at;
        if (buffer.size() >= pieceBytes && lastItem > 0) {
            parseItems(buffer, lastItem, part, onItems);
            lastItem = 0;
        }
        if (exhausted)
            fault(QStringLiteral("部件 %1 不是有效的 XML（缺少 %2 的结束标记）")
                      .arg(part, QString::fromUtf8(container.data(), qsizetype(container.size()))));
        closeFrom = std::max<qsizetype>(0, buffer.size() - qsizetype(closeTag.size()));
        itemFrom = std::max<qsizetype>(0, buffer.size() - qsizetype(itemTag.size()));
        readMore();
    }
    readRest();
    outline.xml += buffer;
    return outline;
}

}  // namespace tallimo::host::xlsx

#pragma once

#include "XlsxCommon.h"

#include <pugixml.hpp>

#include <QByteArray>
#include <cstring>
#include <string_view>

// Reading the parts of a workbook with pugixml. Writers differ in namespace prefixes ("x:row"),
// so elements and attributes are matched by their local names.
namespace tallimo::host::xlsx {

// Entities decoded, line ends normalised, CDATA sections kept as text and a lone space inside
// <t> kept.
inline constexpr unsigned kParseFlags =
    pugi::parse_escapes | pugi::parse_eol | pugi::parse_cdata | pugi::parse_ws_pcdata_single;

inline std::string_view localName(const char* name) {
    const char* colon = std::strrchr(name, ':');
    return colon ? std::string_view(colon + 1) : std::string_view(name);
}
inline bool isNamed(const pugi::xml_node& node, std::string_view local) {
    if (node.type() != pugi::node_element) return false;
    // Most names have no prefix: compared as they stand, without measuring them first, since
    // every cell of a sheet asks this a few times.
    const char* name = node.name();
    if (std::strncmp(name, local.data(), local.size()) == 0 && name[local.size()] == '\0')
        return true;
    return localName(name) == local;
}
inline pugi::xml_node childNamed(const pugi::xml_node& node, std::string_view local) {
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (isNamed(c, local)) return c;
    return {};
}
// An attribute by local name, so that "r:id" is found whatever the prefix.
inline pugi::xml_attribute attributeNamed(const pugi::xml_node& node, std::string_view local) {
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute())
        if (localName(a.name()) == local) return a;
    return {};
}
inline QString text(const pugi::xml_attribute& a) {
    return QString::fromUtf8(a.value());
}
inline bool isTrue(const pugi::xml_attribute& a) {
    const std::string_view v = a.value();
    return v == "1" || v == "true" || v == "on";
}

// The memory one document tree may take, whatever its markup: at most a few times the size of
// the text, which the caps on part and piece sizes bound in turn.
inline constexpr std::size_t kTreeBudget = std::size_t(256) << 20;

// Parses `size` bytes at `data` in place (the buffer must outlive the document), the tree held
// to `budget` bytes. Throws FileFault naming the part for markup that does not parse or a tree
// past the budget.
void parseInPlace(pugi::xml_document& doc, char* data, std::size_t size, unsigned flags,
                  pugi::xml_encoding encoding, const QString& part,
                  std::size_t budget = kTreeBudget);

// Parses a whole part in place; the buffer must outlive the document.
inline void parsePart(pugi::xml_document& doc, QByteArray& data, const QString& part) {
    parseInPlace(doc, data.data(), std::size_t(data.size()), kParseFlags, pugi::encoding_auto,
                 part);
}

}  // namespace tallimo::host::xlsx

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
    return node.type() == pugi::node_element && localName(node.name()) == local;
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

// Parses a whole part in place; the buffer must outlive the document.
inline void parsePart(pugi::xml_document& doc, QByteArray& data, const QString& part) {
    const pugi::xml_parse_result result = doc.load_buffer_inplace(
        data.data(), std::size_t(data.size()), kParseFlags, pugi::encoding_auto);
    if (!result)
        fault(QStringLiteral("部件 %1 不是有效的 XML（%2，位置 %3）")
                  .arg(part, QString::fromUtf8(result.description()))
                  .arg(result.offset));
}

}  // namespace tallimo::host::xlsx

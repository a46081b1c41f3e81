#include "TestZip.h"
#include "XlsxCommon.h"
#include "XlsxItemStream.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <QTemporaryDir>

namespace tallimo::host::xlsx {
namespace {

struct StreamResult {
    QStringList items;
    int pieces = 0;
    Outline outline;
};

StreamResult stream(const QByteArray& xml, qsizetype readBytes, qsizetype pieceBytes) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("part.zip"));
    test::writeZip(path, {{QStringLiteral("part.xml"), xml}});
    const Package package(path);
    PartStream in(package, QStringLiteral("part.xml"));
    StreamResult result;
    result.outline = streamItems(
        in, "list", "item", QStringLiteral("part.xml"),
        [&](const pugi::xml_document& doc) {
            ++result.pieces;
            for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling())
                result.items.append(QString::fromUtf8(n.attribute("v").value()));
        },
        readBytes, pieceBytes);
    return result;
}

// Every read size and piece size cuts the markup somewhere else: inside a start tag, inside the
// closing tag of the list, between an item and the next; the items and the outline must not
// notice. Prefixed names and items whose names begin like the item's ("itemize") are included.
TEST(XlsxItemStream, ItemsAndOutlineSurviveEveryCut) {
    QByteArray items;
    QStringList expected;
    for (int i = 0; i < 40; ++i) {
        items += "<x:item v=\"" + QByteArray::number(i) + "\"><x:itemize/></x:item>";
        expected.append(QString::number(i));
    }
    const QByteArray xml = "<x:doc a=\"1\"><x:head/><x:list count=\"40\">" + items +
                           "</x:list><x:tail t=\"2\"/></x:doc>";
    for (qsizetype readBytes = 1; readBytes <= 40; ++readBytes) {
        for (qsizetype pieceBytes : {1, 64, 500, 100000}) {
            const StreamResult r = stream(xml, readBytes, pieceBytes);
            ASSERT_EQ(r.items, expected) << readBytes << " " << pieceBytes;
            EXPECT_TRUE(r.outline.containerFound);
            EXPECT_EQ(r.outline.xml, QByteArray("<x:doc a=\"1\"><x:head/><x:list count=\"40\">"
                                                "</x:list><x:tail t=\"2\"/></x:doc>"));
            if (pieceBytes == 100000) {
                EXPECT_EQ(r.pieces, 1);
            } else if (pieceBytes == 1 && readBytes < 20) {
                EXPECT_GT(r.pieces, 10);
            }
        }
    }
}

TEST(XlsxItemStream, EmptyAndMissingContainers) {
    const StreamResult empty = stream("<doc><list/><tail/></doc>", 3, 10);
    EXPECT_TRUE(empty.outline.containerFound);
    EXPECT_TRUE(empty.items.isEmpty());
    EXPECT_EQ(empty.outline.xml, QByteArray("<doc><list/><tail/></doc>"));
    const StreamResult missing = stream("<doc><listing/></doc>", 3, 10);
    EXPECT_FALSE(missing.outline.containerFound);
    EXPECT_EQ(missing.outline.xml, QByteArray("<doc><listing/></doc>"));
}

TEST(XlsxItemStream, UnclosedContainerIsAFault) {
    EXPECT_THROW(stream("<doc><list><item v=\"1\"/><item v=\"2\"/>", 4, 8), FileFault);
}

}  // namespace
}  // namespace tallimo::host::xlsx

#include "TestZip.h"
#include "XlsxCommon.h"
#include "XlsxItemStream.h"
#include "XlsxXml.h"

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

StreamResult stream(const QByteArray& xml, const StreamLimits& limits) {
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
        limits);
    return result;
}

StreamResult stream(const QByteArray& xml, qsizetype readBytes, qsizetype pieceBytes) {
    StreamLimits limits;
    limits.readBytes = readBytes;
    limits.pieceBytes = pieceBytes;
    return stream(xml, limits);
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

// Memory stays within the limits whatever the part holds: white space of any length passes
// through at a bounded size, an item or an outline past the limit is refused naming the part.
TEST(XlsxItemStream, HeldTextStaysWithinTheLimits) {
    StreamLimits limits;
    limits.readBytes = 4096;
    limits.pieceBytes = 8192;
    limits.wholeBytes = 64 * 1024;
    limits.blankRun = 1000;
    const QByteArray blanks(1 << 20, ' ');
    const QByteArray spaced = "<doc>" + blanks + "<list>" + blanks + "<item v=\"1\"/>" + blanks +
                              "<item v=\"2\"/>\n\t" + blanks + "</list>" + blanks + "</doc>";
    const StreamResult r = stream(spaced, limits);
    EXPECT_EQ(r.items, (QStringList{"1", "2"}));
    EXPECT_LT(r.outline.xml.size(), 4 * limits.blankRun);

    const QByteArray many = QByteArray("<x/>").repeated(limits.wholeBytes / 4 + 1);
    const struct {
        const char* name;
        QByteArray xml;
        const char* reason;
    } tooLarge[] = {
        {"one item", "<doc><list><item v=\"1\">" + many + "</item></list></doc>", "<item>"},
        {"before the list", "<doc>" + many + "<list/></doc>", "<list> 以外"},
        {"after the list", "<doc><list><item v=\"1\"/></list>" + many + "</doc>", "<list> 以外"},
        {"after an empty list", "<doc><list/>" + many + "</doc>", "<list> 以外"},
    };
    for (const auto& c : tooLarge) {
        try {
            stream(c.xml, limits);
            ADD_FAILURE() << c.name;
        } catch (const FileFault& f) {
            EXPECT_TRUE(f.reason.contains(u"part.xml"_qs)) << c.name;
            EXPECT_TRUE(f.reason.contains(QString::fromUtf8(c.reason)))
                << c.name << ": " << f.reason.toStdString();
        }
    }
}

// A document tree is held to its budget however small the markup of each node.
TEST(XlsxItemStream, TreePastItsBudgetIsRefused) {
    QByteArray xml = "<doc>" + QByteArray("<x/>").repeated(100000) + "</doc>";
    pugi::xml_document doc;
    try {
        parseInPlace(doc, xml.data(), std::size_t(xml.size()), kParseFlags, pugi::encoding_utf8,
                     u"part.xml"_qs, 1 << 20);
        FAIL() << "no fault";
    } catch (const FileFault& f) {
        EXPECT_TRUE(f.reason.contains(u"part.xml"_qs)) << f.reason.toStdString();
        EXPECT_TRUE(f.reason.contains(u"内存"_qs)) << f.reason.toStdString();
    }
    // The same markup within a budget that fits; the memory counted for the first parse is
    // given back, so it does not count against the second.
    QByteArray again = "<doc>" + QByteArray("<x/>").repeated(100000) + "</doc>";
    EXPECT_NO_THROW(parseInPlace(doc, again.data(), std::size_t(again.size()), kParseFlags,
                                 pugi::encoding_utf8, u"part.xml"_qs, 64 << 20));
    EXPECT_EQ(std::distance(doc.first_child().begin(), doc.first_child().end()), 100000);
}

}  // namespace
}  // namespace tallimo::host::xlsx

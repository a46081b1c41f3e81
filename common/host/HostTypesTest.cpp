#include "HostTypes.h"

#include <gtest/gtest.h>

namespace tallimo::host {
namespace {

TEST(HostTypes, ParsesA1References) {
    EXPECT_EQ(parseA1(u"B2"_qs), (CellRect{2, 2, 2, 2}));
    EXPECT_EQ(parseA1(u"$B$2:$F$9"_qs), (CellRect{2, 2, 9, 6}));
    EXPECT_EQ(parseA1(u"f9:b2"_qs), (CellRect{2, 2, 9, 6}));
    EXPECT_EQ(parseA1(u"A:C"_qs), (CellRect{1, 1, kMaxRows, 3}));
    EXPECT_EQ(parseA1(u"3:5"_qs), (CellRect{3, 1, 5, kMaxColumns}));
    EXPECT_EQ(parseA1(u"XFD1048576"_qs), (CellRect{kMaxRows, kMaxColumns, kMaxRows, kMaxColumns}));
    EXPECT_EQ(parseA1List(u"A1:A3,C1:C3"_qs), (QList<CellRect>{{1, 1, 3, 1}, {1, 3, 3, 3}}));
}

TEST(HostTypes, RejectsBadAddressesNamingThem) {
    for (const QString& bad : {u""_qs, u"A0"_qs, u"1A"_qs, u"XFE1"_qs, u"A1048577"_qs, u"A"_qs,
                               u"A1:"_qs, u"A1:B"_qs, u"$$A1"_qs, u"A1,"_qs, u"Sheet1!A1"_qs}) {
        try {
            parseA1List(bad);
            ADD_FAILURE() << "accepted " << bad.toStdString();
        } catch (const HostError& e) {
            EXPECT_TRUE(e.message().contains(bad)) << e.message().toStdString();
        }
    }
}

TEST(HostTypes, WritesAbsoluteAddresses) {
    EXPECT_EQ(absoluteAddress({2, 2, 2, 2}), u"$B$2"_qs);
    EXPECT_EQ(absoluteAddress({5, 3, 40, 4}), u"$C$5:$D$40"_qs);
    EXPECT_EQ(absoluteAddress({1, 16384, 1, 16384}), u"$XFD$1"_qs);
    EXPECT_EQ(absoluteAddress({1, 27, 1, 27}), u"$AA$1"_qs);
}

}  // namespace
}  // namespace tallimo::host

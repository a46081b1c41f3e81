#include "Entries.h"
#include "HostAddress.h"
#include "Settings.h"

#include "StoreFixture.h"

namespace tallimo {
namespace {

using Entries = test::TemporaryStore;

TEST_F(Entries, RemovingAnAbsentEntryOrSectionIsNotAnError) {
    EXPECT_FALSE(entries::hiSet::rCode().remove());
    EXPECT_FALSE(entries::removeSection(entries::fillColor::section()));
    entries::hiSet::rCode().save(QStringLiteral("RunningQX000042"));
    EXPECT_TRUE(entries::hiSet::rCode().remove());
    EXPECT_EQ(entries::hiSet::rCode().get(), QString());
}

TEST_F(Entries, ReadersGetTheirDefaults) {
    EXPECT_EQ(entries::hiSet::firstRowSelCol().get(), QStringLiteral("1"));
    EXPECT_FALSE(entries::hiSet::lastRowSelCol().isSet());
    entries::hiSet::lastRowSelCol().saveFlag(true);
    EXPECT_TRUE(entries::hiSet::lastRowSelCol().isSet());
    EXPECT_EQ(settingsGet(QStringLiteral("hiset"), QStringLiteral("LASTROW_SELCOL")),
              QStringLiteral("1"));
}

TEST_F(Entries, HandlesAndTwipsReadAsNumbers) {
    const auto handle = entries::excel::diaoYongButton();
    EXPECT_EQ(handle.handle(), 0);
    handle.save(QStringLiteral("-2147483000"));
    EXPECT_EQ(handle.handle(), -2147483000);
    handle.save(QStringLiteral("garbage"));
    EXPECT_EQ(handle.handle(), 0);
    entries::hiSet::rLeft().save(QStringLiteral("15120.5"));
    EXPECT_DOUBLE_EQ(entries::hiSet::rLeft().twips(), 15120.5);
}

TEST_F(Entries, AreaCopiesOfTheSelectionReport) {
    EXPECT_EQ(entries::rangeSel::forArea(entries::rangeSel::rng(), 1).key, QStringLiteral("RNG1"));
    EXPECT_EQ(entries::rangeSel::forArea(entries::rangeSel::wkName(), 2).key,
              QStringLiteral("wkName2"));
    EXPECT_EQ(entries::rangeSel::report().size(), 7);
}

TEST_F(Entries, ValuesSavedTogetherAreAllWritten) {
    using namespace entries::rangeSel;
    rng().save(QStringLiteral("$Z$9"));
    entries::saveTogether({{rng(), QStringLiteral("$A$2:$C$4")},
                           {rngTitles(), QStringLiteral("日期\t摘要\t金额")},
                           {sht(), QString()}});
    EXPECT_EQ(rng().get(), QStringLiteral("$A$2:$C$4"));
    EXPECT_EQ(rngTitles().get(), QStringLiteral("日期\t摘要\t金额"));
    EXPECT_EQ(settingsFind(sht().section, sht().key), QString());
}

TEST(ComputerTag, IsShortStableAndPartOfTheGridLineKeys) {
    const QString tag = entries::computerTag();
    EXPECT_EQ(tag.size(), 8);
    EXPECT_EQ(tag, entries::computerTag());
    EXPECT_EQ(entries::hiSet::reportKX1().key, QStringLiteral("ReportKX1") + tag);
    EXPECT_EQ(entries::hiSet::reportKX2().key, QStringLiteral("ReportKX2") + tag);
}

TEST_F(Entries, ReconcilerAddressGridFollowsTheStoredVersion) {
    int reports = 0;
    const auto parse = [&](QStringView address) {
        return parseAreaAddressReconciler(address, [&] { ++reports; });
    };
    EXPECT_TRUE(parse(u"$B$3:$F$20").isEmpty());
    EXPECT_EQ(reports, 1);

    entries::excel::ver().save(QStringLiteral("11.0"));
    EXPECT_EQ(parse(u"$3:$9"), (AreaAddress{3, "A", 9, "IV"}));
    EXPECT_EQ(parse(u"B:F").lastRow, 65536);
    entries::excel::ver().save(QStringLiteral("16.0"));
    EXPECT_EQ(parse(u"$3:$9"), (AreaAddress{3, "A", 9, "XFD"}));
    EXPECT_EQ(parse(u"B:F").lastRow, 1048576);
    EXPECT_EQ(reports, 1);
}

}  // namespace
}  // namespace tallimo

#include "FaultInjectingBackend.h"
#include "Host.h"
#include "MemoryHost.h"

#include <gtest/gtest.h>

namespace tallimo::host {
namespace {

TEST(FaultInjectingBackend, FailsTheChosenCallAndRecordsEveryCall) {
    FaultInjectingBackend failing(makeMemoryHost());
    Application app(failing);
    Workbook book = app.workbooks().add();
    Worksheet sheet = book.activeSheet();

    failing.failOn(u"setValue"_qs, 2);
    sheet.range(u"A1"_qs).setValue(1.0);
    EXPECT_THROW(sheet.range(u"A2"_qs).setValue(2.0), HostError);
    sheet.range(u"A3"_qs).setValue(3.0);
    EXPECT_TRUE(failing.inner().value(sheet.id(), 2, 1).isEmpty());  // the failed call did nothing
    EXPECT_EQ(failing.callCount(u"setValue"_qs), 3);

    failing.failOn(u"merge"_qs);
    EXPECT_THROW(sheet.range(u"A1:B1"_qs).merge(), HostError);
    EXPECT_THROW(sheet.range(u"A2:B2"_qs).merge(), HostError);

    failing.reset();
    failing.failOnCall(3);
    sheet.range(u"B1"_qs).setValue(1.0);
    sheet.range(u"B2"_qs).setFormulaR1C1(u"=R[-1]C"_qs);
    try {
        sheet.range(u"B2"_qs).value();
        ADD_FAILURE();
    } catch (const HostError& e) {
        EXPECT_TRUE(e.message().contains(u"value"_qs));
    }
    EXPECT_EQ(failing.calls(), (QStringList{u"setValue"_qs, u"setFormulaR1C1"_qs, u"value"_qs}));
    EXPECT_EQ(sheet.range(u"B2"_qs).value(), CellValue::fromNumber(1));
}

// Each group of operations is recorded under the operations' own names, and an operation with a
// general implementation (deleting several areas) runs it through the operations it is made of,
// so a fault in one of those reaches it too.
TEST(FaultInjectingBackend, RecordsEveryGroupAndTheGeneralImplementations) {
    FaultInjectingBackend failing(makeMemoryHost());
    Application app(failing);
    Worksheet sheet = app.workbooks().add().activeSheet();
    sheet.range(u"A1:A4"_qs).setValue(1.0);
    sheet.range(u"A1"_qs).font().setBold(true);
    EXPECT_EQ(failing.calls(), (QStringList{u"addWorkbook"_qs, u"activeSheet"_qs, u"setValue"_qs,
                                            u"setFontBold"_qs}));

    failing.reset();
    sheet.deleteAreas({parseA1(u"A1"_qs), parseA1(u"A3"_qs)});
    EXPECT_EQ(failing.calls(), (QStringList{u"deleteCells"_qs, u"deleteCells"_qs}));
    EXPECT_EQ(failing.inner().usedRange(sheet.id()), parseA1(u"A1:A2"_qs));

    failing.failOn(u"deleteCells"_qs, 4);
    EXPECT_THROW(sheet.deleteAreas({parseA1(u"A1"_qs), parseA1(u"A2"_qs)}), HostError);
    EXPECT_EQ(failing.inner().usedRange(sheet.id()), parseA1(u"A1"_qs));  // the last area went
}

}  // namespace
}  // namespace tallimo::host

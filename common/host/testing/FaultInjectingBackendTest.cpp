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

}  // namespace
}  // namespace tallimo::host

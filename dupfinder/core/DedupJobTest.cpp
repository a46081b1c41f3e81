#include "DedupJob.h"
#include "DupReport.h"
#include "MemoryHost.h"
#include "WorkingBook.h"
#include "XlsxPackage.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

namespace tallimo::dupfinder {
namespace {

const QDateTime kTime(QDate(2016, 6, 28), QTime(9, 48, 36));

AreaBlock blockOf(const QStringList& rows) {
    return *readAreaBlock(rows.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).block;
}

// Every part of a saved workbook but its document properties, which carry the time of saving.
std::vector<std::pair<QString, QByteArray>> partsOf(const QString& path) {
    const host::xlsx::Package package(path);
    std::vector<std::pair<QString, QByteArray>> parts;
    for (const QString& name : package.partNames())
        if (name != u"docProps/core.xml") parts.emplace_back(name, package.read(name));
    return parts;
}

class DedupJob : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }

    QStringList reportFiles() const {
        return QDir(folder.path()).entryList({QStringLiteral("Varnoq去重_*")}, QDir::Files);
    }

    // The options window's way: the working workbook prepared first, the report a copy of it.
    DedupRequest windowRequest(const AreaBlock& block, const QString& address,
                               const DetectionOptions& options) {
        DedupRequest request;
        request.block = &block;
        request.area = searchAreaAt(address);
        request.detection = options;
        request.reportTime = kTime;
        request.workingBookPath = newWorkingBookPath(folder.path());
        prepareWorkingBook(request.workingBookPath, block, request.area);
        request.reportFolder = folder.path();
        return request;
    }

    QTemporaryDir folder;
};

// Both ways to the report, the window's through its saved working workbook and the batch run's
// through the template in memory, write the same workbook, part for part.
TEST_F(DedupJob, TheWindowsAndTheBatchRunsReportsAreTheSame) {
    const struct {
        const char* what;
        QString address;
        QStringList rows;
        DetectionOptions options;
    } cases[] = {
        {"an area under row 1, coloured, blanks ignored",
         "$C$4:$F$16",
         {"V1\t甲 乙\t100.00\t备注", "V2\t乙\t50.00\t", "V1\t甲乙\t100.00\tx", "\t\t\t",
          "V3\t丙\t00123\t=1+1", "V2\t乙\t50.00\ty", "V4\t\"q\"\t1e5\t", "V3\t丙\t00123\tz",
          "V5\ta,b\t-3\t", "V1\t甲乙\t100.00\t", "V6\t丁\t2024-03-01\t", "V7\tABC\t1\t",
          "V7\tabc\t1\t"},
         {{0, 1, 2}, true, {2, 5, 9}}},
        {"one column from row 1, nothing coloured",
         "$A$1:$A$5",
         {"x", "y", "x", "", "x"},
         {{0}, false, {}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const AreaBlock block = blockOf(c.rows);
        const DedupRequest fromWindow = windowRequest(block, c.address, c.options);
        host::Application windowHost(host::makeMemoryHost());
        const DedupResult shown = findDuplicates(windowHost, fromWindow);
        ASSERT_FALSE(shown.workbookName.isEmpty());
        windowHost.workbooks()[shown.workbookName].save();
        ASSERT_EQ(reportFiles().size(), 1);
        const QString windowReport = folder.filePath(reportFiles()[0]);

        DedupRequest fromBatch = fromWindow;
        fromBatch.workingBookPath.clear();
        fromBatch.reportFolder.clear();
        host::Application batchHost(host::makeMemoryHost());
        const DedupResult saved = findDuplicates(batchHost, fromBatch);
        EXPECT_EQ(saved.sentence, shown.sentence);
        const QString batchReport = folder.filePath(QStringLiteral("batch.xlsx"));
        batchHost.workbooks()[saved.workbookName].saveAs(batchReport);

        const auto windowParts = partsOf(windowReport);
        const auto batchParts = partsOf(batchReport);
        ASSERT_EQ(windowParts.size(), batchParts.size());
        for (std::size_t i = 0; i < windowParts.size(); ++i) {
            EXPECT_EQ(windowParts[i].first, batchParts[i].first);
            EXPECT_EQ(windowParts[i].second, batchParts[i].second)
                << windowParts[i].first.toStdString();
        }
        QFile::remove(windowReport);
        QFile::remove(batchReport);
    }
}

TEST_F(DedupJob, ARunWithRepeatsReportsEveryStageAndConcludes) {
    const AreaBlock block = blockOf({"a\t1", "b\t2", "a\t1"});
    QStringList statuses;
    host::Application app(host::makeMemoryHost());
    const DedupResult result =
        findDuplicates(app, windowRequest(block, QStringLiteral("$B$3:$C$5"), {{0, 1}, false, {}}),
                       {[&statuses](const QString& s) { statuses << s; }});
    EXPECT_EQ(result.sentence, u"报告结论：共【2】组数据，其中【1】组重复、【1】组唯一。");
    EXPECT_EQ(result.detection.repeatRows(), std::vector<int>{5});
    EXPECT_EQ(statuses, (QStringList{"正准备查重...", "正处理1(重复)/2...", "正处理2(唯一)/2...",
                                     "正删除重复数据...", "正生成查重报告...", "查重报告完成。"}));
    // The report stays unsaved in the host: the file still holds the working workbook.
    ASSERT_EQ(reportFiles(), QStringList{reportBookPath({}, kTime).mid(1)});
    host::Application other(host::makeMemoryHost());
    const host::Workbook onDisk = other.workbooks().open(folder.filePath(reportFiles()[0]));
    EXPECT_EQ(onDisk.sheets().count(), 2);
}

TEST_F(DedupJob, NoRepeatsGivesTheNoticeAndWritesNoReport) {
    const AreaBlock block = blockOf({"a\t1", "b\t1", "c\t1"});
    host::Application app(host::makeMemoryHost());
    const DedupResult result = findDuplicates(
        app, windowRequest(block, QStringLiteral("$B$3:$C$5"), {{0, 1}, false, {2}}));
    EXPECT_TRUE(result.workbookName.isEmpty());
    EXPECT_EQ(result.sentence, u"您选择的区域【B3:C5】中无符合条件的重复数据！");
    EXPECT_EQ(app.workbooks().count(), 0);
    EXPECT_TRUE(reportFiles().isEmpty());
}

// The report of 1,048,573 distinct keys would end past the sheet's last row: refused before any
// report file is written.
TEST_F(DedupJob, AReportPastTheLastRowIsRefusedBeforeAnyFile) {
    constexpr int kKeys = 1048573;
    QString text;
    text.reserve(qsizetype(kKeys) * 10);
    for (int i = 0; i < kKeys; ++i) {
        text += QString::number(i);
        text += u"\r\n";
    }
    text += QStringLiteral("0\r\n");
    const AreaBlock block = *readAreaBlock(std::move(text)).block;
    DedupRequest request;
    request.block = &block;
    request.area = searchAreaOf({1, 1, kKeys + 1, 1});
    request.detection.tickedPositions = {0};
    request.reportTime = kTime;
    request.workingBookPath = folder.filePath(QStringLiteral("working.xlsx"));
    writeTemplate(request.workingBookPath);
    request.reportFolder = folder.path();
    host::Application app(host::makeMemoryHost());
    try {
        findDuplicates(app, request);
        ADD_FAILURE() << "accepted";
    } catch (const host::HostError& e) {
        EXPECT_TRUE(e.message().contains(u"查重报告超出了工作表的最大行数"))
            << e.message().toStdString();
    }
    EXPECT_TRUE(reportFiles().isEmpty());
}

// The batch run names its block in absolute A1 form and takes its parts without reading that
// text again; both must agree with what reading the text gives.
TEST(SearchArea, ABlockReadsAsItsAddressDoes) {
    const host::CellRect blocks[] = {
        {3, 2, 20, 6}, {7, 4, 7, 4}, {1, 1, 1048576, 1}, {2, 16384, 9, 16384}, {5, 27, 6, 52}};
    for (const host::CellRect& block : blocks) {
        const SearchArea ofBlock = searchAreaOf(block);
        const SearchArea read = searchAreaAt(host::absoluteAddress(block));
        EXPECT_EQ(ofBlock.address, read.address);
        EXPECT_EQ(ofBlock.parts, read.parts) << read.address.toStdString();
        EXPECT_FALSE(read.parts.isEmpty()) << read.address.toStdString();
    }
}

}  // namespace
}  // namespace tallimo::dupfinder

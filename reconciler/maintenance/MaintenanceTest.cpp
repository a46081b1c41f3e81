#include "AddInRegistry.h"
#include "AddinFiles.h"
#include "Entries.h"
#include "FakeWindowSystem.h"
#include "FaultInjectingBackend.h"
#include "FrmHJ.h"
#include "MemoryHost.h"
#include "Settings.h"
#include "Twips.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

namespace tallimo::reconciler {
namespace {

TEST(AddinPair, FollowsTheHostVersionAndBitness) {
    struct Case {
        const char* version;
        bool is32Bit;
        int major;
        const char* addin;
        const char* menu;
    };
    const Case cases[] = {
        {"11.0", false, 11, "reconciler_Addin97_2003.xla", "reconciler_Menu97_2003.xlam"},
        {"", false, 0, "reconciler_Addin97_2003.xla", "reconciler_Menu97_2003.xlam"},
        {"not a version", false, 0, "reconciler_Addin97_2003.xla", "reconciler_Menu97_2003.xlam"},
        {"12.0", false, 12, "reconciler_Addin64.xlam", "reconciler_Menu64.xlam"},
        {"12.0", true, 12, "reconciler_Addin32.xlam", "reconciler_Menu32.xlam"},
        {" 16 ", false, 16, "reconciler_Addin64.xlam", "reconciler_Menu64.xlam"},
    };
    for (const Case& c : cases) {
        const int major = hostMajorVersion(QString::fromUtf8(c.version));
        EXPECT_EQ(major, c.major) << c.version;
        const AddinPair pair = addinPairFor(major, c.is32Bit);
        EXPECT_EQ(pair.addinFile, QString::fromUtf8(c.addin)) << c.version;
        EXPECT_EQ(pair.menuFile, QString::fromUtf8(c.menu)) << c.version;
    }
}

// The shipped add-in files are the Calc extensions: the add-in file of every pair the selection
// add-in, the menu file the menu.
TEST(AddinPair, EveryShippedFileCarriesTheExtensionOfItsKind) {
    const QString build = qEnvironmentVariable("TALLIMO_BUILD_DIR");
    const auto contents = [](const QString& path) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        return file.readAll();
    };
    const QByteArray addin = contents(build + QStringLiteral("/addin/calc/tallimo-calc-addin.oxt"));
    const QByteArray menu = contents(build + QStringLiteral("/addin/calc/tallimo-calc-menu.oxt"));
    ASSERT_TRUE(addin.startsWith("PK\x03\x04"));
    ASSERT_NE(addin, menu);
    const QString dataFolder = build + QStringLiteral("/Data");
    for (const bool is32Bit : {false, true})
        for (const int major : {11, 16}) {
            const AddinPair pair = addinPairFor(major, is32Bit);
            EXPECT_EQ(contents(addinSourcePath(dataFolder, pair.addinSource)), addin)
                << pair.addinFile.toStdString();
            EXPECT_EQ(contents(addinSourcePath(dataFolder, pair.menuSource)), menu)
                << pair.menuFile.toStdString();
        }
}

// The in-memory host reporting a chosen version.
class VersionedHost final : public host::FaultInjectingBackend {
public:
    VersionedHost(QString version)
        : FaultInjectingBackend(host::makeMemoryHost()), version_(std::move(version)) {}
    QString version() const override { return version_; }

private:
    QString version_;
};

class MaintenanceTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "tallimo_maintenance_test";
        static char* argv[] = {name, nullptr};
        if (!qApp) new QApplication(argc, argv);
    }
    void SetUp() override { freshFolders(); }
    void TearDown() override {
        qunsetenv("XDG_CONFIG_HOME");
        qunsetenv("XDG_DATA_HOME");
    }

    // New settings, data and program folders, the program folder holding the add-in files.
    void freshFolders() {
        root = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(root->isValid());
        for (const char* folder : {"config", "data", "programs"})
            ASSERT_TRUE(QDir(root->path()).mkdir(QLatin1String(folder)));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(root->filePath(QStringLiteral("config"))));
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome()));
        for (int source = 101; source <= 106; ++source) {
            QFile file(addinSourcePath(programs(), source));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(QByteArray::number(source));
        }
    }
    QString dataHome() const { return root->filePath(QStringLiteral("data")); }
    QString programs() const { return root->filePath(QStringLiteral("programs")); }

    MaintenanceServices services() {
        return {&messages, &windows,
                [this] {
                    if (!hostFailure.isEmpty()) throw host::HostError(hostFailure);
                    return std::make_unique<host::Application>(
                        std::make_unique<VersionedHost>(hostVersion));
                },
                programs()};
    }
    QString library() const { return host::AddInRegistry().libraryPath(); }
    bool installed(const QString& title) const {
        try {
            return host::AddInRegistry().installed(title);
        } catch (const host::HostError&) {
            return false;
        }
    }

    template <typename T>
    static T* child(FrmHJ& dialog, const char* name) {
        return dialog.findChild<T*>(QLatin1String(name));
    }
    static void click(FrmHJ& dialog, const char* button) {
        child<QPushButton>(dialog, button)->click();
    }
    // Runs the first-start form; `user` acts once the dialog is up. Gives up after a few seconds
    // so that a dialog that never ends fails the test instead of hanging it.
    static std::optional<bool> runFirstStart(FrmHJ& dialog, std::function<void()> user) {
        bool timedOut = false;
        QTimer::singleShot(0, &dialog, user);
        QTimer::singleShot(5000, &dialog, [&] {
            timedOut = true;
            dialog.done(QDialog::Rejected);
        });
        const bool goesOn = dialog.runAtFirstStart();
        if (timedOut) return std::nullopt;
        return goesOn;
    }

    std::unique_ptr<QTemporaryDir> root;
    ui::RecordingMessageBoxes messages;
    platform::FakeWindowSystem windows;
    QString hostVersion = QStringLiteral("16.0");
    QString hostFailure;
};

TEST_F(MaintenanceTest, InstallsThePairOfTheHostAndEndsAsItWasOpened) {
    struct Case {
        const char* name;
        bool fromPanel;
        bool withMenu;
        const char* version;
        const char* addin;
        const char* menu;
        ui::MessageIcon icon;
        const char* title;
        const char* text;
        bool goesOnToPanel;  // first start: runAtFirstStart's answer; from the panel: always
    };
    const Case cases[] = {
        {"first start, menu, 16", false, true, "16.0", "reconciler_Addin64.xlam",
         "reconciler_Menu64.xlam", ui::MessageIcon::Information, "环境维护完成",
         "您可以点击Calc菜单“Tallimo → 数据比对”使用对账功能！", false},
        {"first start, no menu, 16", false, false, "16.0", "reconciler_Addin64.xlam",
         "reconciler_Menu64.xlam", ui::MessageIcon::Information, "OK", "环境维护完成！", true},
        {"panel, menu, 11", true, true, "11.0", "reconciler_Addin97_2003.xla",
         "reconciler_Menu97_2003.xlam", ui::MessageIcon::Information, "Tallimo",
         "环境维护完成！\n    您可以点击Calc“Tallimo → 数据比对”菜单\n或 "
         "点击“Tallimo”工具栏的“数据比对”按钮直接使用！",
         true},
        {"panel, no menu, 12", true, false, "12.0", "reconciler_Addin64.xlam",
         "reconciler_Menu64.xlam", ui::MessageIcon::Information, "OK", "环境维护完成！", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        freshFolders();
        messages.shown.clear();
        hostVersion = QString::fromUtf8(c.version);
        FrmHJ dialog(services());
        QSignalSpy panel(&dialog, &FrmHJ::panelShowRequested);
        QSignalSpy forgotten(&dialog, &FrmHJ::areasForgotten);
        const auto user = [&] {
            if (!c.withMenu) child<QCheckBox>(dialog, "Check1")->setChecked(false);
            click(dialog, "Command1");
        };
        if (c.fromPanel) {
            dialog.openFromPanel();
            user();
            EXPECT_FALSE(dialog.isVisible());
            EXPECT_EQ(panel.count(), 1);
        } else {
            EXPECT_EQ(runFirstStart(dialog, user), c.goesOnToPanel);
            EXPECT_EQ(panel.count(), 0);
        }
        EXPECT_EQ(forgotten.count(), 1);

        const QString addin = library() + QString::fromUtf8(c.addin);
        const QString menu = library() + QString::fromUtf8(c.menu);
        EXPECT_TRUE(QFile::exists(addin));
        EXPECT_TRUE(installed(QFileInfo(addin).completeBaseName()));
        EXPECT_EQ(QFile::exists(menu), c.withMenu);
        EXPECT_EQ(installed(QFileInfo(menu).completeBaseName()), c.withMenu);
        EXPECT_EQ(QDir(dataHome() + QStringLiteral("/QXRB")).exists(), c.withMenu);
        EXPECT_EQ(entries::excel::orlisoftPath().get(), c.withMenu ? programs() : QString());
        EXPECT_EQ(entries::excel::chAddin().get(), addin);
        EXPECT_EQ(entries::excel::ver().get(), hostVersion);
        EXPECT_FALSE(
            settingsFind(entries::excel::section(), entries::excel::workingSoftHwnd().key));

        ASSERT_EQ(messages.shown.size(), 1);
        EXPECT_EQ(messages.shown[0].icon, c.icon);
        EXPECT_EQ(messages.shown[0].title, QString::fromUtf8(c.title));
        EXPECT_EQ(messages.shown[0].text, QString::fromUtf8(c.text));
    }
}

TEST_F(MaintenanceTest, ResetsTheSettingsButKeepsGuardedColumnsAndFillColours) {
    entries::excel::workingSoftHwnd().save(QStringLiteral("4711"));
    entries::excel::inputNOmore().save(QStringLiteral("1"));
    entries::hiSet::reportColor().save(QStringLiteral("1"));
    entries::rangeSel::forArea(entries::rangeSel::rng(), 1).save(QStringLiteral("$A$1:$B$2"));
    entries::guardedColumns::workbook(QStringLiteral("scrambled")).save(QStringLiteral("list"));
    settingsSave(entries::fillColor::section(), QStringLiteral("1"), QStringLiteral("6"));
    const QString ini = defaultIniPath();
    entries::ini::callCFFromDZ().write(QStringLiteral("1"));

    FrmHJ dialog(services());
    dialog.openFromPanel();
    click(dialog, "Command1");

    EXPECT_FALSE(QFile::exists(ini));
    for (const entries::Setting& gone :
         {entries::excel::workingSoftHwnd(), entries::excel::inputNOmore(),
          entries::hiSet::reportColor(), entries::rangeSel::forArea(entries::rangeSel::rng(), 1)})
        EXPECT_FALSE(settingsFind(gone.section, gone.key)) << gone.key.toStdString();
    EXPECT_EQ(entries::guardedColumns::workbook(QStringLiteral("scrambled")).get(),
              QStringLiteral("list"));
    EXPECT_EQ(settingsGet(entries::fillColor::section(), QStringLiteral("1")), QStringLiteral("6"));
    EXPECT_FALSE(entries::excel::chAddin().get().isEmpty());
}

TEST_F(MaintenanceTest, ARunningSpreadsheetIsRefusedUntilItIsClosed) {
    entries::hiSet::reportColor().save(QStringLiteral("1"));
    windows.windows.append({77,
                            QStringLiteral("账本.xlsx - LibreOffice Calc"),
                            QStringLiteral("libreoffice-calc"),
                            0,
                            {}});
    FrmHJ dialog(services());
    QSignalSpy panel(&dialog, &FrmHJ::panelShowRequested);
    dialog.openFromPanel();
    click(dialog, "Command1");

    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].icon, ui::MessageIcon::Exclamation);
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("首次运行软件提示"));
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("已经有Excel在运行啦，请关闭EXCEL后再试！"));
    EXPECT_TRUE(dialog.isVisible());
    for (const char* name : {"Command1", "CmdFQ", "Check1"})
        EXPECT_TRUE(dialog.findChild<QWidget*>(QLatin1String(name))->isEnabled()) << name;
    EXPECT_EQ(child<QLabel>(dialog, "Label2")->text(), QStringLiteral("正在维护，请稍候..."));
    EXPECT_FALSE(settingsFind(entries::hiSet::section(), entries::hiSet::reportColor().key))
        << "the reset happens before the check";
    EXPECT_TRUE(entries::excel::chAddin().get().isEmpty());
    EXPECT_EQ(panel.count(), 0);

    windows.windows.clear();
    click(dialog, "Command1");
    EXPECT_EQ(panel.count(), 1);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(entries::excel::chAddin().get().isEmpty());
}

TEST_F(MaintenanceTest, AtTheFirstStartARefusedRunCanBeRepeated) {
    windows.windows.append({77, QStringLiteral("Calc"), QStringLiteral("libreoffice-calc"), 0, {}});
    FrmHJ dialog(services());
    const auto goesOn = runFirstStart(dialog, [&] {
        click(dialog, "Command1");
        EXPECT_EQ(messages.shown.size(), 1);
        EXPECT_FALSE(child<QPushButton>(dialog, "CmdFQ")->isVisible());
        windows.windows.clear();
        child<QCheckBox>(dialog, "Check1")->setChecked(false);
        click(dialog, "Command1");
    });
    EXPECT_EQ(goesOn, true);
    EXPECT_EQ(entries::excel::chAddin().get(),
              library() + QStringLiteral("reconciler_Addin64.xlam"));
}

TEST_F(MaintenanceTest, AFileThatCannotBeCopiedIsReportedAndTheRestGoesOn) {
    ASSERT_TRUE(QFile::remove(addinSourcePath(programs(), 106)));
    FrmHJ dialog(services());
    dialog.openFromPanel();
    click(dialog, "Command1");

    ASSERT_EQ(messages.shown.size(), 2);
    EXPECT_EQ(messages.shown[0].icon, ui::MessageIcon::Error);
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("文件复制"));
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("未能成功复制\n") +
                                          addinSourcePath(programs(), 106) + u'\n' + library() +
                                          QStringLiteral("reconciler_Menu64.xlam"));
    EXPECT_EQ(messages.shown[1].title, QStringLiteral("环境维护完成"));
    EXPECT_TRUE(installed(QStringLiteral("reconciler_Addin64")));
    EXPECT_FALSE(installed(QStringLiteral("reconciler_Menu64")));
    EXPECT_EQ(entries::excel::orlisoftPath().get(), programs());
}

TEST_F(MaintenanceTest, UntickingTheMenuSwitchesOffTheOneInstalledBefore) {
    FrmHJ dialog(services());
    dialog.openFromPanel();
    click(dialog, "Command1");
    ASSERT_TRUE(installed(QStringLiteral("reconciler_Menu64")));

    dialog.openFromPanel();
    EXPECT_TRUE(child<QCheckBox>(dialog, "Check1")->isChecked());
    child<QCheckBox>(dialog, "Check1")->setChecked(false);
    click(dialog, "Command1");
    EXPECT_FALSE(installed(QStringLiteral("reconciler_Menu64")));
    EXPECT_TRUE(installed(QStringLiteral("reconciler_Addin64")));
    EXPECT_FALSE(settingsFind(entries::excel::section(), entries::excel::orlisoftPath().key));
}

TEST_F(MaintenanceTest, WithoutAHostNothingCountsAsDoneAndTheUserCanLeave) {
    hostFailure = QStringLiteral("无法创建");
    entries::excel::workingSoftHwnd().save(QStringLiteral("4711"));
    FrmHJ dialog(services());
    QSignalSpy forgotten(&dialog, &FrmHJ::areasForgotten);
    const auto goesOn = runFirstStart(dialog, [&] {
        click(dialog, "Command1");
        ASSERT_EQ(messages.shown.size(), 1);
        EXPECT_EQ(messages.shown[0].icon, ui::MessageIcon::Error);
        EXPECT_TRUE(messages.shown[0].text.contains(hostFailure));
        EXPECT_TRUE(child<QPushButton>(dialog, "Command1")->isEnabled());
        EXPECT_TRUE(child<QPushButton>(dialog, "CmdFQ")->isVisible());
        click(dialog, "CmdFQ");
    });
    EXPECT_EQ(goesOn, false);
    EXPECT_TRUE(entries::excel::chAddin().get().isEmpty());
    EXPECT_EQ(forgotten.count(), 0);
    EXPECT_TRUE(QDir(library()).entryList(QDir::Files).isEmpty());
}

TEST_F(MaintenanceTest, GivingUpFromThePanelChangesNothing) {
    entries::hiSet::reportColor().save(QStringLiteral("1"));
    FrmHJ dialog(services());
    QSignalSpy panel(&dialog, &FrmHJ::panelShowRequested);
    dialog.openFromPanel();
    click(dialog, "CmdFQ");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(panel.count(), 1);
    EXPECT_EQ(entries::hiSet::reportColor().get(), QStringLiteral("1"));
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(MaintenanceTest, ShowsTheTextsOfEachFormAndItsLabelTogglesTheBox) {
    FrmHJ dialog(services());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("环境维护"));
    EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(dialog.windowIcon().isNull());
    EXPECT_EQ(child<QPushButton>(dialog, "Command1")->text(), QStringLiteral("确定(&O)"));
    EXPECT_EQ(child<QPushButton>(dialog, "CmdFQ")->text(), QStringLiteral("放弃(&A)"));

    runFirstStart(dialog, [&] {
        EXPECT_EQ(
            child<QLabel>(dialog, "Label1")->text(),
            QStringLiteral("你是第一次使用《Tallimo》，为确保数据比对效果，需要进行环境维护。"));
        EXPECT_EQ(child<QLabel>(dialog, "Label2")->text(), QStringLiteral("此操作仅需要一次。"));
        EXPECT_FALSE(child<QPushButton>(dialog, "CmdFQ")->isVisible());
        dialog.reject();
        EXPECT_TRUE(dialog.isVisible()) << "Escape does not leave the dialog";
        dialog.done(QDialog::Rejected);
    });

    dialog.openFromPanel();
    EXPECT_EQ(child<QLabel>(dialog, "Label1")->text(),
              QStringLiteral(
                  "环境维护：此功能将修复EXCEL选区获取失败，比对（对账）数据的色彩标注失败等。"));
    EXPECT_EQ(child<QLabel>(dialog, "Label2")->text(),
              QStringLiteral("用户主动维护，软件环境将恢复至初次安装时状态。原有个性设置将被清除，"
                             "您可根据需要再设置。"));
    EXPECT_TRUE(child<QPushButton>(dialog, "CmdFQ")->isVisible());
    const QRect screen = dialog.screen()->geometry();
    const platform::TwipScale scale = platform::TwipScale::of(dialog.screen());
    EXPECT_EQ(dialog.pos(), QPoint(screen.width() - dialog.width() - scale.toPixelsX(300),
                                   scale.toPixelsY(1800)));

    auto* label = child<QLabel>(dialog, "lblChk");
    EXPECT_EQ(label->text(), QStringLiteral("添加/去除Calc的Tallimo菜单/工具栏"));
    auto* box = child<QCheckBox>(dialog, "Check1");
    ASSERT_TRUE(box->isChecked());
    for (const bool expected : {false, true}) {
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(label, &release);
        EXPECT_EQ(box->isChecked(), expected);
    }
}

}  // namespace
}  // namespace tallimo::reconciler

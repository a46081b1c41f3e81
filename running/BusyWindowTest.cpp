#include "BusyAnimation.h"
#include "BusyWindow.h"
#include "Entries.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>

namespace tallimo::running {
namespace {

TEST(BusyAnimation, CountsToEightAndStartsOver) {
    struct Case {
        int ticks;
        int counter;
        QColor colour;
        int lineRight;
    };
    const Case cases[] = {
        {0, 0, QColor(0, 100, 0), 1680},     {1, 1, QColor(20, 100, 20), 1688},
        {8, 8, QColor(160, 100, 160), 1744}, {9, 0, QColor(0, 100, 0), 1680},
        {10, 1, QColor(20, 100, 20), 1688},  {27, 0, QColor(0, 100, 0), 1680},
    };
    for (const Case& c : cases) {
        BusyAnimation animation;
        for (int i = 0; i < c.ticks; ++i)
            animation.tick();
        EXPECT_EQ(animation.counter(), c.counter) << c.ticks << " ticks";
        EXPECT_EQ(animation.labelColour(), c.colour) << c.ticks << " ticks";
        EXPECT_EQ(animation.lineRight(), c.lineRight) << c.ticks << " ticks";
    }
}

class BusyWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "busylight_test";
        static char* argv[] = {name, nullptr};
        if (!qApp) new QApplication(argc, argv);
    }
    void SetUp() override { qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit()); }
    void TearDown() override { qunsetenv("XDG_CONFIG_HOME"); }

    QTemporaryDir config;
};

TEST_F(BusyWindowTest, OpensInsideThePanelCornerWithTheTokenAsTitle) {
    BusyWindow window(QStringLiteral("RunningQX004711"), QPointF(1000, 2000),
                      platform::TwipScale(96, 96));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("RunningQX004711"));
    EXPECT_EQ(window.pos(), QPoint(87, 140)) << "1300, 2100 twips";
    EXPECT_EQ(window.size(), QSize(194, 63)) << "2910 x 945 twips";
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(BusyWindowTest, WithoutAPanelPositionOpensAtTheTopRightOfTheScreen) {
    BusyWindow window(QStringLiteral("RunningQX000001"), std::nullopt);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(window.geometry().right(), screen.right());
    EXPECT_GT(window.geometry().left(), screen.center().x());
    EXPECT_LT(window.geometry().top(), screen.top() + window.height());
}

TEST_F(BusyWindowTest, PanelPositionNeedsBothCoordinatesAsNumbers) {
    struct Case {
        const char* left;
        const char* top;
        std::optional<QPointF> position;
    };
    const Case cases[] = {
        {"1000", "2000", QPointF(1000, 2000)},
        {" 1500.5", "0", QPointF(1500.5, 0)},
        {"-300", "120", QPointF(-300, 120)},
        {nullptr, "2000", std::nullopt},
        {"1000", nullptr, std::nullopt},
        {"abc", "2000", std::nullopt},
        {"1000", "", std::nullopt},
        {"1e999", "2000", std::nullopt},
    };
    for (const Case& c : cases) {
        entries::hiSet::rLeft().remove();
        entries::hiSet::rTop().remove();
        if (c.left) entries::hiSet::rLeft().save(QString::fromLatin1(c.left));
        if (c.top) entries::hiSet::rTop().save(QString::fromLatin1(c.top));
        EXPECT_EQ(panelPositionFromSettings(), c.position)
            << (c.left ? c.left : "(none)") << " / " << (c.top ? c.top : "(none)");
    }
}

}  // namespace
}  // namespace tallimo::running

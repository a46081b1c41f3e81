#pragma once

#include "ClickLabel.h"
#include "DupSession.h"
#include "FrmSet.h"
#include "Twips.h"

#include <QFrame>
#include <QWidget>
#include <memory>

namespace tallimo::dupfinder {

// The selection window: confirms the area selected in the spreadsheet, opens the options window,
// and on closing hands back to the main program when it handed over.
class FrmCF final : public QWidget {
public:
    static constexpr int widthTwips = 1815;
    static constexpr int heightTwips = 720;
    // How the add-in and the main program find this window.
    static QString title() { return QStringLiteral("VarnoqSoftNoSame20160511$132523"); }

    FrmCF(DupSession& session, const DupServices& services,
          platform::TwipScale scale = platform::TwipScale::of());
    ~FrmCF() override;

    ClickLabel* PicT;
    ClickLabel* PicD;
    ClickLabel* PicX;
    QFrame* SP;

    // Shows the window at its place near the right edge of the screen.
    void start();
    // PicD: reads the area and moves on to the options window.
    void confirm();
    // The options window while it is loaded.
    FrmSet* options() const { return options_.get(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void handBack();
    void unloadOptions();
    QRect twips(int left, int top, int width, int height) const;

    DupSession& session_;
    const DupServices& services_;
    platform::TwipScale scale_;
    std::unique_ptr<FrmSet> options_;
    bool endingFromOptions_ = false;
};

}  // namespace tallimo::dupfinder

#pragma once

#include "ClickLabel.h"
#include "DupSession.h"
#include "Host.h"
#include "Twips.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

namespace tallimo::dupfinder {

struct DedupRequest;
struct SearchArea;

// The options window: the columns that make a duplicate, ignore-blanks, the colour boxes, the
// start button and the progress strip. It holds the working workbook while it is loaded.
class FrmSet final : public QWidget {
public:
    static constexpr int widthTwips = 2115;
    static constexpr int expandedTwips = 3435;
    static constexpr int collapsedTwips = 495;

    FrmSet(DupSession& session, const DupServices& services,
           platform::TwipScale scale = platform::TwipScale::of());
    ~FrmSet() override;

    // PicReturn: the window is unloaded, then the selection window shown. lblClose: both end.
    std::function<void()> onReturn;
    std::function<void()> onCloseAll;

    // Controls, named as the window names them.
    QListWidget* List1;
    QCheckBox* ChkKongGe;
    ClickLabel* lbl4ChkKongGe;
    QCheckBox* ChkColor;
    ClickLabel* lbl4ChkColor;
    QWidget* PicSK;
    std::array<QCheckBox*, 12> ChkSe;
    QPushButton* Command1;
    QWidget* PicJD;
    QLabel* lblJD;
    QPushButton* CmdKnow;
    ClickLabel* lblClose;
    ClickLabel* PicReturn;

    bool isLoaded() const { return loaded_; }
    bool isBuilt() const { return built_; }
    bool isCollapsed() const { return PicJD->isVisible(); }
    const QString& workingBookPath() const { return workingBookPath_; }

    // Command1: one detection run and, with duplicates, the report.
    void run();
    // Fills List1 for an area: one entry per column, the last one ticked.
    void fillColumns(const QString& address);
    void placeOnScreen();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void load();
    void paletteStep();
    void colorChanged();
    void boxChanged(int index);
    void setStatus(const QString& text);
    void collapse();
    void expand();
    bool prepareWorkingBook(const SearchArea& area);
    // The detection and, with repeats, the report; false when no key repeats (the window stays
    // collapsed on the notice).
    bool search(const DedupRequest& request);
    QRect twips(int left, int top, int width, int height) const;

    DupSession& session_;
    const DupServices& services_;
    platform::TwipScale scale_;
    bool loaded_ = false;
    bool built_ = false;
    bool returning_ = false;
    QString workingBookPath_;
    QElapsedTimer sinceRepaint_;
    // The report's host stays open for the user until the next report replaces it.
    std::unique_ptr<host::Application> reportHost_;
};

}  // namespace tallimo::dupfinder

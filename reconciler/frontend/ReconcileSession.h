#pragma once

#include "Host.h"
#include "Reconcile.h"

#include <QObject>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>

namespace tallimo::reconciler {

// The message shown wherever a range is needed while the host version is unknown.
QString versionMissingMessage();

// An area's range as the add-in reported it (RNG), taken apart once, when it enters the program.
struct AreaRange {
    QString text;  // "$B$3:$F$20"
    AreaAddress address;
    bool versionMissing = false;  // the host version was empty: the address is empty
    // The titles of the row above, one per column, as reported with the range (RNGTitles); empty
    // when none were.
    QStringList titles;

    // Read as a rectangle of cells with a first row.
    bool isBlock() const { return !address.isEmpty() && address.firstRow != 0; }
};

// What one area holds once chosen.
struct AreaChoice {
    AreaRange range;
    core::PreparedSide prepared;  // text grid, key lists, descriptor (addressText), rectangle
    qint64 hostWindow = 0;        // Hwnd_Excel of the accepted report; 0: not chosen
    QStringList sumColumns;       // one or two sum labels, as the roles step gave them
    QStringList compareColumns;
    QString panelTip;   // "[Book1.xlsx]"
    QString panelText;  // "Sheet1!$B$3:$F$20#F列&G列"

    bool chosen() const { return !prepared.addressText.isEmpty() && hostWindow != 0; }
    // The area text the run takes apart: the tip, then the text.
    QString areaText() const { return panelTip + panelText; }
};

// The choices of the reconciler's windows while two areas are chosen and a run is made, and the
// host that holds the results. Windows change it through its methods and follow it through its
// signals; none of them reaches into another.
class ReconcileSession final : public QObject {
    Q_OBJECT
public:
    explicit ReconcileSession(QObject* parent = nullptr);
    ~ReconcileSession() override;

    // The area being chosen: 0 or 1; 0 also before the first area button.
    int currentArea() const { return currentArea_ == 1 ? 1 : 0; }
    // "1" or "2"; empty before the first area button.
    QString currentAreaNumber() const;
    const AreaChoice& area(int index) const { return areas_[std::size_t(index)]; }
    const AreaChoice& current() const { return area(currentArea()); }
    const QString& capturedText() const { return capturedText_; }
    bool multiColumnArea() const { return multiColumnArea_; }

    // The panel's area button: the range window opens for the area.
    void openArea(int index);

    // A confirmed selection, step by step. Its start drops the text grid of an area chosen before
    // (the roles step builds it anew) and the roles of the area.
    void startSelection();
    void captureText(const QString& text) { capturedText_ = text; }
    // Takes the reported range apart, with the titles reported beside it (TAB-joined); the empty
    // host version is noted, not shown.
    const AreaRange& enterRange(const QString& rangeText, const QString& titlesText);
    // The selection fits its range: the roles window takes its columns.
    void offerColumns(bool multiColumn);

    // The roles step: builds the area's key lists from the captured text and fills the area's
    // relation rows. Returns the message when the keys cannot be built; the text grid is kept
    // even so, the rest as it was.
    QString prepareArea(const QStringList& sumColumns, const QStringList& compareColumns);
    // The roles window is done with a prepared area: the relation step follows.
    void offerRelation();
    // The roles window goes back: its roles are dropped and the range window waits again.
    void returnToRange();
    // Whether the roles window's comparison list was empty when last left.
    bool compareListEmpty() const { return area(rolesArea_).compareColumns.isEmpty(); }

    // Rows 0 and 1 of an area's relation list (its prepared relation items); empty until the
    // area's roles are first chosen. They outlive a forgetting of the areas.
    const std::array<QString, 2>& relationRows(int index) const {
        return area(index).prepared.relationItems;
    }
    // Whether either area has no relation rows yet.
    bool relationIncomplete() const;
    bool relationRowsDiffer() const;
    // Exchanges an area's two sum items: its key lists and its relation rows.
    void swapSumItems(int index);
    // The relation dialog goes back to the roles window.
    void returnToRoles();
    // The relation is settled: the range window accepts the area.
    void confirmRelation();

    // The acceptance of an area (the one being chosen, as the range window gives it).
    void acceptArea(int index, const QString& descriptor, qint64 hostWindow,
                    const QString& panelTip, const QString& panelText);
    // As a maintenance does: both areas count as not chosen.
    void forgetAreas();
    void requestPanel() { emit panelRequested(); }

    // What the run hands to the reconciliation: copies of both prepared areas, which stay chosen
    // for another run, and the options; the caller adds the time and the user.
    core::ReconcileRequest reconcileRequest() const;

    // The spreadsheet host, made by the first relation confirmation and kept for the program's
    // life; null before.
    host::Application* host() const { return host_.get(); }
    void adoptHost(std::unique_ptr<host::Application> host) { host_ = std::move(host); }

    // Options, kept in the settings store for the add-in and the next start. Each load reads its
    // part at its own start-up step; each setter stores the choice.
    bool firstNumericRow() const { return firstNumericRow_; }          // m1stRow
    bool ignoreLastRow() const { return ignoreLastRow_; }              // mignorelastrow
    bool colourMarking() const { return colourMarking_; }              // Check2
    bool reportTableLines() const { return reportTableLines_; }        // mKX1
    bool sourceTableLines() const { return sourceTableLines_; }        // mKX2
    bool nearMissSuggestions() const { return nearMissSuggestions_; }  // mNearMiss
    bool balanceStatement() const { return balanceStatement_; }        // mBalanceStatement
    void loadSelectionOptions();
    void loadTableLines();
    void loadNearMissSuggestions();
    void loadBalanceStatement();
    void loadColourMarking();
    void setFirstNumericRow(bool on);
    void setIgnoreLastRow(bool on);
    void setColourMarking(bool on);
    void setReportTableLines(bool on);
    void setSourceTableLines(bool on);
    void setNearMissSuggestions(bool on);
    void setBalanceStatement(bool on);
    void requestOptionsMenu(const QPoint& at) { emit optionsMenuRequested(at); }

signals:
    void areaOpened(int index);
    void columnsOffered(int index);
    void rolesCleared(int index);
    void rolesChosen(int index);
    void rolesRequested();
    void rangeRequested();
    void relationChanged(int index);
    void relationChosen();
    void areaChosen(int index);
    void panelRequested();
    void optionsChanged();
    void optionsMenuRequested(const QPoint& at);

private:
    AreaChoice& currentChoice() { return areas_[std::size_t(currentArea())]; }
    void clearRoles();

    int currentArea_ = -1;
    int rolesArea_ = 0;  // the area whose roles the roles window last held
    QString capturedText_;
    bool multiColumnArea_ = false;
    std::array<AreaChoice, 2> areas_;
    std::unique_ptr<host::Application> host_;
    bool firstNumericRow_ = false;
    bool ignoreLastRow_ = false;
    bool colourMarking_ = false;
    bool reportTableLines_ = false;
    bool sourceTableLines_ = false;
    bool nearMissSuggestions_ = false;
    bool balanceStatement_ = false;
};

}  // namespace tallimo::reconciler

#include "ReconcileSession.h"

#include "Entries.h"
#include "HostAddress.h"
#include "SelectionText.h"

namespace tallimo::reconciler {

QString versionMissingMessage() {
    return QStringLiteral("读取数据源失败(EXCEL版本信息为空)！");
}

ReconcileSession::ReconcileSession(QObject* parent) : QObject(parent) {}

ReconcileSession::~ReconcileSession() = default;

QString ReconcileSession::currentAreaNumber() const {
    return currentArea_ < 0 ? QString() : QString::number(currentArea_ + 1);
}

void ReconcileSession::openArea(int index) {
    currentArea_ = index;
    emit areaOpened(index);
}

void ReconcileSession::clearRoles() {
    AreaChoice& choice = currentChoice();
    choice.sumColumns.clear();
    choice.compareColumns.clear();
    rolesArea_ = currentArea();
    emit rolesCleared(currentArea());
}

void ReconcileSession::startSelection() {
    AreaChoice& choice = currentChoice();
    if (!choice.range.text.isEmpty()) choice.prepared.textGrid = TextGrid();
    clearRoles();
}

const AreaRange& ReconcileSession::enterRange(const QString& rangeText, const QString& titlesText) {
    AreaRange& range = currentChoice().range;
    range = AreaRange{rangeText, {}, false, {}};
    range.address = parseAreaAddressReconciler(rangeText, [&] { range.versionMissing = true; });
    if (!titlesText.isEmpty()) {
        range.titles = titlesText.split(u'\t');
        for (QString& title : range.titles)
            title = title.trimmed();
    }
    return range;
}

void ReconcileSession::offerColumns(bool multiColumn) {
    multiColumnArea_ = multiColumn;
    emit columnsOffered(currentArea());
}

QString ReconcileSession::prepareArea(const QStringList& sumColumns,
                                      const QStringList& compareColumns) {
    if (sumColumns.isEmpty()) return QStringLiteral("至少要选择一列作为求和项！");
    AreaChoice& choice = currentChoice();
    const AreaAddress& address = choice.range.address;
    // The roles window lists the area's columns from its first one (the only one of a
    // one-column area); positions count from there.
    const int firstColumn = columnNumber(address.firstColumn);
    const auto positionOf = [&](const QString& label) {
        return columnNumber(sumLabelLetters(label)) - firstColumn;
    };
    core::KeyBuildInput input;
    input.selectionText = capturedText_;
    input.side = currentArea() == 0 ? core::Side::Left : core::Side::Right;
    input.firstRow = address.firstRow;
    input.singleColumn = !multiColumnArea_;
    for (const QString& label : sumColumns)
        input.sumPositions.push_back(positionOf(label));
    for (const QString& label : compareColumns)
        input.comparePositions.push_back(positionOf(label));
    core::KeyBuildResult keys = core::buildKeys(input);
    if (!keys.ok()) {
        choice.prepared.textGrid = std::move(keys.textGrid);
        return keys.error;
    }
    choice.prepared.adoptKeys(std::move(keys));
    choice.prepared.area = address;
    // Titles that do not fit the area's columns would name the wrong ones.
    const bool titlesFit =
        !address.isEmpty() &&
        choice.range.titles.size() == columnNumber(address.lastColumn) - firstColumn + 1;
    choice.prepared.columnHeaders = titlesFit ? choice.range.titles : QStringList();
    choice.sumColumns = sumColumns;
    choice.compareColumns = compareColumns;
    rolesArea_ = currentArea();
    choice.prepared.relationItems = {sumColumns[0], sumColumns.value(1, sumColumns[0])};
    if (sumColumns.size() > 1) multiColumnArea_ = true;
    return {};
}

void ReconcileSession::offerRelation() {
    emit rolesChosen(currentArea());
}

void ReconcileSession::returnToRange() {
    clearRoles();
    emit rangeRequested();
}

bool ReconcileSession::relationIncomplete() const {
    return relationRows(0)[0].isEmpty() || relationRows(1)[0].isEmpty();
}

bool ReconcileSession::relationRowsDiffer() const {
    return core::secondPassNeeded(area(0).prepared, area(1).prepared);
}

void ReconcileSession::swapSumItems(int index) {
    core::PreparedSide& side = areas_[std::size_t(index)].prepared;
    std::swap(side.keyLists[0], side.keyLists[1]);
    std::swap(side.relationItems[0], side.relationItems[1]);
    emit relationChanged(index);
}

void ReconcileSession::returnToRoles() {
    emit rolesRequested();
}

void ReconcileSession::confirmRelation() {
    emit relationChosen();
}

void ReconcileSession::acceptArea(int index, const QString& descriptor, qint64 hostWindow,
                                  const QString& panelTip, const QString& panelText) {
    AreaChoice& choice = areas_[std::size_t(index)];
    choice.prepared.addressText = descriptor;
    choice.hostWindow = hostWindow;
    choice.panelTip = panelTip;
    choice.panelText = panelText;
    emit areaChosen(index);
}

void ReconcileSession::forgetAreas() {
    for (AreaChoice& choice : areas_) {
        const std::array<QString, 2> relationRows = choice.prepared.relationItems;
        choice = {};
        choice.prepared.relationItems = relationRows;
    }
    emit areaChosen(0);
    emit areaChosen(1);
}

core::ReconcileRequest ReconcileSession::reconcileRequest() const {
    core::ReconcileRequest request;
    request.left = area(0).prepared;
    request.right = area(1).prepared;
    request.options = {colourMarking_, reportTableLines_, sourceTableLines_};
    request.compareListEmpty = compareListEmpty();
    return request;
}

void ReconcileSession::loadSelectionOptions() {
    // Every value but "0" ticks the first-row choice; anything but "0" or "1" is stored as "1".
    const entries::Setting firstRow = entries::hiSet::firstRowSelCol();
    const QString stored = firstRow.get();
    firstNumericRow_ = stored != u"0";
    if (stored != u"0" && stored != u"1") firstRow.save(QStringLiteral("1"));
    ignoreLastRow_ = entries::hiSet::lastRowSelCol().isSet();
    emit optionsChanged();
}

// The grid-line choices are stored the other way round ("1": no lines).
void ReconcileSession::loadTableLines() {
    reportTableLines_ = !entries::hiSet::reportKX1().isSet();
    sourceTableLines_ = !entries::hiSet::reportKX2().isSet();
    emit optionsChanged();
}

void ReconcileSession::loadNearMissSuggestions() {
    nearMissSuggestions_ = entries::hiSet::nearMiss().get() != u"0";
    emit optionsChanged();
}

void ReconcileSession::loadBalanceStatement() {
    balanceStatement_ = entries::hiSet::balanceStatement().get() != u"0";
    emit optionsChanged();
}

void ReconcileSession::loadColourMarking() {
    colourMarking_ = entries::hiSet::reportColor().isSet();
    emit optionsChanged();
}

void ReconcileSession::setFirstNumericRow(bool on) {
    entries::hiSet::firstRowSelCol().saveFlag(on);
    firstNumericRow_ = on;
    emit optionsChanged();
}

void ReconcileSession::setIgnoreLastRow(bool on) {
    entries::hiSet::lastRowSelCol().saveFlag(on);
    ignoreLastRow_ = on;
    emit optionsChanged();
}

void ReconcileSession::setColourMarking(bool on) {
    entries::hiSet::reportColor().saveFlag(on);
    colourMarking_ = on;
    emit optionsChanged();
}

void ReconcileSession::setReportTableLines(bool on) {
    entries::hiSet::reportKX1().saveFlag(!on);
    reportTableLines_ = on;
    emit optionsChanged();
}

void ReconcileSession::setSourceTableLines(bool on) {
    entries::hiSet::reportKX2().saveFlag(!on);
    sourceTableLines_ = on;
    emit optionsChanged();
}

void ReconcileSession::setNearMissSuggestions(bool on) {
    entries::hiSet::nearMiss().saveFlag(on);
    nearMissSuggestions_ = on;
    emit optionsChanged();
}

void ReconcileSession::setBalanceStatement(bool on) {
    entries::hiSet::balanceStatement().saveFlag(on);
    balanceStatement_ = on;
    emit optionsChanged();
}

}  // namespace tallimo::reconciler

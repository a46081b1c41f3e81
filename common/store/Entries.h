#pragma once

#include "Ini.h"

#include <QList>
#include <QString>
#include <utility>

// Every section, key and default of the settings tree and of "Set.ini". No other file spells a
// key name: programs reach an entry through the functions below.
namespace tallimo::entries {

// One entry of the settings tree with the default its readers use.
struct Setting {
    QString section;
    QString key;
    QString defaultValue;

    QString get() const;
    void save(const QString& value) const;
    // Removes the entry; false when it was absent (every caller may meet an absent entry).
    bool remove() const;

    // Flag "1".
    bool isSet() const { return get() == u"1"; }
    void saveFlag(bool on) const { save(on ? QStringLiteral("1") : QStringLiteral("0")); }
    // A window handle (signed decimal); 0 when missing or not a number.
    qint64 handle() const;
    // A screen coordinate in twips; 0 when missing or not a number.
    double twips() const;
};

// Saves every value under its entry in one write: a reader sees all of them or none.
void saveTogether(const QList<std::pair<Setting, QString>>& values);

// Removes a whole section; false when it was absent.
bool removeSection(const QString& section);

// A stable short text naming this computer: derived from /etc/machine-id, or from the host name
// where that is missing. Computed once per process.
QString computerTag();

namespace excel {
QString section();
Setting chAddin();
Setting ver();
Setting orlisoftPath();
Setting workingSoftHwnd();
Setting diaoYongButton();
Setting diaoYongButtonCF();
Setting inputNOmore();
// The value of diaoYongButtonCF() that asks for the duplicate finder.
QString duplicateFinderRequest();
}  // namespace excel

namespace hiSet {
QString section();
// Every value but "0" counts as ticked; the default (missing) is "1".
Setting firstRowSelCol();
Setting lastRowSelCol();
Setting reportColor();
// Grid-line choices, per computer: the key is followed by computerTag().
Setting reportKX1();
Setting reportKX2();
// The near-miss suggestions after each pass: ticked unless the value is "0"; missing is ticked.
Setting nearMiss();
// The bank balance reconciliation statement after a two-pass run: ticked unless the value is
// "0"; missing is ticked.
Setting balanceStatement();
Setting rCode();
Setting rLeft();
Setting rTop();
// The busy token's prefix, followed by six digits.
QString busyTokenPrefix();
}  // namespace hiSet

namespace rangeSel {
QString section();
// The selection report the add-in writes.
Setting fromParent();
Setting fromSon();
Setting hwndExcel();
Setting wkName();
Setting sName();
Setting sht();
Setting rng();
// The seven keys above, in that order.
QList<Setting> report();
// The titles in the row above the reported range, TAB-joined; empty when there are none. Written
// with the report, in the same write.
Setting rngTitles();
// The copy of a report key kept for area 1 or 2 (RNG1, wkName2, ...).
Setting forArea(const Setting& reportKey, int area);
Setting actA();
Setting actB();
Setting bdL1();
Setting bdL2();
Setting bdR1();
Setting bdR2();
Setting rngCF();
}  // namespace rangeSel

namespace guardedColumns {
QString section();
// The entry of one workbook; the key is the scrambled full path.
Setting workbook(const QString& scrambledPath);
}  // namespace guardedColumns

namespace fillColor {
QString section();
}  // namespace fillColor

// One entry of "Set.ini" (the file defaults to the user's own, defaultIniPath()).
struct IniEntry {
    QString section;
    QString key;

    QString read(const QString& file = defaultIniPath()) const;
    // Throws SettingsError when the value cannot be written.
    void write(const QString& value, const QString& file = defaultIniPath()) const;
    void remove(const QString& file = defaultIniPath()) const;
};

namespace ini {
// The hand-back flag: "1" while the duplicate finder should start the main program on close.
IniEntry callCFFromDZ();
IniEntry ignorBlank();
// The colour check boxes, index 0 to kSelColorCount - 1.
constexpr int kSelColorCount = 12;
IniEntry selColor(int index);
}  // namespace ini

}  // namespace tallimo::entries

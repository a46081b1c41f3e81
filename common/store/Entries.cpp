#include "Entries.h"

#include "Settings.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSysInfo>

namespace tallimo::entries {

QString Setting::get() const {
    return settingsGet(section, key, defaultValue);
}

void Setting::save(const QString& value) const {
    settingsSave(section, key, value);
}

bool Setting::remove() const {
    try {
        settingsDelete(section, key);
        return true;
    } catch (const SettingsError&) {
        return false;
    }
}

qint64 Setting::handle() const {
    return get().trimmed().toLongLong();
}

double Setting::twips() const {
    return get().trimmed().toDouble();
}

void saveTogether(const QList<std::pair<Setting, QString>>& values) {
    QList<SettingsWrite> writes;
    writes.reserve(values.size());
    for (const auto& [setting, value] : values)
        writes.append({setting.section, setting.key, value});
    settingsSaveAll(writes);
}

bool removeSection(const QString& section) {
    try {
        settingsDelete(section);
        return true;
    } catch (const SettingsError&) {
        return false;
    }
}

QString computerTag() {
    static const QString tag = [] {
        QByteArray identity;
        QFile machineId(QStringLiteral("/etc/machine-id"));
        if (machineId.open(QIODevice::ReadOnly)) identity = machineId.readAll().trimmed();
        if (identity.isEmpty()) identity = QSysInfo::machineHostName().toUtf8();
        // The machine id is not to be shown as it is; a hash of it with our own name is as
        // stable and says nothing about the machine.
        const QByteArray digest =
            QCryptographicHash::hash("RivaDare4Ruzar:" + identity, QCryptographicHash::Sha256);
        return QString::fromLatin1(digest.toHex().left(8).toUpper());
    }();
    return tag;
}

namespace excel {
QString section() {
    return QStringLiteral("Excel");
}
Setting chAddin() {
    return {section(), QStringLiteral("ChAddin"), {}};
}
Setting ver() {
    return {section(), QStringLiteral("Ver"), {}};
}
Setting orlisoftPath() {
    return {section(), QStringLiteral("Orlisoft Path"), {}};
}
Setting workingSoftHwnd() {
    return {section(), QStringLiteral("Working Soft Hwnd"), {}};
}
Setting diaoYongButton() {
    return {section(), QStringLiteral("DiaoYong_Button"), {}};
}
Setting diaoYongButtonCF() {
    return {section(), QStringLiteral("DiaoYong_ButtonCF"), {}};
}
Setting inputNOmore() {
    return {section(), QStringLiteral("inputNOmore"), {}};
}
QString duplicateFinderRequest() {
    return QStringLiteral("CF");
}
}  // namespace excel

namespace hiSet {
QString section() {
    return QStringLiteral("HiSet");
}
Setting firstRowSelCol() {
    return {section(), QStringLiteral("1stRow_SelCol"), QStringLiteral("1")};
}
Setting lastRowSelCol() {
    return {section(), QStringLiteral("lastRow_SelCol"), {}};
}
Setting reportColor() {
    return {section(), QStringLiteral("ReportColor"), {}};
}
Setting reportKX1() {
    return {section(), QStringLiteral("ReportKX1") + computerTag(), {}};
}
Setting reportKX2() {
    return {section(), QStringLiteral("ReportKX2") + computerTag(), {}};
}
Setting nearMiss() {
    return {section(), QStringLiteral("NearMiss"), QStringLiteral("1")};
}
Setting balanceStatement() {
    return {section(), QStringLiteral("BalanceStatement"), QStringLiteral("1")};
}
Setting rCode() {
    return {section(), QStringLiteral("rCode"), {}};
}
Setting rLeft() {
    return {section(), QStringLiteral("rLeft"), {}};
}
Setting rTop() {
    return {section(), QStringLiteral("rTop"), {}};
}
QString busyTokenPrefix() {
    return QStringLiteral("RunningQX");
}
}  // namespace hiSet

namespace rangeSel {
QString section() {
    return QStringLiteral("RangeSel");
}
Setting fromParent() {
    return {section(), QStringLiteral("FromParent"), {}};
}
Setting fromSon() {
    return {section(), QStringLiteral("FromSon"), {}};
}
Setting hwndExcel() {
    return {section(), QStringLiteral("Hwnd_Excel"), {}};
}
Setting wkName() {
    return {section(), QStringLiteral("wkName"), {}};
}
Setting sName() {
    return {section(), QStringLiteral("sName"), {}};
}
Setting sht() {
    return {section(), QStringLiteral("SHT"), {}};
}
Setting rng() {
    return {section(), QStringLiteral("RNG"), {}};
}
QList<Setting> report() {
    return {fromParent(), fromSon(), hwndExcel(), wkName(), sName(), sht(), rng()};
}
Setting rngTitles() {
    return {section(), QStringLiteral("RNGTitles"), {}};
}
Setting forArea(const Setting& reportKey, int area) {
    return {reportKey.section, reportKey.key + QString::number(area), reportKey.defaultValue};
}
Setting actA() {
    return {section(), QStringLiteral("ActA"), {}};
}
Setting actB() {
    return {section(), QStringLiteral("ActB"), {}};
}
Setting bdL1() {
    return {section(), QStringLiteral("BD_L1"), {}};
}
Setting bdL2() {
    return {section(), QStringLiteral("BD_L2"), {}};
}
Setting bdR1() {
    return {section(), QStringLiteral("BD_R1"), {}};
}
Setting bdR2() {
    return {section(), QStringLiteral("BD_R2"), {}};
}
Setting rngCF() {
    return {section(), QStringLiteral("RNGCF"), {}};
}
}  // namespace rangeSel

namespace guardedColumns {
QString section() {
    return QStringLiteral("inputNOmore_Col");
}
Setting workbook(const QString& scrambledPath) {
    return {section(), scrambledPath, {}};
}
}  // namespace guardedColumns

namespace fillColor {
QString section() {
    return QStringLiteral("FillColor");
}
}  // namespace fillColor

QString IniEntry::read(const QString& file) const {
    return iniRead(section, key, file);
}

void IniEntry::write(const QString& value, const QString& file) const {
    iniWriteOrThrow(section, key, value, file);
}

void IniEntry::remove(const QString& file) const {
    iniDelete(section, key, file);
}

namespace ini {
IniEntry callCFFromDZ() {
    return {QStringLiteral("CommuCF"), QStringLiteral("CallCFFromDZ")};
}
IniEntry ignorBlank() {
    return {QStringLiteral("PreSet"), QStringLiteral("IgnorBlank")};
}
IniEntry selColor(int index) {
    return {QStringLiteral("selColor"), QString::number(index)};
}
}  // namespace ini

}  // namespace tallimo::entries

#include "AddInRegistry.h"

#include "HostTypes.h"
#include "OfficeExtensions.h"
#include "ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

namespace tallimo::host {

QString AddInRegistry::libraryPath() const {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (scope_ == officeExtensions::Scope::AllUsers) {
        base = qEnvironmentVariable("XDG_DATA_DIRS").section(u':', 0, 0);
        if (base.isEmpty()) base = QStringLiteral("/usr/local/share");
    }
    const QString path = base + QStringLiteral("/RivaDare4Ruzar/AddIns/");
    QDir().mkpath(path);
    return path;
}

QString AddInRegistry::listPath() const {
    return libraryPath() + QStringLiteral("addins.json");
}

QList<AddInRegistry::Entry> AddInRegistry::load() const {
    QFile file(listPath());
    QList<Entry> entries;
    if (!file.open(QIODevice::ReadOnly)) return entries;
    for (const QJsonValue& item : QJsonDocument::fromJson(file.readAll()).array()) {
        const QJsonObject o = item.toObject();
        entries.append({o.value(u"title").toString(), o.value(u"path").toString(),
                        o.value(u"installed").toBool(), o.value(u"programs").toString()});
    }
    return entries;
}

void AddInRegistry::save(const QList<Entry>& entries) const {
    QJsonArray list;
    for (const Entry& e : entries)
        list.append(QJsonObject{{u"title"_qs, e.title},
                                {u"path"_qs, e.path},
                                {u"installed"_qs, e.installed},
                                {u"programs"_qs, e.programs},
                                {u"allUsers"_qs, scope_ == officeExtensions::Scope::AllUsers}});
    QSaveFile file(listPath());
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(list).toJson()) < 0 ||
        !file.commit())
        throw HostError(QStringLiteral("无法保存加载项列表：%1").arg(listPath()));
}

qsizetype AddInRegistry::indexOf(const QList<Entry>& entries, const QString& title) {
    for (qsizetype i = 0; i < entries.size(); ++i)
        if (entries[i].title.compare(title, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QString AddInRegistry::add(const QString& fileName) {
    const QFileInfo info(fileName);
    if (!info.isFile()) throw HostError(QStringLiteral("找不到加载项文件：%1").arg(fileName));
    QList<Entry> entries = load();
    const QString title = info.completeBaseName();
    const qsizetype at = indexOf(entries, title);
    if (at >= 0) {
        entries[at].path = info.absoluteFilePath();
        entries[at].programs = programFolder();
    } else {
        entries.append({title, info.absoluteFilePath(), false, programFolder()});
    }
    save(entries);
    return title;
}

bool AddInRegistry::installed(const QString& title) const {
    const QList<Entry> entries = load();
    const qsizetype at = indexOf(entries, title);
    if (at < 0) throw HostError(QStringLiteral("未注册的加载项：%1").arg(title));
    return entries[at].installed;
}

void AddInRegistry::setInstalled(const QString& title, bool on) {
    QList<Entry> entries = load();
    const qsizetype at = indexOf(entries, title);
    if (at < 0) throw HostError(QStringLiteral("未注册的加载项：%1").arg(title));
    const QString& path = entries[at].path;
    if (officeExtensions::isExtensionPackage(path)) {
        if (on)
            officeExtensions::install(path, entries[at].title, scope_);
        else
            officeExtensions::uninstall(entries[at].title, scope_);
    }
    entries[at].installed = on;
    save(entries);
}

}  // namespace tallimo::host

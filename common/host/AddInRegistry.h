#pragma once

#include <QList>
#include <QString>

namespace tallimo::host {

// The host's add-in list, kept per user in a small file in the add-in folder so that a
// registration outlives the process, as the host's own list does.
class AddInRegistry {
public:
    // $XDG_DATA_HOME/RivaDare4Ruzar/AddIns/ (~/.local/share when unset), with a trailing "/".
    static QString libraryPath();

    // Registers an existing add-in file; returns its title, the file name without extension.
    QString add(const QString& fileName);
    bool installed(const QString& title) const;
    void setInstalled(const QString& title, bool on);

private:
    struct Entry {
        QString title;
        QString path;
        bool installed = false;
    };
    static QString listPath();
    static QList<Entry> load();
    static void save(const QList<Entry>& entries);
    static qsizetype indexOf(const QList<Entry>& entries, const QString& title);
};

}  // namespace tallimo::host

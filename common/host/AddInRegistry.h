#pragma once

#include <QList>
#include <QString>

namespace tallimo::host {

// The host's add-in list, kept per user in a small file in the add-in folder so that a
// registration outlives the process, as the host's own list does. Switching an extension package
// on or off installs it into or removes it from the desktop spreadsheet's user profile; each
// entry also records the folder of the program that registered it, where the installed add-in
// finds the programs it talks to.
class AddInRegistry {
public:
    // $XDG_DATA_HOME/RivaDare4Ruzar/AddIns/ (~/.local/share when unset), with a trailing "/".
    static QString libraryPath();

    // Registers an existing add-in file; returns its title, the file name without extension.
    QString add(const QString& fileName);
    bool installed(const QString& title) const;
    // Throws HostError, and keeps the earlier state, when the package cannot be installed or
    // removed.
    void setInstalled(const QString& title, bool on);

private:
    struct Entry {
        QString title;
        QString path;
        bool installed = false;
        QString programs;
    };
    static QString listPath();
    static QList<Entry> load();
    static void save(const QList<Entry>& entries);
    static qsizetype indexOf(const QList<Entry>& entries, const QString& title);
};

}  // namespace tallimo::host

#pragma once

#include <QList>
#include <QString>

#include "OfficeExtensions.h"

namespace tallimo::host {

// The host's add-in list, kept per user in a small file in the add-in folder so that a
// registration outlives the process, as the host's own list does. Switching an extension package
// on or off installs it into or removes it from the desktop spreadsheet's user profile; each
// entry also records the folder of the program that registered it, where the installed add-in
// finds the programs it talks to.
class AddInRegistry {
public:
    explicit AddInRegistry(officeExtensions::Scope scope = officeExtensions::Scope::User)
        : scope_(scope) {}

    // $XDG_DATA_HOME/RivaDare4Ruzar/AddIns/ (~/.local/share when unset), with a trailing "/";
    // for all users the first of $XDG_DATA_DIRS (/usr/local/share when unset) instead, where
    // every user's extension finds the programs.
    QString libraryPath() const;

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
    QString listPath() const;
    QList<Entry> load() const;
    void save(const QList<Entry>& entries) const;
    static qsizetype indexOf(const QList<Entry>& entries, const QString& title);

    officeExtensions::Scope scope_;
};

}  // namespace tallimo::host

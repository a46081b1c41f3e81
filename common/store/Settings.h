#pragma once

#include <QList>
#include <QString>
#include <optional>
#include <stdexcept>

namespace tallimo {

class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The per-user settings tree shared by every program and the add-in. Section and key names
// compare without regard to case; values are kept exactly.
QString settingsGet(const QString& section, const QString& key, const QString& defaultValue = {});
// The stored value, or nullopt when the entry is absent (or the store cannot be read).
std::optional<QString> settingsFind(const QString& section, const QString& key);
void settingsSave(const QString& section, const QString& key, const QString& value);
struct SettingsWrite {
    QString section;
    QString key;
    QString value;
};
// Several entries in one write: a reader sees all of them or none, never a mix of old and new.
void settingsSaveAll(const QList<SettingsWrite>& writes);
// Deleting what does not exist throws SettingsError; callers that can meet an absent entry
// ignore it.
void settingsDelete(const QString& section);
void settingsDelete(const QString& section, const QString& key);

// Where the tree lives: $XDG_CONFIG_HOME/RivaDare4Ruzar/settings.sqlite (~/.config when the
// variable is unset). Worked out on every call, so a changed environment takes effect at once.
QString settingsFilePath();

}  // namespace tallimo

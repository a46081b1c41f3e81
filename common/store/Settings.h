#pragma once

#include <QString>
#include <stdexcept>

namespace tallimo {

class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The per-user settings tree shared by every program and the add-in. Section and key names
// compare without regard to case; values are kept exactly.
QString settingsGet(const QString& section, const QString& key, const QString& defaultValue = {});
void settingsSave(const QString& section, const QString& key, const QString& value);
// Deleting what does not exist throws SettingsError; callers that can meet an absent entry
// ignore it.
void settingsDelete(const QString& section);
void settingsDelete(const QString& section, const QString& key);

}  // namespace tallimo

#pragma once

#include <QString>

// The desktop spreadsheet of this platform takes its add-ins as extension packages, installed
// into the user's profile by its extension manager program. The host's add-in registration goes
// through here for every registered file that is such a package.
namespace tallimo::host::officeExtensions {

// The extension manager installs into the user's profile; for every user of the machine it needs
// root (and refuses a user installation to root).
enum class Scope { User, AllUsers };

// A zip package, as extensions are; other registered files are only recorded.
bool isExtensionPackage(const QString& path);

// Installs the package under the name `title`.oxt, replacing an earlier one of that name.
// Throws HostError when the extension manager is missing or refuses.
void install(const QString& path, const QString& title, Scope scope);

// Removes the extension installed under the name `title`.oxt, by its identifier; nothing when
// none is installed. Throws HostError when the extension manager is missing or refuses.
void uninstall(const QString& title, Scope scope);

}  // namespace tallimo::host::officeExtensions

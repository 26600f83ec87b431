#pragma once

#include <QString>

namespace velmora {

class Preferences;

// Where the library of document files lives.
namespace LibraryFolder {

enum class Location { iCloud, local, custom };

// The folder name of the library inside its location.
inline const QString folderName = QStringLiteral("Ostrevo");
// The cloud drive folder inside the home folder; used only when it exists.
inline const QString cloudDrivePath =
    QStringLiteral("Library/Mobile Documents/com~apple~CloudDocs");

// "iCloud", "local" or "custom".
[[nodiscard]] QString rawValue(Location location);

// The location by the preferences: "local"; "custom" when a custom path is stored (local
// otherwise); in every other case the cloud drive when its folder exists in `home`, else local.
[[nodiscard]] Location location(const Preferences& preferences, const QString& home);

// The library's root folder: the custom folder, the cloud drive's "Ostrevo", or "Ostrevo" in
// the documents folder. `documents` is the user's documents folder (its XDG location on Linux).
[[nodiscard]] QString root(const Preferences& preferences, const QString& home,
                           const QString& documents);

// The same for the current user.
[[nodiscard]] QString root(const Preferences& preferences);

// Whether the folder holds a document file at any depth (hidden files and folders aside).
[[nodiscard]] bool containsDocuments(const QString& folder);

} // namespace LibraryFolder
} // namespace velmora

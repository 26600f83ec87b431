#pragma once

#include "core/library/library.hpp"

#include <QString>

namespace velmora {

class Preferences;

// Where the library of document files lives, by the core's rule (Library::location and
// Library::root) applied to the preferences and the desktop's folders.
namespace LibraryFolder {

using Location = LibraryLocation;

// The folder name of the library inside its location.
inline const QString folderName = QStringLiteral("Ostrevo");
// Where the cloud drive would be inside the home folder. Linux has none: it is never used.
inline const QString cloudDrivePath =
    QStringLiteral("Library/Mobile Documents/com~apple~CloudDocs");

// "iCloud", "local" or "custom".
[[nodiscard]] QString rawValue(Location location);

// The location by the preferences: "custom" when a custom path is stored, else local; a
// stored "iCloud" reads as local, since there is no cloud drive here.
[[nodiscard]] Location location(const Preferences& preferences, const QString& home);

// The library's root folder: the custom folder, or "Ostrevo" in the documents folder.
// `documents` is the user's documents folder (its XDG location on Linux).
[[nodiscard]] QString root(const Preferences& preferences, const QString& home,
                           const QString& documents);

// The same for the current user.
[[nodiscard]] QString root(const Preferences& preferences);

// Whether the folder holds a document file at any depth (hidden files and folders aside).
[[nodiscard]] bool containsDocuments(const QString& folder);

} // namespace LibraryFolder
} // namespace velmora

#include "app/shell/library_folder.hpp"

#include "app/shell/preferences.hpp"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStandardPaths>

namespace velmora {

QString LibraryFolder::rawValue(Location location) {
    switch (location) {
    case Location::iCloud:
        return QStringLiteral("iCloud");
    case Location::local:
        return QStringLiteral("local");
    case Location::custom:
        return QStringLiteral("custom");
    }
    return QStringLiteral("local");
}

LibraryFolder::Location LibraryFolder::location(const Preferences& preferences,
                                                const QString& home) {
    const QString stored = preferences.libraryLocation();
    if (stored == QLatin1String("local")) {
        return Location::local;
    }
    if (stored == QLatin1String("custom")) {
        return preferences.libraryCustomPath().isEmpty() ? Location::local : Location::custom;
    }
    const QFileInfo cloud(QDir(home).filePath(cloudDrivePath));
    return cloud.isDir() ? Location::iCloud : Location::local;
}

QString LibraryFolder::root(const Preferences& preferences, const QString& home,
                            const QString& documents) {
    switch (location(preferences, home)) {
    case Location::custom:
        return QDir::cleanPath(preferences.libraryCustomPath());
    case Location::iCloud:
        return QDir(QDir(home).filePath(cloudDrivePath)).filePath(folderName);
    case Location::local:
        break;
    }
    const QString base =
        documents.isEmpty() ? QDir(home).filePath(QStringLiteral("Documents")) : documents;
    return QDir(base).filePath(folderName);
}

QString LibraryFolder::root(const Preferences& preferences) {
    return root(preferences, QDir::homePath(),
                QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

bool LibraryFolder::containsDocuments(const QString& folder) {
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        if (info.isFile() &&
            info.suffix().compare(QLatin1String("quenlith"), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace velmora

#include "app/platform/library_folder.hpp"

#include "app/platform/preferences.hpp"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace velmora {
namespace {

std::filesystem::path toPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

} // namespace

QString LibraryFolder::rawValue(Location location) {
    const auto raw = velmora::rawValue(location);
    return QString::fromUtf8(raw.data(), qsizetype(raw.size()));
}

LibraryFolder::Location LibraryFolder::location(const Preferences& preferences,
                                                const QString& home) {
    (void)home;
    const auto stored = preferences.storedString(PreferenceKeys::libraryLocation);
    return Library::location(stored ? std::optional(stored->toStdString()) : std::nullopt,
                             !preferences.libraryCustomPath().isEmpty(),
                             /* cloudDriveAvailable */ false);
}

QString LibraryFolder::root(const Preferences& preferences, const QString& home,
                            const QString& documents) {
    const QString custom = preferences.libraryCustomPath();
    const auto root = Library::root(
        location(preferences, home), toPath(home),
        custom.isEmpty() ? std::nullopt : std::optional(toPath(QDir::cleanPath(custom))),
        documents.isEmpty() ? std::nullopt : std::optional(toPath(documents)));
    if (root) {
        return QFile::decodeName(root->c_str());
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

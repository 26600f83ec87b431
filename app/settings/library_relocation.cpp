#include "app/settings/library_relocation.hpp"

#include "app/library/library_actions.hpp"
#include "app/library/library_store.hpp"
#include "app/platform/dialogs.hpp"
#include "app/platform/library_folder.hpp"
#include "app/platform/localization.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace velmora::LibraryRelocation {
namespace {

using Kind = Outcome::Kind;

QString canonical(const QString& path) {
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? QDir::cleanPath(QFileInfo(path).absoluteFilePath()) : resolved;
}

QString reasonKey(Library::MoveFailure failure) {
    switch (failure) {
    case Library::MoveFailure::exists:
        return QStringLiteral("library.move.exists %@");
    case Library::MoveFailure::permission:
        return QStringLiteral("library.move.permission %@");
    case Library::MoveFailure::copyFailed:
        return QStringLiteral("library.move.copyFailed %@");
    case Library::MoveFailure::missing:
    case Library::MoveFailure::other:
        break;
    }
    return QStringLiteral("library.move.failed %@");
}

} // namespace

QStringList skippedLines(const Library::MoveSummary& summary) {
    QStringList lines;
    for (std::size_t i = 0; i < summary.skipped.size(); ++i) {
        const auto reason =
            i < summary.reasons.size() ? summary.reasons[i] : Library::MoveFailure::other;
        lines.append(localizedFormat(reasonKey(reason),
                                     {QFile::decodeName(summary.skipped[i].c_str())}));
    }
    return lines;
}

bool sameFolder(const QString& a, const QString& b) {
    return canonical(a) == canonical(b);
}

Outcome change(LibraryStore& store, Dialogs& dialogs, QWidget* parent, LibraryLocation location,
               const QList<VelmoraDocument*>& open) {
    std::optional<QString> custom;
    if (location == LibraryLocation::custom) {
        const QString chosen =
            dialogs.folder(parent, localized(QStringLiteral("import.chooseFolder")),
                           localized(QStringLiteral("settings.files.custom.message")));
        if (chosen.isEmpty()) {
            return {};
        }
        custom = QDir::cleanPath(chosen);
    }
    const QString oldRoot = store.root();
    const QString newRoot = store.rootFor(location, custom);
    if (sameFolder(oldRoot, newRoot) || !LibraryFolder::containsDocuments(oldRoot)) {
        store.setLocation(location, custom);
        return {Kind::stored, {}, {}};
    }
    switch (dialogs.askToMoveLibrary(parent, newRoot)) {
    case Dialogs::LibraryMoveChoice::cancel:
        return {};
    case Dialogs::LibraryMoveChoice::leave:
        store.setLocation(location, custom);
        return {Kind::stored, {}, {}};
    case Dialogs::LibraryMoveChoice::move:
        break;
    }
    if (!LibraryActions::documentsAt(oldRoot, open).isEmpty()) {
        dialogs.alert(parent, localized(QStringLiteral("library.closeFirst")), QString());
        return {Kind::closeFirst, {}, {}};
    }
    store.setLocation(location, custom);
    const Library::MoveSummary summary =
        Library::moveContents(LibraryStore::toPath(oldRoot), LibraryStore::toPath(newRoot));
    store.moveRoot(oldRoot, newRoot);
    QStringList skipped;
    for (const std::string& name : summary.skipped) {
        skipped.append(QFile::decodeName(name.c_str()));
    }
    if (!skipped.isEmpty()) {
        dialogs.alert(parent, localized(QStringLiteral("settings.files.move.skipped")),
                      skippedLines(summary).join(QLatin1Char('\n')));
    }
    return {Kind::moved, skipped, summary.reasons};
}

} // namespace velmora::LibraryRelocation

#include "app/library/library_actions.hpp"

#include "app/document/document_codec.hpp"
#include "app/document/velmora_document.hpp"
#include "app/library/library_store.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/preferences.hpp"
#include "core/formats/file_system.hpp"
#include "core/formats/safe_file_name.hpp"
#include "core/model/document_merge.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace velmora {
namespace {

using Outcome = LibraryActions::Outcome;
using Kind = Outcome::Kind;

Outcome failed(const QString& key, const QString& name) {
    return {Kind::failed, {}, localizedFormat(key, {name})};
}

// The message of a move that did not happen, naming the item and the real reason.
Outcome moveFailed(Library::MoveFailure failure, const QString& name) {
    switch (failure) {
    case Library::MoveFailure::exists:
        return {Kind::exists, {}, localized(QStringLiteral("library.rename.exists"))};
    case Library::MoveFailure::permission:
        return failed(QStringLiteral("library.move.permission %@"), name);
    case Library::MoveFailure::copyFailed:
        return failed(QStringLiteral("library.move.copyFailed %@"), name);
    case Library::MoveFailure::missing:
    case Library::MoveFailure::other:
        break;
    }
    return failed(QStringLiteral("library.move.failed %@"), name);
}

// Moves the item from `path` to `target`, taking the open documents along.
Outcome moveItem(LibraryStore& store, const QString& path, const QString& target,
                 const QList<VelmoraDocument*>& open) {
    const QFileInfo info(path);
    const QList<VelmoraDocument*> affected = LibraryActions::documentsAt(path, open);
    if (info.isDir() && !affected.isEmpty()) {
        return {Kind::closeFirst, {}, localized(QStringLiteral("library.closeFirst"))};
    }
    // What is being typed belongs to the file as it is now.
    for (VelmoraDocument* document : affected) {
        emit document->commitEditingRequested();
        // An autosave underway would put the file back under its old name.
        document->finishWriting();
    }
    if (QFileInfo::exists(target) && QFileInfo(target) != info) {
        return {Kind::exists, {}, localized(QStringLiteral("library.rename.exists"))};
    }
    if (const auto failure =
            Library::move(LibraryStore::toPath(path), LibraryStore::toPath(target))) {
        return moveFailed(*failure, info.fileName());
    }
    for (VelmoraDocument* document : affected) {
        document->setFilePath(target);
    }
    store.rewritePaths(path, target);
    store.rescan();
    return {Kind::done, target, {}};
}

} // namespace

QList<VelmoraDocument*> LibraryActions::documentsAt(const QString& path,
                                                    const QList<VelmoraDocument*>& open) {
    const QString wanted = QFileInfo(path).absoluteFilePath();
    const QString below = wanted + QLatin1Char('/');
    QList<VelmoraDocument*> out;
    for (VelmoraDocument* document : open) {
        const QString file = QFileInfo(document->filePath()).absoluteFilePath();
        if (!document->filePath().isEmpty() && (file == wanted || file.startsWith(below))) {
            out.append(document);
        }
    }
    return out;
}

Outcome LibraryActions::rename(LibraryStore& store, const QString& path, const QString& newName,
                               const QList<VelmoraDocument*>& open) {
    const QFileInfo info(path);
    if (!info.exists()) {
        return moveFailed(Library::MoveFailure::missing, info.fileName());
    }
    if (info.isDir() && !documentsAt(path, open).isEmpty()) {
        return {Kind::closeFirst, {}, localized(QStringLiteral("library.closeFirst"))};
    }
    const QString safe = QString::fromStdString(safeFileName(newName.toStdString()));
    const QString current = info.isDir() ? info.fileName() : info.completeBaseName();
    if (safe == current) {
        return {};
    }
    const QString fileName = info.isDir() ? safe : safe + QLatin1Char('.') + info.suffix();
    return moveItem(store, path, info.dir().filePath(fileName), open);
}

Outcome LibraryActions::moveInto(LibraryStore& store, const QString& path, const QString& folder,
                                 const QList<VelmoraDocument*>& open) {
    const QFileInfo info(path);
    const QString from = info.absoluteFilePath();
    const QString into = QFileInfo(folder).absoluteFilePath();
    if (into == info.absolutePath() || into == from || into.startsWith(from + QLatin1Char('/'))) {
        return {};
    }
    return moveItem(store, path, QDir(into).filePath(info.fileName()), open);
}

Outcome LibraryActions::trash(LibraryStore& store, const QString& path,
                              const QList<VelmoraDocument*>& open) {
    const QFileInfo info(path);
    if (!documentsAt(path, open).isEmpty()) {
        return {Kind::closeFirst, {},
                localized(info.isDir() ? QStringLiteral("library.closeFirst")
                                       : QStringLiteral("library.closeDocumentFirst"))};
    }
    if (!QFile::moveToTrash(path)) {
        return failed(QStringLiteral("library.trash.failed %@"), info.fileName());
    }
    store.rescan();
    return {Kind::done, {}, {}};
}

Outcome LibraryActions::mergeConflictCopy(LibraryStore& store, const QString& copy,
                                          const QString& document,
                                          const QList<VelmoraDocument*>& open, int& conflicts) {
    conflicts = 0;
    const QString copyName = QFileInfo(copy).fileName();
    if (!documentsAt(copy, open).isEmpty()) {
        return {Kind::closeFirst, {}, localized(QStringLiteral("library.closeDocumentFirst"))};
    }
    const auto read = [](const QString& path) -> std::optional<DocumentCodec::Loaded> {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            return std::nullopt;
        }
        auto decoded = DocumentCodec::decodeNative(file.readAll());
        if (auto* loaded = std::get_if<DocumentCodec::Loaded>(&decoded)) {
            return std::move(*loaded);
        }
        return std::nullopt;
    };
    auto mine = read(document);
    const auto theirs = read(copy);
    if (!mine || !theirs) {
        return failed(QStringLiteral("library.conflictCopy.failed %@"), copyName);
    }
    auto merged = DocumentMerge::mergeTwoWay(mine->snapshot.document, theirs->snapshot.document);
    conflicts = merged.summary.conflicts;
    mine->snapshot.document = std::move(merged.document);
    if (DocumentWriter::writeAtomically(document,
                                         DocumentCodec::encodeNative(mine->snapshot,
                                                                     mine->settings))) {
        return failed(QStringLiteral("library.conflictCopy.failed %@"), copyName);
    }
    // The copy is merged: it goes where the file manager can still restore it from.
    if (!QFile::moveToTrash(copy)) {
        return failed(QStringLiteral("library.trash.failed %@"), copyName);
    }
    store.rescan();
    return {Kind::done, document, {}};
}

Outcome LibraryActions::newDocument(LibraryStore& store, const QString& folder) {
    const auto path = Library::uniqueURL(LibraryStore::toPath(folder),
                                         localized(QStringLiteral("document.untitled")).toStdString(),
                                         false);
    const QString file = LibraryStore::fromPath(path);
    VelmoraDocument fresh{Preferences()};
    EditorSnapshot snapshot = fresh.session().snapshot;
    snapshot.document.title = QFileInfo(file).completeBaseName().toStdString();
    const QByteArray bytes = DocumentCodec::encodeNative(
        snapshot,
        BackupSettings{BackupSettings::OpenMode::tab, BackupSettings::View::list, false});
    LocalFileSystem fileSystem;
    if (auto made = fileSystem.makeFolder(LibraryStore::toPath(folder)); !made.ok()) {
        return {Kind::failed, {}, QString::fromStdString(made.error().message)};
    }
    const auto written =
        fileSystem.write(path, std::string_view(bytes.constData(), std::size_t(bytes.size())),
                         FileSystem::Overwrite::never);
    if (!written.ok()) {
        return {Kind::failed, {}, QString::fromStdString(written.error().message)};
    }
    store.setExpanded(folder, true);
    store.rescan();
    return {Kind::done, file, {}};
}

Outcome LibraryActions::newFolder(LibraryStore& store, const QString& folder) {
    const auto path = Library::uniqueURL(
        LibraryStore::toPath(folder), localized(QStringLiteral("library.newFolder")).toStdString(),
        true);
    const QString made = LibraryStore::fromPath(path);
    if (!QDir().mkpath(made)) {
        return failed(QStringLiteral("library.newFolder.failed %@"), QFileInfo(made).fileName());
    }
    store.setExpanded(folder, true);
    store.rescan();
    return {Kind::done, made, {}};
}

} // namespace velmora

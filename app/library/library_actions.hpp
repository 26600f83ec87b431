#pragma once

#include <QList>
#include <QString>

namespace velmora {

class LibraryStore;
class VelmoraDocument;

// The changes the library sidebar makes on disk: renaming, moving into another folder, moving
// to the trash, new documents and folders. Each keeps the open documents on their files, never
// replaces an existing file, rewrites the stored pinned and expanded paths and rescans.
namespace LibraryActions {

struct Outcome {
    enum class Kind {
        done,       // `path` is where the item is now
        unchanged,  // nothing to do (same name, same folder)
        exists,     // an item of that name is already there; nothing changed
        closeFirst, // a folder holding open documents; nothing changed
        failed,     // `message` says why; nothing changed
    };
    Kind kind = Kind::unchanged;
    QString path;
    QString message;
};

// Renames the file or folder: the name is made safe (a document keeps its extension). An open
// document follows its file.
[[nodiscard]] Outcome rename(LibraryStore& store, const QString& path, const QString& newName,
                             const QList<VelmoraDocument*>& open);
// Moves the file or folder into another folder under the same name. A folder never moves into
// itself or below itself.
[[nodiscard]] Outcome moveInto(LibraryStore& store, const QString& path, const QString& folder,
                               const QList<VelmoraDocument*>& open);
// Moves the file or folder to the desktop's trash; an open document or a folder holding one is
// refused (closeFirst).
[[nodiscard]] Outcome trash(LibraryStore& store, const QString& path,
                            const QList<VelmoraDocument*>& open);
// Merges a sync tool's conflict copy into its document (the union of both: items of either are
// kept, titles or notes that differ stand side by side), writes the document and moves the
// copy to the trash. An open copy is refused (closeFirst); an open document takes the new file
// in as it takes any other program's change. `conflicts` counts the items kept twice.
[[nodiscard]] Outcome mergeConflictCopy(LibraryStore& store, const QString& copy,
                                        const QString& document,
                                        const QList<VelmoraDocument*>& open, int& conflicts);
// Writes a new untitled document with a free name (from "document.untitled") into the folder.
[[nodiscard]] Outcome newDocument(LibraryStore& store, const QString& folder);
// Makes a folder with a free name (from "library.newFolder") inside the folder.
[[nodiscard]] Outcome newFolder(LibraryStore& store, const QString& folder);

// The open documents whose files are the path or lie below it.
[[nodiscard]] QList<VelmoraDocument*> documentsAt(const QString& path,
                                                  const QList<VelmoraDocument*>& open);

} // namespace LibraryActions
} // namespace velmora

#pragma once

#include "core/library/library.hpp"

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

class QWidget;

namespace velmora {

class Dialogs;
class LibraryStore;
class VelmoraDocument;

// Changing where the library lives: choosing the folder, then asking whether the documents
// move along, stay where they are, or nothing changes at all.
namespace LibraryRelocation {

struct Outcome {
    enum class Kind {
        cancelled,  // nothing stored (the folder panel or the question was cancelled)
        stored,     // the new location is stored; no document moved
        moved,      // stored, and the documents moved (but `skipped`)
        closeFirst, // documents of the library are open; nothing stored or moved
    };
    Kind kind = Kind::cancelled;
    // The names left in the old folder, and why each stayed, in the same order.
    QStringList skipped;
    std::vector<Library::MoveFailure> reasons;
};

// Changes the library's location to `location`. For `custom` a folder is asked for first. When
// the folder changes and the old one holds documents, the user chooses to move them (refused
// while any of them is open, "library.closeFirst"), to leave them, or to cancel; names that
// could not move are listed in an alert, each with its reason. The store rescans after every
// stored change.
Outcome change(LibraryStore& store, Dialogs& dialogs, QWidget* parent, LibraryLocation location,
               const QList<VelmoraDocument*>& open);

// One line per entry that stayed in the old folder, naming it and why it stayed (a name
// clash, no permission, a copy that failed).
[[nodiscard]] QStringList skippedLines(const Library::MoveSummary& summary);

// Whether two paths name the same folder (symbolic links resolved, a missing folder compared
// by its cleaned absolute path).
[[nodiscard]] bool sameFolder(const QString& a, const QString& b);

} // namespace LibraryRelocation
} // namespace velmora

#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace velmora {

// The documents that were open when the application last quit, in window order, so that the
// next start brings them back. A document with a file is listed by its path; an untitled one
// by the autosave file that holds its content.
struct RestoreEntry {
    QString path;
    QString autosave;

    bool operator==(const RestoreEntry&) const = default;
};

namespace RestoreList {

// The list stored in the file; empty when the file is missing or not a list of this form.
[[nodiscard]] QList<RestoreEntry> read(const QString& file);
// Stores the list atomically; false when it could not be written.
bool write(const QString& file, const QList<RestoreEntry>& entries);

} // namespace RestoreList
} // namespace velmora

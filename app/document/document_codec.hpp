#pragma once

#include "core/formats/backup_codec.hpp"
#include "core/formats/backup_settings.hpp"
#include "core/formats/native_document_codec.hpp"
#include "core/model/item.hpp"
#include "core/session/editor_snapshot.hpp"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace velmora {

// The document-level codecs of the core, seen from the application: bytes in, values or a
// user-facing message out.
namespace DocumentCodec {

// A document file read into the state the editor starts from, with its settings member.
struct Loaded {
    EditorSnapshot snapshot;
    BackupSettings settings;
};

// The document file text of the state with the file's settings, as UTF-8.
[[nodiscard]] QByteArray encodeNative(const EditorSnapshot& snapshot,
                                      const BackupSettings& settings);
// A document file read, or the localised message of its first fault.
[[nodiscard]] std::variant<Loaded, QString> decodeNative(const QByteArray& data);
// An OPML file read (titled `fallbackTitle` when it has no title), or the localised message.
[[nodiscard]] std::variant<TreeDocument, QString> decodeOPML(const QByteArray& data,
                                                             const QString& fallbackTitle);
// The OPML text of the document's items (line breaks escaped), as UTF-8.
[[nodiscard]] QByteArray encodeOPML(const TreeDocument& document);
// A Markdown file read (titled `title`), or the localised message of why it is no text.
[[nodiscard]] std::variant<TreeDocument, QString> decodeMarkdown(const QByteArray& data,
                                                                 const QString& title);
// The Markdown list of the document's items; `taskMarkers` as when the document shows checks.
[[nodiscard]] QByteArray encodeMarkdown(const TreeDocument& document, bool taskMarkers);
// An Org file read (titled by its "#+TITLE", else `fallbackTitle`), or the localised message
// of why it is no Org text.
[[nodiscard]] std::variant<TreeDocument, QString> decodeOrg(const QByteArray& data,
                                                            const QString& fallbackTitle);
// The Org text of the document, with the items' ids in property drawers.
[[nodiscard]] QByteArray encodeOrg(const TreeDocument& document);
// The document as one self-contained web page.
[[nodiscard]] QByteArray encodeWebPage(const TreeDocument& document);

// The backup text of the documents with the settings, as UTF-8.
[[nodiscard]] QByteArray encodeBackup(const std::vector<TreeDocument>& documents,
                                      const BackupSettings& settings);
// A backup read, or the localised message of its first fault.
[[nodiscard]] std::variant<Backup, QString> decodeBackup(const QByteArray& data);
// The proposed name of a backup made at that moment, by its local day:
// "velmora-backup-YYYY-MM-DD.json".
[[nodiscard]] QString backupFileName(const QDateTime& moment);

// The localised message of a reading fault, formatted with its payload.
[[nodiscard]] QString message(const BackupError& error);
[[nodiscard]] QString message(const NativeReadError& error);

// What writing a backup into a folder did.
struct ImportSummary {
    struct Problem {
        QString title;
        QString message;
    };
    int saved = 0;
    QList<Problem> problems;
};
// Writes each document of the backup as a document file into the folder, never overwriting.
[[nodiscard]] ImportSummary importBackup(const Backup& backup, const QString& folder);

// Writes the sample documents into a new "Samples" folder of the library; the localised
// message of the failure, or nothing on success, when `folder` (if given) names the folder made.
[[nodiscard]] std::optional<QString> installSamples(const QString& libraryRoot,
                                                    QString* folder = nullptr);

// A name for a file made from a title: no path separators or other forbidden characters.
[[nodiscard]] QString safeFileName(const QString& title);

// The settings of a new document: tab, list, notes hidden.
[[nodiscard]] BackupSettings defaultSettings();

} // namespace DocumentCodec
} // namespace velmora

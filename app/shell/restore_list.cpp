#include "app/shell/restore_list.hpp"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace velmora {
namespace {
// The list is a few lines; a larger file is not ours.
constexpr qint64 kMaxListSize = 4 << 20;
} // namespace

QList<RestoreEntry> RestoreList::read(const QString& file) {
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly) || input.size() > kMaxListSize) {
        return {};
    }
    const QJsonDocument json = QJsonDocument::fromJson(input.readAll());
    const QJsonValue documents = json.object().value(QStringLiteral("documents"));
    QList<RestoreEntry> entries;
    for (const QJsonValue& value : documents.toArray()) {
        const QJsonObject object = value.toObject();
        RestoreEntry entry{object.value(QStringLiteral("path")).toString(),
                           object.value(QStringLiteral("autosave")).toString()};
        if (!entry.path.isEmpty() || !entry.autosave.isEmpty()) {
            entries.append(entry);
        }
    }
    return entries;
}

bool RestoreList::write(const QString& file, const QList<RestoreEntry>& entries) {
    QJsonArray documents;
    for (const RestoreEntry& entry : entries) {
        QJsonObject object;
        if (!entry.path.isEmpty()) {
            object.insert(QStringLiteral("path"), entry.path);
        }
        if (!entry.autosave.isEmpty()) {
            object.insert(QStringLiteral("autosave"), entry.autosave);
        }
        documents.append(object);
    }
    QJsonObject root;
    root.insert(QStringLiteral("documents"), documents);
    QSaveFile output(file);
    if (!output.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QByteArray bytes = QJsonDocument(root).toJson();
    // Flushed first: a commit after a failed flush would replace the list with a cut-off one.
    if (output.write(bytes) != bytes.size() || !output.flush()) {
        output.cancelWriting();
        return false;
    }
    return output.commit();
}

} // namespace velmora

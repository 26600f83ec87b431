// Another program's version of the file merged into the open document item by item, so that
// neither the user's unwritten changes nor the other program's are lost.
#include "app/document/velmora_document.hpp"

#include "app/document/missing_items.hpp"

#include "app/document/document_codec.hpp"
#include "app/platform/app_log.hpp"

#include <QFile>

#include <utility>

namespace velmora {
namespace {

// The user's editor state over the merged document: hoisted branches, the selection and the
// edited item stay where their items are still there, and the first copy that a conflict
// kept is selected, so that the user sees both versions at once.
EditorSnapshot overMerged(EditorSnapshot snapshot, TreeDocument merged,
                          const MergeSummary& summary) {
    snapshot.document = std::move(merged);
    snapshot = MissingItems::dropped(std::move(snapshot));
    const ItemList& items = snapshot.document.items;
    if (!summary.conflictCopyIds.empty()) {
        snapshot.selectedId = summary.conflictCopyIds.front();
        snapshot.anchorId.reset();
        snapshot.extraIds.clear();
        snapshot.editing.reset();
        // A copy inside a branch that another tab hoists could not be seen.
        snapshot.activeHoist.reset();
    }
    if (!snapshot.selectedId && !items.empty()) {
        snapshot.selectedId = items.front().id;
    }
    return snapshot;
}

} // namespace

void VelmoraDocument::setStatusNote(const QString& note) {
    if (note == m_statusNote) {
        return;
    }
    m_statusNote = note;
    emit fileProblemChanged();
}

// Writes since the last read that a merge may start from; older ones give way to the read one.
constexpr std::size_t kRememberedWrites = 8;

void VelmoraDocument::rememberRead(const TreeDocument& document) {
    m_diskVersions = {document};
}

void VelmoraDocument::rememberWritten(const TreeDocument& document) {
    if (m_diskVersions.empty()) {
        m_diskVersions.push_back(document);
        return;
    }
    if (m_diskVersions.size() > kRememberedWrites) {
        m_diskVersions.erase(m_diskVersions.begin() + 1);
    }
    m_diskVersions.push_back(document);
}

bool VelmoraDocument::diskVersionMissesOurs() const {
    if (m_diskVersions.empty() || m_filePath.isEmpty()) {
        return false;
    }
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    auto decoded = DocumentCodec::decodeNative(file.readAll());
    const auto* loaded = std::get_if<DocumentCodec::Loaded>(&decoded);
    if (!loaded || loaded->snapshot.document.id != m_diskVersions.front().id) {
        return false;
    }
    const TreeDocument& base = DocumentMerge::commonVersion(m_diskVersions,
                                                            loaded->snapshot.document);
    return !(documentWithDraft() == base);
}

std::optional<MergeSummary> VelmoraDocument::mergeFromDisk(const Preferences& preferences) {
    finishWriting();
    if (m_diskVersions.empty() || m_filePath.isEmpty()) {
        return std::nullopt;
    }
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    file.close();
    auto decoded = DocumentCodec::decodeNative(bytes);
    auto* loaded = std::get_if<DocumentCodec::Loaded>(&decoded);
    // A file that now holds another document is no version of this one.
    if (!loaded || loaded->snapshot.document.id != m_diskVersions.front().id) {
        return std::nullopt;
    }
    TreeDocument theirs = std::move(loaded->snapshot.document);
    // The text being typed is part of the user's version, and of what undo brings back; its
    // editor stays open, so that typing goes on through the merge.
    EditorSnapshot before = m_session.snapshot;
    before.document = documentWithDraft();
    const TreeDocument& base = DocumentMerge::commonVersion(m_diskVersions, theirs);
    MergeResult merged = DocumentMerge::merge(base, before.document, theirs);
    qCInfo(documentLog).noquote() << "merged" << m_filePath << "conflicts"
                                  << merged.summary.conflicts;
    if (!(merged.document == m_session.snapshot.document)) {
        if (!(before.document == m_session.snapshot.document)) {
            // The typing goes in as a step of its own first, so that undo walks back through
            // it to where the history began instead of keeping it as if always there.
            const EditorSnapshot untyped = std::exchange(m_session.snapshot, before);
            record(TreeCommand{"undo.edit", untyped, before});
        }
        m_session.snapshot = overMerged(before, std::move(merged.document), merged.summary);
        applyDisplayPreferences(preferences);
        // One step on the undo stack: undo brings back the user's version as it was.
        record(TreeCommand{"undo.merge", before, m_session.snapshot});
    }
    // The other program's version is the one on disk now, and the common version of the next
    // merge until the merged result is written.
    m_disk->adopt(m_filePath);
    rememberRead(theirs);
    setFileProblem(FileProblem::none);
    emit changed();
    return merged.summary;
}

} // namespace velmora

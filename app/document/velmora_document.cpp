#include "app/document/velmora_document.hpp"

#include "app/document/document_codec.hpp"
#include "app/document/missing_items.hpp"
#include "app/platform/app_log.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/preferences.hpp"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QUndoCommand>
#include <QUndoStack>

namespace velmora {
namespace {

// A file's stored state may name items the file no longer holds: the document opens without
// them, and with nothing selected when its selected item is gone.
EditorSnapshot withoutMissingItems(EditorSnapshot snapshot) {
    const bool selected = snapshot.selectedId.has_value();
    snapshot = MissingItems::dropped(std::move(snapshot));
    if (selected && !snapshot.selectedId) {
        snapshot.anchorId.reset();
        snapshot.extraIds.clear();
    }
    return snapshot;
}

std::string toStd(const QString& text) {
    return text.toStdString();
}

ViewMode viewFromPreference(const QString& raw) {
    return viewModeFromRawValue(toStd(raw)).value_or(ViewMode::tree);
}

EditorPreferences editorPreferences(const Preferences& preferences) {
    EditorPreferences editor;
    editor.returnWhileTyping = preferences.returnWhileTyping() == QLatin1String("finishAndAddNext")
                                   ? EditorPreferences::ReturnWhileTyping::finishAndAddNext
                                   : EditorPreferences::ReturnWhileTyping::finish;
    editor.tabIndents = preferences.tabIndents();
    editor.returnEdits = preferences.returnEdits();
    return editor;
}

EditorSession untitledSession(const Preferences& preferences) {
    EditorSession session = EditorSession::blank(
        toStd(localized(QStringLiteral("document.untitled"))), TreeIDs::make(), TreeIDs::make());
    session.setView(viewFromPreference(preferences.newDocumentView()));
    return session;
}

// One change of the document on its undo stack, which walks the document's undo history in
// step with it: the stack gives Qt's clean state and the menus, the history holds the records.
class TreeUndoCommand final : public QUndoCommand {
public:
    TreeUndoCommand(VelmoraDocument& document, const std::string& catalogKey)
        : QUndoCommand(localized(catalogKey)), m_document(document) {}

    void redo() override {
        // The session already holds the state after when the record is pushed.
        if (m_pushed) {
            m_document.walkHistory(false);
        }
        m_pushed = true;
    }
    void undo() override { m_document.walkHistory(true); }

private:
    VelmoraDocument& m_document;
    bool m_pushed = false;
};

} // namespace

VelmoraDocument::VelmoraDocument(const Preferences& preferences, QObject* parent)
    : QObject(parent), m_session(untitledSession(preferences)),
      m_fileSettings(DocumentCodec::defaultSettings()), m_fileType(nativeType),
      m_disk(new DiskFile(this)), m_undoStack(new QUndoStack(this)),
      m_writer(std::make_unique<DocumentWriter>(
          [this](DocumentWriter::Ended ended) { writeEnded(std::move(ended)); })) {
    m_session.preferences = editorPreferences(preferences);
    connect(m_disk, &DiskFile::touched, this, [this] {
        // Our own write underway touches the file too; what else happened is seen at its end.
        if (!m_writer->noteTouched()) {
            emit diskTouched();
        }
    });
    connect(m_undoStack, &QUndoStack::indexChanged, this, [this] { noteChange(); });
    connect(m_undoStack, &QUndoStack::cleanChanged, this, [this] {
        const bool edited = isEdited();
        if (edited != m_lastEdited) {
            m_lastEdited = edited;
            emit editedChanged(edited);
        }
    });
}

QString VelmoraDocument::typeForPath(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("opml") || suffix == QLatin1String("xml")) {
        return opmlType;
    }
    if (suffix == QLatin1String("md") || suffix == QLatin1String("markdown")) {
        return markdownType;
    }
    if (suffix == QLatin1String("org")) {
        return orgType;
    }
    return nativeType;
}

std::optional<DocumentError> VelmoraDocument::read(const QByteArray& data, const QString& type,
                                                   const Preferences& preferences,
                                                   const QString& name) {
    if (type == markdownType) {
        auto decoded = DocumentCodec::decodeMarkdown(
            data, name.isEmpty() ? localized(QStringLiteral("document.imported")) : name);
        if (auto* message = std::get_if<QString>(&decoded)) {
            return DocumentError{*message};
        }
        adoptImported(std::get<TreeDocument>(std::move(decoded)), preferences);
        return std::nullopt;
    }
    if (type == orgType) {
        auto decoded = DocumentCodec::decodeOrg(
            data, name.isEmpty() ? localized(QStringLiteral("document.imported")) : name);
        if (auto* message = std::get_if<QString>(&decoded)) {
            return DocumentError{*message};
        }
        adoptImported(std::get<TreeDocument>(std::move(decoded)), preferences);
        return std::nullopt;
    }
    if (type == opmlType) {
        auto decoded =
            DocumentCodec::decodeOPML(data, localized(QStringLiteral("document.imported")));
        if (auto* message = std::get_if<QString>(&decoded)) {
            return DocumentError{*message};
        }
        adoptImported(std::get<TreeDocument>(std::move(decoded)), preferences);
        return std::nullopt;
    }
    auto decoded = DocumentCodec::decodeNative(data);
    if (auto* message = std::get_if<QString>(&decoded)) {
        return DocumentError{*message};
    }
    auto& loaded = std::get<DocumentCodec::Loaded>(decoded);
    m_session = EditorSession::init(withoutMissingItems(std::move(loaded.snapshot)),
                                    editorPreferences(preferences));
    m_fileSettings = loaded.settings;
    applyDisplayPreferences(preferences);
    emit changed();
    return std::nullopt;
}

void VelmoraDocument::adoptImported(TreeDocument document, const Preferences& preferences) {
    EditorSnapshot snapshot;
    if (!document.items.empty()) {
        snapshot.selectedId = document.items.front().id;
    }
    snapshot.document = std::move(document);
    snapshot.view = ViewMode::tree;
    m_session = EditorSession::init(std::move(snapshot), editorPreferences(preferences));
    m_fileSettings = DocumentCodec::defaultSettings();
    applyDisplayPreferences(preferences);
    emit changed();
}

std::optional<DocumentError> VelmoraDocument::readFile(const QString& path,
                                                       const Preferences& preferences) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return DocumentError{file.errorString()};
    }
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return DocumentError{file.errorString()};
    }
    const QString type = typeForPath(path);
    if (auto error = read(data, type, preferences, QFileInfo(path).completeBaseName())) {
        return error;
    }
    m_fileType = type;
    setFilePath(QFileInfo(path).absoluteFilePath());
    m_disk->adopt(m_filePath);
    rememberRead(m_session.snapshot.document);
    return std::nullopt;
}

void VelmoraDocument::applyForeignFileRule() {
    if (m_filePath.isEmpty() || QFileInfo(m_filePath).suffix().toLower() == extension) {
        return;
    }
    setFilePath(QString());
    m_fileType = nativeType;
    markChanged();
}

void VelmoraDocument::applyDisplayPreferences(const Preferences& preferences) {
    if (preferences.checkStyle() == CheckStyle::none) {
        m_session.checksVisible = preferences.storedStrikeChecked().value_or(false);
    } else {
        m_session.checksVisible = true;
    }
    m_session.hideCompleted = preferences.hideCompleted(documentId());
    m_session.retargetIfHidden();
}

void VelmoraDocument::applyEditorPreferences(const Preferences& preferences) {
    m_session.preferences = editorPreferences(preferences);
    // Archiving names the item it creates in the interface language; every language's name is
    // one the archive rules recognise.
    m_session.archiveTitle = toStd(localized(QStringLiteral("archive.title")));
}

void VelmoraDocument::setSnapshot(const EditorSnapshot& snapshot) {
    m_session.snapshot = snapshot;
    emit changed();
}

void VelmoraDocument::walkHistory(bool back) {
    back ? m_history.undo(m_session) : m_history.redo(m_session);
    emit changed();
}

PerformResult VelmoraDocument::perform(Action action, std::optional<std::string> draft,
                                       std::optional<long long> caret) {
    const bool wasHiding = m_session.hideCompleted;
    const ViewMode viewBefore = m_session.snapshot.view;
    const bool notesBefore = m_session.snapshot.showAllNotes;
    PerformResult result = m_session.perform(action, std::move(draft), caret);
    if (m_session.hideCompleted != wasHiding) {
        // Kept per document, so it applies again when the document is next opened.
        Preferences().setHideCompleted(documentId(), m_session.hideCompleted);
    }
    if (result.command) {
        record(*result.command);
    } else if (m_session.snapshot.view != viewBefore ||
               m_session.snapshot.showAllNotes != notesBefore) {
        // The view and the shown notes are written with the document though they are no step
        // to undo: the next autosave (and quitting) writes them, so that the document opens
        // as it was left.
        noteDraftEdited();
    }
    emit changed();
    return result;
}

void VelmoraDocument::record(const TreeCommand& command) {
    m_history.push(command);
    m_undoStack->push(new TreeUndoCommand(*this, command.catalogKey));
}

void VelmoraDocument::setFilePath(const QString& path) {
    if (path == m_filePath) {
        return;
    }
    m_filePath = path;
    m_disk->follow(path);
    emit fileChanged();
}

QString VelmoraDocument::displayName() const {
    if (!m_filePath.isEmpty()) {
        return QFileInfo(m_filePath).completeBaseName();
    }
    const QString title = QString::fromStdString(m_session.snapshot.document.title);
    return m_untitledNumber > 1 ? title + QLatin1Char(' ') + QString::number(m_untitledNumber)
                                : title;
}

QString VelmoraDocument::documentId() const {
    return QString::fromStdString(m_session.snapshot.document.id);
}

void VelmoraDocument::undoOrRedo(bool redo) {
    emit commitEditingRequested();
    if (redo ? !m_undoStack->canRedo() : !m_undoStack->canUndo()) {
        QApplication::beep();
        return;
    }
    redo ? m_undoStack->redo() : m_undoStack->undo();
}

QString VelmoraDocument::undoName(bool redo) const {
    // Looked up now rather than when recorded, so the name follows a change of language.
    const TreeCommand* command = redo ? m_history.nextRedo() : m_history.nextUndo();
    return command ? localized(command->catalogKey) : QString();
}

bool VelmoraDocument::isEdited() const {
    return m_forcedEdited || !m_undoStack->isClean();
}

void VelmoraDocument::markChanged() {
    m_forcedEdited = true;
    noteChange();
}

void VelmoraDocument::noteChange() {
    ++m_changeCount;
    setStatusNote(QString());
    const bool edited = isEdited();
    if (edited != m_lastEdited) {
        m_lastEdited = edited;
        emit editedChanged(edited);
    }
    // Announced after counting: an undo restores its snapshot (and says `changed`) before the
    // stack moves its index, so only now is the change there to be written.
    emit contentChanged();
}

void VelmoraDocument::markSaved() {
    m_forcedEdited = false;
    m_autosavedCount = m_changeCount;
    m_undoStack->setClean();
    if (m_lastEdited) {
        m_lastEdited = false;
        emit editedChanged(false);
    }
}

void VelmoraDocument::setDraftSource(std::function<std::vector<TextDraft>()> source) {
    m_draftSource = std::move(source);
}

void VelmoraDocument::noteDraftEdited() {
    // Counted like a change for autosaving only: the edited mark and the undo stack wait for
    // the commit, which records the whole typing as one step.
    ++m_changeCount;
    emit contentChanged();
}

TreeDocument VelmoraDocument::documentWithDraft() const {
    const std::vector<TextDraft> drafts =
        m_draftSource ? m_draftSource() : std::vector<TextDraft>();
    if (drafts.empty()) {
        return m_session.snapshot.document;
    }
    // The commits run on a copy (sharing the tree), so the session keeps its editors open.
    EditorSession copy = m_session;
    for (const TextDraft& draft : drafts) {
        (void)(draft.target.isNote() ? copy.commitNote(draft.target.id, draft.text)
                                     : copy.commitItemText(draft.target.id, draft.text));
    }
    return copy.snapshot.document;
}

QByteArray VelmoraDocument::data(const QString& destination) const {
    return DocumentCodec::encodeNative(writtenSnapshot(destination), m_fileSettings);
}

EditorSnapshot VelmoraDocument::writtenSnapshot(const QString& destination) const {
    // Writing never ends editing: an autosave under the user's hands keeps the editor, its
    // caret and its selection, and writes the text typed so far.
    EditorSnapshot written = m_session.snapshot;
    written.document = documentWithDraft();
    // A new place names the document only once it is written there.
    const QString named = destination.isEmpty() ? m_filePath : destination;
    if (!named.isEmpty()) {
        written.document.title = toStd(QFileInfo(named).completeBaseName());
    }
    return written;
}

void VelmoraDocument::takeTitleFromFile() {
    if (!m_filePath.isEmpty()) {
        m_session.snapshot.document.title = toStd(QFileInfo(m_filePath).completeBaseName());
    }
}

std::optional<DocumentError> VelmoraDocument::save() {
    finishWriting();
    if (m_filePath.isEmpty()) {
        return DocumentError{localized(QStringLiteral("document.error.noFile"))};
    }
    if (auto error = writeInPlace()) {
        qCCritical(documentLog).noquote() << "save error" << m_filePath << error->message;
        return error;
    }
    markSaved();
    return std::nullopt;
}

std::optional<DocumentError> VelmoraDocument::saveOver() {
    finishWriting();
    if (m_filePath.isEmpty()) {
        return DocumentError{localized(QStringLiteral("document.error.noFile"))};
    }
    if (auto error = writeOver()) {
        qCCritical(documentLog).noquote() << "save error" << m_filePath << error->message;
        return error;
    }
    markSaved();
    return std::nullopt;
}

std::optional<DocumentError> VelmoraDocument::saveAs(const QString& path) {
    finishWriting();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (auto error = DocumentWriter::writeAtomically(absolute, data(absolute))) {
        qCCritical(documentLog).noquote() << "saveAs error" << absolute << error->message;
        return error;
    }
    m_fileType = nativeType;
    // Gone before the new file is announced, so that the list to reopen no longer names it.
    discardAutosave();
    setFilePath(absolute);
    // Named after its new place once written there, as `data` named what it wrote.
    takeTitleFromFile();
    m_disk->adopt(absolute);
    rememberWritten(documentWithDraft());
    setFileProblem(FileProblem::none);
    markSaved();
    // Only the file changed: a refresh through `changed` would reload an open editor.
    return std::nullopt;
}

void VelmoraDocument::discardAutosave() {
    // A write underway would bring the file back.
    finishWriting();
    if (!m_autosavePath.isEmpty()) {
        QFile::remove(m_autosavePath);
        m_autosavePath.clear();
    }
}

} // namespace velmora

#include "app/shell/import_export_flows.hpp"

#include "app/document/document_codec.hpp"
#include "app/document/velmora_document.hpp"
#include "app/platform/dialogs.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/preferences.hpp"
#include "app/shell/velmora_document_controller.hpp"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace velmora {
namespace {

// A backup file is read whole; anything larger than this is not one of ours.
constexpr qint64 kMaxImportSize = qint64(1) << 31;

QString jsonFilter() {
    return localized(QStringLiteral("document.filter.backups")) + QStringLiteral(" (*.json)");
}

QString opmlFilter() {
    return localized(QStringLiteral("document.filter.opml")) + QStringLiteral(" (*.opml *.xml)");
}

QString markdownFilter() {
    return localized(QStringLiteral("document.filter.markdown")) +
           QStringLiteral(" (*.md *.markdown)");
}

QString orgFilter() {
    return localized(QStringLiteral("document.filter.org")) + QStringLiteral(" (*.org)");
}

QString webPageFilter() {
    return localized(QStringLiteral("document.filter.html")) + QStringLiteral(" (*.html *.htm)");
}

// The bytes of a chosen file, or the message of why it could not be read.
std::variant<QByteArray, QString> readChosenFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return file.errorString();
    }
    if (file.size() > kMaxImportSize) {
        return localized(QStringLiteral("import.error.tooLarge"));
    }
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return file.errorString();
    }
    return data;
}

} // namespace

ImportExportFlows::ImportExportFlows(VelmoraDocumentController& controller, Dialogs& dialogs)
    : m_controller(controller), m_dialogs(dialogs) {}

bool ImportExportFlows::write(QWidget* parent, const QString& path, const QByteArray& bytes) {
    if (auto error = DocumentWriter::writeAtomically(path, bytes)) {
        m_dialogs.alert(parent, error->message, {});
        return false;
    }
    return true;
}

std::optional<QByteArray> ImportExportFlows::chooseFile(QWidget* parent, const QString& filter,
                                                        QString& chosen) {
    const QStringList paths = m_dialogs.openFileNames(parent, {}, {filter}, false);
    if (paths.isEmpty()) {
        return std::nullopt;
    }
    chosen = paths.first();
    auto data = readChosenFile(chosen);
    if (const auto* message = std::get_if<QString>(&data)) {
        m_dialogs.alert(parent, *message, {});
        return std::nullopt;
    }
    return std::get<QByteArray>(std::move(data));
}

bool ImportExportFlows::exportBackup(QWidget* parent) {
    std::vector<TreeDocument> documents;
    for (VelmoraDocument* document : m_controller.documents()) {
        documents.push_back(document->documentWithDraft());
    }
    BackupSettings settings = DocumentCodec::defaultSettings();
    settings.openMode = BackupSettings::OpenMode::tab;
    settings.view = BackupSettings::View::tree;
    settings.showAllNotes = false;
    if (VelmoraDocument* current = m_controller.currentDocument()) {
        const EditorSnapshot& snapshot = current->session().snapshot;
        if (snapshot.view == ViewMode::list) {
            settings.view = BackupSettings::View::list;
        }
        settings.showAllNotes = snapshot.showAllNotes;
    }
    const QByteArray text = DocumentCodec::encodeBackup(documents, settings);
    const QString path = withExtension(
        m_dialogs.saveFileName(parent, QDir::homePath(),
                               DocumentCodec::backupFileName(QDateTime::currentDateTime()),
                               {jsonFilter()}),
        QStringLiteral(".json"));
    if (path.isEmpty()) {
        return false;
    }
    return write(parent, path, text);
}

bool ImportExportFlows::importBackup(QWidget* parent) {
    const QStringList chosen = m_dialogs.openFileNames(parent, {}, {jsonFilter()}, false);
    if (chosen.isEmpty()) {
        return false;
    }
    const auto data = readChosenFile(chosen.first());
    if (const auto* message = std::get_if<QString>(&data)) {
        m_dialogs.alert(parent, *message, {});
        return false;
    }
    const auto decoded = DocumentCodec::decodeBackup(std::get<QByteArray>(data));
    if (const auto* message = std::get_if<QString>(&decoded)) {
        m_dialogs.alert(parent, *message, {});
        return false;
    }
    const QString folder =
        m_dialogs.folder(parent, localized(QStringLiteral("import.chooseFolder")),
                         localized(QStringLiteral("import.chooseFolder.message")));
    if (folder.isEmpty()) {
        return false;
    }
    const auto summary = DocumentCodec::importBackup(std::get<Backup>(decoded), folder);
    QStringList lines{
        localizedFormat(QStringLiteral("import.summary %lld"), {qint64(summary.saved)})};
    if (!summary.problems.isEmpty()) {
        lines.append(localizedFormat(QStringLiteral("import.problems %lld"),
                                     {qint64(summary.problems.size())}));
        for (const auto& problem : summary.problems) {
            lines.append(QStringLiteral("\u2022 ") + problem.title + QStringLiteral(": ") +
                         problem.message);
        }
    }
    // A complete import is a success; documents left out deserve the warning sign.
    if (summary.saved > 0 && summary.problems.isEmpty()) {
        m_dialogs.inform(parent, localized(QStringLiteral("import.title")),
                         lines.join(QLatin1Char('\n')));
    } else {
        m_dialogs.alert(parent, localized(QStringLiteral("import.title")),
                        lines.join(QLatin1Char('\n')));
    }
    return summary.saved > 0;
}

bool ImportExportFlows::exportOPML(VelmoraDocument& document, QWidget* parent) {
    const TreeDocument tree = document.documentWithDraft();
    return exportFile(document, parent, QStringLiteral(".opml"), opmlFilter(),
                      DocumentCodec::encodeOPML(tree));
}

QString ImportExportFlows::exportPath(VelmoraDocument& document, QWidget* parent,
                                      const QString& extension, const QString& filter) {
    QString title = QString::fromStdString(document.session().snapshot.document.title);
    if (title.isEmpty()) {
        title = localized(QStringLiteral("document.untitled"));
    }
    const QString directory = document.filePath().isEmpty()
                                  ? QDir::homePath()
                                  : QFileInfo(document.filePath()).absolutePath();
    return withExtension(m_dialogs.saveFileName(parent, directory,
                                                DocumentCodec::safeFileName(title) + extension,
                                                {filter}),
                         extension);
}

QString ImportExportFlows::withExtension(const QString& path, const QString& extension) {
    if (path.isEmpty() || path.endsWith(extension, Qt::CaseInsensitive)) {
        return path;
    }
    return path + extension;
}

bool ImportExportFlows::exportMarkdown(VelmoraDocument& document, QWidget* parent) {
    return exportFile(document, parent, QStringLiteral(".md"), markdownFilter(),
                      DocumentCodec::encodeMarkdown(document.documentWithDraft(),
                                                    document.session().checksVisible));
}

VelmoraDocument* ImportExportFlows::importMarkdown(QWidget* parent) {
    QString chosen;
    const auto data = chooseFile(parent, markdownFilter(), chosen);
    if (!data) {
        return nullptr;
    }
    // Markdown has no title of its own: the document is named after the file.
    return showDecoded(parent,
                       DocumentCodec::decodeMarkdown(*data, QFileInfo(chosen).completeBaseName()));
}

bool ImportExportFlows::exportOrg(VelmoraDocument& document, QWidget* parent) {
    return exportFile(document, parent, QStringLiteral(".org"), orgFilter(),
                      DocumentCodec::encodeOrg(document.documentWithDraft()));
}

VelmoraDocument* ImportExportFlows::importOrg(QWidget* parent) {
    QString chosen;
    const auto data = chooseFile(parent, orgFilter(), chosen);
    if (!data) {
        return nullptr;
    }
    return showDecoded(parent,
                       DocumentCodec::decodeOrg(*data, QFileInfo(chosen).completeBaseName()));
}

bool ImportExportFlows::exportWebPage(VelmoraDocument& document, QWidget* parent) {
    return exportFile(document, parent, QStringLiteral(".html"), webPageFilter(),
                      DocumentCodec::encodeWebPage(document.documentWithDraft()));
}

VelmoraDocument* ImportExportFlows::importOPML(QWidget* parent) {
    QString chosen;
    const auto data = chooseFile(parent, opmlFilter(), chosen);
    if (!data) {
        return nullptr;
    }
    return showDecoded(
        parent, DocumentCodec::decodeOPML(*data, localized(QStringLiteral("document.imported"))));
}

bool ImportExportFlows::exportFile(VelmoraDocument& document, QWidget* parent,
                                   const QString& extension, const QString& filter,
                                   const QByteArray& bytes) {
    const QString path = exportPath(document, parent, extension, filter);
    if (path.isEmpty()) {
        return false;
    }
    return write(parent, path, bytes);
}

VelmoraDocument* ImportExportFlows::showDecoded(QWidget* parent,
                                                std::variant<TreeDocument, QString> decoded) {
    if (const auto* message = std::get_if<QString>(&decoded)) {
        m_dialogs.alert(parent, *message, {});
        return nullptr;
    }
    return showImported(std::get<TreeDocument>(std::move(decoded)));
}

VelmoraDocument* ImportExportFlows::showImported(TreeDocument imported) {
    auto document = m_controller.makeUntitledDocument();
    document->adoptImported(std::move(imported), Preferences());
    document->setFileType(VelmoraDocument::nativeType);
    // Like an opened OPML or Markdown file: untitled, with changes that autosave keeps until it is
    // saved.
    document->markChanged();
    VelmoraDocument* added = m_controller.addDocument(std::move(document));
    m_controller.makeWindowControllers(added);
    return added;
}

} // namespace velmora

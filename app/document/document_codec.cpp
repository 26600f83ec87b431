#include "app/document/document_codec.hpp"

#include "app/platform/localization.hpp"
#include "core/formats/backup_folder_import.hpp"
#include "core/formats/file_system.hpp"
#include "core/formats/markdown_codec.hpp"
#include "core/formats/native_document_codec.hpp"
#include "core/formats/opml_codec.hpp"
#include "core/formats/org_codec.hpp"
#include "core/formats/safe_file_name.hpp"
#include "core/formats/sample_library.hpp"
#include "core/formats/web_page.hpp"

#include <QDateTime>
#include <QFile>

namespace velmora {
namespace {

std::string_view view(const QByteArray& data) {
    return {data.constData(), static_cast<std::size_t>(data.size())};
}

QByteArray bytes(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::filesystem::path fileSystemPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

} // namespace

QString DocumentCodec::message(const BackupError& error) {
    QVariantList arguments;
    if (const auto* number = error.number()) {
        arguments.append(QVariant::fromValue<qint64>(*number));
    } else if (const auto* payload = error.text()) {
        arguments.append(text(*payload));
    }
    return localizedFormat(text(error.catalogKey()), arguments);
}

QString DocumentCodec::message(const NativeReadError& error) {
    if (error.kind == NativeReadError::Kind::backup) {
        return message(error.backup);
    }
    QString result = localizedFormat(text(error.catalogKey()),
                                     {QVariant::fromValue<qint64>(error.documentCount)});
    if (auto suggestion = error.suggestionKey()) {
        result += QLatin1Char(' ') + localized(*suggestion);
    }
    return result;
}

QByteArray DocumentCodec::encodeNative(const EditorSnapshot& snapshot,
                                       const BackupSettings& settings) {
    return bytes(NativeDocumentCodec::encode(snapshot, settings));
}

std::variant<DocumentCodec::Loaded, QString> DocumentCodec::decodeNative(const QByteArray& data) {
    auto decoded = NativeDocumentCodec::decode(view(data));
    if (!decoded.ok()) {
        return message(decoded.error());
    }
    return Loaded{NativeDocumentCodec::snapshot(decoded.value()), decoded.value().settings};
}

std::variant<TreeDocument, QString> DocumentCodec::decodeOPML(const QByteArray& data,
                                                              const QString& fallbackTitle) {
    auto decoded = OPMLCodec::decode(view(data), fallbackTitle.toStdString());
    if (!decoded.ok()) {
        return localizedFormat(text(decoded.error().catalogKey()),
                               {QVariant::fromValue<qint64>(decoded.error().line)});
    }
    return std::move(decoded).value();
}

QByteArray DocumentCodec::encodeOPML(const TreeDocument& document) {
    return bytes(OPMLCodec::encode(document.title, document.items, {.escapeLineBreaks = true}));
}

std::variant<TreeDocument, QString> DocumentCodec::decodeMarkdown(const QByteArray& data,
                                                                  const QString& title) {
    auto decoded = MarkdownCodec::decode(view(data), title.toStdString());
    if (!decoded.ok()) {
        return localizedFormat(text(decoded.error().catalogKey()),
                               {QVariant::fromValue<qint64>(decoded.error().line)});
    }
    return std::move(decoded).value();
}

QByteArray DocumentCodec::encodeMarkdown(const TreeDocument& document, bool taskMarkers) {
    return bytes(MarkdownCodec::encode(document.items, {.taskMarkers = taskMarkers}));
}

std::variant<TreeDocument, QString> DocumentCodec::decodeOrg(const QByteArray& data,
                                                             const QString& fallbackTitle) {
    auto decoded = OrgCodec::decode(view(data), fallbackTitle.toStdString());
    if (!decoded.ok()) {
        return localizedFormat(text(decoded.error().catalogKey()),
                               {QVariant::fromValue<qint64>(decoded.error().line)});
    }
    return std::move(decoded).value();
}

QByteArray DocumentCodec::encodeOrg(const TreeDocument& document) {
    return bytes(OrgCodec::encode(document.title, document.items));
}

QByteArray DocumentCodec::encodeWebPage(const TreeDocument& document) {
    return bytes(WebPage::encode(document.title, document.items));
}

QByteArray DocumentCodec::encodeBackup(const std::vector<TreeDocument>& documents,
                                       const BackupSettings& settings) {
    return bytes(BackupCodec::encode(documents, settings));
}

std::variant<Backup, QString> DocumentCodec::decodeBackup(const QByteArray& data) {
    auto decoded = BackupCodec::decode(view(data));
    if (!decoded.ok()) {
        return message(decoded.error());
    }
    return std::move(decoded).value();
}

QString DocumentCodec::backupFileName(const QDateTime& moment) {
    const Timestamp when{moment.toSecsSinceEpoch()};
    return text(BackupCodec::fileName(when, moment.offsetFromUtc()));
}

DocumentCodec::ImportSummary DocumentCodec::importBackup(const Backup& backup,
                                                         const QString& folder) {
    LocalFileSystem fileSystem;
    const auto written = BackupFolderImport::write(backup.documents, backup.settings,
                                                   fileSystemPath(folder), fileSystem);
    ImportSummary summary;
    summary.saved = static_cast<int>(written.saved.size());
    for (const auto& problem : written.problems) {
        summary.problems.append({text(problem.title), localized(problem.catalogKey)});
    }
    return summary;
}

std::optional<QString> DocumentCodec::installSamples(const QString& libraryRoot,
                                                     QString* folder) {
    LocalFileSystem fileSystem;
    auto installed = SampleLibrary::install(fileSystemPath(libraryRoot), fileSystem);
    if (installed.ok()) {
        if (folder) {
            *folder = QFile::decodeName(installed.value().c_str());
        }
        return std::nullopt;
    }
    const FileError& error = installed.error();
    return QFile::decodeName(error.path.string().c_str()) + QStringLiteral(": ") +
           text(error.message);
}

QString DocumentCodec::safeFileName(const QString& title) {
    return text(velmora::safeFileName(title.toStdString()));
}

BackupSettings DocumentCodec::defaultSettings() {
    return BackupSettings{};
}

} // namespace velmora

#include "cli/cli_common.hpp"

#include "core/commands/strings.hpp"
#include "core/formats/file_system.hpp"
#include "core/formats/item_clipboard.hpp"
#include "core/formats/json_value.hpp"
#include "core/formats/markdown_codec.hpp"
#include "core/formats/opml_codec.hpp"
#include "core/formats/org_codec.hpp"
#include "core/library/library.hpp"

#include <iostream>

namespace velmora::cli {
namespace fs = std::filesystem;

namespace {

std::string lower(std::string s) {
    for (auto& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

Refusal fromBackupError(const BackupError& error) {
    Refusal refusal{std::string(error.catalogKey()), {}};
    if (auto n = error.number())
        refusal.argument = *n;
    else if (auto t = error.text())
        refusal.argument = *t;
    return refusal;
}

Refusal fromNativeError(const NativeReadError& error) {
    if (error.kind == NativeReadError::Kind::multipleDocuments)
        return {std::string(error.catalogKey()), error.documentCount};
    return fromBackupError(error.backup);
}

} // namespace

std::optional<FileKind> kindOf(const fs::path& path) {
    auto extension = lower(path.extension().string());
    if (extension == ".quenlith")
        return FileKind::document;
    if (extension == ".json")
        return FileKind::backup;
    if (extension == ".opml")
        return FileKind::opml;
    if (extension == ".md" || extension == ".markdown")
        return FileKind::markdown;
    if (extension == ".txt")
        return FileKind::text;
    if (extension == ".org")
        return FileKind::org;
    if (extension == ".html" || extension == ".htm")
        return FileKind::html;
    return std::nullopt;
}

std::string_view rawValue(FileKind kind) {
    switch (kind) {
    case FileKind::document:
        return "document";
    case FileKind::backup:
        return "backup";
    case FileKind::opml:
        return "opml";
    case FileKind::markdown:
        return "markdown";
    case FileKind::text:
        return "text";
    case FileKind::org:
        return "org";
    case FileKind::html:
        return "html";
    }
    return "document";
}

std::string Refusal::message() const {
    std::vector<Strings::Argument> arguments;
    if (auto t = std::get_if<std::string>(&argument))
        arguments.emplace_back(*t);
    else if (auto n = std::get_if<std::int64_t>(&argument))
        arguments.emplace_back(*n);
    auto text = Strings::localizedFormat("en", key, arguments);
    if (key == "backup.error.multipleDocuments %lld")
        text += " " + Strings::localized("en", "backup.error.multipleDocuments.suggestion");
    return text;
}

std::string Refusal::json() const {
    std::string out = "{\"error\": " + jsonStringLiteral(key) + ", \"argument\": ";
    if (auto t = std::get_if<std::string>(&argument))
        out += jsonStringLiteral(*t);
    else if (auto n = std::get_if<std::int64_t>(&argument))
        out += std::to_string(*n);
    else
        out += "null";
    return out + "}";
}

Result<LoadedFile, Refusal> load(const fs::path& path) {
    auto kind = kindOf(path);
    if (!kind)
        return Refusal{"cli.error.unknownKind %@", path.string()};
    return load(path, *kind);
}

Result<LoadedFile, Refusal> load(const fs::path& path, FileKind kind) {
    if (kind == FileKind::html)
        return Refusal{"cli.error.writeOnly %@", path.string()};
    auto data = Library::readFile(path);
    if (!data || fs::is_directory(path))
        return Refusal{"cli.error.unreadable %@", path.string()};
    LoadedFile file;
    file.kind = kind;
    switch (kind) {
    case FileKind::document: {
        auto loaded = NativeDocumentCodec::decode(*data);
        if (!loaded)
            return fromNativeError(loaded.error());
        file.documents = {loaded.value().document};
        file.settings = loaded.value().settings;
        file.native = loaded.value();
        break;
    }
    case FileKind::backup: {
        auto backup = BackupCodec::decode(*data);
        if (!backup)
            return fromBackupError(backup.error());
        file.documents = backup.value().documents;
        file.settings = backup.value().settings;
        break;
    }
    case FileKind::opml: {
        auto document = OPMLCodec::decode(*data, path.stem().string());
        if (!document)
            return Refusal{std::string(document.error().catalogKey()), document.error().line};
        file.documents = {document.value()};
        break;
    }
    case FileKind::markdown: {
        auto document = MarkdownCodec::decode(*data, path.stem().string());
        if (!document)
            return Refusal{std::string(document.error().catalogKey()), document.error().line};
        file.documents = {document.value()};
        break;
    }
    case FileKind::text: {
        auto items = ItemClipboard::itemsFromPlainText(*data, TreeIDs::make);
        file.documents = {TreeDocument{TreeIDs::make(), path.stem().string(), items}};
        break;
    }
    case FileKind::org: {
        auto document = OrgCodec::decode(*data, path.stem().string());
        if (!document)
            return Refusal{std::string(document.error().catalogKey()), document.error().line};
        file.documents = {document.value()};
        break;
    }
    case FileKind::html:
        break;
    }
    return file;
}

namespace {

std::optional<Refusal> refusal(const fs::path& path, const FileResult& result) {
    if (result)
        return std::nullopt;
    if (result.error().kind == FileError::Kind::exists)
        return Refusal{"cli.error.exists %@", path.string()};
    return Refusal{"cli.error.writeFailed %@", path.string()};
}

FileSystem::Overwrite overwrite(bool replace) {
    return replace ? FileSystem::Overwrite::replace : FileSystem::Overwrite::never;
}

} // namespace

std::optional<Refusal> writeFile(const fs::path& path, std::string_view bytes, bool replace) {
    LocalFileSystem files;
    return refusal(path, files.write(path, bytes, overwrite(replace)));
}

std::optional<Refusal> writeFile(const fs::path& path, const FileSystem::Producer& produce,
                                 bool replace) {
    LocalFileSystem files;
    return refusal(path, files.writeStreamed(path, produce, overwrite(replace)));
}

void keepUntilExit(LoadedFile file) {
    // Held through a pointer that is never deleted: still reachable, so no leak checker counts it.
    static auto* const kept = new std::vector<LoadedFile>();
    kept->push_back(std::move(file));
}

int refuse(const Refusal& refusal) {
    std::cerr << refusal.message() << "\n";
    return kRefused;
}

int usageError(const std::string& message, std::string_view help) {
    std::cerr << "ostrevo-cli: " << message << "\n\n" << help;
    return kUsage;
}

BackupSettings defaultSettings() {
    return BackupSettings{BackupSettings::OpenMode::tab, BackupSettings::View::list, false};
}

EditorSnapshot importedSnapshot(const TreeDocument& document, const BackupSettings& settings) {
    EditorSnapshot snapshot;
    snapshot.document = document;
    snapshot.view = settings.view == BackupSettings::View::tree ? ViewMode::tree : ViewMode::list;
    snapshot.showAllNotes = settings.showAllNotes;
    return snapshot;
}

} // namespace velmora::cli

#include "core/formats/backup_folder_import.hpp"

#include "core/formats/native_document_codec.hpp"
#include "core/formats/safe_file_name.hpp"

#include <unordered_set>

namespace velmora::BackupFolderImport {

std::vector<std::string> fileNames(const std::vector<std::string>& titles,
                                   const std::vector<std::string>& existing) {
    std::unordered_set<std::string> taken;
    for (const auto& name : existing)
        taken.insert(lowercasedFileName(name));
    std::vector<std::string> names;
    names.reserve(titles.size());
    for (const auto& title : titles) {
        std::string base = safeFileName(title);
        std::string candidate = base + "." + std::string(kExtension);
        for (int n = 2; taken.contains(lowercasedFileName(candidate)); ++n)
            candidate = base + " " + std::to_string(n) + "." + std::string(kExtension);
        taken.insert(lowercasedFileName(candidate));
        names.push_back(std::move(candidate));
    }
    return names;
}

Summary write(const std::vector<TreeDocument>& documents, const BackupSettings& settings,
              const std::filesystem::path& folder, FileSystem& fileSystem) {
    auto listing = fileSystem.list(folder);
    std::vector<std::string> existing = listing.ok() ? listing.value() : std::vector<std::string>{};
    std::vector<std::string> titles;
    for (const auto& document : documents)
        titles.push_back(document.title);
    auto names = fileNames(titles, existing);

    Summary summary;
    for (std::size_t i = 0; i < documents.size(); ++i) {
        EditorSnapshot snapshot;
        snapshot.document = documents[i];
        snapshot.view =
            settings.view == BackupSettings::View::tree ? ViewMode::tree : ViewMode::list;
        snapshot.showAllNotes = settings.showAllNotes;
        std::string text = NativeDocumentCodec::encode(snapshot, settings);
        auto written = fileSystem.write(folder / names[i], text, FileSystem::Overwrite::never);
        if (written.ok())
            summary.saved.push_back({names[i], documents[i].title});
        else
            summary.problems.push_back({documents[i].title, "backup.import.writeFailed"});
    }
    return summary;
}

} // namespace velmora::BackupFolderImport

#pragma once

#include "core/formats/file_system.hpp"
#include "core/model/item.hpp"

#include <filesystem>
#include <vector>

namespace velmora {

// Three small example outlines that show nesting, notes, check marks and labels.
namespace SampleLibrary {

// "Trip", "Community Event" and "Roadmap", every document and item named afresh by `makeID`.
[[nodiscard]] std::vector<TreeDocument> documents(const IDFactory& makeID = TreeIDs::make);

// Writes the samples as document files into a new folder "Samples" (or "Samples 2" and so on
// when taken) inside `root`, shown as a tree with all notes. The folder, or the first failure;
// files written before a failure stay.
[[nodiscard]] Result<std::filesystem::path, FileError>
install(const std::filesystem::path& root, FileSystem& fileSystem,
        const IDFactory& makeID = TreeIDs::make);

} // namespace SampleLibrary
} // namespace velmora

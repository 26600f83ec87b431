#include "core/formats/sample_library.hpp"

#include "core/formats/backup_folder_import.hpp"
#include "core/formats/item_tree_builder.hpp"
#include "core/formats/native_document_codec.hpp"
#include "core/formats/safe_file_name.hpp"

#include <initializer_list>
#include <string_view>

namespace velmora::SampleLibrary {
namespace {

// One item of a sample, in pre-order with its depth.
struct Row {
    int depth;
    std::string_view text;
    std::string_view note = {};
    bool checked = false;
    std::optional<ColorLabel> color = std::nullopt;
};

constexpr auto red = ColorLabel::red, orange = ColorLabel::orange, yellow = ColorLabel::yellow,
               green = ColorLabel::green, blue = ColorLabel::blue, purple = ColorLabel::purple,
               gray = ColorLabel::gray;

const std::initializer_list<Row> kTrip = {
    {0, "Before the trip", {}, false, orange},
    {1, "Book the flights", "Morning departure, aisle seats", true},
    {1, "Reserve the hotel", {}, true},
    {1, "Renew the passport", {}, false, red},
    {1, "Travel insurance"},
    {1, "Ask the hotel:\nearly check-in?\nairport shuttle?",
     "They answer email within a day. If there is no reply by Friday, call the front desk "
     "\xE2\x80\x94 the number is on the booking confirmation."},
    {0, "Packing"},
    {1, "Documents"},
    {2, "Passport"},
    {2, "Tickets"},
    {2, "Insurance"},
    {1, "Clothes",
     "Check the forecast two days before.\nLayers for the evenings: it gets cold by the river."},
    {1, "Chargers and adapters", {}, false, blue},
    {0, "On the spot", {}, false, green},
    {1, "Old town walk"},
    {1, "Museum", "Closed on Mondays"},
    {1, "Dinner by the river"},
};

const std::initializer_list<Row> kCommunityEvent = {
    {0, "When?", "Choose a day that fits the schedule of as many attendees as possible", false,
     orange},
    {1, "Decide on three possible dates", {}, true},
    {1, "Make a list for the other events schedule"},
    {0, "Where?"},
    {1, "Requirements"},
    {2, "It is OK to make noise"},
    {2, "Usable until 20:00", "Including time for preparation and cleanup"},
    {2, "Loudspeaker system"},
    {2, "Video projector", {}, false, purple},
    {1, "Visit two candidate places"},
    {0, "Who?", {}, false, blue},
    {1, "Invite the speakers"},
    {1, "Find volunteers", "At least four people at the entrance"},
    {1, "Thank-you notes\nfor speakers and volunteers",
     "Send them the day after the event, while everyone still remembers it. Mention one thing "
     "each person did."},
};

const std::initializer_list<Row> kRoadmap = {
    {0, "This quarter", {}, false, green},
    {1, "Ship the new editor", {}, true},
    {1, "Library and search"},
    {2, "Folders"},
    {2, "Pinned documents"},
    {2, "Search inside documents"},
    {1, "Import and export", "OPML first"},
    {0, "Next quarter"},
    {1, "iPad version", {}, false, yellow},
    {1, "Sync"},
    {0, "Ideas", {}, false, gray},
    {1, "Templates",
     "A branch saved once and inserted again with all its children.\nUseful for orders, "
     "meetings and checklists that repeat."},
    {1, "Sharing a branch"},
};

TreeDocument build(std::string_view title, std::initializer_list<Row> rows,
                   const IDFactory& makeID) {
    TreeDocument document{makeID(), std::string(title), {}};
    ItemTreeBuilder builder;
    for (const Row& row : rows) {
        while (builder.depth() > static_cast<std::size_t>(row.depth))
            builder.close();
        Item item = Item::blank(makeID(), std::string(row.text));
        item.note = std::string(row.note);
        item.checked = row.checked;
        item.color = row.color;
        builder.open(std::move(item));
    }
    document.items = builder.finish();
    return document;
}

// `base` + suffix, then `base` + " 2" + suffix and so on, until nothing of that name exists.
std::filesystem::path freshPath(const std::filesystem::path& folder, const std::string& base,
                                const std::string& suffix, const FileSystem& fileSystem) {
    std::filesystem::path path = folder / (base + suffix);
    for (int n = 2; fileSystem.exists(path); ++n) {
        std::string numbered = base;
        numbered += ' ';
        numbered += std::to_string(n);
        numbered += suffix;
        path = folder / numbered;
    }
    return path;
}

} // namespace

std::vector<TreeDocument> documents(const IDFactory& makeID) {
    std::vector<TreeDocument> samples;
    samples.push_back(build("Trip", kTrip, makeID));
    samples.push_back(build("Community Event", kCommunityEvent, makeID));
    samples.push_back(build("Roadmap", kRoadmap, makeID));
    return samples;
}

Result<std::filesystem::path, FileError> install(const std::filesystem::path& root,
                                                 FileSystem& fileSystem, const IDFactory& makeID) {
    auto folder = freshPath(root, safeFileName("Samples"), "", fileSystem);
    if (auto made = fileSystem.makeFolder(folder); !made.ok())
        return made.error();
    const BackupSettings settings{BackupSettings::OpenMode::tab, BackupSettings::View::list, false};
    std::string extension = ".";
    extension += BackupFolderImport::kExtension;
    for (auto& document : documents(makeID)) {
        auto file = freshPath(folder, safeFileName(document.title), extension, fileSystem);
        EditorSnapshot snapshot;
        snapshot.document = std::move(document);
        snapshot.view = ViewMode::tree;
        snapshot.showAllNotes = true;
        auto written = fileSystem.write(file, NativeDocumentCodec::encode(snapshot, settings),
                                        FileSystem::Overwrite::never);
        if (!written.ok())
            return written.error();
    }
    return folder;
}

} // namespace velmora::SampleLibrary

#include "core/library/conflict_copies.hpp"

#include "core/library/library.hpp"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <regex>
#include <unistd.h>

namespace velmora::Library {
namespace fs = std::filesystem;

namespace {

// One conflict marker taken off the end of a name without its extension; nothing when the
// name carries none.
std::optional<std::string> withoutMarker(const std::string& stem) {
    // Syncthing: ".sync-conflict-YYYYMMDD-HHMMSS-DEVICE".
    static const std::regex syncthing(R"(^(.+)\.sync-conflict-[0-9]{8}-[0-9]{6}-[A-Za-z0-9]{7}$)");
    // Dropbox, Nextcloud and ownCloud: " (conflicted copy DATE[ TIME])", with the name of the
    // person or computer in front, and a number when one day saw several.
    static const std::regex conflicted(
        R"(^(.+) \((?:[^()]+'s )?[Cc]onflicted [Cc]opy [0-9]{4}-[0-9]{2}-[0-9]{2}(?: [0-9]{6})?(?: \([0-9]+\))?\)$)");
    std::smatch match;
    if (std::regex_match(stem, match, syncthing) || std::regex_match(stem, match, conflicted))
        return match[1].str();
    return std::nullopt;
}

// Percent-encodes a path for the "Path=" line, keeping slashes and unreserved characters.
std::string encodedPath(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~')
            out.push_back(static_cast<char>(c));
        else {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 15]);
        }
    }
    return out;
}

std::string localTimeNow() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

enum class Created { yes, taken, failed };

// Creates the file only if nothing has its name, so two trashings never share one name.
Created createExclusively(const fs::path& path, const std::string& content) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno == EEXIST ? Created::taken : Created::failed;
    const bool written =
        ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
    ::close(fd);
    if (!written)
        ::unlink(path.c_str());
    return written ? Created::yes : Created::failed;
}

} // namespace

std::optional<std::string> conflictCopyOriginal(std::string_view fileName) {
    const fs::path path{std::string(fileName)};
    const std::string extension = path.extension().string();
    std::string stem = path.stem().string();
    bool found = false;
    while (auto shorter = withoutMarker(stem)) {
        stem = std::move(*shorter);
        found = true;
    }
    if (!found)
        return std::nullopt;
    return stem + extension;
}

fs::path trashFolder() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/')
        return fs::path(data) / "Trash";
    const char* home = std::getenv("HOME");
    return fs::path(home ? home : "") / ".local" / "share" / "Trash";
}

std::optional<fs::path> moveToTrash(const fs::path& file, const fs::path& trash) {
    std::error_code error;
    const fs::path source = fs::absolute(file, error);
    if (error || !fs::exists(fs::symlink_status(source, error)))
        return std::nullopt;
    fs::create_directories(trash / "files", error);
    fs::create_directories(trash / "info", error);
    const std::string info = "[Trash Info]\nPath=" + encodedPath(source.string()) +
                             "\nDeletionDate=" + localTimeNow() + "\n";
    const std::string stem = source.stem().string();
    const std::string extension = source.extension().string();
    for (int n = 1; n < 10000; ++n) {
        const std::string name =
            n == 1 ? source.filename().string() : stem + "." + std::to_string(n) + extension;
        const fs::path infoPath = trash / "info" / (name + ".trashinfo");
        const Created created = createExclusively(infoPath, info);
        if (created == Created::taken)
            continue;
        if (created == Created::failed)
            return std::nullopt;
        const fs::path target = trash / "files" / name;
        if (auto failure = Library::move(source, target)) {
            fs::remove(infoPath, error);
            if (*failure == MoveFailure::exists)
                continue;
            return std::nullopt;
        }
        return target;
    }
    return std::nullopt;
}

} // namespace velmora::Library

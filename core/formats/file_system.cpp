#include "core/formats/file_system.hpp"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {
namespace {

namespace fs = std::filesystem;

FileError fromErrorCode(const std::error_code& ec, const fs::path& path) {
    return FileError::fromErrno(ec.value(), path);
}

// The permission bits a new file gets from the process's umask, read without changing it.
mode_t newFileMode() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(0666 & ~std::strtoul(line.c_str() + 6, nullptr, 8));
    return 0644;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Moves a file or folder into place without ever replacing what exists there; 0 or errno.
int linkIntoPlace(const fs::path& source, const fs::path& target) {
    if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    struct stat info {};
    if (::lstat(source.c_str(), &info) != 0)
        return errno;
    if (S_ISDIR(info.st_mode)) {
        // Folders cannot be hard-linked: claim the name with an empty folder (mkdir fails when
        // it is taken), then rename over that empty folder, which is all rename may replace.
        if (::mkdir(target.c_str(), 0700) != 0)
            return errno;
        if (::rename(source.c_str(), target.c_str()) != 0) {
            int code = errno;
            ::rmdir(target.c_str());
            return code;
        }
        return 0;
    }
    // File systems without RENAME_NOREPLACE: a hard link also fails when the name is taken.
    if (::link(source.c_str(), target.c_str()) != 0)
        return errno;
    ::unlink(source.c_str());
    return 0;
}

void syncFolder(const fs::path& folder) {
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

FileError FileError::fromErrno(int code, std::filesystem::path path) {
    Kind kind = Kind::other;
    if (code == ENOENT || code == ENOTDIR)
        kind = Kind::notFound;
    else if (code == EEXIST)
        kind = Kind::exists;
    else if (code == EACCES || code == EPERM || code == EROFS)
        kind = Kind::permissionDenied;
    return {kind, std::move(path), code, std::strerror(code)};
}

Result<std::vector<std::string>, FileError> LocalFileSystem::list(const fs::path& folder) const {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec)
        return fromErrorCode(ec, folder);
    std::vector<std::string> names;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            return fromErrorCode(ec, folder);
        names.push_back(it->path().filename().string());
    }
    if (ec)
        return fromErrorCode(ec, folder);
    return names;
}

namespace {

// Reads into `out` until it is full or the file ends; the bytes read, or -1 with errno set.
ssize_t readInto(int fd, char* out, std::size_t size) {
    std::size_t filled = 0;
    while (filled < size) {
        ssize_t n = ::read(fd, out + filled, size - filled);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        filled += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(filled);
}

// Asks for huge pages under a large buffer before it is first touched: a file of hundreds of
// megabytes then costs a few hundred page faults instead of hundreds of thousands.
void adviseHugePages(char* data, std::size_t size) {
#if defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kHuge = std::uintptr_t{1} << 21;
    if (size < 4 * kHuge)
        return;
    auto start = (reinterpret_cast<std::uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
    auto end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(kHuge - 1);
    if (end > start)
        ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#else
    (void)data;
    (void)size;
#endif
}

} // namespace

Result<std::string, FileError> LocalFileSystem::read(const fs::path& file) const {
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return FileError::fromErrno(errno, file);
    // A regular file is read straight into a string of its size, with no copy and no regrowth;
    // whatever has no size (a pipe, a file under /proc) or grows meanwhile is read on in blocks.
    struct stat info {};
    std::string bytes;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        const auto size = static_cast<std::size_t>(info.st_size);
        bytes.reserve(size);
        adviseHugePages(bytes.data(), size);
        bytes.resize(size);
    }
    ssize_t n = readInto(fd, bytes.data(), bytes.size());
    if (n >= 0 && static_cast<std::size_t>(n) < bytes.size())
        bytes.resize(static_cast<std::size_t>(n)); // the file shrank meanwhile
    else if (n >= 0) {
        char block[1 << 16];
        while ((n = readInto(fd, block, sizeof block)) > 0)
            bytes.append(block, static_cast<std::size_t>(n));
    }
    if (n < 0) {
        int code = errno;
        ::close(fd);
        return FileError::fromErrno(code, file);
    }
    ::close(fd);
    return bytes;
}

FileResult FileSystem::writeStreamed(const fs::path& file, const Producer& produce,
                                     Overwrite overwrite) {
    std::string bytes;
    if (!produce([&](std::string_view piece) {
            bytes += piece;
            return true;
        }))
        return FileError::fromErrno(ECANCELED, file);
    return write(file, bytes, overwrite);
}

FileResult LocalFileSystem::write(const fs::path& file, std::string_view bytes,
                                  Overwrite overwrite) {
    return writeStreamed(
        file, [&](const TextSink& sink) { return sink(bytes); }, overwrite);
}

FileResult LocalFileSystem::writeStreamed(const fs::path& file, const Producer& produce,
                                          Overwrite overwrite) {
    fs::path folder = file.parent_path();
    std::string temporaryName = ".";
    temporaryName += file.filename().string();
    temporaryName += ".XXXXXX";
    std::string pattern = (folder / temporaryName).string();
    int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        return FileError::fromErrno(errno, file);
    struct stat existing {};
    mode_t mode = ::stat(file.c_str(), &existing) == 0 ? existing.st_mode & 07777 : newFileMode();
    int code = 0;
    errno = 0;
    if (::fchmod(fd, mode) != 0) {
        code = errno ? errno : EIO;
    } else {
        int writeError = 0;
        bool produced = false;
        try {
            produced = produce([&](std::string_view piece) {
                errno = 0;
                if (writeError == 0 && !writeAll(fd, piece))
                    writeError = errno ? errno : EIO;
                return writeError == 0;
            });
        } catch (...) {
            // Making the text failed (out of memory): the temporary file goes, the old one stays.
            ::close(fd);
            ::unlink(pattern.c_str());
            throw;
        }
        if (writeError != 0)
            code = writeError;
        else if (!produced)
            code = ECANCELED;
        else if (::fsync(fd) != 0)
            code = errno ? errno : EIO;
    }
    if (::close(fd) != 0 && code == 0)
        code = errno;
    if (code == 0) {
        if (overwrite == Overwrite::replace)
            code = ::rename(pattern.c_str(), file.c_str()) == 0 ? 0 : errno;
        else
            code = linkIntoPlace(pattern, file);
    }
    if (code != 0) {
        ::unlink(pattern.c_str());
        return FileError::fromErrno(code, file);
    }
    syncFolder(folder);
    return std::monostate{};
}

FileResult LocalFileSystem::makeFolder(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec)
        return fromErrorCode(ec, folder);
    if (!fs::is_directory(folder, ec))
        return FileError::fromErrno(EEXIST, folder);
    return std::monostate{};
}

FileResult renameWithoutReplacing(const fs::path& from, const fs::path& to) {
    if (int code = linkIntoPlace(from, to); code != 0)
        return FileError::fromErrno(code, to);
    return std::monostate{};
}

bool LocalFileSystem::exists(const fs::path& path) const {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() != fs::file_type::not_found && !ec;
}

} // namespace velmora

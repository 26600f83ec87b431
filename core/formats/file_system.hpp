#pragma once

#include "core/formats/text_sink.hpp"
#include "core/model/result.hpp"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace velmora {

// Why a file-system call failed: the path concerned, a coarse kind the caller can act on, the
// system's error number and its text.
struct FileError {
    enum class Kind { notFound, exists, permissionDenied, other };

    Kind kind = Kind::other;
    std::filesystem::path path;
    int code = 0;
    std::string message;

    // From an errno value.
    [[nodiscard]] static FileError fromErrno(int code, std::filesystem::path path);

    bool operator==(const FileError&) const = default;
};

using FileResult = Result<std::monostate, FileError>;

// The few file-system services the core needs. Everything that writes does so atomically; the
// application passes LocalFileSystem, tests pass a double that can fail on demand.
class FileSystem {
public:
    enum class Overwrite { never, replace };

    virtual ~FileSystem() = default;

    // The names of the folder's direct contents, in no particular order.
    [[nodiscard]] virtual Result<std::vector<std::string>, FileError>
    list(const std::filesystem::path& folder) const = 0;

    // The whole content of a file.
    [[nodiscard]] virtual Result<std::string, FileError>
    read(const std::filesystem::path& file) const = 0;

    // Writes `bytes` to a temporary file in the same folder, flushes it and renames it into
    // place, so readers see the old file or the new one, never a part. With Overwrite::never
    // an existing file is left alone and the write fails with Kind::exists.
    [[nodiscard]] virtual FileResult write(const std::filesystem::path& file,
                                           std::string_view bytes, Overwrite overwrite) = 0;

    // Makes a file's text piece by piece: hands each piece to the sink it is given, in order,
    // and returns false when it could not finish.
    using Producer = std::function<bool(const TextSink&)>;

    // Writes what `produce` hands to its sink, as write() writes its bytes (temporary file,
    // flushed, renamed into place), so that a text too large to hold whole is saved without
    // ever being held whole. When `produce` returns false, or a piece cannot be written, the
    // file is left as it was. This default collects the pieces and calls write().
    [[nodiscard]] virtual FileResult writeStreamed(const std::filesystem::path& file,
                                                   const Producer& produce, Overwrite overwrite);

    // Creates the folder and any missing parents; an existing folder is fine.
    [[nodiscard]] virtual FileResult makeFolder(const std::filesystem::path& folder) = 0;

    // Whether anything exists under the path.
    [[nodiscard]] virtual bool exists(const std::filesystem::path& path) const = 0;
};

// Renames `from` to `to` (a file or a folder) only when nothing exists at `to`, in one step:
// a name that appears meanwhile is never replaced (the error is Kind::exists). Both must be on
// the same file system.
[[nodiscard]] FileResult renameWithoutReplacing(const std::filesystem::path& from,
                                                const std::filesystem::path& to);

// The real file system, through POSIX calls.
class LocalFileSystem final : public FileSystem {
public:
    [[nodiscard]] Result<std::vector<std::string>, FileError>
    list(const std::filesystem::path& folder) const override;
    [[nodiscard]] Result<std::string, FileError>
    read(const std::filesystem::path& file) const override;
    [[nodiscard]] FileResult write(const std::filesystem::path& file, std::string_view bytes,
                                   Overwrite overwrite) override;
    [[nodiscard]] FileResult writeStreamed(const std::filesystem::path& file,
                                           const Producer& produce, Overwrite overwrite) override;
    [[nodiscard]] FileResult makeFolder(const std::filesystem::path& folder) override;
    [[nodiscard]] bool exists(const std::filesystem::path& path) const override;
};

} // namespace velmora

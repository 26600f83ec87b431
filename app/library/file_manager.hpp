#pragma once

#include <QString>

#include <functional>

namespace velmora {

// Showing a file or folder in the desktop's file manager: the file manager's own interface on
// the session bus (org.freedesktop.FileManager1) opens the folder with the item selected; where
// no file manager answers it, the folder is opened in the desktop's file browser instead.
namespace FileManager {

enum class Shown {
    selected,     // the file manager showed the item selected in its folder
    folderOpened, // no file manager answered; the folder was opened
    failed,       // neither worked
};

using Done = std::function<void(Shown)>;

// Asks the session bus's file manager to show the item; the answer comes back later on the
// main thread, and `done` (when given) learns how it went. Never blocks.
void showItem(const QString& path, Done done = {});

// The same over the bus at `busAddress` (a bus of the caller's own, as tests start one).
void showItem(const QString& path, const QString& busAddress, Done done);

} // namespace FileManager
} // namespace velmora

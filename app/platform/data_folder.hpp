#pragma once

#include <QString>

namespace velmora {

// Where Ostrevo keeps what is not a document: autosaves, the list of documents to reopen, the
// single-instance lock and the personal word list.
namespace DataFolder {

// The folder (under the desktop's data location), whether or not it exists yet.
[[nodiscard]] QString location();

} // namespace DataFolder
} // namespace velmora

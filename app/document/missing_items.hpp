#pragma once

#include "core/session/editor_snapshot.hpp"

namespace velmora {

// The editor state of a document may name items its tree no longer holds: a file whose stored
// state another program kept while removing items, or the state a merge took over.
namespace MissingItems {

// The state without them: hoist tabs of missing branches go (and the active one with them),
// and a missing selected, anchor, extra or edited item is no longer selected or edited.
[[nodiscard]] EditorSnapshot dropped(EditorSnapshot snapshot);

} // namespace MissingItems
} // namespace velmora

#pragma once

#include "app/document/autosave_scheduler.hpp"
#include "app/document/disk_conflicts.hpp"
#include "app/document/document_view.hpp"
#include "app/document/velmora_document.hpp"
#include "app/shell/velmora_document_controller.hpp"

#include <memory>

namespace velmora {

// What the controller keeps per open document. The view is declared after the document so
// that it goes first.
struct VelmoraDocumentController::Entry {
    std::unique_ptr<VelmoraDocument> document;
    std::unique_ptr<DocumentView> view;
    // When the document is autosaved; goes with a deferred delete, as its notice may be what
    // closes the document.
    AutosaveScheduler* autosave = nullptr;
    // Another program's changes to its file and the user's answers.
    std::unique_ptr<DiskConflicts> conflicts;
};

} // namespace velmora

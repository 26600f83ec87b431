#pragma once

#include "app/document/document_view.hpp"
#include "app/document/velmora_document.hpp"
#include "app/shell/velmora_document_controller.hpp"
#include "app/window/document_window.hpp"

#include <QPointer>
#include <QTimer>

#include <memory>

namespace velmora {

// What the controller keeps per open document. The view is declared after the document so
// that it goes first.
struct VelmoraDocumentController::Entry {
    std::unique_ptr<VelmoraDocument> document;
    std::unique_ptr<DocumentView> view;
    QPointer<DocumentWindow> window;
    QTimer* autosaveTimer = nullptr;
    // An autosave failure is reported once, until a write succeeds again; meanwhile autosave
    // tries again after a growing pause.
    bool failureReported = false;
    int retryDelay = 0;
    // The version of the file on disk that was already reloaded or asked about.
    QString settledVersion;
    // A question about the file is open: changes seen meanwhile wait for its answer.
    bool settling = false;
};

} // namespace velmora

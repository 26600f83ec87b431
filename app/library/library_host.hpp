#pragma once

#include <QList>
#include <QString>

class QWidget;

namespace velmora {

class VelmoraDocument;

// What the library sidebar asks of the application: opening documents, the documents open now
// (a file being renamed or moved may belong to one), the sample documents and the settings.
class LibraryHost {
public:
    virtual ~LibraryHost() = default;

    // Opens the document file, or brings it to the front when it is open; with `ownWindow` its
    // tab moves into a window of its own.
    virtual void openLibraryDocument(const QString& path, bool ownWindow) = 0;
    // Every open document.
    [[nodiscard]] virtual QList<VelmoraDocument*> openDocuments() const = 0;
    // Writes the sample documents into the library and shows them; errors are shown.
    virtual void createLibrarySamples(QWidget* parent) = 0;
    // Shows the settings window at the library's place.
    virtual void showLibrarySettings() = 0;
};

} // namespace velmora

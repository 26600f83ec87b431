// The document controller merging another program's version of a file with the user's
// unwritten changes: nothing is asked unless titles or notes conflicted, and nothing is lost.
#include "app/shell/velmora_document_controller.hpp"

#include "app/document/velmora_document.hpp"
#include "app/platform/dialogs.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/preferences.hpp"
#include "app/shell/controller_entry.hpp"

#include <QVariant>

namespace velmora {

std::optional<bool> VelmoraDocumentController::mergeWithDisk(VelmoraDocument* document) {
    const auto summary = document->mergeFromDisk(Preferences());
    if (!summary) {
        return std::nullopt;
    }
    QWidget* parent = windowOf(document);
    // The merged result goes to the file at once, so that the other program (a sync tool)
    // carries it on.
    const bool written = writeMine(document, parent);
    if (written) {
        document->setStatusNote(localized(QStringLiteral("document.status.merged")));
    }
    if (summary->conflicts > 0) {
        Entry* entry = entryOf(document);
        if (entry) {
            entry->settling = true;
        }
        m_dialogs.inform(parent,
                         localizedFormat(QStringLiteral("document.merge.conflicts %lld"),
                                         {QVariant::fromValue<qlonglong>(summary->conflicts)}),
                         localized(QStringLiteral("document.merge.conflicts.info")));
        if (entry) {
            entry->settling = false;
        }
    }
    return written;
}

} // namespace velmora

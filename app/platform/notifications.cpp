#include "app/platform/notifications.hpp"

namespace velmora {

Notifications& Notifications::shared() {
    static Notifications* hub = new Notifications; // lives as long as the process
    return *hub;
}

void Notifications::post(const QString& name) {
    emit posted(name);
    if (name == preferences) {
        emit preferencesChanged();
    } else if (name == language) {
        emit languageChanged();
    } else if (name == library) {
        emit libraryChanged();
    } else if (name == zoom) {
        emit zoomChanged();
    } else if (name == toolbar) {
        emit toolbarChanged();
    }
}

} // namespace velmora

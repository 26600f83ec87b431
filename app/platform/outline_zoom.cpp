#include "app/platform/outline_zoom.hpp"

#include "app/platform/notifications.hpp"
#include "app/platform/preferences.hpp"

#include <algorithm>
#include <cmath>

namespace velmora::OutlineZoom {

double clamped(double zoom) {
    if (!std::isfinite(zoom) || zoom <= 0) {
        return 1.0;
    }
    return std::clamp(zoom, minimum, maximum);
}

double stepped(double current, int steps) {
    return clamped(clamped(current) * std::pow(step, steps));
}

double stored() {
    return clamped(Preferences().outlineZoom());
}

void store(double zoom) {
    Preferences().setDouble(PreferenceKeys::outlineZoom, std::round(clamped(zoom) * 1000) / 1000);
    Notifications::shared().post(Notifications::zoom);
}

void zoomIn() {
    store(stepped(stored(), 1));
}

void zoomOut() {
    store(stepped(stored(), -1));
}

void actualSize() {
    store(1.0);
}

} // namespace velmora::OutlineZoom

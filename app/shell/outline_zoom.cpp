#include "app/shell/outline_zoom.hpp"

#include "app/shell/notifications.hpp"
#include "app/shell/preferences.hpp"

#include <algorithm>
#include <cmath>

namespace velmora::OutlineZoom {
namespace {

constexpr double kMinZoom = 0.5;
constexpr double kMaxZoom = 3.0;
constexpr double kStep = 1.1;

} // namespace

double clamped(double zoom) {
    if (!std::isfinite(zoom) || zoom <= 0) {
        return 1.0;
    }
    return std::clamp(zoom, kMinZoom, kMaxZoom);
}

double stored() {
    return clamped(Preferences().outlineZoom());
}

void store(double zoom) {
    Preferences preferences;
    preferences.setDouble(PreferenceKeys::outlineZoom, std::round(clamped(zoom) * 1000) / 1000);
    Notifications::shared().post(Notifications::zoom);
}

void zoomIn() {
    store(stored() * kStep);
}

void zoomOut() {
    store(stored() / kStep);
}

void actualSize() {
    store(1.0);
}

} // namespace velmora::OutlineZoom

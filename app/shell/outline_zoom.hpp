#pragma once

namespace velmora::OutlineZoom {

// The magnification of the outlines, one value for every window ("outlineZoom"): 1 is the
// actual size, each step in or out multiplies or divides by 1.1, and it stays within 0.5…3.

// The stored zoom, clamped (1 when unset or unreadable).
[[nodiscard]] double stored();
// The zoom clamped to 0.5…3 (1 for a value that is no positive number).
[[nodiscard]] double clamped(double zoom);
// Stores the zoom, clamped and rounded to three decimals, and tells every window.
void store(double zoom);
// One step in or out from the stored zoom, or back to the actual size.
void zoomIn();
void zoomOut();
void actualSize();

} // namespace velmora::OutlineZoom

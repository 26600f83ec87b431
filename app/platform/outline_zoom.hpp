#pragma once

namespace velmora::OutlineZoom {

// The magnification of the outlines, one value for every window ("outlineZoom"): 1 is the
// actual size, each step in or out multiplies or divides by `step`, within minimum … maximum.
inline constexpr double minimum = 0.5;
inline constexpr double maximum = 3.0;
// One step of View ▸ Zoom In or Zoom Out.
inline constexpr double step = 1.1;

// The factor a stored or requested zoom stands for: 1 for anything that is not a positive
// finite number, else the value kept within minimum … maximum.
[[nodiscard]] double clamped(double zoom);

// The zoom `steps` steps in (positive) or out (negative) from `current`, within the bounds.
[[nodiscard]] double stepped(double current, int steps);

// The stored zoom, clamped (1 when unset or unreadable).
[[nodiscard]] double stored();

// Stores the zoom (within the bounds, to three decimals) as "outlineZoom" and posts
// "velmoraZoom", so every document window follows.
void store(double zoom);

// One step in or out from the stored zoom, or back to the actual size.
void zoomIn();
void zoomOut();
void actualSize();

} // namespace velmora::OutlineZoom

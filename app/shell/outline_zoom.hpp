#pragma once

namespace velmora::OutlineZoom {

inline constexpr double minimum = 0.5;
inline constexpr double maximum = 3.0;
// One step of View ▸ Zoom In or Zoom Out.
inline constexpr double step = 1.1;

// The factor a stored or requested zoom stands for: 1 for anything that is not a positive
// finite number, else the value kept within minimum … maximum.
[[nodiscard]] double clamped(double zoom);

// The zoom `steps` steps in (positive) or out (negative) from `current`, within the bounds.
[[nodiscard]] double stepped(double current, int steps);

// Stores the zoom (within the bounds, to three decimals) as "outlineZoom" and posts
// "velmoraZoom", so every document window follows.
void store(double zoom);

} // namespace velmora::OutlineZoom

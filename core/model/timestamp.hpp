#pragma once

#include <compare>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// A moment in time at whole seconds since 1970-01-01T00:00:00Z (UTC). Item times are kept at
// this precision everywhere, so stamps compare exactly after a round trip through any file.
struct Timestamp {
    std::int64_t seconds = 0;

    // The current time with the fractional second dropped.
    [[nodiscard]] static Timestamp now();

    // ISO 8601 in UTC, e.g. "2026-03-07T09:30:05Z".
    [[nodiscard]] std::string iso8601() const;

    // Reads "2026-03-07T09:30:05Z", also with a fraction ("…05.250Z", dropped) or an offset
    // ("…05+01:00"); anything else gives nothing.
    [[nodiscard]] static std::optional<Timestamp> parseISO8601(std::string_view text);

    // Reads the RFC 822 form used by OPML ("Sat, 07 Mar 2026 09:30:05 GMT", with or without
    // the weekday, seconds optional, zones GMT/UT/Z/EST…/±hhmm); anything else gives nothing.
    [[nodiscard]] static std::optional<Timestamp> parseRFC822(std::string_view text);

    // "Sat, 07 Mar 2026 09:30:05 GMT".
    [[nodiscard]] std::string rfc822() const;

    auto operator<=>(const Timestamp&) const = default;
};

// The source of "now" for stamping; tests pass a fixed clock.
using Clock = std::function<Timestamp()>;

// The system clock at whole seconds.
[[nodiscard]] Clock systemClock();

} // namespace velmora

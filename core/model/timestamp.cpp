#include "core/model/timestamp.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <cstdio>

namespace velmora {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's algorithm).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

struct Civil {
    std::int64_t year;
    unsigned month, day;
};

Civil civilFromDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {y + (m <= 2), m, d};
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

bool daysInMonthOk(std::int64_t y, unsigned m, unsigned d) {
    static constexpr std::array<unsigned, 12> days = {31, 29, 31, 30, 31, 30,
                                                      31, 31, 30, 31, 30, 31};
    if (m < 1 || m > 12 || d < 1 || d > days[m - 1])
        return false;
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return !(m == 2 && d == 29 && !leap);
}

// A small cursor over ASCII text for the two parsers.
struct Cursor {
    std::string_view text;
    std::size_t pos = 0;

    bool atEnd() const { return pos >= text.size(); }
    char peek() const { return atEnd() ? '\0' : text[pos]; }
    bool eat(char c) {
        if (peek() != c)
            return false;
        ++pos;
        return true;
    }
    // `count` decimal digits (only 0 to 9, whatever the locale) as a number.
    std::optional<int> digits(int count) {
        if (text.size() - std::min(pos, text.size()) < static_cast<std::size_t>(count))
            return std::nullopt;
        int value = 0;
        for (int i = 0; i < count; ++i) {
            const char c = text[pos + static_cast<std::size_t>(i)];
            if (c < '0' || c > '9')
                return std::nullopt;
            value = value * 10 + (c - '0');
        }
        pos += static_cast<std::size_t>(count);
        return value;
    }
    void skipSpaces() {
        while (peek() == ' ' || peek() == '\t')
            ++pos;
    }
    std::string_view word() {
        auto start = pos;
        while (std::isalpha(static_cast<unsigned char>(peek())))
            ++pos;
        return text.substr(start, pos - start);
    }
};

std::optional<Timestamp> make(std::int64_t y, int mo, int d, int h, int mi, int s,
                              int offsetSeconds) {
    if (!daysInMonthOk(y, static_cast<unsigned>(mo), static_cast<unsigned>(d)) || h > 23 ||
        mi > 59 || s > 60)
        return std::nullopt;
    auto days = daysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d));
    return Timestamp{days * 86400 + h * 3600 + mi * 60 + s - offsetSeconds};
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<const char*, 7> kWeekdays = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};

std::optional<int> zoneOffset(Cursor& c) {
    if (c.peek() == '+' || c.peek() == '-') {
        int sign = c.peek() == '-' ? -1 : 1;
        ++c.pos;
        auto hh = c.digits(2);
        auto mm = c.digits(2);
        if (!hh || !mm || *hh > 23 || *mm > 59)
            return std::nullopt;
        return sign * (*hh * 3600 + *mm * 60);
    }
    auto zone = c.word();
    struct Zone {
        const char* name;
        int hours;
    };
    static constexpr std::array<Zone, 11> zones = {{{"GMT", 0},
                                                    {"UT", 0},
                                                    {"UTC", 0},
                                                    {"Z", 0},
                                                    {"EST", -5},
                                                    {"EDT", -4},
                                                    {"CST", -6},
                                                    {"CDT", -5},
                                                    {"MST", -7},
                                                    {"MDT", -6},
                                                    {"PST", -8}}};
    if (equalsNoCase(zone, "PDT"))
        return -7 * 3600;
    for (auto z : zones)
        if (equalsNoCase(zone, z.name))
            return z.hours * 3600;
    return std::nullopt;
}

} // namespace

Timestamp Timestamp::now() {
    auto since = std::chrono::system_clock::now().time_since_epoch();
    return Timestamp{std::chrono::floor<std::chrono::seconds>(since).count()};
}

Clock systemClock() {
    return [] { return Timestamp::now(); };
}

std::string Timestamp::iso8601() const {
    auto days = floorDiv(seconds, 86400);
    auto rest = seconds - days * 86400;
    auto c = civilFromDays(days);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04lld-%02u-%02uT%02lld:%02lld:%02lldZ",
                  static_cast<long long>(c.year), c.month, c.day,
                  static_cast<long long>(rest / 3600), static_cast<long long>(rest / 60 % 60),
                  static_cast<long long>(rest % 60));
    return buf;
}

std::string Timestamp::rfc822() const {
    auto days = floorDiv(seconds, 86400);
    auto rest = seconds - days * 86400;
    auto c = civilFromDays(days);
    auto weekday = kWeekdays[static_cast<std::size_t>(((days % 7) + 7) % 7)];
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s, %02u %s %04lld %02lld:%02lld:%02lld GMT", weekday, c.day,
                  kMonths[c.month - 1], static_cast<long long>(c.year),
                  static_cast<long long>(rest / 3600), static_cast<long long>(rest / 60 % 60),
                  static_cast<long long>(rest % 60));
    return buf;
}

std::optional<Timestamp> Timestamp::parseISO8601(std::string_view text) {
    Cursor c{text};
    auto y = c.digits(4);
    if (!y || !c.eat('-'))
        return std::nullopt;
    auto mo = c.digits(2);
    if (!mo || !c.eat('-'))
        return std::nullopt;
    auto d = c.digits(2);
    if (!d || !(c.eat('T') || c.eat('t')))
        return std::nullopt;
    auto h = c.digits(2);
    if (!h || !c.eat(':'))
        return std::nullopt;
    auto mi = c.digits(2);
    if (!mi || !c.eat(':'))
        return std::nullopt;
    auto s = c.digits(2);
    if (!s)
        return std::nullopt;
    if (c.eat('.') || c.eat(',')) {
        if (!std::isdigit(static_cast<unsigned char>(c.peek())))
            return std::nullopt;
        while (std::isdigit(static_cast<unsigned char>(c.peek())))
            ++c.pos;
    }
    int offset = 0;
    if (c.eat('Z') || c.eat('z')) {
        offset = 0;
    } else if (c.peek() == '+' || c.peek() == '-') {
        int sign = c.peek() == '-' ? -1 : 1;
        ++c.pos;
        auto oh = c.digits(2);
        c.eat(':');
        auto om = c.digits(2);
        if (!oh || !om || *oh > 23 || *om > 59)
            return std::nullopt;
        offset = sign * (*oh * 3600 + *om * 60);
    } else {
        return std::nullopt;
    }
    if (!c.atEnd())
        return std::nullopt;
    return make(*y, *mo, *d, *h, *mi, *s, offset);
}

std::optional<Timestamp> Timestamp::parseRFC822(std::string_view text) {
    Cursor c{text};
    c.skipSpaces();
    if (std::isalpha(static_cast<unsigned char>(c.peek()))) {
        c.word();
        if (!c.eat(','))
            return std::nullopt;
        c.skipSpaces();
    }
    std::optional<int> d;
    if (std::isdigit(static_cast<unsigned char>(c.peek())) &&
        std::isdigit(static_cast<unsigned char>(c.pos + 1 < text.size() ? text[c.pos + 1] : 'x')))
        d = c.digits(2);
    else
        d = c.digits(1);
    if (!d)
        return std::nullopt;
    c.skipSpaces();
    auto monthName = c.word();
    int month = 0;
    for (std::size_t i = 0; i < kMonths.size(); ++i)
        if (equalsNoCase(monthName, kMonths[i]))
            month = static_cast<int>(i) + 1;
    if (month == 0)
        return std::nullopt;
    c.skipSpaces();
    auto y = c.digits(4);
    if (!y)
        return std::nullopt;
    c.skipSpaces();
    auto h = c.digits(2);
    if (!h || !c.eat(':'))
        return std::nullopt;
    auto mi = c.digits(2);
    if (!mi)
        return std::nullopt;
    int s = 0;
    if (c.eat(':')) {
        auto sec = c.digits(2);
        if (!sec)
            return std::nullopt;
        s = *sec;
    }
    c.skipSpaces();
    auto offset = zoneOffset(c);
    if (!offset)
        return std::nullopt;
    c.skipSpaces();
    if (!c.atEnd())
        return std::nullopt;
    return make(*y, month, *d, *h, *mi, s, *offset);
}

} // namespace velmora

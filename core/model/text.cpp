#include "core/model/text.hpp"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <utf8proc.h>

namespace velmora::Text {
namespace {

struct Decoded {
    char32_t codePoint;
    std::size_t length;
};

// Decodes one code point at `pos`; an invalid sequence decodes as U+FFFD of length 1.
Decoded decodeAt(std::string_view text, std::size_t pos) {
    utf8proc_int32_t cp = 0;
    auto n = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data() + pos),
                              static_cast<utf8proc_ssize_t>(text.size() - pos), &cp);
    if (n < 1)
        return {0xFFFD, 1};
    return {static_cast<char32_t>(cp), static_cast<std::size_t>(n)};
}

std::string mapped(std::string_view text, int options) {
    std::string valid = validUTF8(text);
    utf8proc_uint8_t* out = nullptr;
    auto n = utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(valid.data()),
                          static_cast<utf8proc_ssize_t>(valid.size()), &out,
                          static_cast<utf8proc_option_t>(options));
    if (n < 0 || out == nullptr)
        return valid;
    std::unique_ptr<utf8proc_uint8_t, decltype(&std::free)> owned(out, &std::free);
    return std::string(reinterpret_cast<const char*>(out), static_cast<std::size_t>(n));
}

} // namespace

std::u32string codePoints(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const Decoded decoded = decodeAt(text, pos);
        out.push_back(decoded.codePoint);
        pos += decoded.length;
    }
    return out;
}

void appendUTF8(std::string& out, char32_t codePoint) {
    utf8proc_uint8_t buf[4];
    auto n = utf8proc_encode_char(static_cast<utf8proc_int32_t>(codePoint), buf);
    if (n <= 0)
        n = utf8proc_encode_char(0xFFFD, buf);
    out.append(reinterpret_cast<const char*>(buf), static_cast<std::size_t>(n));
}

bool isValidUTF8(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        auto ch = static_cast<unsigned char>(text[pos]);
        if (ch < 0x80) {
            ++pos;
            continue;
        }
        utf8proc_int32_t cp = 0;
        auto n = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data() + pos),
                                  static_cast<utf8proc_ssize_t>(text.size() - pos), &cp);
        if (n < 1)
            return false;
        pos += static_cast<std::size_t>(n);
    }
    return true;
}

std::string validUTF8(std::string_view text) {
    if (isValidUTF8(text))
        return std::string(text);
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t pos = 0; pos < text.size();) {
        auto d = decodeAt(text, pos);
        appendUTF8(out, d.codePoint);
        pos += d.length;
    }
    return out;
}

std::string fold(std::string_view text) {
    // Plain ASCII folds to its lower case: the common case, without the Unicode tables.
    if (std::all_of(text.begin(), text.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        std::string lower(text);
        for (char& c : lower) {
            if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c - 'A' + 'a');
            }
        }
        return lower;
    }
    return mapped(text,
                  UTF8PROC_STABLE | UTF8PROC_COMPOSE | UTF8PROC_CASEFOLD | UTF8PROC_STRIPMARK);
}

std::string composed(std::string_view text) {
    return mapped(text, UTF8PROC_STABLE | UTF8PROC_COMPOSE);
}

std::size_t graphemeOffset(std::string_view text, long long clusters) {
    if (clusters <= 0)
        return 0;
    utf8proc_int32_t state = 0;
    char32_t previous = 0;
    long long seen = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        auto d = decodeAt(text, pos);
        if (pos > 0 &&
            utf8proc_grapheme_break_stateful(static_cast<utf8proc_int32_t>(previous),
                                             static_cast<utf8proc_int32_t>(d.codePoint), &state)) {
            if (++seen == clusters)
                return pos;
        }
        previous = d.codePoint;
        pos += d.length;
    }
    return text.size();
}

std::size_t graphemeCount(std::string_view text) {
    if (text.empty())
        return 0;
    utf8proc_int32_t state = 0;
    char32_t previous = 0;
    std::size_t count = 1;
    for (std::size_t pos = 0; pos < text.size();) {
        auto d = decodeAt(text, pos);
        if (pos > 0 &&
            utf8proc_grapheme_break_stateful(static_cast<utf8proc_int32_t>(previous),
                                             static_cast<utf8proc_int32_t>(d.codePoint), &state))
            ++count;
        previous = d.codePoint;
        pos += d.length;
    }
    return count;
}

std::pair<std::string, std::string> splitAtGrapheme(std::string_view text, long long clusters) {
    auto cut = graphemeOffset(text, clusters);
    return {std::string(text.substr(0, cut)), std::string(text.substr(cut))};
}

bool isWhitespace(char32_t c) {
    switch (c) {
    case 0x09:
    case 0x0A:
    case 0x0B:
    case 0x0C:
    case 0x0D:
    case 0x20:
    case 0x85:
    case 0xA0:
    case 0x1680:
    case 0x2028:
    case 0x2029:
    case 0x202F:
    case 0x205F:
    case 0x3000:
        return true;
    default:
        return c >= 0x2000 && c <= 0x200A;
    }
}

std::string trimmed(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size()) {
        auto d = decodeAt(text, begin);
        if (!isWhitespace(d.codePoint))
            break;
        begin += d.length;
    }
    std::size_t end = begin;
    for (std::size_t pos = begin; pos < text.size();) {
        auto d = decodeAt(text, pos);
        pos += d.length;
        if (!isWhitespace(d.codePoint))
            end = pos;
    }
    return std::string(text.substr(begin, end - begin));
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a == b)
        return true;
    return mapped(a, UTF8PROC_STABLE | UTF8PROC_CASEFOLD) ==
           mapped(b, UTF8PROC_STABLE | UTF8PROC_CASEFOLD);
}

} // namespace velmora::Text

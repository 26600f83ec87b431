#pragma once

// A single-pass JSON reader that reports what it meets as events and keeps nothing but the
// kinds of the open containers. It accepts exactly the texts the parsed-tree reader accepts
// (simdjson's parser, allocated for kMaxJSONDepth levels): whole-text UTF-8, no controls inside
// strings, valid escapes and surrogate pairs, integers within 64 bits, finite numbers, one
// value with nothing but blanks after it. Internal to the formats layer.

#include "core/formats/json_value.hpp"

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace velmora::JSONStream {

// The value of a number token, or nothing when it is not a number the reference accepts.
[[nodiscard]] std::optional<double> number(std::string_view token);

// Whether the whole text is valid UTF-8.
[[nodiscard]] bool validUTF8(std::string_view bytes);

// The byte scanner under parse(); strings come back unescaped, as views that stay valid until
// the next string is read.
class Scanner {
public:
    explicit Scanner(std::string_view bytes) : m_at(bytes.data()), m_end(bytes.data() + bytes.size()) {}

    [[nodiscard]] bool atEnd() const { return m_at == m_end; }
    [[nodiscard]] char peek() const { return *m_at; }
    void advance() { ++m_at; }

    [[gnu::always_inline]] void skipBlanks() {
        // Most values follow a single blank or none; indentation runs go sixteen bytes a step.
        if (m_at != m_end && !isBlank(*m_at))
            return;
#if defined(__SSE2__)
        while (m_end - m_at >= 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m_at));
            const __m128i blank =
                _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(' ')),
                                          _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))),
                             _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\t')),
                                          _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r'))));
            const unsigned other = ~static_cast<unsigned>(_mm_movemask_epi8(blank)) & 0xFFFFu;
            if (other != 0) {
                m_at += __builtin_ctz(other);
                return;
            }
            m_at += 16;
        }
#endif
        while (m_at != m_end && isBlank(*m_at))
            ++m_at;
    }

    // Reads the string whose opening quote is under the cursor; false when it is malformed.
    bool string(std::string_view& out) {
        const char* start = ++m_at;
        // Sixteen, then eight bytes at a time while none is a quote, a backslash or a control.
#if defined(__SSE2__)
        while (m_end - m_at >= 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m_at));
            const __m128i control =
                _mm_cmpeq_epi8(_mm_max_epu8(bytes, _mm_set1_epi8(0x1F)), _mm_set1_epi8(0x1F));
            const __m128i stop =
                _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('"')),
                                          _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\\'))),
                             control);
            if (const int hit = _mm_movemask_epi8(stop)) {
                m_at += __builtin_ctz(static_cast<unsigned>(hit));
                break;
            }
            m_at += 16;
        }
#endif
        while (m_end - m_at >= 8) {
            std::uint64_t w;
            std::memcpy(&w, m_at, 8);
            constexpr std::uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
            std::uint64_t quote = w ^ (ones * '"'), slash = w ^ (ones * '\\');
            std::uint64_t hit = ((quote - ones) & ~quote) | ((slash - ones) & ~slash) |
                                ((w - ones * 0x20) & ~w);
            if (hit & highs)
                break;
            m_at += 8;
        }
        while (m_at != m_end) {
            auto c = static_cast<unsigned char>(*m_at);
            if (c == '"') {
                out = std::string_view(start, static_cast<std::size_t>(m_at - start));
                ++m_at;
                return true;
            }
            if (c == '\\')
                return escapedString(start, out);
            if (c < 0x20)
                return false;
            ++m_at;
        }
        return false;
    }

    // The scalar token under the cursor (up to a blank, a structural character or a quote).
    std::string_view token() {
        const char* start = m_at;
        while (m_at != m_end) {
            char c = *m_at;
            if (c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == ',' || c == ':' ||
                c == ']' || c == '}' || c == '[' || c == '{' || c == '"')
                break;
            ++m_at;
        }
        return {start, static_cast<std::size_t>(m_at - start)};
    }

private:
    static bool isBlank(char c) {
        return c == ' ' || c == '\n' || c == '\t' || c == '\r';
    }

    bool escapedString(const char* start, std::string_view& out);
    bool unicodeEscape();

    const char* m_at;
    const char* m_end;
    std::string m_scratch;
};

// Reads `bytes` (after an optional UTF-8 byte-order mark) and reports every value to
// `handler`: beginObject(), key(k), endObject(), beginArray(), endArray(), string(s),
// number(d), boolean(b), null(). Returns false, at the first fault, when the text is not JSON
// or nests deeper than kMaxJSONDepth (telling a handler that has nestedTooDeep() first); events
// already reported stand. Never recurses.
template <class Handler>
bool parse(std::string_view bytes, Handler& handler) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    if (!validUTF8(bytes))
        return false;
    Scanner in(bytes);
    std::vector<bool> open; // true for an object
    std::string_view text;
    in.skipBlanks();
    for (;;) {
        // A value is expected here.
        if (in.atEnd())
            return false;
        switch (in.peek()) {
        case '{':
            if (open.size() >= kMaxJSONDepth) {
                if constexpr (requires { handler.nestedTooDeep(); })
                    handler.nestedTooDeep();
                return false;
            }
            in.advance();
            open.push_back(true);
            handler.beginObject();
            in.skipBlanks();
            if (!in.atEnd() && in.peek() == '}') {
                in.advance();
                open.pop_back();
                handler.endObject();
                break;
            }
            goto key;
        case '[':
            if (open.size() >= kMaxJSONDepth) {
                if constexpr (requires { handler.nestedTooDeep(); })
                    handler.nestedTooDeep();
                return false;
            }
            in.advance();
            open.push_back(false);
            handler.beginArray();
            in.skipBlanks();
            if (!in.atEnd() && in.peek() == ']') {
                in.advance();
                open.pop_back();
                handler.endArray();
                break;
            }
            continue;
        case '"':
            if (!in.string(text))
                return false;
            handler.string(text);
            break;
        default: {
            auto token = in.token();
            if (token == "true" || token == "false")
                handler.boolean(token == "true");
            else if (token == "null")
                handler.null();
            else if (auto value = number(token))
                handler.number(*value);
            else
                return false;
        }
        }
        // After a value: the end, a separator or the end of the innermost container.
        for (;;) {
            in.skipBlanks();
            if (open.empty())
                return in.atEnd();
            if (in.atEnd())
                return false;
            char c = in.peek();
            in.advance();
            if (c == ',') {
                in.skipBlanks();
                if (open.back())
                    goto key;
                goto value;
            }
            if (c != (open.back() ? '}' : ']'))
                return false;
            bool object = open.back();
            open.pop_back();
            if (object)
                handler.endObject();
            else
                handler.endArray();
        }
    key:
        if (in.atEnd() || in.peek() != '"' || !in.string(text))
            return false;
        handler.key(text);
        in.skipBlanks();
        if (in.atEnd() || in.peek() != ':')
            return false;
        in.advance();
        in.skipBlanks();
    value:;
    }
}

} // namespace velmora::JSONStream

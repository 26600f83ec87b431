#include "core/formats/json_stream.hpp"

#include <simdjson.h>

namespace velmora::JSONStream {
namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The four hex digits at `at`, or -1.
long hex4(const char* at, const char* end) {
    if (end - at < 4)
        return -1;
    long value = 0;
    for (int i = 0; i < 4; ++i) {
        int digit = hexDigit(at[i]);
        if (digit < 0)
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

void appendUTF8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

} // namespace

std::optional<double> number(std::string_view token) {
    if (token.empty() || (token[0] != '-' && (token[0] < '0' || token[0] > '9')))
        return std::nullopt;
    // Numbers are rare in the files read here, so the reference parser itself decides each one:
    // the same grammar, the same 64-bit integer range, the same rounding.
    thread_local simdjson::dom::parser parser;
    simdjson::dom::element element;
    if (parser.parse(token.data(), token.size(), true).get(element) != simdjson::SUCCESS)
        return std::nullopt;
    switch (element.type()) {
    case simdjson::dom::element_type::INT64:
        return static_cast<double>(element.get_int64().value_unsafe());
    case simdjson::dom::element_type::UINT64:
        return static_cast<double>(element.get_uint64().value_unsafe());
    case simdjson::dom::element_type::DOUBLE:
        return element.get_double().value_unsafe();
    default:
        return std::nullopt;
    }
}

bool validUTF8(std::string_view bytes) {
    return simdjson::validate_utf8(bytes.data(), bytes.size());
}

bool Scanner::escapedString(const char* start, std::string_view& out) {
    m_scratch.assign(start, static_cast<std::size_t>(m_at - start));
    while (m_at != m_end) {
        auto c = static_cast<unsigned char>(*m_at);
        if (c == '"') {
            ++m_at;
            out = m_scratch;
            return true;
        }
        if (c < 0x20)
            return false;
        if (c != '\\') {
            m_scratch.push_back(static_cast<char>(c));
            ++m_at;
            continue;
        }
        if (++m_at == m_end)
            return false;
        switch (*m_at) {
        case '"':
        case '\\':
        case '/':
            m_scratch.push_back(*m_at);
            break;
        case 'b':
            m_scratch.push_back('\b');
            break;
        case 'f':
            m_scratch.push_back('\f');
            break;
        case 'n':
            m_scratch.push_back('\n');
            break;
        case 'r':
            m_scratch.push_back('\r');
            break;
        case 't':
            m_scratch.push_back('\t');
            break;
        case 'u':
            if (!unicodeEscape())
                return false;
            continue;
        default:
            return false;
        }
        ++m_at;
    }
    return false;
}

// Decodes the \u escape whose "u" is under the cursor: a surrogate pair as one code point, a
// lone surrogate a fault.
bool Scanner::unicodeEscape() {
    long cp = hex4(m_at + 1, m_end);
    if (cp < 0)
        return false;
    m_at += 5;
    if (cp >= 0xDC00 && cp <= 0xDFFF)
        return false;
    if (cp >= 0xD800 && cp < 0xDC00) {
        if (m_end - m_at < 2 || m_at[0] != '\\' || m_at[1] != 'u')
            return false;
        long low = hex4(m_at + 2, m_end);
        if (low < 0xDC00 || low > 0xDFFF)
            return false;
        m_at += 6;
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
    }
    appendUTF8(m_scratch, static_cast<std::uint32_t>(cp));
    return true;
}

} // namespace velmora::JSONStream

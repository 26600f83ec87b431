#include "core/commands/string_table.hpp"

#include "core/model/text.hpp"

#include <cstdint>

namespace velmora {

namespace {

using Error = StringTableError;

// A strict reader for the one shape a string table has: {"key": "text", …}.
class Reader {
public:
    explicit Reader(std::string_view json) : m_json(json) {}

    std::optional<Error> read(std::map<std::string, std::string, std::less<>>& out) {
        skipSpace();
        if (!consume('{'))
            return fail(Error::Kind::syntax);
        skipSpace();
        if (consume('}'))
            return finish();
        for (;;) {
            const int keyLine = m_line;
            std::string key;
            m_key.clear();
            if (auto e = string(key))
                return e;
            m_key = key;
            skipSpace();
            if (!consume(':'))
                return fail(Error::Kind::syntax);
            skipSpace();
            if (peek() != '"')
                return fail(Error::Kind::notText);
            std::string value;
            if (auto e = string(value))
                return e;
            if (!out.emplace(std::move(key), std::move(value)).second)
                return Error{Error::Kind::duplicateKey, keyLine, m_key};
            skipSpace();
            if (consume('}'))
                return finish();
            if (!consume(','))
                return fail(Error::Kind::syntax);
            skipSpace();
        }
    }

private:
    char peek() const { return m_at < m_json.size() ? m_json[m_at] : '\0'; }
    bool consume(char c) {
        if (m_at >= m_json.size() || m_json[m_at] != c)
            return false;
        ++m_at;
        return true;
    }
    // The fault at the current line, naming the entry whose key was read last.
    Error fail(Error::Kind kind) const { return {kind, m_line, m_key}; }

    void skipSpace() {
        while (m_at < m_json.size()) {
            const char c = m_json[m_at];
            if (c == '\n')
                ++m_line;
            else if (c != ' ' && c != '\t' && c != '\r')
                return;
            ++m_at;
        }
    }

    std::optional<Error> finish() {
        skipSpace();
        m_key.clear();
        return m_at == m_json.size() ? std::nullopt : std::optional(fail(Error::Kind::syntax));
    }

    std::optional<Error> string(std::string& out);
    std::optional<Error> escape(std::string& out);
    std::optional<std::uint32_t> hex4();

    std::string_view m_json;
    std::size_t m_at = 0;
    int m_line = 1;
    std::string m_key;
};

std::optional<Error> Reader::string(std::string& out) {
    if (!consume('"'))
        return fail(Error::Kind::syntax);
    while (m_at < m_json.size()) {
        const char c = m_json[m_at++];
        if (c == '"')
            return std::nullopt;
        if (static_cast<unsigned char>(c) < 0x20)
            return fail(Error::Kind::syntax);
        if (c != '\\') {
            out += c;
            continue;
        }
        if (auto e = escape(out))
            return e;
    }
    return fail(Error::Kind::syntax);
}

std::optional<Error> Reader::escape(std::string& out) {
    const char c = m_at < m_json.size() ? m_json[m_at++] : '\0';
    switch (c) {
    case '"':
        out += '"';
        return std::nullopt;
    case '\\':
        out += '\\';
        return std::nullopt;
    case '/':
        out += '/';
        return std::nullopt;
    case 'b':
        out += '\b';
        return std::nullopt;
    case 'f':
        out += '\f';
        return std::nullopt;
    case 'n':
        out += '\n';
        return std::nullopt;
    case 'r':
        out += '\r';
        return std::nullopt;
    case 't':
        out += '\t';
        return std::nullopt;
    case 'u':
        break;
    default:
        return fail(Error::Kind::syntax);
    }
    auto unit = hex4();
    if (!unit)
        return fail(Error::Kind::syntax);
    char32_t code = *unit;
    if (code >= 0xDC00 && code <= 0xDFFF)
        return fail(Error::Kind::syntax); // a low surrogate without its high half
    if (code >= 0xD800 && code <= 0xDBFF) {
        if (!consume('\\') || !consume('u'))
            return fail(Error::Kind::syntax);
        auto low = hex4();
        if (!low || *low < 0xDC00 || *low > 0xDFFF)
            return fail(Error::Kind::syntax);
        code = 0x10000 + ((code - 0xD800) << 10) + (*low - 0xDC00);
    }
    Text::appendUTF8(out, code);
    return std::nullopt;
}

std::optional<std::uint32_t> Reader::hex4() {
    if (m_json.size() - m_at < 4)
        return std::nullopt;
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        const char c = m_json[m_at++];
        value <<= 4;
        if (c >= '0' && c <= '9')
            value |= static_cast<std::uint32_t>(c - '0');
        else if (c >= 'a' && c <= 'f')
            value |= static_cast<std::uint32_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            value |= static_cast<std::uint32_t>(c - 'A' + 10);
        else
            return std::nullopt;
    }
    return value;
}

} // namespace

Result<StringTable, StringTableError> StringTable::parse(std::string_view json) {
    if (!Text::isValidUTF8(json))
        return StringTableError{StringTableError::Kind::invalidUTF8, 1, {}};
    if (json.starts_with("\xEF\xBB\xBF"))
        json.remove_prefix(3); // a byte-order mark some editors add
    StringTable table;
    if (auto error = Reader(json).read(table.m_texts))
        return *error;
    return table;
}

std::optional<std::string_view> StringTable::text(std::string_view key) const {
    auto it = m_texts.find(key);
    if (it == m_texts.end())
        return std::nullopt;
    return std::string_view(it->second);
}

std::vector<std::string> StringTable::keys() const {
    std::vector<std::string> out;
    out.reserve(m_texts.size());
    for (const auto& [key, text] : m_texts)
        out.push_back(key);
    return out;
}

} // namespace velmora

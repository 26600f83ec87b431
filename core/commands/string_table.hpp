#pragma once

#include "core/model/result.hpp"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Why a string table could not be read; `line` is 1-based, `key` the entry concerned (if any).
struct StringTableError {
    enum class Kind {
        syntax,       // not a JSON object of texts
        notText,      // an entry's value is not a string
        duplicateKey, // a key occurs twice
        invalidUTF8,  // the bytes are not UTF-8
    };
    Kind kind = Kind::syntax;
    int line = 1;
    std::string key;

    bool operator==(const StringTableError&) const = default;
};

// The texts of one interface language by catalog key ("menu.file.exportOPML"). Read from a
// JSON object whose members are all strings; keys with placeholders keep them in the key
// ("status.itemCount %lld").
class StringTable {
public:
    StringTable() = default;

    // The table in `json`, or the first fault in it.
    [[nodiscard]] static Result<StringTable, StringTableError> parse(std::string_view json);

    // The text of the key; nothing when the table has no entry.
    [[nodiscard]] std::optional<std::string_view> text(std::string_view key) const;

    // Every key, in ascending order.
    [[nodiscard]] std::vector<std::string> keys() const;

    [[nodiscard]] std::size_t size() const { return m_texts.size(); }

    bool operator==(const StringTable&) const = default;

private:
    std::map<std::string, std::string, std::less<>> m_texts;
};

} // namespace velmora

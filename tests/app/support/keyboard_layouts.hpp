#pragma once

#include <array>

namespace velmora::test {

// The keyboard layouts the tests type and read chords on: those of the interface languages and
// their neighbours (xkb names, with the variant where the layout's default is not the one used).
struct LayoutName {
    const char* layout;
    const char* variant;
};

inline constexpr std::array<LayoutName, 16> kKeyboardLayouts = {{
    {"us", ""},
    {"gb", ""},
    {"de", ""},
    {"ch", ""},
    {"ch", "fr"},
    {"fr", ""},
    {"be", ""},
    {"es", ""},
    {"latam", ""},
    {"it", ""},
    {"br", ""},
    {"pt", ""},
    {"nl", ""},
    {"pl", ""},
    {"ua", ""},
    {"jp", "kana"},
}};

} // namespace velmora::test

#pragma once

#include <QString>

namespace velmora::StringTables {

// The text of the key in the language with this code, else in English, else the key itself.
[[nodiscard]] QString lookup(const QString& languageCode, const QString& key);

} // namespace velmora::StringTables

#include "app/shell/string_tables.hpp"

namespace velmora::StringTables {

QString lookup(const QString& /*languageCode*/, const QString& key) { return key; }

} // namespace velmora::StringTables

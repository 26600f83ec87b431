#include "app/platform/string_tables.hpp"

#include "core/commands/strings.hpp"

namespace velmora::StringTables {

QString lookup(const QString& languageCode, const QString& key) {
    const std::string text = Strings::localized(languageCode.toStdString(), key.toStdString());
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace velmora::StringTables

#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

#include <string_view>

namespace velmora {

// The text of a catalog key in the current interface language (the key itself when the string
// tables have no entry for it).
[[nodiscard]] QString localized(const QString& key);
[[nodiscard]] QString localized(std::string_view key);

// The text of a catalog key used as a format and filled with the arguments in order: "%@" takes
// a text, "%lld", "%ld" and "%d" a whole number, "%n$@" the n-th argument; "%%" is a percent sign.
[[nodiscard]] QString localizedFormat(const QString& key, const QVariantList& arguments);

// The text as Qt shows it in a label that reads mnemonics (tabs, buttons, menu items): every
// "&" doubled, so a title or file name with "&" shows it rather than an underlined letter.
[[nodiscard]] QString mnemonicSafe(QString text);

enum class AppLanguage;

namespace Localization {
// Stores the chosen interface language; on the next turn of the event loop every menu item is
// retitled in place and "velmoraLanguage" is posted, so windows and panels reload their texts.
void changeLanguage(AppLanguage language);
// Fills a format as localizedFormat does, without looking anything up.
[[nodiscard]] QString format(const QString& format, const QVariantList& arguments);
// Forgets the cached language, so the next lookup follows a changed choice.
void languageChanged();
} // namespace Localization

} // namespace velmora

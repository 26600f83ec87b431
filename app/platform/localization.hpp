#pragma once

#include "core/commands/key_chord.hpp"
#include "core/commands/key_names.hpp"

#include <QDateTime>
#include <QLocale>
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
// a text, "%lld", "%ld" and "%d" a whole number (written as the interface language writes
// numbers), "%n$@" the n-th argument; "%%" is a percent sign. A text with plural forms uses the
// form the first whole-number argument takes in the interface language.
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
// Makes the application follow the interface language: Qt's own texts (standard buttons, file
// and print dialogs) from Qt's translations, QLocale's default for numbers and dates, and for
// Japanese a font with Japanese glyph shapes. Called at start and after every change.
void applyInterfaceLanguage();
// Makes Qt name keys in key sequences (menus, context menus) with the application's names in
// the interface language; part of applyInterfaceLanguage, and called when the application is
// set up.
void applyKeyNames();
// Whether Qt's own texts are translated into the interface language (false for English and when
// Qt's translations are not installed).
[[nodiscard]] bool qtTranslationLoaded();

// The locale of the interface language ("de" → German as spoken in Germany).
[[nodiscard]] QLocale locale();
// A whole number as the interface language writes it ("12.345" in German).
[[nodiscard]] QString count(qint64 number);
// How long ago `then` was, in the short words of a status line ("vor 5 Min."); from a week on,
// the short date in the interface language with the words that lead it in ("am 29.11.26").
[[nodiscard]] QString relativeTime(const QDateTime& then, const QDateTime& now);
// The short date of the interface language ("07.12.26").
[[nodiscard]] QString shortDate(const QDate& date);
// The short date and time of the interface language.
[[nodiscard]] QString shortDateTime(const QDateTime& dateTime);
// The key's name in the interface language, from the application's own table ("Strg").
[[nodiscard]] QString keyName(NamedKey key);
// The chord as the user presses it: the keys' names in the interface language and the caps of
// the active keyboard layout ("Strg+Umschalt+Eingabe", "Strg+Ü"). Menus, the palette, the key
// caps and the help all show chords in this one form.
[[nodiscard]] QString chordText(const KeyChord& chord);
// A chord as Linux writes it ("Ctrl+Shift+P") in the words the menus of the interface language
// use for it ("Strg+Umschalt+P" in German); a text that is no chord comes back unchanged.
[[nodiscard]] QString nativeChord(const QString& portable);
// The text with every chord in it ("Press Ctrl+Return") written as the menus write it: a chord
// of the key map as chordText writes it, any other as nativeChord does.
[[nodiscard]] QString withNativeChords(const QString& text);
} // namespace Localization

} // namespace velmora

#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace velmora {

class Preferences;

// The interface language chosen inside the application; `system` leaves it to the system.
enum class AppLanguage { system, en, uk, de, fr, es, it, ptBR, nl, pl, ja };

namespace AppLanguages {

// The ten real interface languages, in menu order.
inline constexpr std::array<AppLanguage, 10> supported = {
    AppLanguage::en, AppLanguage::uk,   AppLanguage::de, AppLanguage::fr, AppLanguage::es,
    AppLanguage::it, AppLanguage::ptBR, AppLanguage::nl, AppLanguage::pl, AppLanguage::ja};

// The stored name: "system", "en" … "pt-BR" …; the real ones double as language codes.
[[nodiscard]] QString rawValue(AppLanguage language);
// The case with exactly this raw value.
[[nodiscard]] std::optional<AppLanguage> fromRawValue(const QString& raw);

// The supported language a language code stands for ("pt-PT" → ptBR, "fr-CA" → fr,
// "en_GB" → en), or nothing when none matches.
[[nodiscard]] std::optional<AppLanguage> match(const QString& code);

// The stored choice: the first entry of "AppleLanguages" matched; `system` without one.
[[nodiscard]] AppLanguage current(const Preferences& preferences);
// Stores the choice; `system` removes the key.
void apply(Preferences& preferences, AppLanguage language);

// Removes a stored "AppleLanguages" whose first entry names no supported language exactly.
// Returns whether it removed it.
bool cleanOverride(Preferences& preferences);

// The system's preferred languages, most preferred first (from the locale environment).
[[nodiscard]] QStringList systemLanguages();

} // namespace AppLanguages

// The code of the interface language in use: the stored choice, else the first system language
// that matches a supported one, else "en".
[[nodiscard]] QString currentLanguageCode(const Preferences& preferences,
                                          const QStringList& systemLanguages);
// The same with the system's own list and the application's preferences.
[[nodiscard]] QString currentLanguageCode();

} // namespace velmora

#include "app/platform/app_language.hpp"

#include "app/platform/preferences.hpp"

#include <QLocale>

namespace velmora {
namespace {

constexpr std::array<const char*, 11> kRawValues = {"system", "en",    "uk", "de", "fr", "es",
                                                    "it",     "pt-BR", "nl", "pl", "ja"};

QString beforeDash(const QString& code) {
    return code.section(QLatin1Char('-'), 0, 0);
}

} // namespace

QString AppLanguages::rawValue(AppLanguage language) {
    return QLatin1String(kRawValues[static_cast<std::size_t>(language)]);
}

std::optional<AppLanguage> AppLanguages::fromRawValue(const QString& raw) {
    for (std::size_t i = 0; i < kRawValues.size(); ++i) {
        if (raw == QLatin1String(kRawValues[i])) {
            return static_cast<AppLanguage>(i);
        }
    }
    return std::nullopt;
}

std::optional<AppLanguage> AppLanguages::match(const QString& code) {
    // Locale names of the system use underscores ("pt_PT"); language codes use hyphens.
    const QString lower = code.toLower().replace(QLatin1Char('_'), QLatin1Char('-'));
    if (lower.startsWith(QLatin1String("uk"))) {
        return AppLanguage::uk;
    }
    if (lower.startsWith(QLatin1String("de"))) {
        return AppLanguage::de;
    }
    if (lower.startsWith(QLatin1String("en"))) {
        return AppLanguage::en;
    }
    const QString base = beforeDash(lower);
    for (AppLanguage language : supported) {
        if (base == beforeDash(rawValue(language).toLower())) {
            return language;
        }
    }
    return std::nullopt;
}

AppLanguage AppLanguages::current(const Preferences& preferences) {
    const QStringList stored = preferences.appleLanguages();
    if (stored.isEmpty()) {
        return AppLanguage::system;
    }
    return match(stored.first()).value_or(AppLanguage::system);
}

void AppLanguages::apply(Preferences& preferences, AppLanguage language) {
    if (language == AppLanguage::system) {
        preferences.remove(PreferenceKeys::appleLanguages);
    } else {
        preferences.setStringList(PreferenceKeys::appleLanguages, {rawValue(language)});
    }
}

bool AppLanguages::cleanOverride(Preferences& preferences) {
    const QStringList stored = preferences.appleLanguages();
    if (stored.isEmpty()) {
        return false;
    }
    auto language = fromRawValue(stored.first());
    if (language && *language != AppLanguage::system) {
        return false;
    }
    preferences.remove(PreferenceKeys::appleLanguages);
    return true;
}

QStringList AppLanguages::systemLanguages() {
    return QLocale::system().uiLanguages();
}

QString currentLanguageCode(const Preferences& preferences, const QStringList& systemLanguages) {
    const AppLanguage chosen = AppLanguages::current(preferences);
    if (chosen != AppLanguage::system) {
        return AppLanguages::rawValue(chosen);
    }
    for (const QString& code : systemLanguages) {
        if (auto language = AppLanguages::match(code)) {
            return AppLanguages::rawValue(*language);
        }
    }
    return QStringLiteral("en");
}

QString currentLanguageCode() {
    const Preferences preferences;
    return currentLanguageCode(preferences, AppLanguages::systemLanguages());
}

} // namespace velmora

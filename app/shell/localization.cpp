#include "app/shell/localization.hpp"

#include "app/shell/app_language.hpp"
#include "app/shell/main_menu.hpp"
#include "app/shell/notifications.hpp"
#include "app/shell/preferences.hpp"
#include "app/shell/string_tables.hpp"

#include <QCoreApplication>
#include <QTimer>

namespace velmora {
namespace {

QString& cachedLanguage() {
    static QString code;
    return code;
}

const QString& languageCode() {
    QString& code = cachedLanguage();
    if (code.isEmpty()) {
        code = currentLanguageCode();
    }
    return code;
}

// The argument as the specifier wants it: numbers in plain digits, texts as they are.
QString argumentText(const QVariant& argument) {
    return argument.toString();
}

} // namespace

QString localized(const QString& key) {
    return StringTables::lookup(languageCode(), key);
}

QString localized(std::string_view key) {
    return localized(QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())));
}

QString localizedFormat(const QString& key, const QVariantList& arguments) {
    return Localization::format(localized(key), arguments);
}

QString Localization::format(const QString& format, const QVariantList& arguments) {
    QString out;
    out.reserve(format.size());
    qsizetype next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c != QLatin1Char('%') || i + 1 >= format.size()) {
            out.append(c);
            continue;
        }
        qsizetype j = i + 1;
        if (format.at(j) == QLatin1Char('%')) {
            out.append(QLatin1Char('%'));
            i = j;
            continue;
        }
        // An optional position "n$".
        qsizetype position = -1;
        qsizetype k = j;
        while (k < format.size() && format.at(k).isDigit()) {
            ++k;
        }
        if (k > j && k < format.size() && format.at(k) == QLatin1Char('$')) {
            position = format.mid(j, k - j).toLongLong() - 1;
            j = k + 1;
        }
        // Length modifiers, then the conversion.
        while (j < format.size() &&
               (format.at(j) == QLatin1Char('l') || format.at(j) == QLatin1Char('q'))) {
            ++j;
        }
        if (j >= format.size() || !QStringLiteral("@dius").contains(format.at(j))) {
            out.append(c);
            continue;
        }
        const qsizetype index = position >= 0 ? position : next++;
        if (index >= 0 && index < arguments.size()) {
            out.append(argumentText(arguments.at(index)));
        }
        i = j;
    }
    return out;
}

void Localization::languageChanged() {
    cachedLanguage().clear();
}

void Localization::changeLanguage(AppLanguage language) {
    Preferences preferences;
    AppLanguages::apply(preferences, language);
    preferences.sync();
    QTimer::singleShot(0, QCoreApplication::instance(), [] {
        languageChanged();
        MainMenu::relocalizeMenus();
        Notifications::shared().post(Notifications::language);
    });
}

QString mnemonicSafe(QString text) {
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace velmora

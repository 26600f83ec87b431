#include "app/platform/localization.hpp"

#include "app/platform/app_language.hpp"
#include "app/platform/keyboard_layout.hpp"
#include "app/platform/notifications.hpp"
#include "app/platform/preferences.hpp"
#include "app/platform/string_tables.hpp"

#include "core/commands/plural.hpp"
#include "core/commands/strings.hpp"

#include <QApplication>
#include <QCoreApplication>
#include <QFont>
#include <QHash>
#include <QKeySequence>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QTimer>
#include <QTranslator>

#include <algorithm>
#include <memory>
#include <optional>

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

bool isWholeNumber(const QVariant& value) {
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

// The argument as the placeholder wants it: numbers as the interface language writes them for a
// number placeholder, texts as they are.
QString argumentText(const QVariant& argument, bool number) {
    if (number && isWholeNumber(argument)) {
        return Localization::count(argument.toLongLong());
    }
    return argument.toString();
}

std::optional<std::int64_t> firstCount(const QVariantList& arguments) {
    for (const QVariant& argument : arguments) {
        if (isWholeNumber(argument)) {
            return argument.toLongLong();
        }
    }
    return std::nullopt;
}

// The translator holding Qt's own texts in the interface language, while one is installed.
std::unique_ptr<QTranslator>& qtTranslator() {
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

// Qt's names of keys in key sequences taken from the application's table: menus (which write
// their shortcuts through QKeySequence's native text), context menus and QKeySequence's reading
// of native text then name every key as the palette and the help do. Asked before Qt's own
// catalogue, it answers only for the keys of the table.
class KeyNameTranslator : public QTranslator {
public:
    explicit KeyNameTranslator(const QString& language) {
        const std::string code = language.toStdString();
        for (NamedKey key : allNamedKeys()) {
            const auto name = KeyNames::name(key, code);
            const QString text =
                QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
            const auto portable = KeyNames::portableName(key);
            m_names.insert(QLatin1String(portable.data(), static_cast<qsizetype>(portable.size())),
                           text);
        }
        // Qt's other names of the same keys.
        m_names.insert(QStringLiteral("Enter"), m_names.value(QStringLiteral("Return")));
        m_names.insert(QStringLiteral("Backtab"), m_names.value(QStringLiteral("Tab")));
    }

    [[nodiscard]] QString translate(const char* context, const char* source,
                                    const char* /*disambiguation*/, int /*n*/) const override {
        if (context == nullptr || source == nullptr || qstrcmp(context, "QShortcut") != 0) {
            return {};
        }
        return m_names.value(QLatin1String(source));
    }
    [[nodiscard]] bool isEmpty() const override { return false; }

private:
    QHash<QString, QString> m_names;
};

std::unique_ptr<KeyNameTranslator>& keyNameTranslator() {
    static std::unique_ptr<KeyNameTranslator> translator;
    return translator;
}

// Installs the key names of the language, after Qt's catalogue so that they are asked first.
void installKeyNames(const QString& code) {
    auto& translator = keyNameTranslator();
    if (translator) {
        QCoreApplication::removeTranslator(translator.get());
    }
    translator = std::make_unique<KeyNameTranslator>(code);
    QCoreApplication::installTranslator(translator.get());
}

// The application font before a Japanese face was added to it.
std::optional<QFont>& baseFont() {
    static std::optional<QFont> font;
    return font;
}

void installQtTranslation(const QString& code) {
    auto& translator = qtTranslator();
    if (translator) {
        QCoreApplication::removeTranslator(translator.get());
        translator.reset();
    }
    if (code != QLatin1String("en")) {
        auto loaded = std::make_unique<QTranslator>();
        if (loaded->load(Localization::locale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QCoreApplication::installTranslator(loaded.get());
            translator = std::move(loaded);
        }
    }
    installKeyNames(code);
}

// Han characters look different in Japanese than in Chinese; naming the Japanese face after the
// desktop's own makes Japanese text use it while Latin text keeps the desktop font.
void applyJapaneseFont(const QString& code) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        return;
    }
    auto& base = baseFont();
    if (!base) {
        base = QApplication::font();
    }
    QFont font = *base;
    if (code == QLatin1String("ja")) {
        QStringList families = base->families();
        if (families.isEmpty()) {
            families.append(base->family());
        }
        families.append(QStringLiteral("Noto Sans CJK JP"));
        font.setFamilies(families);
    }
    if (QApplication::font() != font) {
        QApplication::setFont(font);
    }
}

} // namespace

QString localized(const QString& key) {
    return StringTables::lookup(languageCode(), key);
}

QString localized(std::string_view key) {
    return localized(QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())));
}

QString localizedFormat(const QString& key, const QVariantList& arguments) {
    const std::string text = localized(key).toStdString();
    const std::string_view form =
        Plural::choose(languageCode().toStdString(), text, firstCount(arguments));
    return Localization::format(QString::fromUtf8(form.data(), static_cast<qsizetype>(form.size())),
                                arguments);
}

QString Localization::format(const QString& format, const QVariantList& arguments) {
    const std::string filled = Strings::substitute(
        format.toStdString(), [&](Strings::Placeholder placeholder) -> std::optional<std::string> {
            if (placeholder.index >= static_cast<std::size_t>(arguments.size())) {
                return std::nullopt;
            }
            const QVariant& argument = arguments.at(static_cast<qsizetype>(placeholder.index));
            return argumentText(argument, placeholder.number).toStdString();
        });
    return QString::fromStdString(filled);
}

void Localization::languageChanged() {
    cachedLanguage().clear();
}

void Localization::applyInterfaceLanguage() {
    languageChanged();
    const QString code = languageCode();
    QLocale::setDefault(locale());
    installQtTranslation(code);
    applyJapaneseFont(code);
}

void Localization::applyKeyNames() {
    installKeyNames(languageCode());
}

bool Localization::qtTranslationLoaded() {
    return qtTranslator() != nullptr;
}

QLocale Localization::locale() {
    QString name = languageCode();
    return QLocale(name.replace(QLatin1Char('-'), QLatin1Char('_')));
}

QString Localization::count(qint64 number) {
    return locale().toString(number);
}

QString Localization::relativeTime(const QDateTime& then, const QDateTime& now) {
    const qint64 seconds = std::max<qint64>(0, then.secsTo(now));
    if (seconds < 60) {
        return localizedFormat(QStringLiteral("time.secondsAgo %lld"), {seconds});
    }
    if (seconds < 3600) {
        return localizedFormat(QStringLiteral("time.minutesAgo %lld"), {seconds / 60});
    }
    if (seconds < 86400) {
        return localizedFormat(QStringLiteral("time.hoursAgo %lld"), {seconds / 3600});
    }
    const qint64 days = seconds / 86400;
    if (days < 7) {
        return localizedFormat(QStringLiteral("time.daysAgo %lld"), {days});
    }
    return localizedFormat(QStringLiteral("time.onDate %@"), {shortDate(then.date())});
}

QString Localization::shortDate(const QDate& date) {
    return locale().toString(date, QLocale::ShortFormat);
}

QString Localization::shortDateTime(const QDateTime& dateTime) {
    return locale().toString(dateTime, QLocale::ShortFormat);
}

QString Localization::keyName(NamedKey key) {
    const auto name = KeyNames::name(key, languageCode().toStdString());
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

QString Localization::chordText(const KeyChord& chord) {
    const std::string label = KeyboardLayouts::shared().label(chord.key, false).toStdString();
    return QString::fromStdString(KeyNames::text(chord, languageCode().toStdString(), label));
}

QString Localization::nativeChord(const QString& portable) {
    const QKeySequence keys = QKeySequence::fromString(portable, QKeySequence::PortableText);
    if (keys.isEmpty() || keys.count() != 1 || keys[0].key() == Qt::Key_unknown) {
        return portable;
    }
    return keys.toString(QKeySequence::NativeText);
}

QString Localization::withNativeChords(const QString& text) {
    // A chord is a run of ASCII letters, digits and "+" joining at least two parts.
    static const QRegularExpression chord(
        QStringLiteral("(?<![A-Za-z0-9+])[A-Za-z0-9]+(?:\\+[A-Za-z0-9]+)+(?![A-Za-z0-9+])"));
    QString out;
    qsizetype at = 0;
    for (auto it = chord.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        out += QStringView(text).mid(at, match.capturedStart() - at);
        const QString portable = match.captured();
        const auto parsed = KeyNames::parse(portable.toStdString());
        out += parsed ? chordText(*parsed) : nativeChord(portable);
        at = match.capturedEnd();
    }
    out += QStringView(text).mid(at);
    return out;
}

void Localization::changeLanguage(AppLanguage language) {
    Preferences preferences;
    AppLanguages::apply(preferences, language);
    preferences.sync();
    QTimer::singleShot(0, QCoreApplication::instance(), [] {
        applyInterfaceLanguage();
        Notifications::shared().post(Notifications::language);
    });
}

QString mnemonicSafe(QString text) {
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace velmora

#include "app/platform/preferences.hpp"

#include <QHash>

#include <algorithm>
#include <array>
#include <cmath>

namespace velmora {
namespace {

// The eight keys with registered defaults; every other key reads as false, zero, an empty
// list or no value until written.
const QHash<QString, QVariant>& registeredDefaults() {
    static const QHash<QString, QVariant> table = {
        {PreferenceKeys::tabIndents, true},
        {PreferenceKeys::documentsInTabs, true},
        {PreferenceKeys::returnEdits, true},
        {PreferenceKeys::checkSpelling, true},
        {PreferenceKeys::quitAlwaysKeepsWindows, true},
        {PreferenceKeys::libraryVisible, true},
        {PreferenceKeys::returnWhileTyping, QStringLiteral("finish")},
        {PreferenceKeys::newDocumentView, QStringLiteral("tree")},
    };
    return table;
}

// The case whose name equals the stored text exactly, or the fallback.
template <class E, std::size_t N>
E enumValue(const std::optional<QString>& stored, const std::array<const char*, N>& names,
            E fallback) {
    if (!stored) {
        return fallback;
    }
    for (std::size_t i = 0; i < N; ++i) {
        if (*stored == QLatin1String(names[i])) {
            return static_cast<E>(i);
        }
    }
    return fallback;
}

constexpr std::array<const char*, 10> kPaperStyles = {
    "plain",  "dots", "fineDots", "crosses",    "lines",
    "margin", "grid", "zebra",    "levelBands", "levelLines"};
constexpr std::array<const char*, 5> kPaperColors = {"white", "warm", "yellow", "sage",
                                                     "blueprint"};
constexpr std::array<const char*, 2> kHighlightColors = {"accent", "green"};
constexpr std::array<const char*, 2> kLabelStyles = {"dot", "fill"};
constexpr std::array<const char*, 3> kCheckStyles = {"box", "web", "none"};
constexpr std::array<const char*, 3> kScrollEdges = {"automatic", "soft", "hard"};

} // namespace

Preferences::Preferences() : m_owned(std::make_unique<QSettings>()), m_settings(m_owned.get()) {}

Preferences::Preferences(QSettings& settings) : m_settings(&settings) {}

std::optional<QVariant> Preferences::registeredDefault(const QString& key) {
    const auto& table = registeredDefaults();
    auto it = table.find(key);
    if (it == table.end()) {
        return std::nullopt;
    }
    return *it;
}

std::optional<bool> Preferences::storedBool(const QString& key) const {
    const QVariant value = m_settings->value(key);
    if (value.typeId() == QMetaType::Bool) {
        return value.toBool();
    }
    // Text stores such as INI files give Booleans back as the words true and false.
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        if (text == QLatin1String("true")) {
            return true;
        }
        if (text == QLatin1String("false")) {
            return false;
        }
    }
    return std::nullopt;
}

std::optional<double> Preferences::storedDouble(const QString& key) const {
    const QVariant value = m_settings->value(key);
    bool ok = false;
    double number = 0;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        number = value.toDouble(&ok);
        break;
    case QMetaType::QString:
        number = value.toString().trimmed().toDouble(&ok);
        break;
    default:
        break;
    }
    if (!ok || !std::isfinite(number)) {
        return std::nullopt;
    }
    return number;
}

std::optional<QString> Preferences::storedString(const QString& key) const {
    const QVariant value = m_settings->value(key);
    if (value.typeId() == QMetaType::QString) {
        return value.toString();
    }
    return std::nullopt;
}

QStringList Preferences::stringList(const QString& key) const {
    const QVariant value = m_settings->value(key);
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList();
    }
    // An INI store gives a list of one entry back as a plain text.
    if (value.typeId() == QMetaType::QString) {
        return {value.toString()};
    }
    if (value.typeId() == QMetaType::QVariantList) {
        QStringList texts;
        for (const QVariant& entry : value.toList()) {
            if (entry.typeId() != QMetaType::QString) {
                return {};
            }
            texts.append(entry.toString());
        }
        return texts;
    }
    return {};
}

bool Preferences::boolValue(const QString& key) const {
    if (auto stored = storedBool(key)) {
        return *stored;
    }
    auto fallback = registeredDefault(key);
    return fallback && fallback->toBool();
}

bool Preferences::tabIndents() const {
    return boolValue(PreferenceKeys::tabIndents);
}
bool Preferences::documentsInTabs() const {
    return boolValue(PreferenceKeys::documentsInTabs);
}
bool Preferences::returnEdits() const {
    return boolValue(PreferenceKeys::returnEdits);
}
bool Preferences::checkSpelling() const {
    return boolValue(PreferenceKeys::checkSpelling);
}
bool Preferences::quitAlwaysKeepsWindows() const {
    return boolValue(PreferenceKeys::quitAlwaysKeepsWindows);
}
bool Preferences::libraryVisible() const {
    return boolValue(PreferenceKeys::libraryVisible);
}

QString Preferences::returnWhileTyping() const {
    auto stored = storedString(PreferenceKeys::returnWhileTyping);
    if (stored && *stored == QLatin1String("finishAndAddNext")) {
        return *stored;
    }
    return QStringLiteral("finish");
}

QString Preferences::newDocumentView() const {
    auto stored = storedString(PreferenceKeys::newDocumentView);
    if (stored && (*stored == QLatin1String("list") || *stored == QLatin1String("map"))) {
        return *stored;
    }
    return QStringLiteral("tree");
}

bool Preferences::libraryFirstLaunchDone() const {
    return boolValue(PreferenceKeys::libraryFirstLaunchDone);
}
bool Preferences::helpVisible() const {
    return boolValue(PreferenceKeys::helpVisible);
}
double Preferences::sidebarWidth() const {
    return storedDouble(PreferenceKeys::sidebarWidth).value_or(0);
}
double Preferences::outlineZoom() const {
    return storedDouble(PreferenceKeys::outlineZoom).value_or(0);
}
int Preferences::inspectorSegment() const {
    auto stored = storedDouble(PreferenceKeys::inspectorSegment);
    if (!stored || *stored < -1e9 || *stored > 1e9) {
        return 0;
    }
    return static_cast<int>(*stored);
}
QStringList Preferences::commandPaletteRecent() const {
    return stringList(PreferenceKeys::commandPaletteRecent);
}
bool Preferences::highlightBranch() const {
    return boolValue(PreferenceKeys::highlightBranch);
}
bool Preferences::hideRootLine() const {
    return boolValue(PreferenceKeys::hideRootLine);
}

std::optional<bool> Preferences::storedStrikeChecked() const {
    return storedBool(PreferenceKeys::strikeChecked);
}

bool Preferences::strikeChecked() const {
    return storedStrikeChecked().value_or(checkStyle() == CheckStyle::web);
}

PaperStyle Preferences::paperStyle() const {
    return enumValue(storedString(PreferenceKeys::paperStyle), kPaperStyles, PaperStyle::plain);
}
PaperColor Preferences::paperColor() const {
    return enumValue(storedString(PreferenceKeys::paperColor), kPaperColors, PaperColor::white);
}
double Preferences::paperMargin() const {
    return std::clamp(storedDouble(PreferenceKeys::paperMargin).value_or(220.0), 120.0, 480.0);
}
HighlightColor Preferences::highlightColor() const {
    return enumValue(storedString(PreferenceKeys::highlightColor), kHighlightColors,
                     HighlightColor::accent);
}
CheckStyle Preferences::checkStyle() const {
    return enumValue(storedString(PreferenceKeys::checkStyle), kCheckStyles, CheckStyle::box);
}
LabelStyle Preferences::labelStyle() const {
    return enumValue(storedString(PreferenceKeys::labelStyle), kLabelStyles, LabelStyle::dot);
}
ScrollEdge Preferences::scrollEdge() const {
    return enumValue(storedString(PreferenceKeys::scrollEdge), kScrollEdges, ScrollEdge::automatic);
}
bool Preferences::autosaveClearsEdited() const {
    return boolValue(PreferenceKeys::autosaveClearsEdited);
}
QString Preferences::libraryLocation() const {
    return storedString(PreferenceKeys::libraryLocation).value_or(QString());
}
QString Preferences::libraryCustomPath() const {
    return storedString(PreferenceKeys::libraryCustomPath).value_or(QString());
}
QStringList Preferences::libraryExpanded() const {
    return stringList(PreferenceKeys::libraryExpanded);
}
QStringList Preferences::libraryPinned() const {
    return stringList(PreferenceKeys::libraryPinned);
}
bool Preferences::hideCompleted(const QString& documentId) const {
    return boolValue(PreferenceKeys::hideCompletedPrefix + documentId);
}
QStringList Preferences::appleLanguages() const {
    return stringList(PreferenceKeys::appleLanguages);
}
QStringList Preferences::recentDocuments() const {
    return stringList(PreferenceKeys::recentDocuments);
}

void Preferences::setBool(const QString& key, bool value) {
    m_settings->setValue(key, value);
}
void Preferences::setDouble(const QString& key, double value) {
    m_settings->setValue(key, value);
}
void Preferences::setInt(const QString& key, int value) {
    m_settings->setValue(key, value);
}
void Preferences::setString(const QString& key, const QString& value) {
    m_settings->setValue(key, value);
}
void Preferences::setStringList(const QString& key, const QStringList& value) {
    m_settings->setValue(key, value);
}
void Preferences::remove(const QString& key) {
    m_settings->remove(key);
}
bool Preferences::contains(const QString& key) const {
    return m_settings->contains(key);
}
void Preferences::setHideCompleted(const QString& documentId, bool hidden) {
    setBool(PreferenceKeys::hideCompletedPrefix + documentId, hidden);
}
void Preferences::sync() {
    m_settings->sync();
}

} // namespace velmora

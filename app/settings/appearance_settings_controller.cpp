#include "app/settings/appearance_settings_controller.hpp"

#include "app/platform/appearance.hpp"
#include "app/platform/notifications.hpp"
#include "app/platform/preferences.hpp"
#include "core/layout/paper_style.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QPainter>
#include <QPixmap>

#include <array>

namespace velmora {
namespace {

constexpr std::array kPapers = {
    PaperStyle::plain,  PaperStyle::dots,   PaperStyle::fineDots, PaperStyle::crosses,
    PaperStyle::lines,  PaperStyle::margin, PaperStyle::grid,     PaperStyle::zebra,
    PaperStyle::levelBands, PaperStyle::levelLines};
constexpr std::array kPaperColors = {PaperColor::white, PaperColor::warm, PaperColor::yellow,
                                     PaperColor::sage, PaperColor::blueprint};
constexpr std::array kEdges = {ScrollEdge::automatic, ScrollEdge::soft, ScrollEdge::hard};
constexpr std::array kHighlights = {HighlightColor::accent, HighlightColor::green};
constexpr std::array kChecks = {CheckStyle::box, CheckStyle::web, CheckStyle::none};
constexpr std::array kLabels = {LabelStyle::dot, LabelStyle::fill};

template <typename Choice>
QString raw(Choice choice) {
    const std::string_view text = rawValue(choice);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void announce() {
    Notifications::shared().post(Notifications::preferences);
}

// A small square of the colour with a thin border, shown beside a colour's name.
QIcon swatch(const QColor& color, const QColor& border) {
    QPixmap pixmap(14, 14);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(border);
    painter.setBrush(color);
    painter.drawRoundedRect(QRectF(0.5, 0.5, 13, 13), 3, 3);
    return QIcon(pixmap);
}

} // namespace

template <typename Choice, std::size_t N>
QComboBox* AppearanceSettingsController::addCases(const QString& labelKey,
                                                  const QString& itemPrefix,
                                                  const std::array<Choice, N>& cases,
                                                  const QString& key) {
    QStringList keys;
    QStringList values;
    for (const Choice each : cases) {
        values.append(raw(each));
        keys.append(itemPrefix + values.last());
    }
    QComboBox* choice = addChoice(labelKey, keys, values);
    connect(choice, &QComboBox::activated, this, [choice, key] {
        Preferences().setString(key, value(choice));
        announce();
    });
    return choice;
}

QCheckBox* AppearanceSettingsController::addFlag(const QString& labelKey, const QString& key,
                                                 bool inverted) {
    QCheckBox* check = addCheck(labelKey);
    connect(check, &QCheckBox::clicked, this, [key, inverted](bool checked) {
        Preferences().setBool(key, checked != inverted);
        announce();
    });
    return check;
}

AppearanceSettingsController::AppearanceSettingsController(QWidget* parent)
    : SettingsPaneController(parent) {
    using namespace PreferenceKeys;
    paper = addCases(QStringLiteral("settings.paper"), QStringLiteral("settings.paper."), kPapers,
                     paperStyle);
    addNote(QStringLiteral("settings.paper.note"));
    paperColor = addCases(QStringLiteral("settings.paperColor"),
                          QStringLiteral("settings.paperColor."), kPaperColors,
                          PreferenceKeys::paperColor);
    scrollEdge = addCases(QStringLiteral("settings.edge"), QStringLiteral("settings.edge."),
                          kEdges, PreferenceKeys::scrollEdge);
    highlight = addFlag(QStringLiteral("settings.highlight"), highlightBranch);
    highlightColor = addCases(QStringLiteral("settings.highlightColor"),
                              QStringLiteral("settings.highlightColor."), kHighlights,
                              PreferenceKeys::highlightColor);
    rootLine = addFlag(QStringLiteral("settings.rootLine"), hideRootLine, true);
    checkStyle = addCases(QStringLiteral("settings.checkStyle"),
                          QStringLiteral("settings.checkStyle."), kChecks,
                          PreferenceKeys::checkStyle);
    strikeChecked = addFlag(QStringLiteral("settings.strikeChecked"),
                            PreferenceKeys::strikeChecked);
    labelStyle = addCases(QStringLiteral("settings.labelStyle"),
                          QStringLiteral("settings.labelStyle."), kLabels,
                          PreferenceKeys::labelStyle);
    paintSwatches();
    // The window's own changes come back here too; so do those of the View menu.
    connect(&Notifications::shared(), &Notifications::preferencesChanged, this, [this] {
        if (isVisible()) {
            refresh();
        }
    });
}

void AppearanceSettingsController::paintSwatches() {
    const QPalette& colors = palette();
    const bool dark = Appearances::isDark(colors);
    const QColor border = colors.color(QPalette::Mid);
    Appearance look;
    for (int i = 0; i < paperColor->count(); ++i) {
        look.paperColor = kPaperColors.at(static_cast<std::size_t>(i));
        paperColor->setItemIcon(i, swatch(look.paper(dark, colors.color(QPalette::Base)), border));
    }
    for (int i = 0; i < highlightColor->count(); ++i) {
        look.highlightColor = kHighlights.at(static_cast<std::size_t>(i));
        highlightColor->setItemIcon(
            i, swatch(look.highlight(dark, colors.color(QPalette::Highlight)), border));
    }
}

void AppearanceSettingsController::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) {
        paintSwatches();
    }
    SettingsPaneController::changeEvent(event);
}

void AppearanceSettingsController::refresh() {
    const Preferences preferences;
    select(paper, raw(preferences.paperStyle()), {});
    select(paperColor, raw(preferences.paperColor()), {});
    select(scrollEdge, raw(preferences.scrollEdge()), {});
    highlight->setChecked(preferences.highlightBranch());
    select(highlightColor, raw(preferences.highlightColor()), {});
    rootLine->setChecked(!preferences.hideRootLine());
    select(checkStyle, raw(preferences.checkStyle()), {});
    strikeChecked->setChecked(preferences.strikeChecked());
    select(labelStyle, raw(preferences.labelStyle()), {});
}

} // namespace velmora

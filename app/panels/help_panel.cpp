#include "app/panels/help_panel.hpp"

#include "app/panels/keycap_button.hpp"
#include "app/panels/panel_support.hpp"
#include "app/platform/appearance.hpp"
#include "app/platform/keyboard_layout.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/notifications.hpp"
#include "core/commands/command_registry.hpp"
#include "core/commands/help_catalog.hpp"
#include "core/commands/key_map.hpp"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace velmora {
namespace {

// The shortcut count the complete-list button names when the help text has no such list.
constexpr long long kDefaultShortcutCount = 67;
constexpr int kChipsPerRow = 3;

// A label that wraps its text at the width it is given: it asks for the height of its lines at
// that width, and no more than one line as its minimum (a wrapped label otherwise claims the
// height of its text at its narrowest).
class WrappingLabel : public QLabel {
public:
    using QLabel::QLabel;
    [[nodiscard]] QSize minimumSizeHint() const override { return {40, fontMetrics().height()}; }
};

// The help's chords ("Ctrl+Return") are shown as the menus of the interface language show them.
QLabel* wrappingLabel(const QString& text, QWidget* parent) {
    auto* label = new WrappingLabel(Localization::withNativeChords(text), parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setFont(PanelSupport::font(12));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Labels give way to the width of the panel and take the height their lines need.
    QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    label->setSizePolicy(policy);
    return label;
}

// The small colour dot before the key line of a label command.
class LabelDot : public QWidget {
public:
    LabelDot(ColorLabel label, QWidget* parent)
        : QWidget(parent), m_color(Appearances::labelColor(label)) {
        setFixedSize(8, 8);
        setObjectName(QStringLiteral("helpSwatch"));
    }
    [[nodiscard]] QColor color() const { return m_color; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_color);
        painter.drawRoundedRect(QRectF(rect()), 4, 4);
    }

private:
    QColor m_color;
};

const QString kChipStyle = QStringLiteral(
    "QPushButton { border: 1px solid palette(mid); border-radius: 9px; padding: 1px 8px;"
    " background: transparent; color: palette(text); }"
    "QPushButton:checked { background: palette(highlight); color: palette(highlighted-text);"
    " border-color: palette(highlight); }");

} // namespace

HelpPanelController::HelpPanelController(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("helpPanel"));
    beep = [] { QApplication::beep(); };
    helpSource = [] { return PanelSupport::currentHelp(); };
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 10, 0, 0);
    layout->setSpacing(0);

    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("help.search"));
    m_search->setClearButtonEnabled(true);
    auto* searchRow = new QHBoxLayout;
    searchRow->setContentsMargins(12, 0, 12, 0);
    searchRow->addWidget(m_search);
    layout->addLayout(searchRow);
    layout->addSpacing(8);

    m_chips = new QWidget(this);
    m_chips->setObjectName(QStringLiteral("helpTopics"));
    auto* chipRows = new QVBoxLayout(m_chips);
    chipRows->setContentsMargins(12, 0, 12, 0);
    chipRows->setSpacing(4);
    layout->addWidget(m_chips);
    layout->addSpacing(6);

    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("helpScroll"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(false);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->viewport()->setAutoFillBackground(false);
    m_content = new QWidget;
    m_content->setObjectName(QStringLiteral("helpContent"));
    m_content->setAutoFillBackground(false);
    m_stack = new QVBoxLayout(m_content);
    m_stack->setContentsMargins(14, 6, 14, 16);
    m_stack->setSpacing(8);
    m_stack->setAlignment(Qt::AlignTop);
    m_scroll->setWidget(m_content);
    m_scroll->viewport()->installEventFilter(this);
    layout->addWidget(m_scroll, 1);

    connect(m_search, &QLineEdit::textChanged, this, &HelpPanelController::searchEdited);
    connect(&Notifications::shared(), &Notifications::languageChanged, this,
            &HelpPanelController::reload);
    // The key caps show the chords as pressed on the active keyboard layout.
    connect(&KeyboardLayouts::shared(), &KeyboardLayouts::changed, this,
            &HelpPanelController::reload);
    reload();
}

void HelpPanelController::buildChips() {
    auto* rows = static_cast<QVBoxLayout*>(m_chips->layout());
    while (QLayoutItem* row = rows->takeAt(0)) {
        delete row; // the row's layout; its buttons go below
    }
    // Later: the pressed chip may be the one asking for this.
    for (auto& [topic, button] : m_chipButtons) {
        button->hide();
        button->deleteLater();
    }
    m_chipButtons.clear();
    QHBoxLayout* row = nullptr;
    for (HelpTopic topic : kAllHelpTopics) {
        if (!row || row->count() >= kChipsPerRow) {
            row = new QHBoxLayout;
            row->setSpacing(4);
            rows->addLayout(row);
        }
        auto* chip = new QPushButton(
            localized(QStringLiteral("help.topic.") + QString::fromUtf8(rawValue(topic))), m_chips);
        chip->setObjectName(QStringLiteral("help.topic.") + QString::fromUtf8(rawValue(topic)));
        chip->setCheckable(true);
        chip->setChecked(m_topic == topic);
        chip->setFocusPolicy(Qt::NoFocus);
        chip->setFont(PanelSupport::font(11));
        chip->setStyleSheet(kChipStyle);
        connect(chip, &QPushButton::clicked, this, [this, topic] { chooseTopic(topic); });
        row->addWidget(chip);
        m_chipButtons.emplace_back(topic, chip);
    }
    for (int i = 0; i < rows->count(); ++i) {
        static_cast<QHBoxLayout*>(rows->itemAt(i)->layout())->addStretch(1);
    }
}

void HelpPanelController::reload() {
    // Every window has a help panel and most never show it: a hidden one is built when shown.
    if (!isVisible()) {
        m_stale = true;
        return;
    }
    m_stale = false;
    m_search->setPlaceholderText(localized(std::string_view("help.search")));
    buildChips();
    while (QLayoutItem* entry = m_stack->takeAt(0)) {
        if (QWidget* widget = entry->widget()) {
            widget->hide();
            widget->deleteLater();
        }
        delete entry;
    }
    m_keycaps.clear();
    m_showAllButton = nullptr;

    const HelpDocument help = helpSource ? helpSource() : HelpDocument{};
    const EditorPreferences current = preferences ? preferences() : EditorPreferences{};
    m_glyphs.clear();
    for (const Command& command : CommandRegistry::commands(help, current)) {
        m_glyphs[command.action] =
            command.chord ? Localization::chordText(*command.chord) : QString();
    }

    const QString query = m_search->text().trimmed();
    if (!query.isEmpty()) {
        // The key caps' texts are searchable as they show.
        std::map<Action, std::string> shown;
        for (const auto& [action, text] : m_glyphs) {
            shown.emplace(action, text.toStdString());
        }
        const auto hits = HelpCatalog::search(help, query.toStdString(), current, shown);
        const bool swatches = std::any_of(hits.begin(), hits.end(), [](const HelpHit& hit) {
            return hit.action && PanelSupport::labelOf(*hit.action);
        });
        for (const HelpHit& hit : hits) {
            if (hit.action) {
                addKeyRow(*hit.action, QString::fromStdString(hit.text), swatches);
            } else {
                addParagraph(QString::fromStdString(hit.text));
            }
        }
        if (hits.empty()) {
            addParagraph(localized(std::string_view("help.empty")), true);
        }
    } else if (m_showsAll) {
        if (const HelpSection* all = help.section(kAllKeysSectionID)) {
            renderSection(*all);
        }
    } else {
        for (HelpTopic topic : kAllHelpTopics) {
            if (m_topic && *m_topic != topic) {
                continue;
            }
            for (const std::string& id : sectionIDs(topic)) {
                if (const HelpSection* section = help.section(id)) {
                    renderSection(*section);
                }
            }
        }
        const HelpSection* all = help.section(kAllKeysSectionID);
        const auto count =
            all ? static_cast<long long>(all->keyRows().size()) : kDefaultShortcutCount;
        m_showAllButton =
            new QPushButton(localizedFormat(QStringLiteral("help.all %lld"), {count}), m_content);
        m_showAllButton->setObjectName(QStringLiteral("helpShowAll"));
        m_showAllButton->setFont(PanelSupport::font(12));
        m_showAllButton->setFocusPolicy(Qt::NoFocus);
        m_showAllButton->setStyleSheet(kChipStyle);
        m_showAllButton->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        connect(m_showAllButton, &QPushButton::clicked, this, &HelpPanelController::showAll);
        m_stack->addWidget(m_showAllButton, 0, Qt::AlignLeft);
    }
    // The key caps share one width (up to a limit), so that their texts line up.
    constexpr int kWidestAligned = 120;
    int widest = 0;
    for (const KeycapButton* keycap : m_keycaps) {
        widest = std::max(widest, std::min(kWidestAligned, keycap->sizeHint().width()));
    }
    for (KeycapButton* keycap : m_keycaps) {
        keycap->setColumnWidth(widest);
    }
    refreshKeycaps();
    fitContent();
}

void HelpPanelController::fitContent() {
    // New rows count in the layout only once shown, which would otherwise wait for the event loop.
    for (int i = 0; i < m_stack->count(); ++i) {
        if (QWidget* widget = m_stack->itemAt(i)->widget()) {
            widget->show();
        }
    }
    const int width = m_scroll->viewport()->width();
    m_content->setFixedWidth(width);
    m_content->setFixedHeight(m_stack->totalHeightForWidth(width));
}

bool HelpPanelController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_scroll->viewport() && event->type() == QEvent::Resize) {
        fitContent();
    }
    return QWidget::eventFilter(watched, event);
}

void HelpPanelController::renderSection(const HelpSection& section) {
    addParagraph(QString::fromStdString(section.title), false, true);
    const bool swatches =
        std::any_of(section.blocks.begin(), section.blocks.end(), [](const HelpBlock& block) {
            return block.action && PanelSupport::labelOf(*block.action);
        });
    for (const HelpBlock& block : section.blocks) {
        if (block.action) {
            addKeyRow(*block.action, QString::fromStdString(block.text), swatches);
        } else {
            addParagraph(QString::fromStdString(block.text));
        }
    }
}

void HelpPanelController::addParagraph(const QString& text, bool secondary, bool title) {
    QLabel* label = wrappingLabel(text, m_content);
    if (title) {
        label->setFont(PanelSupport::font(12, QFont::DemiBold));
        label->setObjectName(QStringLiteral("helpSectionTitle"));
        // A little room above every section but the first.
        if (m_stack->count() > 0) {
            m_stack->addSpacing(6);
        }
    }
    if (secondary) {
        QPalette colors = label->palette();
        colors.setColor(QPalette::WindowText, Appearances::secondaryText(colors));
        label->setPalette(colors);
    }
    m_stack->addWidget(label);
}

QString HelpPanelController::keycapTitle(Action action) const {
    const auto found = m_glyphs.find(action);
    return found == m_glyphs.end() || found->second.isEmpty() ? QStringLiteral("\u2014")
                                                              : found->second;
}

void HelpPanelController::addKeyRow(Action action, const QString& text, bool swatchColumn) {
    constexpr int kDot = 8;
    constexpr int kAfterDot = 6;
    constexpr int kAfterKeycap = 8;
    auto* row = new QWidget(m_content);
    row->setObjectName(QStringLiteral("helpRow"));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (const auto label = PanelSupport::labelOf(action)) {
        layout->addWidget(new LabelDot(*label, row), 0, Qt::AlignVCenter);
        layout->addSpacing(kAfterDot);
    } else if (swatchColumn) {
        // Key caps of a list with colour dots line up with the ones after a dot.
        layout->addSpacing(kDot + kAfterDot);
    }
    auto* keycap = new KeycapButton(action, keycapTitle(action), row);
    keycap->setToolTip(text);
    connect(keycap, &QPushButton::clicked, this, [this, keycap] { keycapPressed(keycap); });
    layout->addWidget(keycap, 0, Qt::AlignVCenter);
    layout->addSpacing(kAfterKeycap);
    layout->addWidget(wrappingLabel(text, row), 1);
    m_keycaps.push_back(keycap);
    m_stack->addWidget(row);
}

void HelpPanelController::refreshKeycaps() {
    for (KeycapButton* keycap : m_keycaps) {
        keycap->setAvailable(!isEnabled || isEnabled(keycap->command()));
    }
}

void HelpPanelController::keycapPressed(KeycapButton* keycap) {
    const Action action = keycap->command();
    if (isEnabled && !isEnabled(action)) {
        refreshKeycaps();
        if (beep) {
            beep();
        }
        return;
    }
    if (run) {
        run(action);
    }
}

void HelpPanelController::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_stale) {
        reload();
    }
}

void HelpPanelController::searchEdited() {
    m_showsAll = false;
    if (!m_search->text().isEmpty()) {
        m_topic.reset();
    }
    reload();
}

void HelpPanelController::chooseTopic(HelpTopic topic) {
    m_topic = m_topic == topic ? std::nullopt : std::optional(topic);
    m_showsAll = false;
    const QSignalBlocker blocker(m_search);
    m_search->clear();
    reload();
    m_scroll->verticalScrollBar()->setValue(0);
}

void HelpPanelController::showAll() {
    m_showsAll = true;
    const QSignalBlocker blocker(m_search);
    m_search->clear();
    reload();
    m_scroll->verticalScrollBar()->setValue(0);
}

void HelpPanelController::focusSearch() {
    m_search->setFocus(Qt::ShortcutFocusReason);
    m_search->selectAll();
}

QStringList HelpPanelController::shownTexts() const {
    QStringList texts;
    for (int i = 0; i < m_stack->count(); ++i) {
        const QWidget* widget = m_stack->itemAt(i)->widget();
        if (const auto* label = qobject_cast<const QLabel*>(widget)) {
            texts.append(label->text());
        } else if (widget) {
            for (const QLabel* text : widget->findChildren<QLabel*>()) {
                texts.append(text->text());
            }
        }
    }
    return texts;
}

} // namespace velmora

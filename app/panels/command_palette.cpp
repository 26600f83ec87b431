#include "app/panels/command_palette.hpp"

#include "app/panels/panel_support.hpp"
#include "app/platform/appearance.hpp"
#include "app/platform/keyboard_layout.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/preferences.hpp"
#include "core/commands/command_registry.hpp"
#include "core/commands/key_map.hpp"

#include <QApplication>
#include <QGraphicsDropShadowEffect>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <map>

namespace velmora {
namespace {

constexpr int kHeadingRole = Qt::UserRole + 1;
constexpr int kActionRole = Qt::UserRole + 2;
constexpr int kKeyRole = Qt::UserRole + 3;
constexpr int kCommandHeight = 28;
constexpr int kHeadingHeight = 24;

// Draws a heading in small secondary text and a command as its title with the shortcut at the
// right; commands that cannot run now are drawn faint.
class PaletteRowDelegate : public QStyledItemDelegate {
public:
    PaletteRowDelegate(const CommandPaletteController& palette, QObject* parent)
        : QStyledItemDelegate(parent), m_palette(palette) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const bool heading = index.data(kHeadingRole).toBool();
        return {option.rect.width(), heading ? kHeadingHeight : kCommandHeight};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        // Headings are disabled rows; they are still drawn in the active colours.
        QPalette palette = option.palette;
        palette.setCurrentColorGroup(QPalette::Active);
        const QRect rect = option.rect.adjusted(6, 0, -6, 0);
        const QString title = index.data(Qt::DisplayRole).toString();
        if (index.data(kHeadingRole).toBool()) {
            painter->setFont(PanelSupport::font(11, QFont::Medium));
            painter->setPen(Appearances::secondaryText(palette));
            const QRect text = rect.adjusted(4, 0, -4, -3);
            painter->drawText(
                text, Qt::AlignLeft | Qt::AlignBottom,
                painter->fontMetrics().elidedText(title, Qt::ElideRight, text.width()));
            painter->restore();
            return;
        }
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        if (selected) {
            QPainterPath path;
            path.addRoundedRect(QRectF(rect).adjusted(0, 1, 0, -1), 6, 6);
            painter->fillPath(path, palette.color(QPalette::Highlight));
        }
        const auto action = static_cast<Action>(index.data(kActionRole).toInt());
        const bool enabled = !m_palette.isEnabled || m_palette.isEnabled(action);
        QColor titleColor = palette.color(QPalette::Text);
        QColor keyColor = Appearances::secondaryText(palette);
        if (selected) {
            titleColor = palette.color(QPalette::HighlightedText);
            keyColor = titleColor;
            keyColor.setAlphaF(0.8f);
        }
        if (!enabled) {
            titleColor = selected ? keyColor : PanelSupport::tertiaryText(palette);
            keyColor = titleColor;
        }
        const QString key = index.data(kKeyRole).toString();
        painter->setFont(PanelSupport::font(12));
        const int keyWidth = key.isEmpty() ? 0 : painter->fontMetrics().horizontalAdvance(key);
        const QRect keyRect(rect.right() - 8 - keyWidth, rect.top(), keyWidth, rect.height());
        painter->setPen(keyColor);
        painter->drawText(keyRect, Qt::AlignRight | Qt::AlignVCenter, key);
        painter->setFont(PanelSupport::font(13));
        painter->setPen(titleColor);
        // The title keeps at least 12 pixels from the shortcut.
        const QRect titleRect(rect.left() + 8, rect.top(),
                              std::max(0, keyRect.left() - 12 - rect.left() - 8), rect.height());
        painter->drawText(
            titleRect, Qt::AlignLeft | Qt::AlignVCenter,
            painter->fontMetrics().elidedText(title, Qt::ElideRight, titleRect.width()));
        painter->restore();
    }

private:
    const CommandPaletteController& m_palette;
};

// The localised heading of a palette group.
QString groupTitle(const std::string& id) {
    if (id == "labels") {
        return localized(std::string_view("menu.format.labels"));
    }
    if (id == "view") {
        return localized(std::string_view("menu.view"));
    }
    return localized(QStringLiteral("palette.group.") + QString::fromStdString(id));
}

} // namespace

CommandPaletteController::CommandPaletteController(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("commandPalette"));
    setAttribute(Qt::WA_TranslucentBackground);
    beep = [] { QApplication::beep(); };
    auto* shadow = new QGraphicsDropShadowEffect(this);
    shadow->setBlurRadius(28);
    shadow->setOffset(0, 6);
    shadow->setColor(QColor(0, 0, 0, 90));
    setGraphicsEffect(shadow);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 6);
    layout->setSpacing(8);
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("palette.search"));
    m_search->setAccessibleName(QStringLiteral("palette.search"));
    m_search->setFont(PanelSupport::font(15));
    m_search->setFrame(false);
    m_search->setClearButtonEnabled(true);
    m_search->setAttribute(Qt::WA_MacShowFocusRect, false);
    m_search->setMinimumHeight(30);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("palette.list"));
    m_list->setAccessibleName(QStringLiteral("palette.list"));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setUniformItemSizes(false);
    m_list->setItemDelegate(new PaletteRowDelegate(*this, m_list));
    m_list->viewport()->setAutoFillBackground(false);
    m_list->setStyleSheet(QStringLiteral("QListWidget { background: transparent; }"));
    layout->addWidget(m_search);
    layout->addWidget(m_list, 1);

    connect(m_search, &QLineEdit::textChanged, this, [this] { rebuildRows(); });
    connect(m_list, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { activate(m_list->row(item)); });
    m_search->installEventFilter(this);
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this,
                           [this](QWidget*, QWidget* now) { focusChanged(now); });
    resize(kWidth, kHeight);
    hide();
}

CommandPaletteController::~CommandPaletteController() {
    // The focus moves while the widgets go; this is no longer the palette then.
    disconnect(m_focusWatch);
}

QString CommandPaletteController::shortcutText(const Command& command) {
    return command.chord ? Localization::chordText(*command.chord) : QString();
}

void CommandPaletteController::open(const HelpDocument& help,
                                    const EditorPreferences& preferences) {
    m_all = CommandRegistry::palette(help, preferences);
    m_search->setPlaceholderText(localized(std::string_view("help.search")));
    {
        const QSignalBlocker blocker(m_search);
        m_search->clear();
    }
    rebuildRows();
    place();
    show();
    raise();
    m_search->setFocus(Qt::PopupFocusReason);
}

void CommandPaletteController::place() {
    QWidget* host = parentWidget();
    if (!host) {
        return;
    }
    // 96 pixels below the top of the window, centred on the window.
    const QWidget* top = host->window();
    const QPoint origin = host->mapFrom(top, QPoint(0, kTopOffset));
    const int width = std::min(kWidth, std::max(0, host->width() - 16));
    const int height = std::min(kHeight, std::max(0, host->height() - std::max(0, origin.y())));
    const int x = host->mapFrom(top, QPoint(top->width() / 2, 0)).x() - width / 2;
    setGeometry(std::clamp(x, 0, std::max(0, host->width() - width)), std::max(0, origin.y()),
                width, height);
}

void CommandPaletteController::dismiss(bool refocus) {
    if (isHidden()) {
        return;
    }
    hide();
    if (refocus && refocusParent) {
        refocusParent();
    }
}

std::vector<Action> CommandPaletteController::recentActions() const {
    std::vector<Action> recent;
    for (const QString& raw : Preferences().commandPaletteRecent()) {
        const auto action = actionFromRawValue(raw.toStdString());
        if (!action || std::find(recent.begin(), recent.end(), *action) != recent.end()) {
            continue;
        }
        const bool offered = std::any_of(m_all.begin(), m_all.end(),
                                         [&](const Command& c) { return c.action == *action; });
        if (offered) {
            recent.push_back(*action);
        }
    }
    return recent;
}

void CommandPaletteController::rebuildRows() {
    m_rows.clear();
    const QString query = m_search->text().trimmed();
    if (query.isEmpty()) {
        std::map<Action, const Command*> byAction;
        for (const Command& command : m_all) {
            byAction.emplace(command.action, &command);
        }
        const auto recent = recentActions();
        if (!recent.empty()) {
            m_rows.push_back({localized(std::string_view("palette.recent")), std::nullopt});
            for (Action action : recent) {
                m_rows.push_back({{}, *byAction.at(action)});
            }
        }
        std::string group;
        for (const Command& command : m_all) {
            const auto* paletteGroup = CommandRegistry::paletteGroup(command.action);
            const std::string id = paletteGroup ? paletteGroup->id : std::string();
            if (m_rows.empty() || id != group) {
                m_rows.push_back({groupTitle(id), std::nullopt});
                group = id;
            }
            m_rows.push_back({{}, command});
        }
    } else {
        // What the rows show is searchable, as are the English names of the keys.
        std::map<Action, std::string> shown;
        for (const Command& command : m_all) {
            shown.emplace(command.action, shortcutText(command).toStdString());
        }
        for (Command& command : CommandRegistry::search(m_all, query.toStdString(), shown)) {
            m_rows.push_back({{}, std::move(command)});
        }
    }

    m_list->clear();
    int first = -1;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const Row& row = m_rows[i];
        auto* item = new QListWidgetItem(m_list);
        if (row.isHeading()) {
            item->setText(row.heading);
            item->setData(kHeadingRole, true);
            item->setFlags(Qt::NoItemFlags);
        } else {
            item->setText(QString::fromStdString(row.command->title));
            item->setData(kActionRole, static_cast<int>(row.command->action));
            item->setData(kKeyRole, shortcutText(*row.command));
            item->setToolTip(item->text());
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            if (first < 0) {
                first = static_cast<int>(i);
            }
        }
    }
    if (first >= 0) {
        selectRow(first);
    }
    // The heading above the first command shows too.
    if (first <= 1) {
        m_list->scrollToTop();
    }
}

int CommandPaletteController::selectedRow() const {
    return m_list->currentRow();
}

void CommandPaletteController::selectRow(int row) {
    m_list->setCurrentRow(row);
    m_list->scrollToItem(m_list->item(row));
}

// Down: the next command row; Up: the previous one, or the top of the list (so that the heading
// above the first command shows) when there is none.
void CommandPaletteController::moveSelection(int step) {
    const int count = static_cast<int>(m_rows.size());
    for (int row = selectedRow() + step; row >= 0 && row < count; row += step) {
        if (!m_rows[static_cast<std::size_t>(row)].isHeading()) {
            selectRow(row);
            return;
        }
    }
    if (step < 0) {
        m_list->scrollToTop();
    }
}

void CommandPaletteController::activate(int row) {
    if (row < 0 || row >= static_cast<int>(m_rows.size()) ||
        m_rows[static_cast<std::size_t>(row)].isHeading()) {
        return;
    }
    const Action action = m_rows[static_cast<std::size_t>(row)].command->action;
    if (isEnabled && !isEnabled(action)) {
        if (beep) {
            beep();
        }
        m_list->viewport()->update();
        return;
    }
    QStringList stored;
    for (Action entry : CommandRegistry::recordRecent(action, recentActions())) {
        stored.append(QString::fromUtf8(rawValue(entry)));
    }
    Preferences().setStringList(PreferenceKeys::commandPaletteRecent, stored);
    dismiss(true);
    if (run) {
        run(action);
    }
}

void CommandPaletteController::focusChanged(QWidget* now) {
    // Clicking anywhere else (or leaving the application) closes the palette; the focus stays
    // where the click put it.
    if (isVisible() && (!now || !isAncestorOf(now))) {
        dismiss(false);
    }
}

bool CommandPaletteController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_search && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Down:
            moveSelection(+1);
            return true;
        case Qt::Key_Up:
            moveSelection(-1);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            activate(selectedRow());
            return true;
        case Qt::Key_Escape:
            dismiss(true);
            return true;
        default:
            break;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void CommandPaletteController::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 16, 16);
    const QPalette& colors = palette();
    painter.fillPath(path, colors.color(QPalette::Window));
    QColor edge = colors.color(QPalette::Text);
    edge.setAlphaF(0.15f);
    painter.setPen(QPen(edge, 1));
    painter.drawPath(path);
    // A thin rule under the search field.
    const int rule = m_search->geometry().bottom() + 4;
    painter.drawLine(QPointF(12, rule + 0.5), QPointF(width() - 12, rule + 0.5));
}

} // namespace velmora

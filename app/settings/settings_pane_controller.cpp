#include "app/settings/settings_pane_controller.hpp"

#include "app/panels/panel_support.hpp"
#include "app/platform/localization.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace velmora {
namespace {

constexpr int kSpacing = 10;
constexpr int kInsetTop = 20;
constexpr int kInsetSide = 24;
constexpr int kMaxWidth = 500;
constexpr int kNoteWidth = 280;
constexpr double kNotePoints = 11;

// A wrapping note at most kNoteWidth wide. The grid asks for the height at its column's width;
// the note answers for the narrower width it is actually given, so no line is cut off.
class NoteLabel : public QLabel {
public:
    explicit NoteLabel(const QString& text) : QLabel(text) {
        setWordWrap(true);
        setMaximumWidth(kNoteWidth);
    }
    [[nodiscard]] int heightForWidth(int width) const override {
        return QLabel::heightForWidth(std::min(width, kNoteWidth));
    }
};

} // namespace

SettingsPaneController::SettingsPaneController(QWidget* parent) : QScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    // Tab walks the controls, never the scrolling area around them.
    setFocusPolicy(Qt::NoFocus);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // No background of its own: the pane shows the tab's.
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);

    auto* content = new QWidget;
    content->setAutoFillBackground(false);
    auto* outer = new QHBoxLayout(content);
    outer->setContentsMargins(kInsetSide, kInsetTop, kInsetSide, kInsetTop);
    auto* column = new QWidget(content);
    column->setMaximumWidth(kMaxWidth);
    auto* stack = new QVBoxLayout(column);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(kSpacing);
    m_grid = new QGridLayout;
    m_grid->setVerticalSpacing(kSpacing);
    m_grid->setHorizontalSpacing(8);
    m_grid->setColumnStretch(1, 1);
    stack->addLayout(m_grid);
    stack->addStretch(1);
    outer->addStretch(1);
    outer->addWidget(column, 100);
    outer->addStretch(1);
    setWidget(content);
}

void SettingsPaneController::relocalize() {
    for (const Text& text : std::as_const(m_texts)) {
        if (!text.target) {
            continue;
        }
        const QString shown = localized(text.key);
        if (auto* label = qobject_cast<QLabel*>(text.target)) {
            label->setText(shown);
        } else if (auto* check = qobject_cast<QCheckBox*>(text.target)) {
            check->setAccessibleName(shown);
        } else if (auto* button = qobject_cast<QAbstractButton*>(text.target)) {
            button->setText(mnemonicSafe(shown));
        }
    }
    for (const Items& items : std::as_const(m_items)) {
        if (!items.choice) {
            continue;
        }
        for (int i = 0; i < items.keys.size(); ++i) {
            items.choice->setItemText(i, localized(items.keys.at(i)));
        }
        // The menu keeps the width of its old texts until its size policy is set anew.
        items.choice->setSizeAdjustPolicy(QComboBox::AdjustToContentsOnFirstShow);
        items.choice->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    }
    fitWidth();
}

void SettingsPaneController::fitWidth() {
    // Never narrower than the rows need in this language: the window widens with the pane.
    setMinimumWidth(widget()->sizeHint().width());
}

int SettingsPaneController::nextRow() const {
    // rowCount() is at least one even for an empty grid.
    return m_grid->count() == 0 ? 0 : m_grid->rowCount();
}

void SettingsPaneController::setText(QObject* target, const QString& key) {
    m_texts.append({target, key});
}

QComboBox* SettingsPaneController::addChoice(const QString& labelKey, const QStringList& itemKeys,
                                             const QStringList& values) {
    const int row = nextRow();
    auto* label = new QLabel(localized(labelKey));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setText(label, labelKey);
    auto* choice = new QComboBox;
    choice->setObjectName(labelKey);
    choice->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    for (int i = 0; i < itemKeys.size(); ++i) {
        choice->addItem(localized(itemKeys.at(i)), values.value(i));
    }
    m_items.append({choice, itemKeys});
    label->setBuddy(choice);
    m_grid->addWidget(label, row, 0);
    m_grid->addWidget(choice, row, 1, Qt::AlignLeft);
    return choice;
}

QCheckBox* SettingsPaneController::addCheck(const QString& key) {
    // A check box does not wrap its text: the box stands alone and a wrapping label beside it
    // carries the text, and clicking the label ticks the box as clicking its text would.
    auto* row = new QWidget;
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(4);
    auto* check = new QCheckBox;
    check->setObjectName(key);
    check->setAccessibleName(localized(key));
    auto* label = new QLabel(localized(key));
    label->setWordWrap(true);
    label->setBuddy(check);
    label->installEventFilter(this);
    m_checkLabels.insert(label, check);
    setText(label, key);
    setText(check, key);
    line->addWidget(check, 0, Qt::AlignTop);
    line->addWidget(label, 1);
    m_grid->addWidget(row, nextRow(), 1);
    return check;
}

bool SettingsPaneController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        if (QCheckBox* check = m_checkLabels.value(watched); check && check->isEnabled()) {
            check->click();
            return true;
        }
    }
    return QScrollArea::eventFilter(watched, event);
}

QPushButton* SettingsPaneController::addButton(const QString& key) {
    auto* button = new QPushButton(mnemonicSafe(localized(key)));
    button->setObjectName(key);
    button->setAutoDefault(false);
    setText(button, key);
    m_grid->addWidget(button, nextRow(), 1, Qt::AlignLeft);
    return button;
}

QLabel* SettingsPaneController::addValue() {
    auto* label = new QLabel;
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    m_grid->addWidget(label, nextRow(), 1);
    return label;
}

QLabel* SettingsPaneController::addNote(const QString& key) {
    auto* note = new NoteLabel(localized(key));
    note->setObjectName(key);
    note->setFont(PanelSupport::font(kNotePoints));
    note->setForegroundRole(QPalette::PlaceholderText);
    setText(note, key);
    note->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    // The note's maximum width would also cap the grid's column: it sits in a row of its own.
    auto* place = new QWidget;
    auto* line = new QHBoxLayout(place);
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(note, 1);
    line->addStretch(0);
    m_grid->addWidget(place, nextRow(), 1);
    return note;
}

void SettingsPaneController::select(QComboBox* choice, const QString& value,
                                    const QString& fallback) {
    int index = choice->findData(value);
    if (index < 0) {
        index = choice->findData(fallback);
    }
    choice->setCurrentIndex(index);
}

QString SettingsPaneController::value(const QComboBox* choice) {
    return choice->currentData().toString();
}

void SettingsPaneController::showEvent(QShowEvent* event) {
    refresh();
    QScrollArea::showEvent(event);
}

} // namespace velmora

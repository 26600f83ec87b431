#include "app/panels/properties_controller.hpp"

#include "app/panels/panel_support.hpp"
#include "app/panels/swatch_button.hpp"
#include "app/platform/appearance.hpp"
#include "app/platform/localization.hpp"
#include "app/views/note_renderer.hpp"
#include "app/views/spell_highlighter.hpp"
#include "core/commands/command_registry.hpp"
#include "core/formats/note_markdown.hpp"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QFocusEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimeZone>
#include <QUrl>
#include <QVBoxLayout>

namespace velmora {
namespace {

QString qText(const std::string& text) {
    return QString::fromStdString(text);
}

// The text of a field as the item holds it. The raw text keeps the non-breaking spaces that
// the plain-text form turns into blanks; line breaks are paragraph separators there and "\n"
// in the item.
QString rawText(const QTextDocument& document) {
    QString text = document.toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'))
        .replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

std::string stdText(const QTextDocument& document) {
    return rawText(document).toStdString();
}

// Focus that moves away for a moment (a context menu over the field, another window or
// application) does not end typing. A panel of this window that takes the keys (the command
// palette, the jump panel) ends it, whatever reason it gives: the selection may move next.
bool endsEditing(const QFocusEvent& event) {
    if (event.reason() == Qt::ActiveWindowFocusReason) {
        return false;
    }
    return event.reason() != Qt::PopupFocusReason || !QApplication::activePopupWidget();
}

} // namespace

PropertiesController::PropertiesController(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("propertiesPane"));
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(12, 10, 12, 16);
    stack->setSpacing(10);

    auto* titleBox = new QVBoxLayout;
    titleBox->setSpacing(4);
    titleBox->addWidget(caption("properties.title", true));
    m_titleField = new QPlainTextEdit(this);
    m_titleField->setObjectName(QStringLiteral("properties.title"));
    m_titleField->setFont(PanelSupport::font(13));
    m_titleField->setTabChangesFocus(true);
    m_titleField->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_titleField->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_titleField->setFixedHeight(QFontMetrics(m_titleField->font()).lineSpacing() * 2 + 14);
    m_titleField->installEventFilter(this);
    m_titleSpelling = SpellHighlighter::attach(m_titleField);
    titleBox->addWidget(m_titleField);
    stack->addLayout(titleBox);

    m_checked = new QCheckBox(this);
    m_checked->setObjectName(QStringLiteral("properties.checked"));
    m_checked->setFocusPolicy(Qt::TabFocus);
    connect(m_checked, &QCheckBox::clicked, this, [this] {
        // The box shows the item's state; the action decides.
        m_checked->setChecked(m_shown && m_shown->checked);
        run(Action::toggleCheck);
    });
    stack->addWidget(m_checked);

    auto* labelBox = new QVBoxLayout;
    labelBox->setSpacing(4);
    labelBox->addWidget(caption("properties.label", true));
    m_swatches = new QWidget(this);
    auto* swatchRow = new QHBoxLayout(m_swatches);
    swatchRow->setContentsMargins(0, 0, 0, 0);
    swatchRow->setSpacing(6);
    for (const auto& group : CommandRegistry::paletteGroups()) {
        if (group.id != "labels") {
            continue;
        }
        for (Action action : group.actions) {
            auto* swatch = new SwatchButton(action, PanelSupport::labelOf(action), m_swatches);
            swatch->setToolTip(localized(std::string_view(catalogKey(action))));
            connect(swatch, &SwatchButton::clicked, this, [this, action] { run(action); });
            swatchRow->addWidget(swatch);
            m_swatchButtons.push_back(swatch);
        }
    }
    swatchRow->addStretch(1);
    labelBox->addWidget(m_swatches);
    stack->addLayout(labelBox);

    auto* noteBox = new QVBoxLayout;
    noteBox->setSpacing(4);
    noteBox->addWidget(caption("properties.note", true));
    m_noteView = new QTextEdit(this);
    m_noteView->setObjectName(QStringLiteral("properties.note"));
    m_noteView->setAcceptRichText(false);
    m_noteView->setFont(PanelSupport::font(13));
    m_noteView->setTabChangesFocus(true);
    m_noteView->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_noteView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_noteView->setMinimumHeight(80);
    m_noteView->document()->setDocumentMargin(4);
    m_noteView->installEventFilter(this);
    m_noteView->viewport()->installEventFilter(this);
    m_noteSpelling = SpellHighlighter::attach(m_noteView);
    noteBox->addWidget(m_noteView, 1);
    stack->addLayout(noteBox, 1);

    auto* facts = new QGridLayout;
    facts->setHorizontalSpacing(8);
    facts->setVerticalSpacing(4);
    auto factRow = [&](const char* key, QLabel*& value) {
        const int row = facts->rowCount();
        QLabel* name = caption(key, false);
        facts->addWidget(name, row, 0, Qt::AlignLeft | Qt::AlignVCenter);
        value = new QLabel(this);
        value->setObjectName(QString::fromUtf8(key));
        value->setFont(PanelSupport::font(12));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        facts->addWidget(value, row, 1, Qt::AlignLeft | Qt::AlignVCenter);
    };
    factRow("properties.created", m_createdLabel);
    factRow("properties.modified", m_modifiedLabel);
    factRow("properties.children", m_childrenLabel);
    facts->setColumnStretch(1, 1);
    stack->addLayout(facts);

    connect(m_titleField, &QPlainTextEdit::textChanged, this, &PropertiesController::titleEdited);
    connect(m_noteView, &QTextEdit::textChanged, this, &PropertiesController::noteEdited);
    relocalize();
    show(std::nullopt);
}

QLabel* PropertiesController::caption(const char* key, bool upperCased) {
    auto* label = new QLabel(this);
    label->setFont(PanelSupport::font(11, upperCased ? QFont::DemiBold : QFont::Normal));
    QPalette colors = label->palette();
    colors.setColor(QPalette::WindowText, Appearances::secondaryText(colors));
    label->setPalette(colors);
    m_captions.emplace_back(label, key, upperCased);
    return label;
}

void PropertiesController::relocalize() {
    for (const auto& [label, key, upperCased] : m_captions) {
        const QString text = localized(std::string_view(key));
        label->setText(upperCased ? Localization::locale().toUpper(text) : text);
    }
    m_checked->setText(localized(std::string_view("properties.checked")));
    for (SwatchButton* swatch : m_swatchButtons) {
        swatch->setToolTip(localized(std::string_view(catalogKey(swatch->command()))));
    }
    m_titleField->setPlaceholderText(m_shown ? QString()
                                             : localized(std::string_view("properties.none")));
    m_createdLabel->setText(dateText(m_shown ? m_shown->created : std::nullopt));
    m_modifiedLabel->setText(dateText(m_shown ? m_shown->modified : std::nullopt));
    m_childrenLabel->setText(childrenText(m_shown));
}

void PropertiesController::show(const std::optional<Item>& item) {
    if (item == m_shown && item) {
        return;
    }
    m_shown = item;
    const bool hasItem = item.has_value();
    // Text being typed stays until its editing ends and commits it to its own item: it is
    // never replaced by another item's text while its id is still taken.
    if (!m_editingID) {
        setTitleText(hasItem ? qText(item->text) : QString());
    }
    if (!m_noteID) {
        loadNote(hasItem ? qText(item->note) : QString());
    }
    m_noteView->setReadOnly(!hasItem);
    m_titleField->setPlaceholderText(hasItem ? QString()
                                             : localized(std::string_view("properties.none")));
    m_titleField->setEnabled(hasItem);
    m_checked->setEnabled(hasItem);
    m_checked->setChecked(hasItem && item->checked);
    for (SwatchButton* swatch : m_swatchButtons) {
        swatch->setEnabled(hasItem);
        swatch->setSelected(hasItem && swatch->color() == item->color);
    }
    m_createdLabel->setText(dateText(hasItem ? item->created : std::nullopt));
    m_modifiedLabel->setText(dateText(hasItem ? item->modified : std::nullopt));
    m_childrenLabel->setText(childrenText(item));
}

QString PropertiesController::childrenText(const std::optional<Item>& item) {
    if (!item) {
        return QStringLiteral("\u2014");
    }
    const auto direct = static_cast<long long>(item->children.size());
    const long long all = item->count() - 1;
    if (all == direct) {
        return Localization::count(direct);
    }
    return localizedFormat(QStringLiteral("properties.childrenAll %lld %lld"), {direct, all});
}

QString PropertiesController::dateText(const std::optional<Timestamp>& time) const {
    if (!time) {
        return {};
    }
    const QLocale locale = Localization::locale();
    const QDateTime when = QDateTime::fromSecsSinceEpoch(time->seconds).toLocalTime();
    const QDate today = now().toLocalTime().date();
    QString day;
    if (when.date() == today) {
        day = localized(std::string_view("properties.today"));
    } else if (when.date() == today.addDays(-1)) {
        day = localized(std::string_view("properties.yesterday"));
    } else {
        day = locale.toString(when.date(), QLocale::ShortFormat);
    }
    return day + QStringLiteral(", ") + locale.toString(when.time(), QLocale::ShortFormat);
}

void PropertiesController::setTitleText(const QString& text) {
    if (rawText(*m_titleField->document()) == text) {
        return;
    }
    m_loading = true;
    m_titleField->setPlainText(text);
    m_titleField->moveCursor(QTextCursor::End);
    m_loading = false;
}

void PropertiesController::loadNote(const QString& text) {
    m_loading = true;
    if (rawText(*m_noteView->document()) != text) {
        m_noteView->setPlainText(text);
    }
    // Styling a loaded note is not a step the user could undo.
    m_noteView->document()->setUndoRedoEnabled(false);
    styleNote();
    m_noteView->document()->setUndoRedoEnabled(true);
    m_loading = false;
}

// The note's markdown styled in place, joined to the typing step so that one undo takes both
// back; what is typed next is in the plain note font.
void PropertiesController::styleNote() {
    const bool wasLoading = m_loading;
    m_loading = true;
    const QFont font = PanelSupport::font(13);
    QTextCursor step(m_noteView->document());
    step.joinPreviousEditBlock();
    styleNoteInPlace(*m_noteView->document(), font);
    step.endEditBlock();
    QTextCharFormat typing;
    typing.setFont(font);
    typing.setForeground(QGuiApplication::palette().color(QPalette::Text));
    m_noteView->setCurrentCharFormat(typing);
    m_loading = wasLoading;
}

void PropertiesController::titleEdited() {
    if (m_loading) {
        return;
    }
    if (!m_editingID) {
        if (!m_shown) {
            return;
        }
        m_editingID = m_shown->id;
    }
    preview(*m_editingID, stdText(*m_titleField->document()), false);
}

void PropertiesController::noteEdited() {
    if (m_loading) {
        return;
    }
    styleNote();
    if (!m_noteID) {
        if (!m_shown) {
            return;
        }
        m_noteID = m_shown->id;
    }
    preview(*m_noteID, stdText(*m_noteView->document()), true);
}

void PropertiesController::endTitleEditing() {
    const auto id = std::exchange(m_editingID, std::nullopt);
    if (id) {
        commitTitle(*id, stdText(*m_titleField->document()));
    }
    setTitleText(m_shown ? qText(m_shown->text) : QString());
}

void PropertiesController::endNoteEditing() {
    const auto id = std::exchange(m_noteID, std::nullopt);
    if (id) {
        commitNote(*id, stdText(*m_noteView->document()));
    }
    loadNote(m_shown ? qText(m_shown->note) : QString());
}

void PropertiesController::dropOpenTexts(const std::function<bool(const std::string& id)>& only) {
    if (m_editingID && (!only || only(*m_editingID))) {
        m_editingID.reset();
        setTitleText(m_shown ? qText(m_shown->text) : QString());
    }
    if (m_noteID && (!only || only(*m_noteID))) {
        m_noteID.reset();
        loadNote(m_shown ? qText(m_shown->note) : QString());
    }
}

bool PropertiesController::commitPending() {
    const std::vector<OpenText> texts = openTexts();
    for (const OpenText& open : texts) {
        (open.note ? commitNote : commitTitle)(open.id, open.text);
    }
    return !texts.empty();
}

std::vector<PropertiesController::OpenText> PropertiesController::openTexts() const {
    std::vector<OpenText> texts;
    if (m_editingID) {
        texts.push_back({*m_editingID, stdText(*m_titleField->document()), false});
    }
    if (m_noteID) {
        texts.push_back({*m_noteID, stdText(*m_noteView->document()), true});
    }
    return texts;
}

void PropertiesController::disconnectFromWindow() {
    run = [](Action) {};
    commitTitle = [](const std::string&, const std::string&) {};
    commitNote = [](const std::string&, const std::string&) {};
    preview = [](const std::string&, const std::string&, bool) {};
}

bool PropertiesController::openLinkAt(const QPoint& point) {
    const QString href = m_noteView->anchorAt(point);
    if (href.isEmpty() || !NoteMarkdown::isAllowedLink(href.toStdString())) {
        return false;
    }
    QDesktopServices::openUrl(QUrl(href));
    return true;
}

bool PropertiesController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_titleField) {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const bool returnKey = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
            // Return ends the title; Alt+Return starts a new line in it.
            if (returnKey && key->modifiers().testFlag(Qt::AltModifier)) {
                m_titleField->insertPlainText(QStringLiteral("\n"));
                return true;
            }
            if (returnKey && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
                endTitleEditing();
                return true;
            }
        } else if (event->type() == QEvent::FocusOut &&
                   endsEditing(*static_cast<QFocusEvent*>(event))) {
            endTitleEditing();
        }
    } else if (watched == m_noteView) {
        if (event->type() == QEvent::FocusOut && endsEditing(*static_cast<QFocusEvent*>(event))) {
            endNoteEditing();
        }
    } else if (watched == m_noteView->viewport() && event->type() == QEvent::MouseButtonPress) {
        // Ctrl and a click open a link of the note, as in the editors of the desktop.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && mouse->modifiers().testFlag(Qt::ControlModifier) &&
            openLinkAt(mouse->position().toPoint())) {
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace velmora

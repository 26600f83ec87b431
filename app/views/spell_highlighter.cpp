#include "app/views/spell_highlighter.hpp"

#include "app/platform/localization.hpp"
#include "app/platform/notifications.hpp"
#include "app/platform/preferences.hpp"
#include "app/platform/spell_service.hpp"
#include "core/spelling/spell_checker.hpp"
#include "core/spelling/spell_words.hpp"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextBlockUserData>
#include <QTextDocument>
#include <QTextEdit>
#include <QThreadPool>
#include <QTimer>

#include <vector>

namespace velmora {
namespace {

// A change that adds more text than this (a note loaded or pasted) is checked on a worker.
constexpr int kLongChange = 1000;
// Words not seen before that a smaller change may look up at once.
constexpr int kWordsPerChange = 64;
constexpr int kSuggestions = 5;

// What a block's last check found, kept with the block.
struct BlockMarks : QTextBlockUserData {
    QString text;
    int stamp = 0;
    std::vector<SpellWord> misspelled;
};

std::u16string_view view(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

// The misspelling mark: the desktop's wavy underline in a red that reads on the base colour.
QTextCharFormat markFormat() {
    QTextCharFormat format;
    format.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    const bool dark = QGuiApplication::palette().color(QPalette::Base).lightness() < 128;
    format.setUnderlineColor(dark ? QColor(0xFF, 0x6B, 0x6B) : QColor(0xE0, 0x1B, 0x24));
    return format;
}

} // namespace

SpellHighlighter::SpellHighlighter(QTextDocument* document)
    : QSyntaxHighlighter(static_cast<QObject*>(document)) {
    m_checking = Preferences().checkSpelling();
    // Runs before the highlighter's own handling of the same change.
    connect(document, &QTextDocument::contentsChange, this, &SpellHighlighter::contentsChanging);
    setDocument(document);
    connect(&SpellService::shared(), &SpellService::changed, this, [this] {
        ++m_generation;
        m_pending.clear();
        if (m_highlighting) {
            // Never from inside highlightBlock: the highlighter cannot nest its passes.
            QTimer::singleShot(0, this, &SpellHighlighter::checkAgain);
        } else {
            checkAgain();
        }
    });
    connect(&Notifications::shared(), &Notifications::preferencesChanged, this,
            [this] { setChecking(Preferences().checkSpelling()); });
}

template <class Field> SpellHighlighter* SpellHighlighter::attachTo(Field* field) {
    auto* highlighter = new SpellHighlighter(field->document());
    field->viewport()->installEventFilter(highlighter);
    highlighter->watch(field);
    highlighter->m_contextMenu = [field, highlighter](const QContextMenuEvent& event) {
        // The menu key opens the menu at the caret, a click where it points.
        const bool atCaret = event.reason() == QContextMenuEvent::Keyboard;
        const QPoint point = atCaret ? field->cursorRect().center() : event.pos();
        QMenu* menu = field->createStandardContextMenu(point);
        highlighter->addMenuEntries(menu, atCaret ? field->textCursor().position()
                                                  : field->cursorForPosition(point).position());
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(atCaret ? field->viewport()->mapToGlobal(point) : event.globalPos());
    };
    return highlighter;
}

SpellHighlighter* SpellHighlighter::attach(QTextEdit* field) {
    return attachTo(field);
}

SpellHighlighter* SpellHighlighter::attach(QPlainTextEdit* field) {
    return attachTo(field);
}

template <class Field> void SpellHighlighter::watch(Field* field) {
    m_caret = [field] { return field->hasFocus() ? field->textCursor().position() : -1; };
    connect(field, &Field::cursorPositionChanged, this, &SpellHighlighter::caretMoved);
    field->installEventFilter(this);
}

void SpellHighlighter::followCaret(QPlainTextEdit* field) {
    watch(field);
}

void SpellHighlighter::followCaret(QTextEdit* field) {
    watch(field);
}

void SpellHighlighter::caretMoved() {
    if (!m_held || m_highlighting) {
        return;
    }
    const auto [start, end] = *m_held;
    if (m_caret && m_caret() == end) {
        return;
    }
    m_held.reset();
    const QTextBlock block = document()->findBlock(start);
    if (block.isValid()) {
        m_budget = kWordsPerChange;
        const QSignalBlocker quiet(document());
        rehighlightBlock(block);
    }
}

void SpellHighlighter::setChecking(bool checking) {
    if (checking == m_checking) {
        return;
    }
    m_checking = checking;
    m_pending.clear();
    ++m_generation;
    checkAgain();
}

bool SpellHighlighter::isWaiting() const {
    return m_running > 0 || m_dispatchQueued || !m_pending.empty();
}

void SpellHighlighter::contentsChanging(int /*from*/, int removed, int added) {
    // Formats applied (by this highlighter among others) come as changes of equal length.
    if (removed == added) {
        return;
    }
    m_budget = added > kLongChange ? 0 : kWordsPerChange;
}

void SpellHighlighter::checkAgain() {
    ++m_stamp;
    m_budget = kWordsPerChange;
    // Marks are no edit: the field must not report changed text (the window would take it for
    // typing and the document for unsaved).
    const QSignalBlocker quiet(document());
    rehighlight();
}

void SpellHighlighter::highlightBlock(const QString& text) {
    if (!m_checking) {
        return;
    }
    const QScopedValueRollback highlighting(m_highlighting, true);
    const std::shared_ptr<SpellChecker> checker = SpellService::shared().checker();
    if (!checker) {
        return;
    }
    const int blockStart = currentBlock().position();
    if (m_held && m_held->first >= blockStart && m_held->first < blockStart + text.size() + 1) {
        m_held.reset();
    }
    // A block restyled but not retyped (the inspector restyles its note's markdown on every
    // keystroke) keeps the misspellings found before.
    auto* marks = static_cast<BlockMarks*>(currentBlockUserData());
    if (!marks || marks->stamp != m_stamp || marks->text != text) {
        marks = new BlockMarks;
        marks->text = text;
        marks->stamp = m_stamp;
        const std::u16string_view line = view(text);
        for (const SpellWord& word : SpellWords::checkable(line)) {
            const std::string utf8 = SpellWords::utf8(line, word);
            SpellVerdict verdict = checker->known(utf8);
            if (verdict == SpellVerdict::unknown && m_budget <= 0) {
                m_pending.insert(utf8);
                scheduleDispatch();
                // Checked again when the worker is done (which raises the stamp).
                continue;
            }
            if (verdict == SpellVerdict::unknown) {
                --m_budget;
                verdict =
                    checker->isCorrect(utf8) ? SpellVerdict::correct : SpellVerdict::misspelled;
            }
            if (verdict == SpellVerdict::misspelled) {
                marks->misspelled.push_back(word);
            }
        }
        setCurrentBlockUserData(marks);
    }
    const int caret = m_caret ? m_caret() - blockStart : -1;
    const QTextCharFormat format = markFormat();
    for (const SpellWord& word : marks->misspelled) {
        if (caret >= 0 && static_cast<std::size_t>(caret) == word.end()) {
            m_held = {blockStart + static_cast<int>(word.start), blockStart + caret};
            continue;
        }
        setFormat(static_cast<int>(word.start), static_cast<int>(word.length), format);
    }
}

void SpellHighlighter::scheduleDispatch() {
    if (m_dispatchQueued) {
        return;
    }
    m_dispatchQueued = true;
    QTimer::singleShot(0, this, &SpellHighlighter::dispatch);
}

void SpellHighlighter::dispatch() {
    m_dispatchQueued = false;
    const std::shared_ptr<SpellChecker> checker = SpellService::shared().checker();
    if (!checker || m_pending.empty()) {
        m_pending.clear();
        return;
    }
    std::vector<std::string> words(m_pending.begin(), m_pending.end());
    m_pending.clear();
    const int generation = ++m_generation;
    ++m_running;
    QPointer<SpellHighlighter> self(this);
    QThreadPool::globalInstance()->start([checker, words = std::move(words), generation, self] {
        for (const std::string& word : words) {
            (void)checker->isCorrect(word);
        }
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, generation] {
                if (self) {
                    self->backgroundDone(generation);
                }
            },
            Qt::QueuedConnection);
    });
}

void SpellHighlighter::backgroundDone(int generation) {
    --m_running;
    // A newer dispatch or a new text marks again when its own words are in.
    if (generation == m_generation && m_checking) {
        checkAgain();
    }
}

std::optional<SpellHighlighter::Misspelling> SpellHighlighter::misspellingAt(int position) const {
    const std::shared_ptr<SpellChecker> checker = SpellService::shared().checker();
    if (!m_checking || !checker || !document()) {
        return std::nullopt;
    }
    const QTextBlock block = document()->findBlock(position);
    if (!block.isValid()) {
        return std::nullopt;
    }
    const QString text = block.text();
    const auto word =
        SpellWords::wordAt(view(text), static_cast<std::size_t>(position - block.position()));
    if (!word) {
        return std::nullopt;
    }
    const std::string utf8 = SpellWords::utf8(view(text), *word);
    if (checker->isCorrect(utf8)) {
        return std::nullopt;
    }
    return Misspelling{block.position() + static_cast<int>(word->start),
                       static_cast<int>(word->length), QString::fromStdString(utf8)};
}

void SpellHighlighter::addMenuEntries(QMenu* menu, int position) {
    const auto misspelling = misspellingAt(position);
    const std::shared_ptr<SpellChecker> checker = SpellService::shared().checker();
    if (!misspelling || !checker) {
        return;
    }
    QAction* before = menu->actions().value(0);
    QList<QAction*> entries;
    for (const std::string& suggestion :
         checker->suggestions(misspelling->word.toStdString(), kSuggestions)) {
        const QString correction = QString::fromStdString(suggestion);
        auto* action = new QAction(correction, menu);
        action->setObjectName(QStringLiteral("spellingSuggestion"));
        connect(action, &QAction::triggered, this,
                [this, misspelling, correction] { replace(*misspelling, correction); });
        entries.append(action);
    }
    if (entries.isEmpty()) {
        auto* none = new QAction(localized(std::string_view("spelling.noSuggestions")), menu);
        none->setObjectName(QStringLiteral("spellingNoSuggestions"));
        none->setEnabled(false);
        entries.append(none);
    }
    auto* separator = new QAction(menu);
    separator->setSeparator(true);
    entries.append(separator);
    const QString word = misspelling->word;
    auto* add = new QAction(localized(std::string_view("spelling.addToDictionary")), menu);
    add->setObjectName(QStringLiteral("spellingAddToDictionary"));
    connect(add, &QAction::triggered, this,
            [word] { SpellService::shared().addToDictionary(word); });
    auto* ignore = new QAction(localized(std::string_view("spelling.ignore")), menu);
    ignore->setObjectName(QStringLiteral("spellingIgnore"));
    connect(ignore, &QAction::triggered, this, [word] { SpellService::shared().ignore(word); });
    entries.append({add, ignore});
    if (before) {
        auto* closing = new QAction(menu);
        closing->setSeparator(true);
        entries.append(closing);
    }
    menu->insertActions(before, entries);
}

void SpellHighlighter::replace(const Misspelling& misspelling, const QString& correction) {
    QTextCursor cursor(document());
    cursor.setPosition(misspelling.position);
    cursor.setPosition(misspelling.position + misspelling.length, QTextCursor::KeepAnchor);
    // The text may have changed while the menu was open.
    if (cursor.selectedText() != misspelling.word) {
        return;
    }
    cursor.insertText(correction);
}

bool SpellHighlighter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        caretMoved();
    } else if (event->type() == QEvent::ContextMenu && m_contextMenu) {
        m_contextMenu(*static_cast<QContextMenuEvent*>(event));
        return true;
    }
    return QSyntaxHighlighter::eventFilter(watched, event);
}

} // namespace velmora

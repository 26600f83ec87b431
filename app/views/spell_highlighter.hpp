#pragma once

#include <QSyntaxHighlighter>

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>

class QContextMenuEvent;
class QMenu;
class QPlainTextEdit;
class QTextEdit;

namespace velmora {

// Continuous spell checking of one text document, while "checkSpelling" is on: misspelled
// words get the desktop's wavy underline. Only the blocks a change touches are checked again,
// and a word is looked up once (the checker remembers). When a change brings in much new text
// (a long note loaded or pasted), the words not seen before are looked up on a worker thread;
// the marks follow when it is done, unless newer text made them stale.
class SpellHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    explicit SpellHighlighter(QTextDocument* document);

    // Checks the field's text, and adds the spelling entries to its context menu.
    static SpellHighlighter* attach(QTextEdit* field);
    static SpellHighlighter* attach(QPlainTextEdit* field);
    // Holds back the mark of the word being typed in the field (the caret right after it)
    // until the caret leaves it or the field loses the focus.
    void followCaret(QPlainTextEdit* field);
    void followCaret(QTextEdit* field);

    // A misspelled word of the document.
    struct Misspelling {
        int position = 0;
        int length = 0;
        QString word;
    };
    // The misspelled word at a position of the document (inside it or right after it).
    [[nodiscard]] std::optional<Misspelling> misspellingAt(int position) const;
    // When the position is in a misspelled word, puts its corrections (at most five), "Add to
    // Dictionary" and "Ignore" at the top of the menu.
    void addMenuEntries(QMenu* menu, int position);

    // Whether words are checked ("checkSpelling").
    [[nodiscard]] bool isChecking() const { return m_checking; }
    void setChecking(bool checking);
    // Whether words wait for the worker thread (tests wait for it).
    [[nodiscard]] bool isWaiting() const;

protected:
    void highlightBlock(const QString& text) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void contentsChanging(int from, int removed, int added);
    void checkAgain();
    void scheduleDispatch();
    void dispatch();
    void backgroundDone(int generation);
    void replace(const Misspelling& misspelling, const QString& correction);
    void caretMoved();
    template <class Field> void watch(Field* field);
    template <class Field> static SpellHighlighter* attachTo(Field* field);

    bool m_checking = true;
    bool m_highlighting = false;
    // Words not seen before that may still be looked up on the event loop in this change.
    int m_budget = 0;
    // Words waiting for the worker thread.
    std::set<std::string> m_pending;
    bool m_dispatchQueued = false;
    int m_running = 0;
    // Raised by every dispatch and by a change of dictionary or preference: a worker's result
    // is applied only if it is still the newest.
    int m_generation = 0;
    // The caret's position in the document while the field has the focus, else -1.
    std::function<int()> m_caret;
    // The misspelled word being typed, not marked yet (document positions).
    std::optional<std::pair<int, int>> m_held;
    // Raised whenever verdicts may have changed (a dictionary, a word added, a worker's result,
    // the preference): a block's remembered marks count only with the current stamp.
    int m_stamp = 0;
    // Opens the field's context menu with the spelling entries (set by `attach`).
    std::function<void(const QContextMenuEvent& event)> m_contextMenu;
};

} // namespace velmora

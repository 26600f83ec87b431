// Spell checking while typing, with Debian's English dictionary: one keystroke in a 2,000-
// character note (one paragraph, or twenty), with checking on and off, the event-loop share of
// loading a long note (its words are looked up on a worker), and the words of a line.
#include "app/panels/properties_controller.hpp"
#include "app/platform/spell_service.hpp"
#include "app/views/item_text_editor.hpp"
#include "app/views/spell_highlighter.hpp"
#include "core/spelling/spell_checker.hpp"
#include "core/spelling/spell_words.hpp"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextCursor>
#include <QTextEdit>

#include "bench/qt_bench_main.hpp"
#include <benchmark/benchmark.h>

#include <random>

using namespace velmora;

namespace {

const QString kSentence = QStringLiteral(
    "Pack the tent, the stove and two warm jackets before the trip; remember the passport "
    "and check the tyres of the car, becuase the road to the lake is long and rough. ");

// About `size` characters of English prose in `paragraphs` paragraphs.
QString prose(int size, int paragraphs) {
    QString text;
    const int perParagraph = size / paragraphs;
    for (int p = 0; p < paragraphs; ++p) {
        QString paragraph;
        while (paragraph.size() < perParagraph) {
            paragraph += kSentence;
        }
        paragraph.truncate(perParagraph);
        text += paragraph;
        if (p + 1 < paragraphs) {
            text += QLatin1Char('\n');
        }
    }
    return text;
}

bool waitForDictionary() {
    QElapsedTimer timer;
    timer.start();
    while (!SpellService::shared().checker() && timer.elapsed() < 30'000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return SpellService::shared().checker() != nullptr;
}

void waitForChecks(const SpellHighlighter& spelling) {
    while (spelling.isWaiting()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

// Types into the middle of a 2,000-character note in the field: every keystroke makes a word
// the checker has not seen. Every 400 keystrokes the note is loaded again (not timed).
template <class Field>
void typeIntoNote(benchmark::State& state, Field& field, SpellHighlighter& spelling,
                  unsigned seed) {
    spelling.setChecking(state.range(0) != 0);
    const QString base = prose(2000, static_cast<int>(state.range(1)));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> letter(0, 25);
    int typed = 0;
    auto reset = [&] {
        field.setPlainText(base);
        waitForChecks(spelling);
        QTextCursor cursor = field.textCursor();
        cursor.setPosition(base.size() / 2);
        field.setTextCursor(cursor);
        typed = 0;
    };
    reset();
    for (auto _ : state) {
        const QString key =
            typed % 7 == 0 ? QStringLiteral(" ") : QString(QChar(u'a' + letter(random)));
        field.textCursor().insertText(key);
        if (++typed == 400) {
            state.PauseTiming();
            reset();
            state.ResumeTiming();
        }
    }
}

// The item editor editing a note.
void BM_SpellKeystroke(benchmark::State& state) {
    if (!waitForDictionary()) {
        state.SkipWithError("no English dictionary installed");
        return;
    }
    ItemTextEditor editor;
    editor.resize(400, 300);
    editor.show();
    typeIntoNote(state, editor, *editor.spelling(), 7);
}
BENCHMARK(BM_SpellKeystroke)
    ->ArgsProduct({{0, 1}, {1, 20}})
    ->ArgNames({"checking", "paragraphs"})
    ->Unit(benchmark::kMicrosecond);

// The inspector's note, which also restyles its markdown on every keystroke.
void BM_SpellKeystrokeInInspectorNote(benchmark::State& state) {
    if (!waitForDictionary()) {
        state.SkipWithError("no English dictionary installed");
        return;
    }
    PropertiesController properties;
    properties.resize(300, 600);
    properties.QWidget::show();
    properties.show(Item::blank("note", "Trip"));
    properties.noteView()->setFocus();
    typeIntoNote(state, *properties.noteView(), *properties.noteSpelling(), 11);
}
BENCHMARK(BM_SpellKeystrokeInInspectorNote)
    ->ArgsProduct({{0, 1}, {1, 20}})
    ->ArgNames({"checking", "paragraphs"})
    ->Unit(benchmark::kMicrosecond);

// The event loop's part of loading a long note of new words: the look-ups go to a worker.
void BM_SpellLoadLongNote(benchmark::State& state) {
    if (!waitForDictionary()) {
        state.SkipWithError("no English dictionary installed");
        return;
    }
    ItemTextEditor editor;
    editor.spelling()->setChecking(state.range(1) != 0);
    const int size = static_cast<int>(state.range(0));
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // Fresh words every round, so that none is remembered yet.
        QString text;
        std::mt19937 random(static_cast<unsigned>(++round));
        std::uniform_int_distribution<int> letter(0, 25);
        while (text.size() < size) {
            for (int i = 0; i < 6; ++i) {
                text += QChar(u'a' + letter(random));
            }
            text += QLatin1Char(' ');
        }
        state.ResumeTiming();
        editor.load(text);
        state.PauseTiming();
        waitForChecks(*editor.spelling());
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SpellLoadLongNote)
    ->ArgsProduct({{2000, 20000}, {0, 1}})
    ->ArgNames({"size", "checking"})
    ->Unit(benchmark::kMicrosecond);

// The words of a 2,000-character line.
void BM_SpellWordsOfLine(benchmark::State& state) {
    const QString line = prose(2000, 1);
    const std::u16string_view text(reinterpret_cast<const char16_t*>(line.utf16()),
                                   static_cast<std::size_t>(line.size()));
    for (auto _ : state) {
        benchmark::DoNotOptimize(SpellWords::checkable(text));
    }
}
BENCHMARK(BM_SpellWordsOfLine)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return bench::runQtBenchmarks(argc, argv);
}

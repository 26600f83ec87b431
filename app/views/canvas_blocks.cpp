#include "app/views/canvas_blocks.hpp"

#include "app/views/note_renderer.hpp"

#include <QApplication>
#include <QFontMetricsF>
#include <QScreen>
#include <QTextBoundaryFinder>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <vector>

namespace velmora {
namespace {

double logicalDpi() {
    if (auto* screen = QGuiApplication::primaryScreen()) {
        double dpi = screen->logicalDotsPerInchY();
        if (dpi > 0) {
            return dpi;
        }
    }
    return 96;
}

// The note's number of lines and characters, for choosing between the full note and the
// placeholder.
bool isShortNote(const std::string& note) {
    auto lines = 1 + std::count(note.begin(), note.end(), '\n');
    if (lines >= 3) {
        return false;
    }
    return QString::fromStdString(note).toUcs4().size() <= CanvasBlockStyle::fullNoteMaxCharacters;
}

// Whether the title is drawn in the title font alone (no fallback font of another script, whose
// lines may be taller), on one line per hard line break.
bool plainLatin(const QString& title) {
    return std::all_of(title.begin(), title.end(), [](QChar c) { return c.unicode() < 0x0250; });
}

// The widest line of the title set on one line per hard line break, measuring no more of a
// line than `limit` characters (more never fit on one line).
double naturalWidth(const QString& title, const QFontMetricsF& metrics, qsizetype limit) {
    double widest = 0;
    for (const auto& line : title.split(QChar::LineSeparator)) {
        widest = std::max(widest, metrics.horizontalAdvance(line.left(limit)));
    }
    return widest;
}

constexpr QChar kEllipsis(0x2026);
// No character is taken to be narrower than this when bounding what lines can hold.
constexpr double kNarrowestCharacter = 2;

// The title cut after `limit` characters (never inside a surrogate pair), an ellipsis standing
// for the rest; a title at most one character longer stays as it is.
QString cutTitle(QString title, qsizetype limit) {
    if (title.size() <= limit + 1) {
        return title;
    }
    qsizetype keep = limit;
    if (keep > 0 && title.at(keep - 1).isHighSurrogate()) {
        --keep;
    }
    title.truncate(keep);
    return title + kEllipsis;
}

// The length in bytes of the first `count` code points of UTF-8 text.
std::size_t utf8Prefix(const std::string& text, qsizetype count) {
    qsizetype seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && seen++ == count) {
            return i;
        }
    }
    return text.size();
}

// The places where a line of the text may break, in order.
std::vector<qsizetype> breakOpportunities(const QString& text) {
    std::vector<qsizetype> breaks;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Line, text);
    for (qsizetype at = finder.toNextBoundary(); at >= 0; at = finder.toNextBoundary()) {
        breaks.push_back(at);
    }
    return breaks;
}

// Lays the layout's text out in up to `maxLines` lines of the title rectangle's width; returns
// the number of lines.
int fillTitleLines(QTextLayout& layout, const QFont& font, double lineWidth, int maxLines) {
    const QString text = layout.text();
    const auto longestWord = static_cast<qsizetype>(std::ceil(lineWidth / kNarrowestCharacter));
    const std::vector<qsizetype> breaks = breakOpportunities(text);
    QTextOption byWord;
    byWord.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    QTextOption byCharacter = byWord;
    byCharacter.setWrapMode(QTextOption::WrapAnywhere);
    double y = (CanvasBlockStyle::titleLineHeight - QFontMetricsF(font).height()) / 2;
    int lines = 0;
    qsizetype start = 0;
    layout.setTextOption(byWord);
    layout.beginLayout();
    while (lines < maxLines) {
        // A line that starts inside a word longer than any line is filled by character, which
        // breaks it where wrapping at words would: left to wrap at words, the layout looks for
        // the word's end again on every line of it, which costs the square of its length.
        const auto next = std::upper_bound(breaks.begin(), breaks.end(), start);
        const qsizetype wordEnd = next == breaks.end() ? text.size() : *next;
        layout.setTextOption(wordEnd - start > longestWord ? byCharacter : byWord);
        QTextLine line = layout.createLine();
        if (!line.isValid()) {
            break;
        }
        line.setLineWidth(lineWidth);
        line.setPosition(QPointF(CanvasBlockStyle::textInset, y));
        y += line.height();
        ++lines;
        start = line.textStart() + line.textLength();
    }
    layout.endLayout();
    return lines;
}

// The line shortened until an ellipsis after it fits the width.
QString withEllipsis(QString line, const QFont& font, double lineWidth) {
    const QFontMetricsF metrics(font);
    while (!line.isEmpty() && (line.back().isSpace() || line.back() == QChar::LineSeparator)) {
        line.chop(1);
    }
    while (!line.isEmpty() && metrics.horizontalAdvance(line + kEllipsis) > lineWidth) {
        line.chop(line.size() > 1 && line.back().isLowSurrogate() ? 2 : 1);
    }
    return line + kEllipsis;
}

} // namespace

QFont CanvasBlockStyle::font(double size, bool bold) {
    QFont font = QApplication::font();
    font.setPointSizeF(size * 72.0 / logicalDpi());
    font.setBold(bold);
    return font;
}

QFont CanvasBlockStyle::titleFont(const Item& item) {
    QFont font = CanvasBlockStyle::font(titleSize, item.bold);
    font.setUnderline(item.underline);
    return font;
}

QFont CanvasBlockStyle::noteFont() {
    return font(noteSize);
}

qsizetype CanvasBlockStyle::titleCharacterLimit(double width, int lines) {
    const double lineWidth = std::max(1.0, width - 2 * textInset);
    return static_cast<qsizetype>(std::max(1, lines)) *
           static_cast<qsizetype>(std::ceil(lineWidth / kNarrowestCharacter));
}

QString CanvasBlockStyle::titleText(const std::string& text, qsizetype limit) {
    if (limit < 0) {
        return lineSeparated(QString::fromStdString(text));
    }
    // Only what can be shown is converted: a title of a megabyte costs what its lines hold.
    const std::size_t bytes = utf8Prefix(text, limit + 2);
    return cutTitle(lineSeparated(QString::fromUtf8(text.data(), static_cast<qsizetype>(bytes))),
                    limit);
}

int CanvasBlockStyle::layoutTitle(QTextLayout& layout, const QString& text, const QFont& font,
                                  double width, int maxLines) {
    maxLines = std::max(1, maxLines);
    const double lineWidth = std::max(1.0, width - 2 * textInset);
    const QString shown = cutTitle(text, titleCharacterLimit(width, maxLines));
    layout.setText(shown);
    layout.setFont(font);
    int lines = fillTitleLines(layout, font, lineWidth, maxLines);
    if (lines == maxLines) {
        const QTextLine last = layout.lineAt(lines - 1);
        if (last.textStart() + last.textLength() < shown.size()) {
            // More follows than the lines show: the last one ends in an ellipsis.
            layout.setText(
                shown.left(last.textStart()) +
                withEllipsis(shown.mid(last.textStart(), last.textLength()), font, lineWidth));
            lines = fillTitleLines(layout, font, lineWidth, maxLines);
        }
    }
    return std::max(lines, 1);
}

double CanvasBlockStyle::laidOutTitleHeight(const QTextLayout& layout, const QFont& font) {
    const double margin = (titleLineHeight - QFontMetricsF(font).height()) / 2;
    if (layout.lineCount() == 0) {
        return titleLineHeight;
    }
    const QTextLine last = layout.lineAt(layout.lineCount() - 1);
    return std::max(titleLineHeight, last.y() + last.height() + std::max(0.0, margin));
}

NoteShow noteShowFor(const Item& item, const EditorSnapshot& snapshot) {
    return noteShowFor(item, snapshot.showAllNotes, snapshot.editing);
}

NoteShow noteShowFor(const Item& item, bool showAllNotes,
                     const std::optional<EditingTarget>& editing) {
    if (editing && editing->isNote() && editing->id == item.id) {
        return NoteShow::editing;
    }
    if (!showAllNotes || item.note.empty()) {
        return NoteShow::none;
    }
    return isShortNote(item.note) ? NoteShow::full : NoteShow::placeholder;
}

BlockMetrics BlockMeasurer::compute(const Item& item, double nodeWidth, bool labelDot,
                                    NoteShow noteShow) {
    double natural = 0;
    return compute(item, nodeWidth, labelDot, noteShow, natural);
}

BlockMetrics BlockMeasurer::compute(const Item& item, double nodeWidth, bool labelDot,
                                    NoteShow noteShow, double& simpleNatural) {
    using namespace CanvasBlockStyle;
    BlockMetrics m;
    m.leading = labelDot ? leadingWithDot : leading;
    m.noteShow = noteShow;
    const double textWidth = std::max(1.0, nodeWidth - m.leading - 5);

    const QFont font = titleFont(item);
    const QFontMetricsF metrics(font);
    const qsizetype oneLine = titleCharacterLimit(textWidth, 1);
    const QString title = titleText(item.text, titleCharacterLimit(textWidth));
    const double natural = naturalWidth(title, metrics, oneLine + 1);
    const double lineHeight = metrics.height();
    double titleHeight = 0;
    const bool simple =
        title.size() <= oneLine && !title.contains(QChar::LineSeparator) && plainLatin(title);
    simpleNatural = simple ? natural : -1;
    if (natural <= textWidth - 2 * textInset && simple) {
        // One line of the title font: no need to lay it out.
        m.titleLines = 1;
        titleHeight = std::max(titleLineHeight,
                               std::ceil(lineHeight + std::max(0.0, titleLineHeight - lineHeight)));
    } else {
        // Measured by the very layout that draws it: same text, option, width and font.
        QTextLayout layout;
        m.titleLines = layoutTitle(layout, title, font, textWidth);
        titleHeight = std::ceil(laidOutTitleHeight(layout, font));
    }
    m.textRect = QRectF(m.leading, 2, textWidth, titleHeight);
    double bottom = m.textRect.bottom();

    if (noteShow != NoteShow::none) {
        double noteHeight = 0;
        if (noteShow == NoteShow::placeholder) {
            noteHeight = std::ceil(QFontMetricsF(noteFont()).height());
        } else {
            StyledNote note;
            if (noteShow == NoteShow::full) {
                note = renderNote(item.note, noteFont(), Qt::black);
            } else {
                note.text =
                    item.note.empty() ? QStringLiteral(" ") : QString::fromStdString(item.note);
                note.font = noteFont();
            }
            QTextLayout layout;
            noteHeight = layoutNote(layout, note, textWidth);
        }
        m.noteRect = QRectF(m.leading, bottom, textWidth, noteHeight);
        bottom += noteHeight;
    }
    // The stub after the title starts where the title's text ends, never inside the text.
    m.size.width = m.leading + 2 + std::min(natural, textWidth - 4);
    m.size.height = bottom + 2;
    return m;
}

bool BlockMeasurer::sameContent(const Entry& entry, const Item& item, double nodeWidth,
                                bool labelDot, NoteShow noteShow) {
    if (entry.nodeWidth != nodeWidth || entry.labelDot != labelDot || entry.noteShow != noteShow) {
        return false;
    }
    const Item& old = *entry.node;
    return old.text == item.text && old.bold == item.bold && old.underline == item.underline &&
           (noteShow == NoteShow::none || old.note == item.note);
}

const BlockMetrics* BlockMeasurer::find(const ItemList::Node& node, double nodeWidth,
                                        bool labelDot, NoteShow noteShow) {
    // The common case touches neither the item's id nor its texts: the same node as before.
    auto it = m_byNode.find(node.get());
    if (it != m_byNode.end() && it->second.labelDot == labelDot &&
        it->second.noteShow == noteShow) {
        Entry& entry = it->second;
        if (entry.nodeWidth == nodeWidth) {
            return &entry.metrics;
        }
        if (auto metrics = atOtherWidth(entry, nodeWidth)) {
            setWidth(entry, nodeWidth, std::move(*metrics));
            return &entry.metrics;
        }
    }
    if (m_byId.empty()) {
        return nullptr;
    }
    if (auto last = m_byId.find(node->id); last != m_byId.end()) {
        auto old = m_byNode.find(last->second);
        if (old != m_byNode.end() &&
            sameContent(old->second, *node, nodeWidth, labelDot, noteShow)) {
            return &remember(node, nodeWidth, labelDot, noteShow, old->second.metrics,
                             old->second.natural);
        }
    }
    return nullptr;
}

const BlockMetrics& BlockMeasurer::measure(const ItemList::Node& node, double nodeWidth,
                                           bool labelDot, NoteShow noteShow) {
    if (const BlockMetrics* known = find(node, nodeWidth, labelDot, noteShow)) {
        return *known;
    }
    ++m_measured;
    double natural = -1;
    BlockMetrics metrics = compute(*node, nodeWidth, labelDot, noteShow, natural);
    return remember(node, nodeWidth, labelDot, noteShow, std::move(metrics), natural);
}

// A title measured once stays one line as long as it fits: a column drag then changes the
// block's widths without measuring text again. Other results are kept by width.
std::optional<BlockMetrics> BlockMeasurer::atOtherWidth(const Entry& entry, double nodeWidth) {
    using namespace CanvasBlockStyle;
    for (const auto& [width, metrics] : entry.otherWidths) {
        if (width == nodeWidth) {
            return metrics;
        }
    }
    if (entry.natural < 0 || entry.metrics.titleLines != 1 ||
        (entry.noteShow != NoteShow::none && entry.noteShow != NoteShow::placeholder)) {
        return std::nullopt;
    }
    BlockMetrics metrics = entry.metrics;
    const double textWidth = std::max(1.0, nodeWidth - metrics.leading - 5);
    const double natural = entry.natural;
    if (natural > textWidth - 2 * textInset) {
        return std::nullopt;
    }
    metrics.textRect.setWidth(textWidth);
    if (metrics.noteRect) {
        metrics.noteRect->setWidth(textWidth);
    }
    metrics.size.width = metrics.leading + 2 + std::min(natural, textWidth - 4);
    return metrics;
}

// Makes the entry's result the one at the width, keeping the last one among the other widths
// unless the one-line width gives it again.
void BlockMeasurer::setWidth(Entry& entry, double nodeWidth, BlockMetrics metrics) {
    auto& others = entry.otherWidths;
    std::erase_if(others, [&](const auto& other) { return other.first == nodeWidth; });
    const bool derived = entry.natural >= 0 && entry.metrics.titleLines == 1 &&
                         (entry.noteShow == NoteShow::none ||
                          entry.noteShow == NoteShow::placeholder);
    if (!derived) {
        if (others.size() >= maxOtherWidths) {
            others.erase(others.begin());
        }
        others.emplace_back(entry.nodeWidth, std::move(entry.metrics));
    }
    entry.nodeWidth = nodeWidth;
    entry.metrics = std::move(metrics);
}

LayoutSize BlockMeasurer::estimate(const Item& item, double nodeWidth, NoteShow noteShow) {
    using namespace CanvasBlockStyle;
    if (!m_lineHeights) {
        auto titleHeight = [](const QFont& font) {
            const double line = QFontMetricsF(font).height();
            return std::max(titleLineHeight,
                            std::ceil(line + std::max(0.0, titleLineHeight - line)));
        };
        m_lineHeights = LineHeights{titleHeight(font(titleSize)), titleHeight(font(titleSize, true)),
                                    std::ceil(QFontMetricsF(noteFont()).height())};
    }
    const double title = item.bold ? m_lineHeights->boldTitle : m_lineHeights->title;
    const double note = noteShow == NoteShow::none ? 0 : m_lineHeights->note;
    return {nodeWidth, 2 + title + note + 2};
}

const BlockMetrics& BlockMeasurer::remember(const ItemList::Node& node, double nodeWidth,
                                            bool labelDot, NoteShow noteShow, BlockMetrics metrics,
                                            double natural) {
    Entry& entry = m_byNode[node.get()];
    entry.mark = m_mark;
    if (entry.node == node && entry.labelDot == labelDot && entry.noteShow == noteShow) {
        // The same block at another width.
        setWidth(entry, nodeWidth, std::move(metrics));
    } else {
        entry.natural = natural;
        entry.node = node;
        entry.nodeWidth = nodeWidth;
        entry.labelDot = labelDot;
        entry.noteShow = noteShow;
        entry.metrics = std::move(metrics);
        entry.otherWidths.clear();
    }
    m_byId.insert_or_assign(node->id, node.get());
    return entry.metrics;
}

void BlockMeasurer::retain(
    const std::function<void(const std::function<void(const Item*)>&)>& forEachLive) {
    const std::uint64_t mark = ++m_mark;
    forEachLive([&](const Item* node) {
        if (auto it = m_byNode.find(node); it != m_byNode.end()) {
            it->second.mark = mark;
        }
    });
    std::erase_if(m_byNode, [&](const auto& pair) { return pair.second.mark != mark; });
    m_byId.clear();
    for (const auto& [key, entry] : m_byNode) {
        m_byId.insert_or_assign(entry.node->id, key);
    }
}

} // namespace velmora

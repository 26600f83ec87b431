#pragma once

#include "core/layout/layout_records.hpp"
#include "core/layout/tree_layout.hpp"
#include "core/model/item.hpp"
#include "core/session/editor_snapshot.hpp"

#include <QFont>
#include <QRectF>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class QTextLayout;

namespace velmora {

// How a canvas block shows its item's note.
enum class NoteShow {
    none,        // no note
    full,        // the formatted note
    placeholder, // one line standing for a long note
    editing      // room for the editor while the note is typed
};

// The measured content of one block, in the block's own coordinates.
struct BlockMetrics {
    LayoutSize size;     // what the layout is given: end of the title text, block height
    double leading = 34; // where the title and note start
    QRectF textRect;     // the title
    std::optional<QRectF> noteRect;
    NoteShow noteShow = NoteShow::none;
    int titleLines = 1;

    bool operator==(const BlockMetrics&) const = default;
};

// The fonts and fixed distances of canvas blocks.
namespace CanvasBlockStyle {
inline constexpr double titleSize = 13;
inline constexpr double noteSize = 11;
inline constexpr double countSize = 10;
inline constexpr double titleLineHeight = 17;
inline constexpr double controlsWidth = 29; // disclosure, check box and label dot
inline constexpr double leading = 34;
inline constexpr double leadingWithDot = 46;
// The inset of title and note text inside their rectangles, as in the text editor.
inline constexpr double textInset = 2;
inline constexpr int fullNoteMaxLines = 2;
inline constexpr qsizetype fullNoteMaxCharacters = 160;

// The most lines of its title a block shows; a longer title ends its last line in an ellipsis
// (the item editor still holds all of it).
inline constexpr int titleMaxLines = 100;

// The interface font at a size given in points of the canvas (one point = one pixel at 96 dpi).
[[nodiscard]] QFont font(double size, bool bold = false);
[[nodiscard]] QFont titleFont(const Item& item);
[[nodiscard]] QFont noteFont();
// How many characters `lines` lines of a title rectangle of the width hold at most, taking no
// character narrower than 2 points: more of a title is never laid out.
[[nodiscard]] qsizetype titleCharacterLimit(double width, int lines = titleMaxLines);
// The title as it is laid out: line breaks turned into line separators. Of a title longer than
// `limit` characters only the first `limit` are taken, and an ellipsis.
[[nodiscard]] QString titleText(const std::string& text, qsizetype limit = -1);
// Lays the title out in a rectangle of the width, inset like the editor's text, the first line
// centred on the 17-point row, in at most `maxLines` lines (the last one ending in an ellipsis
// when more of the title follows); returns the number of lines. A word longer than a line is
// wrapped by character, so the cost follows what the lines show, never the title's length.
int layoutTitle(QTextLayout& layout, const QString& text, const QFont& font, double width,
                int maxLines = titleMaxLines);
// The height a title laid out by layoutTitle takes from its rectangle's top: each line as tall
// as its own fonts make it (fallback fonts of other scripts included), the margin above repeated
// below, never less than one row.
[[nodiscard]] double laidOutTitleHeight(const QTextLayout& layout, const QFont& font);
} // namespace CanvasBlockStyle

// How the note of an item shows in the snapshot: while its note is edited, room for the
// editor; with all notes shown, a short note in full and a long one as a one-line placeholder.
[[nodiscard]] NoteShow noteShowFor(const Item& item, const EditorSnapshot& snapshot);
[[nodiscard]] NoteShow noteShowFor(const Item& item, bool showAllNotes,
                                   const std::optional<EditingTarget>& editing);

// Measures blocks and remembers the results by node, so a reload measures only the items whose
// text, note, flags or column changed since the last one.
class BlockMeasurer {
public:
    // The metrics of the item's block at the column's block width.
    [[nodiscard]] const BlockMetrics& measure(const ItemList::Node& node, double nodeWidth,
                                              bool labelDot, NoteShow noteShow);
    // The remembered metrics of the item's block, if it was measured already (this node, or an
    // earlier node of the item with the same content), at this width or, for a title on one
    // line, at any width it still fits; never measures.
    [[nodiscard]] const BlockMetrics* find(const ItemList::Node& node, double nodeWidth,
                                           bool labelDot, NoteShow noteShow);
    // What the block's size is likely to be without measuring it: one line of title, and one
    // of note when a note shows.
    [[nodiscard]] LayoutSize estimate(const Item& item, double nodeWidth, NoteShow noteShow);

    // Forgets every result (the fonts changed).
    void clear() {
        m_byNode.clear();
        m_byId.clear();
        m_lineHeights.reset();
    }
    // Starts counting the items measured anew.
    void resetCount() { m_measured = 0; }
    // How many items were measured anew since the last `resetCount` (not taken from memory).
    [[nodiscard]] std::int64_t measuredCount() const { return m_measured; }
    // How many results are remembered.
    [[nodiscard]] std::size_t size() const { return m_byNode.size(); }
    // Keeps only the results of the nodes `forEachLive` names (it calls its argument with
    // each).
    void retain(const std::function<void(const std::function<void(const Item*)>&)>& forEachLive);

    // Measures without remembering.
    [[nodiscard]] static BlockMetrics compute(const Item& item, double nodeWidth, bool labelDot,
                                              NoteShow noteShow);

private:
    // The result for one node of the tree. Nodes are immutable, so a node's result stays right
    // while its column and note display do; holding the node keeps its address its own.
    struct Entry {
        ItemList::Node node;
        double nodeWidth = 0;
        bool labelDot = false;
        NoteShow noteShow = NoteShow::none;
        std::uint64_t mark = 0;
        // The width of the title on one line when it is plain text of the title font, else -1.
        double natural = -1;
        BlockMetrics metrics;
        // Results at other widths that the one-line width cannot give (titles that wrap, notes
        // shown in full), oldest first: a column dragged back and forth measures each width
        // once.
        std::vector<std::pair<double, BlockMetrics>> otherWidths;
    };
    // How many other widths an entry keeps.
    static constexpr std::size_t maxOtherWidths = 512;
    // Measures and gives the title's one-line width when it is plain text, else -1.
    [[nodiscard]] static BlockMetrics compute(const Item& item, double nodeWidth, bool labelDot,
                                              NoteShow noteShow, double& simpleNatural);
    [[nodiscard]] static std::optional<BlockMetrics> atOtherWidth(const Entry& entry,
                                                                  double nodeWidth);
    static void setWidth(Entry& entry, double nodeWidth, BlockMetrics metrics);
    [[nodiscard]] static bool sameContent(const Entry& entry, const Item& item, double nodeWidth,
                                          bool labelDot, NoteShow noteShow);
    const BlockMetrics& remember(const ItemList::Node& node, double nodeWidth, bool labelDot,
                                 NoteShow noteShow, BlockMetrics metrics, double natural);

    std::unordered_map<const Item*, Entry> m_byNode;
    // The node last measured for each id; a changed node of the same text reuses its result.
    std::unordered_map<std::string, const Item*> m_byId;
    // The heights of one title line (plain and bold) and one note line, once the fonts are known.
    struct LineHeights {
        double title = 0, boldTitle = 0, note = 0;
    };
    std::optional<LineHeights> m_lineHeights;
    std::uint64_t m_mark = 0;
    std::int64_t m_measured = 0;
};

} // namespace velmora

#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QRectF>
#include <QString>
#include <QTextLayout>
#include <QUrl>

#include <optional>
#include <string>

class QPainter;
class QTextDocument;

namespace velmora {

// A note as it is shown: the text without its markup and the character formats of its runs
// (fonts, colours, strike-through, links as anchors).
struct StyledNote {
    QString text;
    QFont font;
    QColor color;
    QList<QTextLayout::FormatRange> formats;
};

// The note in the base font and colour with its inline markdown applied: code in the
// monospaced font half a point smaller, strong runs bold, emphasised runs italic, struck runs
// struck through, and links with an http, https or mailto address in the link colour,
// underlined; any other link shows its text only.
[[nodiscard]] StyledNote renderNote(const std::string& note, const QFont& font,
                                    const QColor& color);
[[nodiscard]] StyledNote renderNote(const std::string& note, const QFont& font, const QColor& color,
                                    const QColor& linkColor);

// Restyles an edited note in place, in one edit block: the whole text in the base font and
// colour, the styled runs as when rendered, and the markup between them (asterisks, brackets,
// link targets) in the faint colour. The text itself is not changed.
void styleNoteInPlace(QTextDocument& document, const QFont& font, const QColor& color,
                      const QColor& faint);
void styleNoteInPlace(QTextDocument& document, const QFont& font);

// How a note label lays out its text.
struct NoteLabel {
    StyledNote note;
    QRectF bounds;
    int maximumLines = 0; // 0: no limit
    bool elideTail = false;
};

// The link under the point of a shown note label, when it is an allowed one (http, https,
// mailto); none anywhere else.
[[nodiscard]] std::optional<QUrl> noteLinkAt(const NoteLabel& label, const QPointF& point);

// The first line of a note (up to its first line break), for views that show one line.
[[nodiscard]] std::string firstNoteLine(const std::string& note);

// Draws the note on one line in the rectangle, inset like a laid-out note, cut with an
// ellipsis when it is too long.
void drawNoteLine(QPainter& painter, const StyledNote& note, const QRectF& rect);

// The text with its line breaks turned into line separators, one for one, as a text layout
// needs them (a carriage return before a line feed becomes a zero-width space).
[[nodiscard]] QString lineSeparated(QString text);

// Lays the note out for drawing or hit testing at the width, with the text inset of two
// points on either side; returns the height used.
double layoutNote(QTextLayout& layout, const StyledNote& note, double width, int maximumLines = 0);

} // namespace velmora

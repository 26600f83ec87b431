#include "app/views/note_renderer.hpp"

#include "core/formats/note_markdown.hpp"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <cmath>
#include <vector>

namespace velmora {
namespace {

// The text inset on either side of a laid-out note (the line fragment padding).
constexpr double kPadding = 2;

QColor defaultLinkColor() {
    return QGuiApplication::palette().color(QPalette::Link);
}

QFont codeFont(const QFont& base) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(std::max(1.0, base.pointSizeF() - 0.5));
    font.setWeight(QFont::Normal);
    return font;
}

// The format of a run: the base attributes changed by the run's styles.
QTextCharFormat runFormat(const NoteRun& run, const QFont& base, const QColor& color,
                          const QColor& linkColor) {
    QFont font = run.code ? codeFont(base) : base;
    if (run.strong) {
        font.setBold(true);
    }
    if (run.emphasis) {
        font.setItalic(true);
    }
    QTextCharFormat format;
    format.setFont(font);
    format.setForeground(color);
    if (run.strikethrough) {
        format.setFontStrikeOut(true);
    }
    if (run.link && NoteMarkdown::isAllowedLink(*run.link)) {
        format.setAnchor(true);
        format.setAnchorHref(QString::fromStdString(*run.link));
        format.setForeground(linkColor);
        format.setFontUnderline(true);
    }
    return format;
}

// UTF-16 positions of the note's byte offsets, for every offset 0…size.
std::vector<int> utf16Positions(const std::string& utf8) {
    std::vector<int> at(utf8.size() + 1, 0);
    int position = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        at[i] = position;
        auto byte = static_cast<unsigned char>(utf8[i]);
        if ((byte & 0xC0) != 0x80) {
            position += byte >= 0xF0 ? 2 : 1; // four-byte sequences are surrogate pairs
        }
    }
    at[utf8.size()] = position;
    return at;
}

} // namespace

StyledNote renderNote(const std::string& note, const QFont& font, const QColor& color) {
    return renderNote(note, font, color, defaultLinkColor());
}

StyledNote renderNote(const std::string& note, const QFont& font, const QColor& color,
                      const QColor& linkColor) {
    StyledNote styled;
    styled.font = font;
    styled.color = color;
    for (const NoteRun& run : NoteMarkdown::parse(note)) {
        QString text =
            QString::fromUtf8(note.data() + run.start, static_cast<qsizetype>(run.length));
        QTextLayout::FormatRange range;
        range.start = static_cast<int>(styled.text.size());
        range.length = static_cast<int>(text.size());
        range.format = runFormat(run, font, color, linkColor);
        styled.text += text;
        styled.formats.append(range);
    }
    return styled;
}

void styleNoteInPlace(QTextDocument& document, const QFont& font) {
    const QPalette palette = QGuiApplication::palette();
    QColor faint = palette.color(QPalette::Text);
    faint.setAlphaF(0.3f);
    styleNoteInPlace(document, font, palette.color(QPalette::Text), faint);
}

void styleNoteInPlace(QTextDocument& document, const QFont& font, const QColor& color,
                      const QColor& faint) {
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    QTextCharFormat base;
    base.setFont(font);
    base.setForeground(color);
    cursor.setCharFormat(base);

    const std::string note = document.toPlainText().toStdString();
    if (NoteMarkdown::hasMarkupTrigger(note)) {
        const auto positions = utf16Positions(note);
        auto select = [&](std::size_t from, std::size_t to) {
            cursor.setPosition(positions[from]);
            cursor.setPosition(positions[to], QTextCursor::KeepAnchor);
        };
        std::size_t covered = 0;
        auto fadeMarkup = [&](std::size_t from, std::size_t to) {
            for (std::size_t i = from; i < to; ++i) {
                if (note[i] != ' ' && note[i] != '\t' && note[i] != '\n' && note[i] != '\r') {
                    QTextCharFormat markup;
                    markup.setForeground(faint);
                    select(from, to);
                    cursor.mergeCharFormat(markup);
                    return;
                }
            }
        };
        for (const NoteRun& run : NoteMarkdown::parse(note)) {
            fadeMarkup(covered, run.start);
            select(run.start, run.end());
            cursor.setCharFormat(runFormat(run, font, color, defaultLinkColor()));
            covered = run.end();
        }
        fadeMarkup(covered, note.size());
    }
    cursor.endEditBlock();
}

std::string firstNoteLine(const std::string& note) {
    return note.substr(0, note.find_first_of("\r\n"));
}

void drawNoteLine(QPainter& painter, const StyledNote& note, const QRectF& rect) {
    QTextLayout layout;
    layout.setText(note.text);
    layout.setFont(note.font);
    layout.setFormats(note.formats);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    const double width = std::max(1.0, rect.width() - 2 * kPadding);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    if (!line.isValid()) {
        return;
    }
    painter.save();
    painter.setPen(note.color);
    if (line.naturalTextWidth() <= width) {
        layout.draw(&painter, rect.topLeft() + QPointF(kPadding, 0));
        painter.restore();
        return;
    }
    const QFontMetricsF metrics(note.font);
    const QString ellipsis(QChar(0x2026));
    const double room = width - metrics.horizontalAdvance(ellipsis);
    const int cut = line.xToCursor(room, QTextLine::CursorBetweenCharacters);
    const double end = line.cursorToX(cut);
    painter.setClipRect(QRectF(rect.left(), rect.top(), kPadding + end, rect.height()),
                        Qt::IntersectClip);
    layout.draw(&painter, rect.topLeft() + QPointF(kPadding, 0));
    painter.restore();
    painter.save();
    painter.setPen(note.color);
    painter.setFont(note.font);
    painter.drawText(QPointF(rect.left() + kPadding + end, rect.top() + metrics.ascent()),
                     ellipsis);
    painter.restore();
}

QString lineSeparated(QString text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            text[i] = QChar(0x200B);
        } else if (text[i] == u'\n' || text[i] == u'\r') {
            text[i] = QChar::LineSeparator;
        }
    }
    return text;
}

double layoutNote(QTextLayout& layout, const StyledNote& note, double width, int maximumLines) {
    layout.setText(lineSeparated(note.text));
    layout.setFont(note.font);
    layout.setFormats(note.formats);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.setCacheEnabled(true);
    double y = 0;
    layout.beginLayout();
    for (int lines = 0; maximumLines <= 0 || lines < maximumLines; ++lines) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) {
            break;
        }
        line.setLineWidth(std::max(1.0, width - 2 * kPadding));
        line.setPosition(QPointF(kPadding, y));
        y += line.height();
    }
    layout.endLayout();
    return std::ceil(y);
}

std::optional<QUrl> noteLinkAt(const NoteLabel& label, const QPointF& point) {
    if (label.note.text.isEmpty() || !label.bounds.contains(point)) {
        return std::nullopt;
    }
    QTextLayout layout;
    layoutNote(layout, label.note, label.bounds.width(), label.maximumLines);
    const QPointF p = point - label.bounds.topLeft();
    for (int i = 0; i < layout.lineCount(); ++i) {
        QTextLine line = layout.lineAt(i);
        if (p.y() < line.y() || p.y() >= line.y() + line.height()) {
            continue;
        }
        int cursor = line.xToCursor(p.x(), QTextLine::CursorOnCharacter);
        if (cursor < line.textStart() || cursor >= line.textStart() + line.textLength()) {
            return std::nullopt;
        }
        double left = line.cursorToX(cursor);
        double right = line.cursorToX(cursor + 1);
        if (p.x() < std::min(left, right) || p.x() > std::max(left, right)) {
            return std::nullopt;
        }
        for (const auto& range : label.note.formats) {
            if (cursor >= range.start && cursor < range.start + range.length &&
                range.format.isAnchor()) {
                QUrl url(range.format.anchorHref(), QUrl::StrictMode);
                if (url.isValid() &&
                    NoteMarkdown::isAllowedLink(url.scheme().toStdString() + ":")) {
                    return url;
                }
                return std::nullopt;
            }
        }
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace velmora

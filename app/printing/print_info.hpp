#pragma once

#include <QPageLayout>
#include <QString>
#include <QVariantMap>

#include <optional>

namespace velmora {

class Preferences;

// The three choices of how a document prints.
struct PrintOptions {
    bool asList = false;  // a list even from the tree or map view
    bool fitsPage = true; // the picture scaled to one page, else tiles at full size
    bool notes = true;    // item notes printed

    bool operator==(const PrintOptions&) const = default;
};

// How the content is spread over pages in one direction: scaled to fit, or broken into pages.
enum class Pagination { automatic, fit };

// What one print job is set up with: the print settings (the options among them, under their
// keys), the paper and its margins, the printer, and the pagination the options imply. Each
// document keeps its own for the session; the paper, margins and printer last used are
// remembered between runs, while the options and the paper's orientation stay the document's.
struct PrintInfo {
    static inline const QString asListKey = QStringLiteral("OstrevoPrintAsList");
    static inline const QString fitsPageKey = QStringLiteral("OstrevoPrintFitsPage");
    static inline const QString notesKey = QStringLiteral("OstrevoPrintNotes");

    QVariantMap settings;
    QPageLayout pageLayout;
    QString printerName;
    Pagination horizontal = Pagination::automatic;
    Pagination vertical = Pagination::automatic;
    bool centersHorizontally = true;
    bool centersVertically = false;

    // The paper of the locale (A4, or Letter in the United States) upright, with half-inch
    // margins and unset options.
    [[nodiscard]] static PrintInfo standard();

    // The options, or nothing when they are unset ("OstrevoPrintAsList" missing or not a
    // Boolean); the two others count as true when missing or not Booleans.
    [[nodiscard]] std::optional<PrintOptions> options() const;
    // The options as they print: unset ones as a picture fitted to one page, with notes.
    [[nodiscard]] PrintOptions effectiveOptions() const;
    // Sets the three keys and the pagination: a list fits the page's width and breaks into
    // pages downwards; a picture fits both ways on one page, or breaks both ways into tiles.
    void writeOptions(const PrintOptions& options, bool canvas);

    // The paper, margins and printer remembered from the last print of any document (else the
    // standard ones), upright and with unset options.
    [[nodiscard]] static PrintInfo remembered(const Preferences& preferences);
    // Remembers the paper, margins and printer for the next run.
    void remember(Preferences& preferences) const;
};

} // namespace velmora

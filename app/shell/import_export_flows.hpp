#pragma once

#include "core/model/item.hpp"

#include <QByteArray>
#include <QString>

#include <optional>
#include <variant>

class QWidget;

namespace velmora {

class Dialogs;
class VelmoraDocument;
class VelmoraDocumentController;

// The flows behind exporting and importing backups, OPML, Markdown and Org, and exporting web
// pages: one file panel, one codec, and one alert for any failure, leaving documents and files as
// they were.
class ImportExportFlows {
public:
    ImportExportFlows(VelmoraDocumentController& controller, Dialogs& dialogs);

    // All open documents into one backup file. Returns whether a file was written.
    bool exportBackup(QWidget* parent);
    // One backup file into a chosen folder of document files, with the summary alert.
    // Returns whether anything was imported.
    bool importBackup(QWidget* parent);
    // The document's items into an OPML file.
    bool exportOPML(VelmoraDocument& document, QWidget* parent);
    // An OPML file as a new untitled document, shown; null when nothing was imported.
    VelmoraDocument* importOPML(QWidget* parent);
    // The document's items into a Markdown list.
    bool exportMarkdown(VelmoraDocument& document, QWidget* parent);
    // A Markdown file as a new untitled document named after the file, shown; null when
    // nothing was imported.
    VelmoraDocument* importMarkdown(QWidget* parent);
    // The document as an Org file, with the items' ids in property drawers.
    bool exportOrg(VelmoraDocument& document, QWidget* parent);
    // An Org file as a new untitled document titled by its "#+TITLE" or named after the file,
    // shown; null when nothing was imported.
    VelmoraDocument* importOrg(QWidget* parent);
    // The document as one self-contained web page.
    bool exportWebPage(VelmoraDocument& document, QWidget* parent);

    // The path with the extension (".json", ".opml", ".md", ".org", ".html") added unless it
    // already ends with it, in any case, so that Import finds what Export wrote.
    [[nodiscard]] static QString withExtension(const QString& path, const QString& extension);

private:
    bool write(QWidget* parent, const QString& path, const QByteArray& bytes);
    // The bytes of one file the user picks in an open panel, its path in `chosen`; nothing
    // when the panel was cancelled or the file could not be read (after an alert).
    std::optional<QByteArray> chooseFile(QWidget* parent, const QString& filter, QString& chosen);
    // The save panel for an export of the document, proposing its title with the extension;
    // the answer carries the extension.
    QString exportPath(VelmoraDocument& document, QWidget* parent, const QString& extension,
                       const QString& filter);
    // Writes an export of the document where the save panel says; whether it was written.
    bool exportFile(VelmoraDocument& document, QWidget* parent, const QString& extension,
                    const QString& filter, const QByteArray& bytes);
    // Shows an imported document as a new untitled one.
    VelmoraDocument* showImported(TreeDocument imported);
    // Shows a decoded document as a new untitled one, or alerts with the reader's message.
    VelmoraDocument* showDecoded(QWidget* parent, std::variant<TreeDocument, QString> decoded);

    VelmoraDocumentController& m_controller;
    Dialogs& m_dialogs;
};

} // namespace velmora

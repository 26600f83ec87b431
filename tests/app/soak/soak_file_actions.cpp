// The soak's actions on files and on the application around the windows.
#include "tests/app/soak/soak_file_actions.hpp"

#include "app/document/document_codec.hpp"
#include "app/document/velmora_document.hpp"
#include "app/shell/velmora_document_controller.hpp"
#include "app/window/document_tab.hpp"
#include "tests/app/soak/soak_input.hpp"
#include "tests/app/soak/soak_world.hpp"

#include <QFile>
#include <QSaveFile>
#include <QTimer>
#include <QtTest>

namespace velmora::soak {

std::optional<Broken> autosave(World& world, const Step& step) {
    if (step.a % 2 == 0) {
        for (QTimer* timer : world.controller().findChildren<QTimer*>(Qt::FindDirectChildrenOnly)) {
            if (timer->isActive() && timer->isSingleShot()) {
                timer->start(0);
            }
        }
        World::settle();
        if (!waitForWrites(world)) {
            return Broken{"writes end", "a background autosave did not end within 5 s"};
        }
        return std::nullopt;
    }
    if (!world.controller().autosaveAll()) {
        return std::nullopt;
    }
    for (VelmoraDocument* document : world.controller().documents()) {
        const QString path =
            document->filePath().isEmpty() ? document->autosavePath() : document->filePath();
        if (!path.isEmpty() && !document->hasUnautosavedChanges() && !document->isWriting() &&
            document->fileProblem() == FileProblem::none) {
            if (auto broken = checkFileMatches(*document, path)) {
                broken->invariant = "autosave reads back";
                return broken;
            }
        }
    }
    return std::nullopt;
}

// File ▸ Save (a new file for an untitled document), or Save As; the file then reads back as
// the document.
std::optional<Broken> save(World& world, const Step& step) {
    VelmoraDocument* document = world.current();
    const bool as = step.a % 4 == 3;
    if (as || document->filePath().isEmpty()) {
        world.dialogs().savePaths.enqueue(world.freshPath(QStringLiteral("Saved ")));
    }
    runStandardItem(world, as ? StandardItem::saveAs : StandardItem::save);
    World::settle();
    world.dialogs().savePaths.clear();
    if (!waitForWrites(world)) {
        return Broken{"writes end", "a save did not end within 5 s"};
    }
    World::settle();
    if (!world.controller().documents().contains(document) || document->filePath().isEmpty() ||
        document->isEdited() || document->fileProblem() != FileProblem::none) {
        return std::nullopt;
    }
    return checkFileMatches(*document, document->filePath());
}

// Windows and tabs: a tab into a window of its own, every window merged, a new document, the
// current file opened once more (it comes to the front, never twice), the next tab.
std::optional<Broken> windows(World& world, const Step& step) {
    VelmoraDocument* document = world.current();
    switch (step.a % 5) {
    case 0:
        runStandardItem(world, StandardItem::moveTabToNewWindow);
        break;
    case 1:
        runStandardItem(world, StandardItem::mergeAllWindows);
        break;
    case 2:
        runStandardItem(world, StandardItem::newDocument);
        break;
    case 3:
        if (!document->filePath().isEmpty()) {
            const auto before = world.controller().documents().size();
            VelmoraDocument* opened = world.controller().openDocument(document->filePath());
            World::settle();
            if (opened != document || world.controller().documents().size() != before) {
                return Broken{"one document per file",
                              "opening an open file again opened it twice"};
            }
        }
        break;
    default:
        runStandardItem(world, StandardItem::nextTab);
    }
    World::settle();
    world.activate(world.current());
    return std::nullopt;
}

// Another program changes the file: a title, a new item or a removed one, written by renaming
// a new file over it or in place; the window then has time to notice.
std::optional<Broken> changeOnDisk(World& world, const Step& step) {
    VelmoraDocument* document = world.current();
    const QString path = document->filePath();
    if (path.isEmpty() || document->isWriting()) {
        return std::nullopt;
    }
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    auto decoded = DocumentCodec::decodeNative(in.readAll());
    in.close();
    auto* loaded = std::get_if<DocumentCodec::Loaded>(&decoded);
    if (!loaded) {
        return std::nullopt;
    }
    TreeDocument& tree = loaded->snapshot.document;
    std::vector<Item> items(tree.items.begin(), tree.items.end());
    switch (step.a % 3) {
    case 0:
        if (!items.empty()) {
            Item& item = items[static_cast<std::size_t>(step.b) % items.size()];
            item.text = "Elsewhere " + std::to_string(step.b);
        }
        break;
    case 1:
        items.push_back(Item::blank("elsewhere-" + std::to_string(step.b), "From elsewhere"));
        break;
    default:
        if (!items.empty()) {
            items.pop_back();
        }
    }
    tree.items = ItemList(std::move(items));
    const QByteArray bytes = DocumentCodec::encodeNative(loaded->snapshot, loaded->settings);
    if ((step.a / 3) % 2 == 0) {
        QSaveFile out(path);
        if (out.open(QIODevice::WriteOnly)) {
            out.write(bytes);
            out.commit();
        }
    } else {
        QFile out(path);
        if (out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            out.write(bytes);
        }
    }
    QTest::qWait(250);
    World::settle();
    return std::nullopt;
}

// File ▸ Close on the current tab; an edited untitled document is saved or discarded as the
// step says.
std::optional<Broken> closeTab(World& world, const Step& step) {
    VelmoraDocument* document = world.current();
    if (step.a % 2 == 0) {
        world.dialogs().saveChoices.enqueue(Dialogs::SaveChoice::save);
        world.dialogs().savePaths.enqueue(world.freshPath(QStringLiteral("Closed ")));
    } else {
        world.dialogs().saveChoices.enqueue(Dialogs::SaveChoice::discard);
    }
    (void)document;
    runStandardItem(world, StandardItem::close);
    World::settle();
    world.dialogs().saveChoices.clear();
    world.dialogs().savePaths.clear();
    waitForWrites(world);
    world.activate(world.current());
    return std::nullopt;
}

std::optional<Broken> quit(World& world, const Step&) {
    if (auto lost = world.quitAndRestart()) {
        return Broken{"restart restores the documents", *lost};
    }
    return std::nullopt;
}

std::optional<Broken> undoAll(World& world, const Step&) {
    VelmoraDocument* document = world.current();
    world.content(document)->commitEditing();
    World::settle();
    return checkUndoHistory(world, *document);
}

} // namespace velmora::soak

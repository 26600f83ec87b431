// Drag and drop of items: the drag data, the payload, moves versus copies, the canvas drop
// zones and indicator, and the list's drop conversion.
#include "app/shell/application.hpp"
#include "app/views/item_drag.hpp"
#include "app/views/list_drag_adapter.hpp"
#include "core/formats/item_clipboard.hpp"
#include "core/model/tree_ops.hpp"
#include "tests/app/support/isolated_home.hpp"
#include "tests/app/views/canvas_fixtures.hpp"

#include <QApplication>
#include <QDragMoveEvent>
#include <QListView>
#include <QMimeData>
#include <QStandardItemModel>
#include <QtTest>

#include <memory>

using namespace velmora;
using ItemDrag::Target;
using velmora::test::CanvasWindow;
using velmora::test::item;

namespace {

std::vector<Item> sampleItems() {
    return {item("a", "Alpha", {item("a1", "One"), item("a2", "Two", {item("a2x", "Deep")})}),
            item("b", "Beta")};
}

const std::string kToken = "window-1";

std::optional<ItemDrag::Payload> payloadOf(const Item& i, const std::string& token) {
    std::unique_ptr<QMimeData> data(ItemDrag::writer(i, token));
    return ItemDrag::payload(data.get());
}

} // namespace

class TreeCanvasDragTest : public QObject {
    Q_OBJECT
public:
    explicit TreeCanvasDragTest(QString) {}

private slots:
    void dragDataHasTheThreeForms() {
        Item alpha = sampleItems()[0];
        std::unique_ptr<QMimeData> data(ItemDrag::writer(alpha, kToken));
        QVERIFY(data->hasFormat(QStringLiteral("com.kestrum-software.ostrevo.items")));
        QCOMPARE(data->data(QStringLiteral("com.kestrum-software.ostrevo.items.source")),
                 QByteArray("window-1\na"));
        QCOMPARE(data->text(), QStringLiteral("Alpha\n\tOne\n\tTwo\n\t\tDeep"));
        auto payload = ItemDrag::payload(data.get());
        QVERIFY(payload);
        QCOMPARE(payload->sourceToken, std::optional<std::string>(kToken));
        QCOMPARE(payload->sourceItem, std::optional<std::string>("a"));
        QCOMPARE(payload->items.size(), std::size_t(1));
        QCOMPARE(payload->items[0].children.totalCount(), 3);
    }

    void textFromOtherProgramsGivesNoPayload() {
        QMimeData text;
        text.setText(QStringLiteral("Alpha\n\tOne"));
        QVERIFY(!ItemDrag::payload(&text));
        QMimeData broken;
        broken.setData(ItemDrag::itemsType, "<opml");
        QVERIFY(!ItemDrag::payload(&broken));
        // A source without its line feed names no window.
        QMimeData noSource;
        noSource.setData(ItemDrag::itemsType, QByteArray::fromStdString(ItemClipboard::opmlText(
                                                  ItemList{item("x", "X")})));
        noSource.setData(ItemDrag::sourceType, "window-1");
        auto payload = ItemDrag::payload(&noSource);
        QVERIFY(payload && !payload->sourceToken && !payload->sourceItem);
    }

    void payloadIsDecodedOncePerDrag() {
        ItemDrag::PayloadCache cache;
        std::unique_ptr<QMimeData> first(ItemDrag::writer(item("x", "X"), kToken));
        QVERIFY(cache.read(first.get()));
        QVERIFY(cache.read(first.get()));
        QCOMPARE(cache.decodeCount(), 1);
        first.reset();
        std::unique_ptr<QMimeData> second(ItemDrag::writer(item("y", "Y"), kToken));
        QCOMPARE(cache.read(second.get())->items[0].id, std::string("y"));
        QCOMPARE(cache.decodeCount(), 2);
    }

    void dropOntoOwnDescendantIsRefused() {
        auto s = test::session(sampleItems());
        const Item alpha = *s.item("a");
        auto own = payloadOf(alpha, kToken);
        QCOMPARE(ItemDrag::dropOperation(s, own, kToken, true, Target{"a2", {}}), Qt::IgnoreAction);
        QCOMPARE(ItemDrag::dropOperation(s, own, kToken, true, Target{"a", {}}), Qt::IgnoreAction);
        QVERIFY(!ItemDrag::performDrop(s, own, kToken, true, Target{"a2x", {}}));
        QCOMPARE(ItemDrag::dropOperation(s, own, kToken, true, Target{"b", {}}), Qt::MoveAction);
        QCOMPARE(ItemDrag::dropOperation(s, std::nullopt, kToken, true, Target{}),
                 Qt::IgnoreAction);
        // Without the move operation the same drag is a copy, which may go anywhere.
        QCOMPARE(ItemDrag::dropOperation(s, own, kToken, false, Target{"a2", {}}), Qt::CopyAction);
    }

    void internalDropMovesAndForeignDropCopiesWithNewIds() {
        auto s = test::session(sampleItems());
        auto own = payloadOf(*s.item("b"), kToken);
        auto moved = ItemDrag::performDrop(s, own, kToken, true, Target{"a", 0});
        QVERIFY(moved);
        QCOMPARE(moved->catalogKey, std::string("undo.move"));
        QCOMPARE(s.snapshot.document.items.size(), std::size_t(1));
        QCOMPARE(s.snapshot.document.items[0].children[0].id, std::string("b"));

        // The same item from another window of the same document is copied with fresh ids.
        auto foreign = payloadOf(*s.item("a2"), "window-2");
        auto copied = ItemDrag::performDrop(s, foreign, kToken, true, Target{std::nullopt, {}});
        QVERIFY(copied);
        QCOMPARE(copied->catalogKey, std::string("undo.paste"));
        const Item& copy = s.snapshot.document.items.back();
        QCOMPARE(copy.text, std::string("Two"));
        QVERIFY(copy.id != "a2");
        QVERIFY(copy.children[0].id != "a2x");
        QVERIFY(TreeOps::locate(s.snapshot.document.items, "a2"));
    }

    void canvasZonesBeforeIntoAndAfter() {
        auto s = test::session(sampleItems());
        CanvasWindow w(s);
        const auto& scene = w.canvas->scene();
        const QRectF r = w.block("a1").frame;
        const auto& items = s.snapshot.document.items;
        auto at = [&](double f) {
            return ItemDrag::canvasDrop(scene, items, {r.left() + 60, r.top() + f * r.height()});
        };
        const auto before = at(0.2);
        QCOMPARE(before.target, (Target{"a", 0}));
        QCOMPARE(before.mode, DropMarkView::Mode::line);
        QCOMPARE(before.indicator, QRectF(r.left() + 23, r.top() - 4, r.width() - 23, 8));
        const auto into = at(0.5);
        QCOMPARE(into.target, (Target{"a1", std::nullopt}));
        QCOMPARE(into.mode, DropMarkView::Mode::frame);
        QCOMPARE(into.indicator, QRectF(r.left() + 29, r.top(), r.width() - 29, r.height()));
        QCOMPARE(at(0.3).target, (Target{"a1", std::nullopt}));
        QCOMPARE(at(0.7).target, (Target{"a1", std::nullopt}));
        const auto after = at(0.8);
        QCOMPARE(after.target, (Target{"a", 1}));
        QCOMPARE(after.indicator, QRectF(r.left() + 23, r.bottom() - 4, r.width() - 23, 8));
    }

    void canvasOffBlocksTakesTheNearestCentre() {
        auto s = test::session(sampleItems());
        CanvasWindow w(s);
        const auto& items = s.snapshot.document.items;
        const QRectF b = w.block("b").frame;
        // Far to the right, a little above and below Beta's centre.
        auto above = ItemDrag::canvasDrop(w.canvas->scene(), items, {800, b.center().y() - 2});
        auto below = ItemDrag::canvasDrop(w.canvas->scene(), items, {800, b.center().y() + 2});
        QCOMPARE(above.target, (Target{std::nullopt, 1}));
        QCOMPARE(below.target, (Target{std::nullopt, 2}));
        QCOMPARE(below.indicator.center().y(), b.bottom());
        // Far below everything: after the lowest block.
        auto bottom = ItemDrag::canvasDrop(w.canvas->scene(), items, {30, 2000});
        QCOMPARE(bottom.target, (Target{std::nullopt, 2}));
    }

    void hoistRootAlwaysReceivesAndEmptyCanvasDropsAtTheEnd() {
        auto s = test::session(sampleItems());
        s.snapshot.hoistTabs = {HoistTab{"t", "a", "Alpha"}};
        s.snapshot.activeHoist = "t";
        CanvasWindow w(s);
        const auto& items = s.snapshot.document.items;
        const QRectF root = w.block("a").frame;
        for (double f : {0.1, 0.5, 0.9}) {
            auto drop = ItemDrag::canvasDrop(w.canvas->scene(), items,
                                             {root.left() + 50, root.top() + f * root.height()});
            QCOMPARE(drop.target, (Target{"a", std::nullopt}));
            QCOMPARE(drop.mode, DropMarkView::Mode::frame);
        }
        auto beside =
            ItemDrag::canvasDrop(w.canvas->scene(), items, {root.left() - 10, root.top()});
        QCOMPARE(beside.target, (Target{"a", std::nullopt}));

        auto empty = test::session({});
        w.reload(empty);
        auto drop = ItemDrag::canvasDrop(w.canvas->scene(), {}, {300, 300});
        QCOMPARE(drop.target, Target{});
        QCOMPARE(drop.indicator, QRectF(8, 6, 184, 8));
    }

    void canvasShowsTheIndicatorOnlyForAllowedDrops() {
        auto s = test::session(sampleItems());
        CanvasWindow w(s);
        w.canvas->setDropOperation(
            [&](const QMimeData* data, Qt::DropActions actions, const Target& target) {
                return ItemDrag::dropOperation(s, ItemDrag::payload(data), kToken,
                                               actions.testFlag(Qt::MoveAction), target);
            });
        int performed = 0;
        w.canvas->setPerformDrop(
            [&](const QMimeData* data, Qt::DropAction action, const Target& target) {
                auto command = ItemDrag::performDrop(s, ItemDrag::payload(data), kToken,
                                                     action == Qt::MoveAction, target);
                performed += command ? 1 : 0;
                w.reload(s);
                return command.has_value();
            });
        std::unique_ptr<QMimeData> data(ItemDrag::writer(*s.item("a"), kToken));
        auto move = [&](const std::string& id) {
            const QPoint p = w.at(w.block(id).frame.center());
            QDragEnterEvent enter(p, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton,
                                  {});
            QApplication::sendEvent(w.canvas, &enter);
            QDragMoveEvent event(p, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton,
                                 {});
            QApplication::sendEvent(w.canvas, &event);
            return event.isAccepted();
        };
        QVERIFY(!move("a2"));
        QVERIFY(!w.canvas->dropMark()->isVisible());
        QVERIFY(!w.canvas->dropTarget());
        QVERIFY(move("b"));
        QVERIFY(w.canvas->dropMark()->isVisible());
        QCOMPARE(w.canvas->dropMark()->mode(), DropMarkView::Mode::frame);
        QCOMPARE(*w.canvas->dropTarget(), (Target{"b", std::nullopt}));

        QDropEvent drop(w.at(w.block("b").frame.center()), Qt::CopyAction | Qt::MoveAction,
                        data.get(), Qt::LeftButton, {});
        QApplication::sendEvent(w.canvas, &drop);
        QCOMPARE(performed, 1);
        QVERIFY(!w.canvas->dropMark()->isVisible());
        QCOMPARE(s.snapshot.document.items.size(), std::size_t(1));
        QCOMPARE(s.snapshot.document.items[0].id, std::string("b"));
        QCOMPARE(s.snapshot.document.items[0].children[0].id, std::string("a"));
    }

    void listDropsCountHiddenCompletedItems() {
        Item parent =
            item("p", "Parent", {item("c1", "Done"), item("c2", "Two"), item("c3", "Three")});
        Item done = item("d", "Done top");
        auto s = test::session({parent, done, item("e", "E")});
        s.snapshot.document =
            TreeOps::updateItem(s.snapshot.document, "c1", [](Item& i) { i.checked = true; });
        s.snapshot.document =
            TreeOps::updateItem(s.snapshot.document, "d", [](Item& i) { i.checked = true; });
        s.hideCompleted = true;
        QCOMPARE(ItemDrag::listTarget(s, std::string("p"), -1), (Target{"p", std::nullopt}));
        QCOMPARE(ItemDrag::listTarget(s, std::string("p"), 0), (Target{"p", 1}));
        QCOMPARE(ItemDrag::listTarget(s, std::string("p"), 1), (Target{"p", 2}));
        QCOMPARE(ItemDrag::listTarget(s, std::string("p"), 2), (Target{"p", 3}));
        QCOMPARE(ItemDrag::listTarget(s, std::nullopt, 1), (Target{std::nullopt, 2}));
        s.hideCompleted = false;
        QCOMPARE(ItemDrag::listTarget(s, std::string("p"), 1), (Target{"p", 1}));
        s.snapshot.hoistTabs = {HoistTab{"t", "p", "Parent"}};
        s.snapshot.activeHoist = "t";
        QCOMPARE(ItemDrag::listTarget(s, std::nullopt, 0), (Target{"p", 0}));
        QCOMPARE(ItemDrag::listTarget(s, std::nullopt, 1), (Target{"p", std::nullopt}));
    }

    void listProposalsByRowZone() {
        // a(0) a1(1) a2(1) a2x(2) b(0)
        const std::vector<ListRow> rows = {{"a", 0}, {"a1", 1}, {"a2", 1}, {"a2x", 2}, {"b", 0}};
        auto rowAt = [&](int r) { return rows[static_cast<std::size_t>(r)]; };
        const int n = static_cast<int>(rows.size());
        QCOMPARE(ItemDrag::listProposal(rowAt, n, 2, 0.5), (ListProposal{"a2", -1}));
        QCOMPARE(ItemDrag::listProposal(rowAt, n, 2, 0.1), (ListProposal{"a", 1}));
        QCOMPARE(ItemDrag::listProposal(rowAt, n, 2, 0.9), (ListProposal{"a2", 0}));
        QCOMPARE(ItemDrag::listProposal(rowAt, n, 3, 0.9), (ListProposal{"a2", 1}));
        QCOMPARE(ItemDrag::listProposal(rowAt, n, 4, 0.1), (ListProposal{std::nullopt, 1}));
        QCOMPARE(ItemDrag::listProposal(rowAt, n, 4, 0.9), (ListProposal{std::nullopt, 2}));
        QCOMPARE(ItemDrag::listProposal(rowAt, n, 5, 0), (ListProposal{std::nullopt, 2}));
        QCOMPARE(ItemDrag::listProposal(rowAt, 0, 0, 0), (ListProposal{std::nullopt, 0}));
    }

    void listAdapterDropsThroughTheWindowHooks() {
        auto s = test::session(sampleItems());
        QStandardItemModel model;
        for (const auto& row : s.visibleRows()) {
            auto* cell = new QStandardItem(QString::fromStdString(row.item().text));
            cell->setData(QString::fromStdString(row.item().id), Qt::UserRole + 1);
            cell->setData(row.depth, Qt::UserRole + 2);
            model.appendRow(cell);
        }
        QListView view;
        view.setModel(&model);
        view.resize(300, 300);
        view.show();
        ListDragAdapter adapter(&view, Qt::UserRole + 1, Qt::UserRole + 2);
        adapter.setConvert(
            [&](const ListProposal& p) { return ItemDrag::listTarget(s, p.item, p.childIndex); });
        adapter.setDropOperation(
            [&](const QMimeData* data, Qt::DropActions actions, const Target& target) {
                return ItemDrag::dropOperation(s, ItemDrag::payload(data), kToken,
                                               actions.testFlag(Qt::MoveAction), target);
            });
        std::optional<TreeCommand> command;
        adapter.setPerformDrop(
            [&](const QMimeData* data, Qt::DropAction action, const Target& target) {
                command = ItemDrag::performDrop(s, ItemDrag::payload(data), kToken,
                                                action == Qt::MoveAction, target);
                return command.has_value();
            });
        std::unique_ptr<QMimeData> data(ItemDrag::writer(*s.item("b"), kToken));
        const QRect a1 = view.visualRect(model.index(1, 0));
        const QPoint onA1 = a1.center();
        QDragEnterEvent enter(onA1, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton,
                              {});
        QApplication::sendEvent(view.viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QCOMPARE(*adapter.dropTarget(), (Target{"a1", std::nullopt}));
        QVERIFY(adapter.dropMark()->isVisible());
        QCOMPARE(adapter.dropMark()->mode(), DropMarkView::Mode::frame);
        QDropEvent drop(onA1, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, {});
        QApplication::sendEvent(view.viewport(), &drop);
        QVERIFY(command);
        QCOMPARE(s.item("a1")->children[0].id, std::string("b"));
        QVERIFY(!adapter.dropMark()->isVisible());
    }
};

OSTREVO_APP_TEST_MAIN(TreeCanvasDragTest)
#include "tree_canvas_drag_test.moc"

// Long random sequences of actions and direct edits: whatever the user does, the session keeps
// its invariants (ids stay unique, the selection, the editor and the hoist tabs point at items
// that exist, and a record appears exactly when the document changed).
#include "core/model/tree_ops.hpp"
#include "tests/core/session/editor_session_fixture.hpp"

#include <gtest/gtest.h>

#include <random>
#include <set>

using namespace velmora;
using namespace velmora::testing_support;

namespace {

void collectIds(const ItemList& items, std::vector<std::string>& into) {
    for (const auto& item : items) {
        into.push_back(item.id);
        collectIds(item.children, into);
    }
}

class RandomUser {
public:
    explicit RandomUser(unsigned seed) : m_random(seed) {}

    std::string anyId(const EditorSession& session) {
        std::vector<std::string> ids;
        collectIds(session.snapshot.document.items, ids);
        ids.push_back("missing");
        return ids[pick(ids.size())];
    }

    // One gesture; returns the record it made, if any.
    std::optional<TreeCommand> act(EditorSession& session) {
        auto draft = pick(3) == 0 ? std::optional<std::string>("typed") : std::nullopt;
        switch (pick(12)) {
        case 0:
            return session.select(anyId(session), draft);
        case 1:
            return session.toggleSelection(anyId(session), draft);
        case 2:
            return session.extendSelection(anyId(session), draft);
        case 3:
            return session.extendSelection(static_cast<int>(pick(5)) - 2, draft);
        case 4:
            return session.setChecked(anyId(session), pick(2) == 0);
        case 5:
            return session.paste(session.copySelection(), draft);
        case 6:
            return session.cutSelection(draft).command;
        case 7:
            return session.moveItem(anyId(session), anyId(session), pick(3), draft);
        case 8:
            session.activateHoist(session.snapshot.hoistTabs.empty()
                                      ? std::nullopt
                                      : std::optional(session.snapshot.hoistTabs[0].id));
            return std::nullopt;
        default: {
            auto action = allActions()[pick(allActions().size())];
            auto caret = static_cast<long long>(pick(4));
            return session.perform(action, draft, caret).command;
        }
        }
    }

private:
    std::size_t pick(std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(m_random);
    }
    std::mt19937 m_random;
};

void expectSound(const EditorSession& session) {
    const auto& items = session.snapshot.document.items;
    std::vector<std::string> ids;
    collectIds(items, ids);
    EXPECT_EQ(std::set<std::string>(ids.begin(), ids.end()).size(), ids.size()) << "repeated id";
    if (session.snapshot.selectedId) {
        EXPECT_TRUE(TreeOps::pathOf(items, *session.snapshot.selectedId))
            << "selection " << *session.snapshot.selectedId;
    }
    if (session.snapshot.editing) {
        EXPECT_TRUE(TreeOps::pathOf(items, session.snapshot.editing->id)) << "editor";
    }
    for (const auto& tab : session.snapshot.hoistTabs)
        EXPECT_TRUE(TreeOps::pathOf(items, tab.rootId)) << "hoist tab " << tab.rootId;
    auto selected = session.selectedIDs();
    EXPECT_EQ(std::set<std::string>(selected.begin(), selected.end()).size(), selected.size());
}

} // namespace

TEST(EditorSessionRandom, EverySequenceKeepsTheSessionSound) {
    for (unsigned seed = 1; seed <= 8; ++seed) {
        auto session =
            sessionOf({I("a", {I("a1", {I("a11")}), I("a2")}), checked(I("b", {I("b1")})), I("c"),
                       collapsed(I("d", {I("d1"), checked(I("d2"))}))},
                      "a");
        session.hideCompleted = seed % 2 == 0;
        RandomUser user(seed);
        for (int step = 0; step < 400; ++step) {
            auto before = session.snapshot;
            auto command = user.act(session);
            if (command) {
                EXPECT_EQ(command->before.document, before.document);
                EXPECT_EQ(command->after, session.snapshot);
            } else {
                EXPECT_EQ(session.snapshot.document, before.document) << "unrecorded change";
            }
            expectSound(session);
            if (testing::Test::HasFailure()) {
                ADD_FAILURE() << "seed " << seed << " step " << step;
                return;
            }
        }
    }
}

// Telling the user's drag of the panel from the window manager's own moves.
#include "app/PanelMoves.h"

#include <gtest/gtest.h>

#include <variant>
#include <vector>

using namespace huddlepod;

namespace {

struct Placed {
    QPoint at;
};
struct Moved {
    QPoint at;
};
struct Dragged {
    QPoint at;
};
using Step = std::variant<Placed, Moved, Dragged>;

constexpr PanelMoves::Decision none{};
PanelMoves::Decision back(QPoint to) {
    return {PanelMoves::Kind::moveBack, to};
}
PanelMoves::Decision keep(QPoint at) {
    return {PanelMoves::Kind::keepAsDetachedOrigin, at};
}

} // namespace

TEST(PanelMoves, undoesTheManagersFirstMoveAwayFromThePlacementAndKeepsOnlyDrags) {
    const struct {
        const char* name;
        std::vector<Step> steps;
        std::vector<PanelMoves::Decision> expected; // one per move or drag
    } cases[] = {
        {"framed by the manager, then where it was put",
         {Placed{{832, 24}}, Moved{{834, 42}}, Moved{{832, 24}}},
         {back({832, 24}), none}},
        {"a manager that insists has its way",
         {Placed{{832, 24}}, Moved{{834, 42}}, Moved{{834, 42}}, Moved{{840, 50}}},
         {back({832, 24}), none, none}},
        {"a report of the placement itself comes first",
         {Placed{{832, 24}}, Moved{{832, 24}}, Moved{{834, 42}}},
         {none, back({832, 24})}},
        {"moves after a drag belong to nobody",
         {Placed{{832, 24}}, Dragged{{700, 100}}, Dragged{{432, 124}}, Moved{{440, 130}}},
         {keep({700, 100}), keep({432, 124}), none}},
        {"each placement may be undone once",
         {Placed{{832, 24}}, Moved{{834, 42}}, Placed{{432, 124}}, Moved{{434, 142}}},
         {back({832, 24}), back({432, 124})}},
        {"nothing to undo before any placement", {Moved{{834, 42}}}, {none}},
    };
    for (const auto& c : cases) {
        PanelMoves moves;
        std::vector<PanelMoves::Decision> decisions;
        for (const Step& step : c.steps) {
            if (const auto* placed = std::get_if<Placed>(&step)) {
                moves.placed(placed->at);
            } else if (const auto* moved = std::get_if<Moved>(&step)) {
                decisions.push_back(moves.moved(moved->at));
            } else {
                decisions.push_back(moves.dragged(std::get<Dragged>(step).at));
            }
        }
        EXPECT_EQ(decisions, c.expected) << c.name;
    }
}

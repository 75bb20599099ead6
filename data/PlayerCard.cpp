// A player card builds its season tables once, when it is assembled.
#include "data/PlayerCard.h"

#include "data/StatTableBuilder.h"

#include <utility>

namespace huddlepod {

PlayerCard::PlayerCard(PlayerBio bio_, PlayerStats stats_, std::optional<HallOfFameEntry> hallOfFame_)
    : bio(std::move(bio_))
    , stats(std::move(stats_))
    , hallOfFame(std::move(hallOfFame_))
    , tables(StatTableBuilder::sections(stats)) {}

} // namespace huddlepod

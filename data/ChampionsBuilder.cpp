// Championship table: winner and loser, score, and the MVP cell with its player links.
#include "data/ChampionsBuilder.h"

#include "data/LeagueCells.h"
#include "data/StatFormat.h"

namespace huddlepod::ChampionsBuilder {

namespace {

struct Side {
    std::optional<TeamRef> team;
    std::optional<std::int64_t> score;
};

struct Result {
    Side winner;
    Side loser;
};

// The winner by id; when the id is missing or names neither team, by the higher score; else the away team.
Result result(const SuperBowlRow& row) {
    if (!row.playoffGames)
        return {};
    const SuperBowlRow::Game& game = *row.playoffGames;
    // Built straight from the game's fields: copying a local Side trips a false GCC 12 warning at -O2.
    const auto ordered = [&](bool homeWon) -> Result {
        if (homeWon)
            return {{game.home, game.homeScore}, {game.away, game.awayScore}};
        return {{game.away, game.awayScore}, {game.home, game.homeScore}};
    };
    const auto isTeam = [&](const std::optional<TeamRef>& team) {
        return game.winnerTeamId && team && team->id && *team->id == *game.winnerTeamId;
    };
    if (isTeam(game.home))
        return ordered(true);
    if (isTeam(game.away))
        return ordered(false);
    return ordered(game.homeScore && game.awayScore && *game.homeScore > *game.awayScore);
}

QString abbreviation(const Side& side) {
    return StatFormat::text(side.team ? side.team->currentAbbreviation : std::nullopt);
}

QString score(std::optional<std::int64_t> winner, std::optional<std::int64_t> loser) {
    if (!winner || !loser)
        return StatFormat::absent;
    return QString::number(*winner) + QChar(0x2013) + QString::number(*loser);
}

QString mvpLabel(const SuperBowlRow& row) {
    if (row.coMvp && row.coMvp->fullName)
        return QStringLiteral("2 winners");
    const std::optional<QString> name = row.mvp && row.mvp->fullName ? row.mvp->fullName : row.mvpName;
    return StatFormat::text(name);
}

std::vector<PlayerLink> mvpLinks(const SuperBowlRow& row) {
    std::vector<PlayerLink> links;
    const auto add = [&](const std::optional<SuperBowlRow::Named>& named,
                         const std::optional<QString>& position) {
        if (named && named->id && named->fullName && !named->fullName->isEmpty())
            links.push_back(PlayerLink{*named->id, *named->fullName, position});
    };
    add(row.mvp, row.mvpPosition);
    add(row.coMvp, std::nullopt);
    return links;
}

std::vector<StatColumn> columns() {
    using LeagueCells::column;
    return {column(QStringLiteral("SB"), 42, false, false, 24.0, true),
            column(QStringLiteral("Yr"), 30, false, true, 24.0, false),
            column(QStringLiteral("W"), 26, false, false, 16.0, true),
            column(QStringLiteral("L"), 26, false, false, 24.0, true),
            column(QStringLiteral("Score"), 36, false, false, 24.0, true),
            column(QStringLiteral("MVP"), 108, false, false, std::nullopt, true)};
}

} // namespace

DataTable build(const std::vector<SuperBowlRow>& rows) {
    std::vector<DataRow> made;
    made.reserve(rows.size());
    for (const SuperBowlRow& row : rows) {
        const Result game = result(row);
        std::vector<QString> values{
            StatFormat::text(row.romanNumeral),
            StatFormat::integer(row.seasons ? std::optional(row.seasons->year) : std::nullopt),
            abbreviation(game.winner),
            abbreviation(game.loser),
            score(game.winner.score, game.loser.score),
            mvpLabel(row),
        };
        DataRow next = LeagueCells::row(QString::number(row.superBowlNumber.value_or(0)), std::move(values));
        if (std::vector<PlayerLink> links = mvpLinks(row); !links.empty())
            next.links.emplace(5, std::move(links));
        made.push_back(std::move(next));
    }
    std::vector<DataSection> sections;
    sections.push_back(LeagueCells::section(std::nullopt, std::move(made), true));
    return DataTable(std::nullopt, columns(), {}, std::move(sections));
}

} // namespace huddlepod::ChampionsBuilder

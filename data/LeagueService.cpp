// League queries: their exact shapes, the per-year season context cache and the concurrent year bounds.
#include "data/LeagueService.h"

#include "data/AwardsBuilder.h"
#include "data/ChampionsBuilder.h"
#include "data/DraftBuilder.h"
#include "data/ScheduleBuilder.h"
#include "data/StandingsBuilder.h"
#include "data/StatFormat.h"

#include <exception>
#include <stdexcept>

// The one-value rows of the service's own lookups.
#define HUDDLEPOD_YEAR_ONLY_FIELDS(X) X(int, year)
#define HUDDLEPOD_NESTED_YEAR_FIELDS(X) X(YearOnly, seasons)
#define HUDDLEPOD_ROUNDS_FIELDS(X) X(std::optional<int>, rounds)

namespace huddlepod {

namespace {

constexpr int maximumDraftRounds = 100;

// A row holding `year` (required): the newest draft year and the plain year bounds.
struct YearOnly {
    HUDDLEPOD_LEAGUE_RECORD(YearOnly, HUDDLEPOD_YEAR_ONLY_FIELDS)
};
// A row holding `seasons.year` (both required): the newest standings year and the embedded year bounds.
struct NestedYear {
    HUDDLEPOD_LEAGUE_RECORD(NestedYear, HUDDLEPOD_NESTED_YEAR_FIELDS)
};
struct RoundsRow {
    HUDDLEPOD_LEAGUE_RECORD(RoundsRow, HUDDLEPOD_ROUNDS_FIELDS)
};

namespace Select {
const QString seasons = QStringLiteral("id,year,playoff_teams_per_conference");
const QString divisionHistory =
    QStringLiteral("team_id,divisions!inner(name,abbreviation,conferences!inner(abbreviation))");
const QString seasonYear = QStringLiteral("seasons!inner(year)");
const QString standings = QStringLiteral(
    "wins,losses,ties,win_pct,points_for,points_against,point_differential,division_rank,conference_seed,"
    "is_division_winner,is_playoff_team,teams!inner(id,current_abbreviation,current_name,current_city)");
const QString champions =
    QStringLiteral("super_bowl_number,roman_numeral,mvp_name,mvp_position,seasons!inner(year),"
                   "mvp:players!super_bowls_mvp_player_id_fkey(id,full_name),"
                   "co_mvp:players!super_bowls_co_mvp_player_id_fkey(id,full_name),"
                   "playoff_games(home_score,away_score,winner_team_id,"
                   "home:teams!playoff_games_home_team_id_fkey(id,current_abbreviation),"
                   "away:teams!playoff_games_away_team_id_fkey(id,current_abbreviation))");
const QString draftPicks = QStringLiteral(
    "round,pick_overall,drafts!inner(year),teams:teams!draft_picks_team_id_fkey(id,current_abbreviation),"
    "players(id,full_name,college),positions(abbreviation)");
const QString games = QStringLiteral("id,week,game_date,gametime,game_day_of_week,home_team_abbr,away_team_"
                                     "abbr,home_score,away_score,tv_network");
const QString awardWinners = QStringLiteral(
    "ranking,vote_percentage,award_types!inner(abbreviation,name,sort_order),players!inner(id,full_name),"
    "positions(abbreviation,position_group,sort_order),"
    "teams:teams!awards_team_id_fkey(id,current_abbreviation,current_name,current_city),seasons!inner(year)");
const QString allPro = QStringLiteral(
    "team_level,players!inner(id,full_name),positions!inner(abbreviation,position_group,sort_order),"
    "teams:teams!all_pro_selections_team_id_fkey(id,current_abbreviation,current_name,current_city),"
    "seasons!inner(year)");
const QString allRookie =
    QStringLiteral("players!inner(id,full_name),positions!inner(abbreviation,position_group,sort_order),"
                   "teams!inner(id,current_abbreviation,current_name,current_city),seasons!inner(year)");
} // namespace Select

// A year from the backend that a league cannot have fails the answer as undecodable.
int plausibleYear(int year, const char* path) {
    if (!YearRange::isPlausible(year))
        throw PostgRESTError::decoding(QStringLiteral("%1: %2 is outside %3…%4")
                                           .arg(QLatin1String(path))
                                           .arg(year)
                                           .arg(YearRange::earliestPlausible)
                                           .arg(YearRange::latestPlausible));
    return year;
}

// The year of the first row, when there is one.
std::optional<int> firstYear(const std::vector<YearOnly>& rows) {
    if (rows.empty())
        return std::nullopt;
    return plausibleYear(rows.front().year, "[0].year");
}

std::optional<int> firstNestedYear(const std::vector<NestedYear>& rows) {
    if (rows.empty())
        return std::nullopt;
    return plausibleYear(rows.front().seasons.year, "[0].seasons.year");
}

// The rounds 1…count of the first row's count.
std::vector<int> roundsOf(const std::vector<RoundsRow>& rows) {
    std::vector<int> rounds;
    if (rows.empty() || !rows.front().rounds)
        return rounds;
    const int count = *rows.front().rounds;
    // No draft has come near this; a larger count is a broken answer, not a list to allocate.
    if (count > maximumDraftRounds)
        throw PostgRESTError::decoding(QStringLiteral("[0].rounds: %1 is out of range").arg(count));
    for (int round = 1; round <= count; ++round)
        rounds.push_back(round);
    return rounds;
}

QString eq(const QString& value) {
    return QStringLiteral("eq.") + value;
}

QString eq(int value) {
    return eq(QString::number(value));
}

DivisionAssignment assignment(const DivisionHistoryRow& row) {
    const DivisionHistoryRow::Division& division = *row.divisions;
    const QString name = division.abbreviation ? *division.abbreviation
                         : division.name       ? *division.name
                                               : StatFormat::absent;
    const std::optional<QString> conference =
        division.conferences ? division.conferences->abbreviation : std::nullopt;
    return DivisionAssignment{row.teamId, name, conference.value_or(StatFormat::absent)};
}

// The queries, their items in the order they are sent.
namespace Query {

QueryItem item(const char* name, QString value) {
    return QueryItem{QString::fromLatin1(name), std::move(value)};
}

QueryItems seasonRow(int year) {
    return {item("year", eq(year)), item("select", Select::seasons), item("limit", QStringLiteral("1"))};
}

QueryItems divisionHistory(int year) {
    const QString y = QString::number(year);
    return {item("select", Select::divisionHistory), item("start_year", QStringLiteral("lte.") + y),
            item("or", QStringLiteral("(end_year.is.null,end_year.gte.") + y + QLatin1Char(')'))};
}

QueryItems latestStandingsYear() {
    return {item("select", Select::seasonYear), item("order", QStringLiteral("seasons(year).desc")),
            item("limit", QStringLiteral("1"))};
}

QueryItems latestDraftYear() {
    return {item("select", QStringLiteral("year")), item("order", QStringLiteral("year.desc")),
            item("limit", QStringLiteral("1"))};
}

QueryItems standings(const QUuid& seasonID) {
    return {item("season_id", eq(seasonID.toString(QUuid::WithoutBraces).toLower())),
            item("select", Select::standings), item("order", QStringLiteral("division_rank.asc"))};
}

QueryItems champions(int limit) {
    return {item("select", Select::champions), item("order", QStringLiteral("super_bowl_number.desc")),
            item("limit", QString::number(limit))};
}

QueryItems draftRounds(int year) {
    return {item("select", QStringLiteral("rounds")), item("year", eq(year)),
            item("limit", QStringLiteral("1"))};
}

QueryItems draftRoundPicks(int year, int round) {
    return {item("select", Select::draftPicks), item("drafts.year", eq(year)), item("round", eq(round)),
            item("order", QStringLiteral("pick_overall.asc"))};
}

QueryItems awardWinners(int year) {
    return {item("select", Select::awardWinners), item("seasons.year", eq(year)),
            item("ranking", QStringLiteral("eq.1")),
            item("order", QStringLiteral("award_types(sort_order).asc"))};
}

QueryItems allPro(int year) {
    return {item("select", Select::allPro), item("seasons.year", eq(year))};
}

QueryItems allRookie(int year) {
    return {item("select", Select::allRookie), item("seasons.year", eq(year))};
}

QueryItems yearBound(const QString& yearPath, const QString& order) {
    return {item("select", yearPath), item("order", order), item("limit", QStringLiteral("1"))};
}

} // namespace Query

} // namespace

LeagueService::LeagueService(std::shared_ptr<PostgRESTClient> client)
    : m_client(std::move(client)) {}

LeagueService::LeagueService() = default;

LeagueService::~LeagueService() = default;

template <typename Row>
QCoro::Task<std::vector<Row>> LeagueService::select(QString table, QueryItems items,
                                                    CancellationToken token) {
    if (!m_client)
        throw std::logic_error("a LeagueService made without a client must override every operation");
    co_return co_await m_client->select<Row>(std::move(table), std::move(items), std::move(token));
}

template <typename Row, typename Make>
auto LeagueService::select(QString table, QueryItems items, CancellationToken token, Make make)
    -> QCoro::Task<std::invoke_result_t<Make&, std::vector<Row>>> {
    if (!m_client)
        throw std::logic_error("a LeagueService made without a client must override every operation");
    co_return co_await m_client->select<Row>(std::move(table), std::move(items), std::move(token),
                                             std::move(make));
}

QCoro::Task<std::optional<LeagueService::SeasonContext>>
LeagueService::seasonContext(int year, CancellationToken token) {
    // A copy: QCoro moves from an lvalue co_returned into a task of another type (here the optional).
    if (const auto cached = m_contextCache.find(year); cached != m_contextCache.end())
        co_return std::optional<SeasonContext>(cached->second);

    const auto seasons = co_await select<SeasonRow>(QStringLiteral("seasons"), Query::seasonRow(year), token);
    if (seasons.empty())
        co_return std::nullopt;
    const auto history = co_await select<DivisionHistoryRow>(QStringLiteral("team_division_history"),
                                                             Query::divisionHistory(year), token);

    SeasonContext context{seasons.front().id, {}};
    for (const DivisionHistoryRow& row : history) {
        if (row.divisions)
            context.assignments.insert_or_assign(row.teamId, assignment(row)); // a later row wins
    }
    // An overlapping fetch of the same year may have stored its context meanwhile; the later store wins.
    m_contextCache.insert_or_assign(year, context);
    co_return context;
}

QCoro::Task<std::optional<int>> LeagueService::latestStandingsYear(CancellationToken token) {
    co_return co_await select<NestedYear>(QStringLiteral("standings"), Query::latestStandingsYear(), token,
                                          firstNestedYear);
}

QCoro::Task<std::optional<int>> LeagueService::latestDraftYear(CancellationToken token) {
    co_return co_await select<YearOnly>(QStringLiteral("drafts"), Query::latestDraftYear(), token, firstYear);
}

QCoro::Task<std::optional<DataTable>> LeagueService::standings(int year, StandingsGrouping grouping,
                                                               CancellationToken token) {
    const std::optional<SeasonContext> context = co_await seasonContext(year, token);
    if (!context)
        co_return std::nullopt;
    const auto rows =
        co_await select<StandingRow>(QStringLiteral("standings"), Query::standings(context->seasonID), token);
    if (rows.empty())
        co_return std::nullopt;
    if (grouping == StandingsGrouping::conference)
        co_return StandingsBuilder::byConference(rows, context->assignments);
    co_return StandingsBuilder::byDivision(rows, context->assignments);
}

QCoro::Task<DataTable> LeagueService::champions(int limit, CancellationToken token) {
    const auto rows =
        co_await select<SuperBowlRow>(QStringLiteral("super_bowls"), Query::champions(limit), token);
    co_return ChampionsBuilder::build(rows);
}

QCoro::Task<std::vector<int>> LeagueService::draftRounds(int year, CancellationToken token) {
    co_return co_await select<RoundsRow>(QStringLiteral("drafts"), Query::draftRounds(year), token, roundsOf);
}

QCoro::Task<std::optional<DataTable>> LeagueService::draft(int year, int round, CancellationToken token) {
    const auto rows = co_await select<DraftPickRow>(QStringLiteral("draft_picks"),
                                                    Query::draftRoundPicks(year, round), token);
    if (rows.empty())
        co_return std::nullopt;
    co_return DraftBuilder::build(rows, year, round);
}

QCoro::Task<std::optional<YearRange>> LeagueService::scheduleYearBounds(CancellationToken token) {
    return yearBounds(QStringLiteral("games"), QStringLiteral("year"), QStringLiteral("year"),
                      std::move(token));
}

QCoro::Task<std::optional<int>> LeagueService::yearBound(QString table, QString yearPath, QString order,
                                                         bool nested, CancellationToken token) {
    if (nested)
        co_return co_await select<NestedYear>(table, Query::yearBound(yearPath, order), token,
                                              firstNestedYear);
    co_return co_await select<YearOnly>(table, Query::yearBound(yearPath, order), token, firstYear);
}

QCoro::Task<std::optional<YearRange>> LeagueService::yearBounds(QString table, QString yearPath,
                                                                QString order, CancellationToken token) {
    const bool nested = yearPath.contains(QLatin1Char('('));
    CancellationSource upperSource(token);
    // Both lookups start here, before either is awaited, so their requests overlap.
    QCoro::Task<std::optional<int>> lower =
        yearBound(table, yearPath, order + QStringLiteral(".asc"), nested, token);
    QCoro::Task<std::optional<int>> upper =
        yearBound(table, yearPath, order + QStringLiteral(".desc"), nested, upperSource.token());

    std::optional<int> lowest;
    std::exception_ptr lowerError;
    try {
        lowest = co_await std::move(lower);
    } catch (...) {
        lowerError = std::current_exception();
    }
    if (lowerError || !lowest) {
        // The lower bound decides: the upper lookup is cancelled and awaited, and whatever it did is dropped.
        upperSource.cancel();
        try {
            co_await std::move(upper);
        } catch (...) {
        }
        if (lowerError)
            std::rethrow_exception(lowerError);
        co_return std::nullopt;
    }
    const std::optional<int> highest = co_await std::move(upper);
    if (!highest || *highest < *lowest)
        co_return std::nullopt;
    const YearRange range{*lowest, *highest};
    if (range.upperBound - range.lowerBound + 1 > YearRange::maximumSpan) {
        // Either bound may be the wrong one: neither is kept.
        for (const char* direction : {".asc", ".desc"})
            m_client->forget(table, Query::yearBound(yearPath, order + QLatin1String(direction)));
        throw PostgRESTError::decoding(QStringLiteral("%1…%2 spans more than %3 years")
                                           .arg(range.lowerBound)
                                           .arg(range.upperBound)
                                           .arg(YearRange::maximumSpan));
    }
    co_return range;
}

QueryItems LeagueService::scheduleQuery(int year) {
    return {Query::item("select", Select::games), Query::item("year", eq(year)),
            Query::item("order", QStringLiteral("game_date.asc,gametime.asc")),
            Query::item("limit", QString::number(ScheduleBuilder::maximumGames))};
}

QCoro::Task<std::optional<SeasonSchedule>> LeagueService::schedule(int year, CancellationToken token) {
    co_return co_await select<GameRow>(QStringLiteral("games"), scheduleQuery(year), token,
                                       [](const std::vector<GameRow>& rows) -> std::optional<SeasonSchedule> {
                                           if (rows.empty())
                                               return std::nullopt;
                                           return ScheduleBuilder::season(rows);
                                       });
}

QCoro::Task<std::optional<YearRange>> LeagueService::awardsYearBounds(CancellationToken token) {
    return yearBounds(QStringLiteral("awards"), Select::seasonYear, QStringLiteral("seasons(year)"),
                      std::move(token));
}

QCoro::Task<std::optional<DataTable>> LeagueService::awards(int year, AwardsSection section,
                                                            CancellationToken token) {
    switch (section) {
    case AwardsSection::winners:
        break;
    case AwardsSection::allPro:
        return allPro(year, std::move(token));
    case AwardsSection::allRookie:
        return allRookie(year, std::move(token));
    }
    return awardWinners(year, std::move(token));
}

template <typename Row>
QCoro::Task<std::optional<DataTable>> LeagueService::tableOrNone(QString table, QueryItems items,
                                                                 DataTable (*build)(const std::vector<Row>&),
                                                                 CancellationToken token) {
    const auto rows = co_await select<Row>(std::move(table), std::move(items), std::move(token));
    if (rows.empty())
        co_return std::nullopt;
    co_return build(rows);
}

QCoro::Task<std::optional<DataTable>> LeagueService::awardWinners(int year, CancellationToken token) {
    return tableOrNone<AwardRow>(QStringLiteral("awards"), Query::awardWinners(year), AwardsBuilder::winners,
                                 std::move(token));
}

QCoro::Task<std::optional<DataTable>> LeagueService::allPro(int year, CancellationToken token) {
    return tableOrNone<HonorRow>(QStringLiteral("all_pro_selections"), Query::allPro(year),
                                 AwardsBuilder::allPro, std::move(token));
}

QCoro::Task<std::optional<DataTable>> LeagueService::allRookie(int year, CancellationToken token) {
    return tableOrNone<HonorRow>(QStringLiteral("all_rookie_selections"), Query::allRookie(year),
                                 AwardsBuilder::allRookie, std::move(token));
}

} // namespace huddlepod

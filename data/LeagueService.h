// The league's questions (standings, schedule, draft, awards, champions and year ranges) answered as tables.
#pragma once

#include "data/AwardsSection.h"
#include "data/DataTable.h"
#include "data/LeagueRows.h"
#include "data/PostgRESTClient.h"
#include "data/SeasonSchedule.h"
#include "data/YearRange.h"
#include "platform/async/Cancellation.h"

#include <QString>
#include <QUuid>
#include <qcoro/qcorotask.h>

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <type_traits>
#include <vector>

namespace huddlepod {

// Lives on the GUI thread. Every operation sends read-only queries through the shared client and fails
// with the client's PostgRESTError; empty answers are not errors.
class LeagueService {
public:
    enum class StandingsGrouping { division, conference };
    static constexpr std::array<StandingsGrouping, 2> allGroupings{StandingsGrouping::division,
                                                                   StandingsGrouping::conference};
    static QString rawValue(StandingsGrouping grouping) {
        return grouping == StandingsGrouping::division ? QStringLiteral("division")
                                                       : QStringLiteral("conference");
    }
    static QString id(StandingsGrouping grouping) { return rawValue(grouping); }
    // None for any text but the raw values (which are lower case).
    static std::optional<StandingsGrouping> groupingFromRawValue(const QString& raw) {
        for (StandingsGrouping grouping : allGroupings) {
            if (rawValue(grouping) == raw)
                return grouping;
        }
        return std::nullopt;
    }

    // Team to division and conference for one season.
    struct SeasonContext {
        QUuid seasonID;
        DivisionAssignments assignments;
        bool operator==(const SeasonContext&) const = default;
    };

    // Shares ownership of the client, which lives at least as long as the service.
    explicit LeagueService(std::shared_ptr<PostgRESTClient> client);
    virtual ~LeagueService();
    LeagueService(const LeagueService&) = delete;
    LeagueService& operator=(const LeagueService&) = delete;

    // None when the season has no row; cached per year once found.
    virtual QCoro::Task<std::optional<SeasonContext>> seasonContext(int year, CancellationToken token = {});
    virtual QCoro::Task<std::optional<int>> latestStandingsYear(CancellationToken token = {});
    virtual QCoro::Task<std::optional<int>> latestDraftYear(CancellationToken token = {});
    // None when the season or its standings rows are missing.
    virtual QCoro::Task<std::optional<DataTable>> standings(int year, StandingsGrouping grouping,
                                                            CancellationToken token = {});
    // Newest first, at most `limit` games; a table (possibly without sections) even for no rows.
    virtual QCoro::Task<DataTable> champions(int limit, CancellationToken token = {});
    // 1 through the year's rounds; empty when unknown.
    virtual QCoro::Task<std::vector<int>> draftRounds(int year, CancellationToken token = {});
    virtual QCoro::Task<std::optional<DataTable>> draft(int year, int round, CancellationToken token = {});
    virtual QCoro::Task<std::optional<YearRange>> scheduleYearBounds(CancellationToken token = {});
    virtual QCoro::Task<std::optional<SeasonSchedule>> schedule(int year, CancellationToken token = {});
    virtual QCoro::Task<std::optional<YearRange>> awardsYearBounds(CancellationToken token = {});
    virtual QCoro::Task<std::optional<DataTable>> awards(int year, AwardsSection section,
                                                         CancellationToken token = {});

protected:
    // For test doubles that override the operations they use; the others throw std::logic_error.
    LeagueService();

private:
    // The schedule query's items, in the order they are sent.
    static QueryItems scheduleQuery(int year);
    template <typename Row>
    QCoro::Task<std::vector<Row>> select(QString table, QueryItems items, CancellationToken token);
    // The rows given to `make`; an answer it refuses (PostgRESTError::decoding) is not kept.
    template <typename Row, typename Make>
    auto select(QString table, QueryItems items, CancellationToken token, Make make)
        -> QCoro::Task<std::invoke_result_t<Make&, std::vector<Row>>>;
    QCoro::Task<std::optional<YearRange>> yearBounds(QString table, QString yearPath, QString order,
                                                     CancellationToken token);
    QCoro::Task<std::optional<int>> yearBound(QString table, QString yearPath, QString order, bool nested,
                                              CancellationToken token);
    // The rows of one query built into a table; none when there are no rows.
    template <typename Row>
    QCoro::Task<std::optional<DataTable>> tableOrNone(QString table, QueryItems items,
                                                      DataTable (*build)(const std::vector<Row>&),
                                                      CancellationToken token);
    QCoro::Task<std::optional<DataTable>> awardWinners(int year, CancellationToken token);
    QCoro::Task<std::optional<DataTable>> allPro(int year, CancellationToken token);
    QCoro::Task<std::optional<DataTable>> allRookie(int year, CancellationToken token);

    std::shared_ptr<PostgRESTClient> m_client;
    std::map<int, SeasonContext> m_contextCache;
};

} // namespace huddlepod

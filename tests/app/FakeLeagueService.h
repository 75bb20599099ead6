// A league service whose every answer the test gives; requests are logged as short descriptions.
#pragma once

#include "data/LeagueService.h"
#include "tests/app/CallLog.h"

namespace huddlepod::testing {

class FakeLeagueService final : public LeagueService {
public:
    CallLog calls;

    QCoro::Task<std::optional<int>> latestStandingsYear(CancellationToken token) override {
        return calls.record<std::optional<int>>(QStringLiteral("latestStandingsYear"), token);
    }
    QCoro::Task<std::optional<int>> latestDraftYear(CancellationToken token) override {
        return calls.record<std::optional<int>>(QStringLiteral("latestDraftYear"), token);
    }
    QCoro::Task<std::optional<DataTable>> standings(int year, StandingsGrouping grouping,
                                                    CancellationToken token) override {
        return calls.record<std::optional<DataTable>>(
            QStringLiteral("standings %1 %2").arg(year).arg(rawValue(grouping)), token);
    }
    QCoro::Task<DataTable> champions(int limit, CancellationToken token) override {
        return calls.record<DataTable>(QStringLiteral("champions %1").arg(limit), token);
    }
    QCoro::Task<std::vector<int>> draftRounds(int year, CancellationToken token) override {
        return calls.record<std::vector<int>>(QStringLiteral("draftRounds %1").arg(year), token);
    }
    QCoro::Task<std::optional<DataTable>> draft(int year, int round, CancellationToken token) override {
        return calls.record<std::optional<DataTable>>(QStringLiteral("draft %1 %2").arg(year).arg(round),
                                                      token);
    }
    QCoro::Task<std::optional<YearRange>> scheduleYearBounds(CancellationToken token) override {
        return calls.record<std::optional<YearRange>>(QStringLiteral("scheduleYearBounds"), token);
    }
    QCoro::Task<std::optional<SeasonSchedule>> schedule(int year, CancellationToken token) override {
        return calls.record<std::optional<SeasonSchedule>>(QStringLiteral("schedule %1").arg(year), token);
    }
    QCoro::Task<std::optional<YearRange>> awardsYearBounds(CancellationToken token) override {
        return calls.record<std::optional<YearRange>>(QStringLiteral("awardsYearBounds"), token);
    }
    QCoro::Task<std::optional<DataTable>> awards(int year, AwardsSection section,
                                                 CancellationToken token) override {
        return calls.record<std::optional<DataTable>>(
            QStringLiteral("awards %1 %2").arg(year).arg(AwardsSections::rawValue(section)), token);
    }
};

} // namespace huddlepod::testing

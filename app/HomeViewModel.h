// The state behind the league browser: five pages, the year and narrowing choice of each, and their caches.
#pragma once

#include "app/HomeContentState.h"
#include "app/HomeTab.h"
#include "app/ScheduleGrouping.h"
#include "data/AwardsSection.h"
#include "data/DataTable.h"
#include "data/LeagueService.h"
#include "data/ScheduleWeek.h"
#include "data/SeasonSchedule.h"
#include "platform/async/Cancellation.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <qcoro/qcorotask.h>

#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace huddlepod {

class HomeViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(huddlepod::HomeTab tab READ tab WRITE setTab NOTIFY tabChanged)
    Q_PROPERTY(huddlepod::HomeContentState state READ state WRITE setState NOTIFY stateChanged)
    Q_PROPERTY(std::optional<int> year READ year WRITE setYear NOTIFY yearChanged)
    Q_PROPERTY(huddlepod::LeagueService::StandingsGrouping standingsGrouping READ standingsGrouping WRITE
                   setStandingsGrouping NOTIFY standingsGroupingChanged)
    Q_PROPERTY(int draftRound READ draftRound WRITE setDraftRound NOTIFY draftRoundChanged)
    Q_PROPERTY(std::vector<int> availableRounds READ availableRounds NOTIFY availableRoundsChanged)
    Q_PROPERTY(std::optional<huddlepod::ScheduleWeek> selectedWeek READ selectedWeek WRITE setSelectedWeek
                   NOTIFY selectedWeekChanged)
    Q_PROPERTY(
        std::vector<huddlepod::ScheduleWeek> availableWeeks READ availableWeeks NOTIFY availableWeeksChanged)
    Q_PROPERTY(huddlepod::ScheduleGrouping scheduleGrouping READ scheduleGrouping WRITE setScheduleGrouping
                   NOTIFY scheduleGroupingChanged)
    Q_PROPERTY(std::optional<QString> selectedTeam READ selectedTeam WRITE setSelectedTeam NOTIFY
                   selectedTeamChanged)
    Q_PROPERTY(std::vector<QString> availableTeams READ availableTeams NOTIFY availableTeamsChanged)
    Q_PROPERTY(huddlepod::AwardsSection awardsSection READ awardsSection WRITE setAwardsSection NOTIFY
                   awardsSectionChanged)

public:
    using StandingsGrouping = LeagueService::StandingsGrouping;
    using Bounds = std::map<HomeTab, YearRange>;

    static constexpr int championsLimit = 60;
    static constexpr int earliestYear = 1920;

    // Starts nothing; the view calls load() each time it comes on screen.
    explicit HomeViewModel(std::shared_ptr<LeagueService> league, QObject* parent = nullptr);
    ~HomeViewModel() override;

    HomeTab tab() const { return m_tab; }
    const HomeContentState& state() const { return m_state; }
    std::optional<int> year() const { return m_year; }
    StandingsGrouping standingsGrouping() const { return m_standingsGrouping; }
    int draftRound() const { return m_draftRound; }
    const std::vector<int>& availableRounds() const { return m_availableRounds; }
    const std::optional<ScheduleWeek>& selectedWeek() const { return m_selectedWeek; }
    const std::vector<ScheduleWeek>& availableWeeks() const { return m_availableWeeks; }
    ScheduleGrouping scheduleGrouping() const { return m_scheduleGrouping; }
    const std::optional<QString>& selectedTeam() const { return m_selectedTeam; }
    const std::vector<QString>& availableTeams() const { return m_availableTeams; }
    AwardsSection awardsSection() const { return m_awardsSection; }
    // Selectable years of each page, once known; never one for champions.
    const Bounds& bounds() const { return m_bounds; }

    // Whether the page has a narrowing control to show.
    bool hasSubControls() const;
    bool showsYearPicker() const { return m_tab != HomeTab::champions && m_year.has_value(); }

    // (Re)loads the open page, replacing the load in flight.
    void load();
    // A load is under way: the state shown may still be the one from before the last change.
    bool isLoading() const { return m_isLoading; }
    // The year picker's choice: ignored for the shown year, for a page without bounds and outside them.
    void selectYear(int year);

    // Setters decide whether a write reloads, whoever writes.
    void setTab(HomeTab tab);                               // always reloads
    void setStandingsGrouping(StandingsGrouping grouping);  // reloads on standings
    void setDraftRound(int round);                          // reloads on draft
    void setAwardsSection(AwardsSection section);           // reloads on awards
    void setScheduleGrouping(ScheduleGrouping grouping);    // reloads on schedule when changed
    void setSelectedWeek(std::optional<ScheduleWeek> week); // reloads on schedule when changed
    void setSelectedTeam(std::optional<QString> team);      // reloads on schedule when changed
    void setYear(std::optional<int> year);                  // plain store
    void setState(HomeContentState state);                  // plain store

signals:
    void tabChanged();
    void stateChanged();
    void yearChanged();
    void standingsGroupingChanged();
    void draftRoundChanged();
    void availableRoundsChanged();
    void selectedWeekChanged();
    void availableWeeksChanged();
    void scheduleGroupingChanged();
    void selectedTeamChanged();
    void availableTeamsChanged();
    void awardsSectionChanged();
    void boundsChanged();

private:
    // What one page fetch asks the service for, taken from the model before the request goes out.
    struct PageRequest {
        HomeTab tab = HomeTab::standings;
        std::optional<int> year;
        StandingsGrouping grouping = StandingsGrouping::division;
        int round = 1;
        AwardsSection section = AwardsSection::winners;
    };

    // Ends the model's loading when the load that holds it ends, unless a newer load replaced it.
    struct LoadEnd {
        QPointer<HomeViewModel> self;
        CancellationToken token;
        ~LoadEnd();
    };

    // Shows a year on the open page and remembers it there.
    void setPageYear(std::optional<int> year);
    std::optional<int> storedYear(HomeTab tab) const;
    QString cacheKey(HomeTab tab) const;
    QString emptyMessage(HomeTab tab) const;
    PageRequest pageRequest(HomeTab tab) const;
    // The schedule's week or team table, from the season already fetched.
    std::optional<DataTable> scheduleTable() const;
    // Applies a season's weeks and teams, keeping the selections the season still has.
    void applySchedule(const SeasonSchedule& schedule);
    template <typename Change>
    void withoutReloading(Change change);
    void setAvailableRounds(std::vector<int> rounds);
    void setAvailableWeeks(std::vector<ScheduleWeek> weeks);
    void setAvailableTeams(std::vector<QString> teams);
    void storeDraftRound(int round);

    static QCoro::Task<> runLoad(QPointer<HomeViewModel> self, std::shared_ptr<LeagueService> league,
                                 HomeTab page, CancellationToken token);
    static QCoro::Task<std::optional<YearRange>>
    resolveBounds(HomeTab tab, std::shared_ptr<LeagueService> league, CancellationToken token);
    static QCoro::Task<bool> loadSchedule(QPointer<HomeViewModel> self, int year,
                                          std::shared_ptr<LeagueService> league, CancellationToken token);
    static QCoro::Task<std::optional<DataTable>>
    fetch(PageRequest request, std::shared_ptr<LeagueService> league, CancellationToken token);

    const std::shared_ptr<LeagueService> m_league;

    HomeTab m_tab = HomeTab::standings;
    HomeContentState m_state;
    std::optional<int> m_year;
    StandingsGrouping m_standingsGrouping = StandingsGrouping::division;
    int m_draftRound = 1;
    std::vector<int> m_availableRounds;
    std::optional<ScheduleWeek> m_selectedWeek;
    std::vector<ScheduleWeek> m_availableWeeks;
    ScheduleGrouping m_scheduleGrouping = ScheduleGrouping::week;
    std::optional<QString> m_selectedTeam;
    std::vector<QString> m_availableTeams;
    AwardsSection m_awardsSection = AwardsSection::winners;
    Bounds m_bounds;

    std::optional<CancellationSource> m_task;
    std::map<QString, DataTable> m_cache;          // non-empty tables only, by cache key
    std::map<int, SeasonSchedule> m_scheduleCache; // whole seasons, by year
    bool m_isAdjustingSelection = false;
    bool m_isLoading = false;
    std::map<HomeTab, int> m_viewedYear; // last year shown on each page
};

} // namespace huddlepod

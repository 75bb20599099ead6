// The state behind the league browser: five pages, the year and narrowing choice of each, and their caches.
#include "app/HomeViewModel.h"

#include "data/PostgRESTError.h"
#include "platform/async/Detached.h"

#include <algorithm>

namespace huddlepod {

namespace {
const QString unconfiguredMessage = QStringLiteral("Huddlepod isn’t configured.");
const QString pageFallback = QStringLiteral("Something went wrong loading that.");

} // namespace

HomeViewModel::HomeViewModel(std::shared_ptr<LeagueService> league, QObject* parent)
    : QObject(parent)
    , m_league(std::move(league)) {
    if (!m_league)
        m_state = HomeContentState::failed(unconfiguredMessage);
}

HomeViewModel::~HomeViewModel() {
    // The task cannot keep a QObject alive; cancelling lets it end at its next resumption.
    if (m_task)
        m_task->cancel();
}

bool HomeViewModel::hasSubControls() const {
    switch (m_tab) {
    case HomeTab::standings:
    case HomeTab::awards:
        return true;
    case HomeTab::schedule:
        return !m_availableWeeks.empty();
    case HomeTab::draft:
        return m_availableRounds.size() > 1;
    case HomeTab::champions:
        return false;
    }
    return false;
}

void HomeViewModel::load() {
    if (!m_league)
        return;
    if (m_task)
        m_task->cancel();
    m_task.emplace();
    m_isLoading = true;
    startDetached([self = QPointer(this), league = m_league, page = m_tab, token = m_task->token()] {
        return runLoad(self, league, page, token);
    });
}

void HomeViewModel::selectYear(int year) {
    if (m_year == year)
        return;
    const auto bounds = m_bounds.find(m_tab);
    if (bounds == m_bounds.end() || !bounds->second.contains(year))
        return;
    setPageYear(year);
    load();
}

void HomeViewModel::setTab(HomeTab tab) {
    if (tab != m_tab) {
        m_tab = tab;
        emit tabChanged();
    }
    load();
}

void HomeViewModel::setStandingsGrouping(StandingsGrouping grouping) {
    if (grouping != m_standingsGrouping) {
        m_standingsGrouping = grouping;
        emit standingsGroupingChanged();
    }
    if (m_tab == HomeTab::standings)
        load();
}

void HomeViewModel::setDraftRound(int round) {
    storeDraftRound(round);
    if (m_tab == HomeTab::draft)
        load();
}

void HomeViewModel::setAwardsSection(AwardsSection section) {
    if (section != m_awardsSection) {
        m_awardsSection = section;
        emit awardsSectionChanged();
    }
    if (m_tab == HomeTab::awards)
        load();
}

void HomeViewModel::setScheduleGrouping(ScheduleGrouping grouping) {
    if (grouping == m_scheduleGrouping)
        return;
    m_scheduleGrouping = grouping;
    emit scheduleGroupingChanged();
    if (m_tab == HomeTab::schedule)
        load();
}

void HomeViewModel::setSelectedWeek(std::optional<ScheduleWeek> week) {
    if (week == m_selectedWeek)
        return;
    m_selectedWeek = std::move(week);
    emit selectedWeekChanged();
    if (!m_isAdjustingSelection && m_tab == HomeTab::schedule)
        load();
}

void HomeViewModel::setSelectedTeam(std::optional<QString> team) {
    if (team == m_selectedTeam)
        return;
    m_selectedTeam = std::move(team);
    emit selectedTeamChanged();
    if (!m_isAdjustingSelection && m_tab == HomeTab::schedule)
        load();
}

void HomeViewModel::setYear(std::optional<int> year) {
    if (year == m_year)
        return;
    m_year = year;
    emit yearChanged();
}

void HomeViewModel::setState(HomeContentState state) {
    if (state == m_state)
        return;
    m_state = std::move(state);
    emit stateChanged();
}

void HomeViewModel::setPageYear(std::optional<int> year) {
    setYear(year);
    if (year)
        m_viewedYear[m_tab] = *year;
}

std::optional<int> HomeViewModel::storedYear(HomeTab tab) const {
    if (const auto viewed = m_viewedYear.find(tab); viewed != m_viewedYear.end())
        return viewed->second;
    if (const auto bounds = m_bounds.find(tab); bounds != m_bounds.end())
        return bounds->second.upperBound;
    return std::nullopt;
}

QString HomeViewModel::cacheKey(HomeTab tab) const {
    const QString year = m_year ? QString::number(*m_year) : QStringLiteral("all");
    switch (tab) {
    case HomeTab::standings:
        return QStringLiteral("standings-%1-%2").arg(year, LeagueService::rawValue(m_standingsGrouping));
    case HomeTab::schedule:
        if (m_scheduleGrouping == ScheduleGrouping::week)
            return QStringLiteral("schedule-%1-w-%2")
                .arg(year, m_selectedWeek ? m_selectedWeek->raw : QStringLiteral("none"));
        return QStringLiteral("schedule-%1-t-%2").arg(year, m_selectedTeam.value_or(QStringLiteral("none")));
    case HomeTab::draft:
        return QStringLiteral("draft-%1-%2").arg(year, QString::number(m_draftRound));
    case HomeTab::awards:
        return QStringLiteral("awards-%1-%2").arg(year, AwardsSections::rawValue(m_awardsSection));
    case HomeTab::champions:
        return QStringLiteral("champions");
    }
    return {};
}

QString HomeViewModel::emptyMessage(HomeTab tab) const {
    if (!m_year)
        return QStringLiteral("Nothing recorded yet.");
    const QString year = QString::number(*m_year);
    switch (tab) {
    case HomeTab::standings:
        return QStringLiteral("No standings recorded for %1.").arg(year);
    case HomeTab::schedule:
        return QStringLiteral("No games recorded for %1.").arg(year);
    case HomeTab::draft:
        return QStringLiteral("No round %1 recorded for the %2 draft.")
            .arg(QString::number(m_draftRound), year);
    case HomeTab::awards:
        switch (m_awardsSection) {
        case AwardsSection::winners:
            return QStringLiteral("No awards recorded for %1.").arg(year);
        case AwardsSection::allPro:
            return QStringLiteral("No All-Pro team recorded for %1.").arg(year);
        case AwardsSection::allRookie:
            return QStringLiteral("No All-Rookie team recorded for %1.").arg(year);
        }
        break;
    case HomeTab::champions:
        return QStringLiteral("No champions recorded.");
    }
    return {};
}

HomeViewModel::PageRequest HomeViewModel::pageRequest(HomeTab tab) const {
    return PageRequest{tab, m_year, m_standingsGrouping, m_draftRound, m_awardsSection};
}

std::optional<DataTable> HomeViewModel::scheduleTable() const {
    if (!m_year)
        return std::nullopt;
    const auto season = m_scheduleCache.find(*m_year);
    if (season == m_scheduleCache.end())
        return std::nullopt;
    const SeasonSchedule& schedule = season->second;
    if (m_scheduleGrouping == ScheduleGrouping::week) {
        if (!m_selectedWeek)
            return std::nullopt;
        const auto table = schedule.tables.find(*m_selectedWeek);
        return table == schedule.tables.end() ? std::nullopt : std::optional(table->second);
    }
    if (!m_selectedTeam)
        return std::nullopt;
    const auto table = schedule.teamTables.find(*m_selectedTeam);
    return table == schedule.teamTables.end() ? std::nullopt : std::optional(table->second);
}

void HomeViewModel::applySchedule(const SeasonSchedule& schedule) {
    setAvailableWeeks(schedule.weeks);
    const auto& weeks = m_availableWeeks;
    if (!m_selectedWeek || std::find(weeks.begin(), weeks.end(), *m_selectedWeek) == weeks.end()) {
        withoutReloading(
            [&] { setSelectedWeek(weeks.empty() ? std::nullopt : std::optional(weeks.front())); });
    }
    setAvailableTeams(schedule.teams);
    const auto& teams = m_availableTeams;
    if (!m_selectedTeam || std::find(teams.begin(), teams.end(), *m_selectedTeam) == teams.end()) {
        withoutReloading(
            [&] { setSelectedTeam(teams.empty() ? std::nullopt : std::optional(teams.front())); });
    }
}

template <typename Change>
void HomeViewModel::withoutReloading(Change change) {
    m_isAdjustingSelection = true;
    change();
    m_isAdjustingSelection = false;
}

void HomeViewModel::setAvailableRounds(std::vector<int> rounds) {
    if (rounds == m_availableRounds)
        return;
    m_availableRounds = std::move(rounds);
    emit availableRoundsChanged();
}

void HomeViewModel::setAvailableWeeks(std::vector<ScheduleWeek> weeks) {
    if (weeks == m_availableWeeks)
        return;
    m_availableWeeks = std::move(weeks);
    emit availableWeeksChanged();
}

void HomeViewModel::setAvailableTeams(std::vector<QString> teams) {
    if (teams == m_availableTeams)
        return;
    m_availableTeams = std::move(teams);
    emit availableTeamsChanged();
}

void HomeViewModel::storeDraftRound(int round) {
    if (round == m_draftRound)
        return;
    m_draftRound = round;
    emit draftRoundChanged();
}

HomeViewModel::LoadEnd::~LoadEnd() {
    if (self && !token.isCancelled())
        self->m_isLoading = false;
}

QCoro::Task<> HomeViewModel::runLoad(QPointer<HomeViewModel> self, std::shared_ptr<LeagueService> league,
                                     HomeTab page, CancellationToken token) {
    const LoadEnd end{self, token};
    const auto isLive = [&] { return self && !token.isCancelled(); };
    if (!isLive())
        co_return;

    // Year: the page's remembered or newest year once its bounds are known.
    if (self->m_bounds.contains(page)) {
        self->setPageYear(self->storedYear(page));
    } else {
        std::optional<YearRange> range;
        try {
            range = co_await resolveBounds(page, league, token);
        } catch (...) {
            const std::exception_ptr error = std::current_exception();
            if (!isLive())
                co_return;
            // A failed request is not "no data": show why, keep nothing, and ask again on the next load.
            self->setPageYear(std::nullopt);
            self->setState(HomeContentState::failed(PostgRESTError::userMessage(error, pageFallback)));
            co_return;
        }
        if (!isLive())
            co_return;
        if (range) {
            self->m_bounds[page] = *range;
            emit self->boundsChanged();
        }
        if (page != HomeTab::champions)
            self->setPageYear(range ? std::optional(range->upperBound) : std::nullopt);
    }

    // Narrowing lists of the shown year.
    if (self->m_year) {
        const int year = *self->m_year;
        if (page == HomeTab::schedule) {
            if (!co_await loadSchedule(self, year, league, token))
                co_return;
        } else if (page == HomeTab::draft) {
            std::vector<int> rounds;
            try {
                rounds = co_await league->draftRounds(year, token);
            } catch (...) {
                const std::exception_ptr error = std::current_exception();
                if (!isLive())
                    co_return;
                // Not a year without rounds: the round and its picker stay, and the page says why.
                self->setState(HomeContentState::failed(PostgRESTError::userMessage(error, pageFallback)));
                co_return;
            }
            if (!isLive())
                co_return;
            self->setAvailableRounds(rounds);
            if (std::find(rounds.begin(), rounds.end(), self->m_draftRound) == rounds.end())
                self->storeDraftRound(rounds.empty() ? 1 : rounds.front());
        }
    }

    const QString key = self->cacheKey(page);
    if (const auto cached = self->m_cache.find(key); cached != self->m_cache.end()) {
        self->setState(HomeContentState::loaded(cached->second));
        co_return;
    }
    self->setState(HomeContentState::loading());

    std::optional<DataTable> table;
    try {
        if (page == HomeTab::schedule)
            table = self->scheduleTable();
        else
            table = co_await fetch(self->pageRequest(page), league, token);
    } catch (...) {
        const std::exception_ptr error = std::current_exception();
        if (!isLive() || self->m_tab != page)
            co_return;
        self->setState(HomeContentState::failed(PostgRESTError::userMessage(error, pageFallback)));
        co_return;
    }
    if (!isLive() || self->m_tab != page)
        co_return;
    if (table && !table->isEmpty()) {
        self->m_cache[key] = *table;
        self->setState(HomeContentState::loaded(std::move(*table)));
    } else {
        self->setState(HomeContentState::empty(self->emptyMessage(page)));
    }
}

QCoro::Task<std::optional<YearRange>>
HomeViewModel::resolveBounds(HomeTab tab, std::shared_ptr<LeagueService> league, CancellationToken token) {
    switch (tab) {
    case HomeTab::standings:
    case HomeTab::draft: {
        // Two plain awaits, not one conditional expression around both: GCC 12 mishandles the latter.
        std::optional<int> latest;
        if (tab == HomeTab::standings)
            latest = co_await league->latestStandingsYear(token);
        else
            latest = co_await league->latestDraftYear(token);
        // A newest year before the earliest season cannot form a range; the page then has no year.
        if (!latest || *latest < earliestYear)
            co_return std::nullopt;
        co_return YearRange{earliestYear, *latest};
    }
    case HomeTab::schedule:
        co_return co_await league->scheduleYearBounds(token);
    case HomeTab::awards:
        co_return co_await league->awardsYearBounds(token);
    case HomeTab::champions:
        break;
    }
    co_return std::nullopt;
}

QCoro::Task<bool> HomeViewModel::loadSchedule(QPointer<HomeViewModel> self, int year,
                                              std::shared_ptr<LeagueService> league,
                                              CancellationToken token) {
    const auto isLive = [&] { return self && !token.isCancelled(); };
    if (!self->m_scheduleCache.contains(year)) {
        self->setState(HomeContentState::loading());
        std::optional<SeasonSchedule> schedule;
        try {
            schedule = co_await league->schedule(year, token);
        } catch (...) {
            const std::exception_ptr error = std::current_exception();
            if (!isLive())
                co_return false;
            // Not a season without games: nothing is stored, the selections stay for the retry.
            self->setAvailableWeeks({});
            self->setAvailableTeams({});
            self->setState(HomeContentState::failed(PostgRESTError::userMessage(error, pageFallback)));
            co_return false;
        }
        if (!isLive())
            co_return false;
        if (!schedule) {
            self->setAvailableWeeks({});
            self->setAvailableTeams({});
            self->withoutReloading([&] {
                self->setSelectedWeek(std::nullopt);
                self->setSelectedTeam(std::nullopt);
            });
            co_return true;
        }
        self->m_scheduleCache[year] = std::move(*schedule);
    }
    self->applySchedule(self->m_scheduleCache.at(year));
    co_return true;
}

QCoro::Task<std::optional<DataTable>>
HomeViewModel::fetch(PageRequest request, std::shared_ptr<LeagueService> league, CancellationToken token) {
    switch (request.tab) {
    case HomeTab::standings:
        if (!request.year)
            co_return std::nullopt;
        co_return co_await league->standings(*request.year, request.grouping, token);
    case HomeTab::draft:
        if (!request.year)
            co_return std::nullopt;
        co_return co_await league->draft(*request.year, request.round, token);
    case HomeTab::awards:
        if (!request.year)
            co_return std::nullopt;
        co_return co_await league->awards(*request.year, request.section, token);
    case HomeTab::champions:
        co_return co_await league->champions(championsLimit, token);
    case HomeTab::schedule:
        break; // served from the season's schedule, without a request
    }
    co_return std::nullopt;
}

} // namespace huddlepod

// The search page's result list: 25 rows built from a fresh answer, laid out and painted (offscreen).
#include "app/HomeViewModel.h"
#include "app/SearchViewModel.h"
#include "app/Views/SearchResultsView.h"
#include "data/SearchService.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QLayout>
#include <QScrollArea>

namespace {

using namespace huddlepod;
using namespace std::chrono_literals;

// Answers every query at once with 25 varied hits.
class InstantSearch final : public SearchService {
public:
    QCoro::Task<std::vector<SearchResult>> search(QString query, CancellationToken) override {
        std::vector<SearchResult> rows;
        for (int index = 0; index < 25; ++index) {
            SearchResult row;
            row.id = QUuid::createUuid();
            row.fullName = QStringLiteral("%1 Player %2").arg(query).arg(index);
            row.primaryPosition =
                index % 5 == 0 ? std::nullopt : std::optional<QString>(QStringLiteral("QB"));
            row.isHOF = index % 7 == 0;
            row.careerStart = 1990 + index;
            row.careerEnd = 2001 + index;
            for (const char* abbr : {"KC", "SF", "NYG"}) {
                TeamPathEntry team;
                team.abbr = QString::fromLatin1(abbr);
                row.teams.push_back(team);
            }
            rows.push_back(row);
        }
        co_return rows;
    }
};

void BM_ResultListOf25RowsLaidOutAndPainted(benchmark::State& state) {
    auto clock = std::make_shared<ManualClock>();
    SearchViewModel model(std::make_shared<InstantSearch>(), nullptr, clock, [](const QByteArray&) {});
    HomeViewModel home(nullptr);
    SearchResultsView view(&model, &home);
    view.resize(440, 523);
    view.show();
    bool alternate = false;
    for (auto _ : state) {
        model.setQuery((alternate = !alternate) ? QStringLiteral("joe") : QStringLiteral("jon"));
        clock->advance(SearchViewModel::debounce);
        view.layout()->activate();
        view.list()->widget()->layout()->activate();
        // Painted through the window's backing store, as on screen; then what an event loop turn does.
        view.repaint();
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    state.counters["rows"] = double(view.rows().size());
}
BENCHMARK(BM_ResultListOf25RowsLaidOutAndPainted)->Unit(benchmark::kMillisecond);

} // namespace

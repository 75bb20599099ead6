// The state behind the search field and the result list: debounced, cancellable searches and the selection.
#pragma once

#include "app/SearchState.h"
#include "app/TimingLine.h"
#include "platform/async/Cancellation.h"
#include "platform/async/Clock.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <qcoro/qcorotask.h>

#include <cstdint>
#include <memory>
#include <optional>

namespace huddlepod {

class PostgRESTClient;
class SearchService;

class SearchViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(huddlepod::SearchState state READ state NOTIFY stateChanged)
    Q_PROPERTY(QString query READ query WRITE setQuery NOTIFY queryChanged)
    Q_PROPERTY(int selection READ selection NOTIFY selectionChanged)
    Q_PROPERTY(bool allowsHoverSelection READ allowsHoverSelection WRITE setAllowsHoverSelection NOTIFY
                   allowsHoverSelectionChanged)
    Q_PROPERTY(int keyboardNavigationTick READ keyboardNavigationTick NOTIFY keyboardNavigationTickChanged)

public:
    static constexpr std::chrono::milliseconds debounce{150};

    // Without a search service the state is the unconfigured failure for the model's whole life.
    SearchViewModel(std::shared_ptr<SearchService> search, std::shared_ptr<PostgRESTClient> client,
                    std::shared_ptr<Clock> clock, DiagnosticSink diagnostics = writeToStandardError,
                    QObject* parent = nullptr);
    ~SearchViewModel() override;

    const SearchState& state() const { return m_state; }
    const QString& query() const { return m_query; }
    int selection() const { return m_selection; }
    bool allowsHoverSelection() const { return m_allowsHoverSelection; }
    int keyboardNavigationTick() const { return m_keyboardNavigationTick; }

    // Every write of a different text schedules a new search (or goes idle for a too-short query).
    void setQuery(const QString& query);
    // Set by the panel's mouse-moved monitor; cleared by every query change and by reset().
    void setAllowsHoverSelection(bool allows);

    // The row at `selection` while results are listed.
    std::optional<SearchResult> selectedResult() const;

    // Called on every panel show: cancels the running search, empties the query and the selection.
    void reset();
    // Keyboard navigation: moves within the listed rows without wrapping.
    void moveSelection(int delta);
    // Hover selection; ignored outside the listed rows.
    void select(int index);
    // Opens a connection early through the client; the outcome is ignored.
    void warmUp();

signals:
    void stateChanged();
    void queryChanged();
    void selectionChanged();
    void allowsHoverSelectionChanged();
    void keyboardNavigationTickChanged();

private:
    void scheduleSearch();
    void cancelSearch();
    void setState(SearchState state);
    void setSelection(int selection);
    void report(Clock::Duration elapsed, std::size_t count) const;

    static QCoro::Task<> runSearch(QPointer<SearchViewModel> self, std::shared_ptr<SearchService> search,
                                   std::shared_ptr<Clock> clock, CancellationToken token,
                                   std::uint64_t generation, QString query);

    std::shared_ptr<SearchService> m_search;
    std::shared_ptr<PostgRESTClient> m_client;
    std::shared_ptr<Clock> m_clock;
    DiagnosticSink m_diagnostics;

    SearchState m_state;
    QString m_query;
    int m_selection = 0;
    bool m_allowsHoverSelection = false;
    int m_keyboardNavigationTick = 0;

    std::optional<CancellationSource> m_searchTask;
    std::uint64_t m_generation = 0;
};

} // namespace huddlepod

// The words of the panel as a user reads them and a screen reader speaks them: the search row's, and the
// messages of a panel without a backend.
#include "Spoken.h"
#include "app/HomeViewModel.h"
#include "app/PanelNavigation.h"
#include "app/PanelSession.h"
#include "app/PlayerCardViewModel.h"
#include "app/SearchViewModel.h"
#include "app/Views/Components/StatusMessage.h"
#include "app/Views/PanelRootView.h"
#include "app/Views/PlayerCardView.h"
#include "app/Views/SearchFieldView.h"
#include "app/Views/SearchResultsView.h"
#include "platform/workspace/WorkspaceSettings.h"
#include "tests/app/FakeSearchService.h"
#include "ui/Symbols.h"

#include <QAccessible>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace huddlepod;

// A panel over the given search service (none: not configured), without player or league services.
struct Panel {
    explicit Panel(std::shared_ptr<SearchService> search)
        : model(std::move(search), nullptr, clock, [](const QByteArray&) {})
        , root(
              &session, &model, &navigation, &home,
              [this](const SearchResult& result) {
                  return cards.emplace_back(std::make_unique<PlayerCardViewModel>(result, nullptr, clock))
                      .get();
              },
              [] {}, [] {}, QStringLiteral("Ctrl+Alt+S")) {
        motion.reduceMotionValue = true;
        root.resize(440, 560);
        root.show();
    }

    ScopedWorkspaceSettings motion;
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    SearchViewModel model;
    PanelSession session;
    PanelNavigation navigation;
    HomeViewModel home{nullptr};
    std::vector<std::unique_ptr<PlayerCardViewModel>> cards;
    PanelRootView root;
};

QString spoken(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

// A page's status message: its text and its symbol's name, "-" for none.
QString said(QWidget* content) {
    auto* status = qobject_cast<StatusMessage*>(content);
    if (status == nullptr)
        return QStringLiteral("(no message)");
    return status->text() + " | " + (status->symbol() ? Symbols::name(*status->symbol()) : "-");
}

} // namespace

TEST(PanelTexts, theSearchRowSaysWhatItIsForAndNamesItsControls) {
    auto search = std::make_shared<huddlepod::testing::FakeSearchService>();
    Panel panel(search);
    SearchFieldView* row = panel.root.searchField();
    QTest::keyClicks(row->textField(), "jo");
    panel.clock->advance(SearchViewModel::debounce); // loading: the spinner shows
    // What each part shows or is called.
    const std::vector<std::pair<QString, QString>> texts{
        {row->textField()->placeholderText(), "Search players"},
        {spoken(row->textField()), "Search players"},
        {spoken(row->findChild<ActivitySpinner*>()), "Searching"},
        {said(panel.root.results()->content()), "Searching… | -"},
    };
    for (const auto& [shown, expected] : texts) {
        EXPECT_EQ(shown.toStdString(), expected.toStdString());
    }
    search->calls.abandonPending();
}

TEST(PanelTexts, aPanelWithoutABackendSaysSoOnEveryPage) {
    Panel panel(nullptr);
    const auto typed = [&panel](const char* text) {
        QTest::keyClicks(panel.root.searchField()->textField(), text);
        panel.clock->advance(SearchViewModel::debounce);
    };
    const auto onCard = [&panel] {
        SearchResult result;
        result.id = QUuid::createUuid();
        result.fullName = QStringLiteral("Joe Montana");
        panel.navigation.setRoute(PanelRoute::player(result));
    };
    const struct {
        const char* step;
        std::function<void()> act;
        bool card;
        const char* expected;
    } steps[] = {
        {"opened", [] {}, false, "Huddlepod isn’t configured. Reinstall the app. | exclamationmark.triangle"},
        {"typed", [&] { typed("jo"); }, false,
         "Huddlepod isn’t configured. Reinstall the app. | exclamationmark.triangle"},
        {"reset", [&] { panel.model.reset(); }, false,
         "Huddlepod isn’t configured. Reinstall the app. | exclamationmark.triangle"},
        {"a card", onCard, true, "Huddlepod isn’t configured. | exclamationmark.triangle"},
    };
    for (const auto& step : steps) {
        step.act();
        QWidget* content = step.card ? panel.root.card()->content() : panel.root.results()->content();
        EXPECT_EQ(said(content).toStdString(), step.expected) << step.step;
    }
}

TEST(PanelTexts, theCardsTabRowNamesItsViews) {
    auto clock = std::make_shared<ManualClock>();
    SearchResult result;
    result.fullName = QStringLiteral("Joe Montana");
    PlayerCardViewModel model(result, nullptr, clock);
    PlayerCardView view(&model);
    view.resize(440, 508);
    view.show();
    model.setState(PlayerCardState::loaded(PlayerCard(PlayerBio{}, PlayerStats{}, std::nullopt)));
    EXPECT_EQ(testsupport::spoken(view.tabRow()), QStringList({"Player view", "Seasons", "Game Log"}));
}

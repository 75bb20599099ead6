// Layout of the player card: header, tab row, divider and the seasons or game-log pane.
#include "app/Views/PlayerCardView.h"

#include "app/Views/Components/SegmentedToggle.h"
#include "app/Views/Components/StatusMessage.h"
#include "app/Views/Components/YearPicker.h"
#include "app/Views/ContentPane.h"
#include "app/Views/PlayerCardHeader.h"
#include "app/Views/WidgetAccessibility.h"

#include <QHBoxLayout>
#include <QScopedValueRollback>
#include <QVBoxLayout>

namespace huddlepod {

namespace {

const QString loadingText = QStringLiteral("Loading…");
const QString failureSymbol = QStringLiteral("exclamationmark.triangle");
const QString emptySymbol = QStringLiteral("questionmark.circle");

constexpr int tablePadding = 12;
constexpr int seasonTableSpacing = 18;
constexpr int gameLogSpacing = 12;

GridScrollArea* tablePane(const std::vector<DataTable>& tables, int spacing) {
    std::vector<QWidget*> grids;
    grids.reserve(tables.size());
    for (const DataTable& table : tables) {
        // Names in the card's tables are not links.
        grids.push_back(new DataGridView(table, PlayerCardView::tableWidth));
    }
    return new GridScrollArea(grids, QMargins(tablePadding, tablePadding, tablePadding, tablePadding),
                              spacing);
}

} // namespace

PlayerCardView::PlayerCardView(PlayerCardViewModel* model, DataGridView::OpenPlayer onOpenPlayer,
                               QWidget* parent)
    : QWidget(parent)
    , model_(model)
    , onOpenPlayer_(std::move(onOpenPlayer)) {
    setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    const SearchResult& summary = model_->summary();
    header_ = new PlayerCardHeader(summary.fullName, summary.primaryPosition, summary.isHOF, this);
    layout->addWidget(header_);

    tabRow_ = new QWidget(this);
    auto* tabLayout = new QHBoxLayout(tabRow_);
    tabLayout->setContentsMargins(horizontalPadding, 0, horizontalPadding, 8);
    tabLayout->setSpacing(8);
    const QPointer<PlayerCardViewModel> target = model_;
    tabToggle_ = new SegmentedToggle<PlayerCardTab>(
        Binding<PlayerCardTab>{[target] { return target ? target->tab() : PlayerCardTab::seasons; },
                               [this, target](const PlayerCardTab& tab) {
                                   if (target) {
                                       // The toggle moves its own highlight, animated.
                                       const QScopedValueRollback guard(writingFromToggle_, true);
                                       target->setTab(tab);
                                   }
                               }},
        QStringLiteral("Player view"), false, false, tabRow_);
    tabLayout->addWidget(tabToggle_);
    tabLayout->addStretch(1);
    yearPicker_ = new YearPicker(model_->selectedYear().value_or(0), {}, [target](int year) {
        if (target) {
            target->selectYear(year);
        }
    });
    tabLayout->addWidget(yearPicker_);
    layout->addWidget(tabRow_);

    layout->addWidget(new PaneDivider(this));

    connect(model_, &PlayerCardViewModel::stateChanged, this, [this] {
        refreshHeader();
        refreshTabRow();
        refreshContent(true);
    });
    connect(model_, &PlayerCardViewModel::tabChanged, this, [this] {
        if (!writingFromToggle_) {
            tabToggle_->refresh();
        }
        refreshTabRow();
        refreshContent(false);
    });
    connect(model_, &PlayerCardViewModel::selectedYearChanged, this, &PlayerCardView::refreshTabRow);
    connect(model_, &PlayerCardViewModel::gameLogStateChanged, this,
            [this] { refreshContent(model_->tab() == PlayerCardTab::gameLog); });

    refreshHeader();
    refreshTabRow();
    refreshContent(true);
}

PlayerCardView::~PlayerCardView() = default;

void PlayerCardView::appear() {
    if (model_) {
        announce(this, model_->summary().fullName);
        model_->load();
    }
}

void PlayerCardView::disappear() {
    if (model_) {
        model_->cancel();
    }
}

QString PlayerCardView::biographyLine(const SearchResult& summary, const PlayerCardState& state) {
    QStringList parts;
    if (const PlayerCard* card = state.card()) {
        if (const std::optional<QString> height = card->bio.heightDescription()) {
            parts << *height;
        }
        if (card->bio.weightLbs) {
            parts << QString::number(*card->bio.weightLbs) + QStringLiteral(" lb");
        }
        if (card->bio.college) {
            parts << *card->bio.college;
        }
        if (card->hallOfFame && card->hallOfFame->inductionYear) {
            parts << QStringLiteral("Hall of Fame ") + QString::number(*card->hallOfFame->inductionYear);
        }
        if (const int allPro = card->bio.firstTeamAllProCount(); allPro >= 1) {
            parts << QString::number(allPro) + QStringLiteral("× first-team All-Pro");
        }
    }
    if (const std::optional<QString> span = summary.careerSpan()) {
        parts << *span;
    } else if (parts.isEmpty()) {
        parts << summary.careerSummary();
    }
    return parts.join(QStringLiteral("  ·  "));
}

void PlayerCardView::refreshHeader() {
    header_->setBiography(biographyLine(model_->summary(), model_->state()));
}

void PlayerCardView::refreshTabRow() {
    tabRow_->setVisible(model_->state().kind() == PlayerCardState::Kind::loaded);
    const std::optional<int> year = model_->selectedYear();
    const bool showsPicker = model_->tab() == PlayerCardTab::gameLog && year.has_value();
    if (showsPicker) {
        yearPicker_->setSelectableYears(model_->availableYears(), *year);
    }
    yearPicker_->setVisible(showsPicker);
}

QString PlayerCardView::contentKind() const {
    const PlayerCardState& state = model_->state();
    if (state.kind() != PlayerCardState::Kind::loaded) {
        return QString::number(int(state.kind()));
    }
    if (model_->tab() == PlayerCardTab::seasons) {
        return QStringLiteral("seasons");
    }
    return QStringLiteral("gameLog %1").arg(int(model_->gameLogState().kind()));
}

void PlayerCardView::refreshContent(bool force) {
    QString kind = contentKind();
    if (!force && kind == contentKey_) {
        return;
    }
    contentKey_ = std::move(kind);
    setContent(makeContent());
}

QWidget* PlayerCardView::makeContent() {
    const PlayerCardState& state = model_->state();
    switch (state.kind()) {
    case PlayerCardState::Kind::failed:
        return new StatusMessage(state.message(), failureSymbol);
    case PlayerCardState::Kind::loading:
        return new StatusMessage(loadingText);
    case PlayerCardState::Kind::loaded:
        break;
    }
    if (model_->tab() == PlayerCardTab::seasons) {
        const std::vector<DataTable>& tables = state.card()->tables;
        if (tables.empty()) {
            return new StatusMessage(QStringLiteral("No season statistics recorded for this player."),
                                     emptySymbol);
        }
        return tablePane(tables, seasonTableSpacing);
    }
    const GameLogState& gameLog = model_->gameLogState();
    // Without a season there is nothing to pick, and so nothing will ever load.
    if (gameLog.kind() == GameLogState::Kind::idle && model_->availableYears().empty()) {
        return new StatusMessage(QStringLiteral("No game-by-game data recorded for this player."),
                                 emptySymbol);
    }
    switch (gameLog.kind()) {
    case GameLogState::Kind::loaded:
        return tablePane({gameLog.table()}, gameLogSpacing);
    case GameLogState::Kind::empty:
        return new StatusMessage(
            QStringLiteral("No game-by-game data recorded for %1.").arg(QString::number(gameLog.year())),
            emptySymbol);
    case GameLogState::Kind::failed:
        return new StatusMessage(gameLog.message(), failureSymbol);
    case GameLogState::Kind::idle:
    case GameLogState::Kind::loading:
        break;
    }
    return new StatusMessage(loadingText);
}

void PlayerCardView::setContent(QWidget* content) {
    replaceContent(*static_cast<QVBoxLayout*>(layout()), content_, content);
}

} // namespace huddlepod

// Layout of the league browser: tab bar, the row of narrowing control and season picker, divider, content.
#include "app/Views/HomeView.h"

#include "app/Views/Components/ListPicker.h"
#include "app/Views/Components/SegmentedToggle.h"
#include "app/Views/Components/StatusMessage.h"
#include "app/Views/Components/YearPicker.h"
#include "app/Views/ContentPane.h"
#include "app/Views/KeyboardFocus.h"

#include <QApplication>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLinearGradient>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace huddlepod {

namespace {

constexpr int rowSpacing = 8;

// A control's two-way connection to a model property. While the control writes, *writing is true, so the
// view leaves that control alone (it moves its own highlight, animated) when the model reports the change.
template <typename T, typename Value = T>
Binding<T> bind(QPointer<HomeViewModel> model, std::function<T(const HomeViewModel&)> get,
                void (HomeViewModel::*set)(Value), std::function<Value(const T&)> convert, bool* writing) {
    return Binding<T>{[model, get] { return get(*model); },
                      [model, set, convert, writing](const T& value) {
                          if (model) {
                              const QScopedValueRollback guard(*writing, true);
                              (model.data()->*set)(convert(value));
                          }
                      }};
}

template <typename T>
Binding<T> bind(QPointer<HomeViewModel> model, T (HomeViewModel::*get)() const, void (HomeViewModel::*set)(T),
                bool* writing) {
    return bind<T, T>(
        model, [get](const HomeViewModel& target) { return (target.*get)(); }, set,
        [](const T& value) { return value; }, writing);
}

// A control with the leading margin every narrowing control carries, and free room after it.
QWidget* leadingRow(const std::vector<QWidget*>& controls) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(HomeView::horizontalPadding, 0, 0, 0);
    layout->setSpacing(rowSpacing);
    for (QWidget* control : controls) {
        layout->addWidget(control, 0, Qt::AlignVCenter);
    }
    layout->addStretch(1);
    return row;
}

// The draft rounds in a sideways scroller whose trailing 18 pixels fade out; the selected round is kept in
// the middle.
class RoundScroller : public QScrollArea {
public:
    explicit RoundScroller(SegmentedToggle<DraftRound>* toggle)
        : toggle_(toggle) {
        setFrameShape(QFrame::NoFrame);
        setFocusPolicy(Qt::NoFocus);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        auto* strip = new QWidget;
        auto* layout = new QHBoxLayout(strip);
        // The trailing room lets the last round scroll clear of the fade.
        layout->setContentsMargins(HomeView::horizontalPadding, 0, HomeView::fadeWidth + 4, 0);
        layout->setSpacing(0);
        layout->addWidget(toggle_);
        layout->addStretch(1);
        setWidgetResizable(true);
        setWidget(strip);
        strip->setAutoFillBackground(false);
        viewport()->setAutoFillBackground(false);
        setFixedHeight(toggle_->sizeHint().height());
        fade_ = new QGraphicsOpacityEffect(this);
        fade_->setOpacity(1.0);
        setGraphicsEffect(fade_);
        updateFade();
    }

    SegmentedToggle<DraftRound>* toggle() const { return toggle_; }

    void centreSelection() { centreOn(toggle_->selectedIndex()); }

    // Scrolls the round at this index to the middle.
    void centreOn(int index) {
        if (index < 0) {
            return;
        }
        const std::vector<QRectF> segments = toggle_->segmentRects(toggle_->width());
        const qreal centre = toggle_->x() + segments.at(std::size_t(index)).center().x();
        horizontalScrollBar()->setValue(int(std::lround(centre - viewport()->width() / 2.0)));
    }

    QSize sizeHint() const override { return {0, toggle_->sizeHint().height()}; }
    QSize minimumSizeHint() const override { return {0, toggle_->sizeHint().height()}; }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QScrollArea::resizeEvent(event);
        updateFade();
        centreSelection();
    }
    // Tab leaves the selected round in the middle: the scroll area would bring the strip's start into view.
    bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }
    void wheelEvent(QWheelEvent* event) override {
        // The strip only moves sideways, so any wheel moves it.
        const QPoint pixels = event->pixelDelta();
        const QPoint angle = event->angleDelta();
        const int pixelStep = pixels.x() != 0 ? pixels.x() : pixels.y();
        const int angleStep = angle.x() != 0 ? angle.x() : angle.y();
        const int distance = pixelStep != 0 ? pixelStep : int(std::lround(angleStep / 120.0 * 20));
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - distance);
    }

private:
    void updateFade() {
        QLinearGradient gradient(width() - HomeView::fadeWidth, 0, width(), 0);
        gradient.setColorAt(0, Qt::black);
        gradient.setColorAt(1, QColor(0, 0, 0, 0));
        fade_->setOpacityMask(QBrush(gradient));
    }

    SegmentedToggle<DraftRound>* toggle_;
    QGraphicsOpacityEffect* fade_ = nullptr;
};

// Only years a league can have are listed, so no range makes the list long.
std::vector<int> newestFirst(const std::optional<YearRange>& range) {
    std::vector<int> years;
    if (range) {
        const std::int64_t newest = std::min(range->upperBound, YearRange::latestPlausible);
        const std::int64_t oldest = std::max(range->lowerBound, YearRange::earliestPlausible);
        for (std::int64_t year = newest; year >= oldest; --year) {
            years.push_back(static_cast<int>(year));
        }
    }
    return years;
}

} // namespace

HomeView::HomeView(HomeViewModel* model, DataGridView::OpenPlayer onOpenPlayer, QWidget* parent)
    : QWidget(parent)
    , model_(model)
    , onOpenPlayer_(std::move(onOpenPlayer)) {
    setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    tabBar_ = new QWidget(this);
    auto* tabLayout = new QHBoxLayout(tabBar_);
    tabLayout->setSpacing(0);
    tabToggle_ = new SegmentedToggle<HomeTab>(
        bind<HomeTab>(model_, &HomeViewModel::tab, &HomeViewModel::setTab, &writingFromControl_),
        QStringLiteral("League view"), false, true, tabBar_);
    tabLayout->addWidget(tabToggle_);
    layout->addWidget(tabBar_);

    subControls_ = new QWidget(this);
    auto* rowLayout = new QHBoxLayout(subControls_);
    rowLayout->setContentsMargins(0, 0, horizontalPadding, 8);
    rowLayout->setSpacing(rowSpacing);
    const QPointer<HomeViewModel> target = model_;
    yearPicker_ = new YearPicker(model_->year().value_or(0), {}, [target](int year) {
        if (target) {
            target->selectYear(year);
        }
    });
    rowLayout->addWidget(yearPicker_, 0, Qt::AlignVCenter);
    layout->addWidget(subControls_);

    layout->addWidget(new PaneDivider(this));

    connect(model_, &HomeViewModel::tabChanged, this, [this] {
        if (!writingFromControl_) {
            tabToggle_->refresh();
        }
        refreshSubControls();
    });
    for (auto signal : {&HomeViewModel::yearChanged, &HomeViewModel::boundsChanged,
                        &HomeViewModel::standingsGroupingChanged, &HomeViewModel::draftRoundChanged,
                        &HomeViewModel::availableRoundsChanged, &HomeViewModel::selectedWeekChanged,
                        &HomeViewModel::availableWeeksChanged, &HomeViewModel::scheduleGroupingChanged,
                        &HomeViewModel::selectedTeamChanged, &HomeViewModel::availableTeamsChanged,
                        &HomeViewModel::awardsSectionChanged}) {
        connect(model_, signal, this, &HomeView::refreshSubControls);
    }
    connect(model_, &HomeViewModel::stateChanged, this, &HomeView::refreshContent);

    refreshSubControls();
    refreshContent();
}

HomeView::~HomeView() = default;

void HomeView::appear() {
    if (model_) {
        model_->load();
    }
}

QScrollArea* HomeView::roundScroller() const {
    return narrowing_ == Narrowing::draftRounds ? static_cast<QScrollArea*>(narrowingControl_) : nullptr;
}

void HomeView::refreshSubControls() {
    const HomeViewModel& model = *model_;
    const bool shown = model.hasSubControls() || model.showsYearPicker();
    subControls_->setVisible(shown);
    tabBar_->layout()->setContentsMargins(horizontalPadding, 8, horizontalPadding, shown ? 4 : 8);

    Narrowing kind = Narrowing::none;
    QStringList key;
    switch (model.tab()) {
    case HomeTab::standings:
        kind = Narrowing::standingsGrouping;
        break;
    case HomeTab::schedule:
        if (model.scheduleGrouping() == ScheduleGrouping::week) {
            kind = Narrowing::scheduleByWeek;
            for (const ScheduleWeek& week : model.availableWeeks()) {
                key << week.raw;
            }
        } else {
            kind = Narrowing::scheduleByTeam;
            key = QStringList(model.availableTeams().begin(), model.availableTeams().end());
        }
        break;
    case HomeTab::draft:
        if (model.availableRounds().size() > 1) {
            kind = Narrowing::draftRounds;
            for (const int round : model.availableRounds()) {
                key << QString::number(round);
            }
        }
        break;
    case HomeTab::awards:
        kind = Narrowing::awardsSection;
        break;
    case HomeTab::champions:
        break;
    }
    key.prepend(QString::number(int(kind)));
    const QString joined = key.join(QLatin1Char('\n'));
    if (narrowingControl_ == nullptr || joined != narrowingKey_) {
        narrowingKey_ = joined;
        rebuildNarrowing(kind);
    } else if (refreshNarrowing_) {
        refreshNarrowing_(writingFromControl_);
    }

    yearPicker_->setVisible(model.showsYearPicker());
    if (model.showsYearPicker()) {
        const auto bounds = model.bounds().find(model.tab());
        yearPicker_->setSelectableYears(
            newestFirst(bounds == model.bounds().end() ? std::nullopt : std::optional(bounds->second)),
            *model.year());
    }
}

void HomeView::rebuildNarrowing(Narrowing kind) {
    auto* row = static_cast<QHBoxLayout*>(subControls_->layout());
    QWidget* const old = narrowingControl_;
    narrowing_ = kind;
    refreshNarrowing_ = {};
    const QPointer<HomeViewModel> target = model_;
    QWidget* control = nullptr;
    switch (kind) {
    case Narrowing::standingsGrouping: {
        using Grouping = LeagueService::StandingsGrouping;
        auto* toggle = new SegmentedToggle<Grouping>(
            std::vector<Grouping>(LeagueService::allGroupings.begin(), LeagueService::allGroupings.end()),
            bind<Grouping>(target, &HomeViewModel::standingsGrouping, &HomeViewModel::setStandingsGrouping,
                           &writingFromControl_),
            [](const Grouping& grouping) {
                return grouping == Grouping::division ? QStringLiteral("Division")
                                                      : QStringLiteral("Conference");
            },
            QStringLiteral("Standings grouping"), true, false);
        refreshNarrowing_ = [toggle](bool fromControl) {
            if (!fromControl) {
                toggle->refresh();
            }
        };
        control = leadingRow({toggle});
        break;
    }
    case Narrowing::awardsSection: {
        auto* toggle = new SegmentedToggle<AwardsSection>(
            std::vector<AwardsSection>(AwardsSections::allCases.begin(), AwardsSections::allCases.end()),
            bind<AwardsSection>(target, &HomeViewModel::awardsSection, &HomeViewModel::setAwardsSection,
                                &writingFromControl_),
            [](const AwardsSection& section) { return AwardsSections::title(section); },
            QStringLiteral("Awards section"), true, false);
        refreshNarrowing_ = [toggle](bool fromControl) {
            if (!fromControl) {
                toggle->refresh();
            }
        };
        control = leadingRow({toggle});
        break;
    }
    case Narrowing::scheduleByWeek:
    case Narrowing::scheduleByTeam: {
        auto* toggle = new SegmentedToggle<ScheduleGrouping>(
            bind<ScheduleGrouping>(target, &HomeViewModel::scheduleGrouping,
                                   &HomeViewModel::setScheduleGrouping, &writingFromControl_),
            QStringLiteral("Schedule grouping"), true, false);
        QWidget* picker = nullptr;
        if (kind == Narrowing::scheduleByWeek) {
            ListPickerOptions options;
            options.accessibilityHint = QStringLiteral("Choose a week");
            options.listWidth = 74;
            options.monospaced = true;
            options.minLabelWidth = 24;
            options.showsScrollIndicator = false;
            options.debugIdentity = QStringLiteral("week");
            const auto selection = [target] {
                const HomeViewModel& model = *target;
                return model.selectedWeek().value_or(model.availableWeeks().empty()
                                                         ? ScheduleWeek(QStringLiteral("1"))
                                                         : model.availableWeeks().front());
            };
            auto* weeks = new ListPicker<ScheduleWeek>(
                model_->availableWeeks(), selection(), [](const ScheduleWeek& week) { return week.title; },
                [](const ScheduleWeek& week) { return QStringLiteral("Week ") + week.title; }, options,
                [target](const ScheduleWeek& week) {
                    if (target) {
                        target->setSelectedWeek(week);
                    }
                });
            refreshNarrowing_ = [toggle, weeks, target, selection](bool fromControl) {
                if (!fromControl) {
                    toggle->refresh();
                }
                weeks->setValues(target->availableWeeks(), selection());
            };
            picker = weeks;
        } else {
            ListPickerOptions options;
            options.accessibilityHint = QStringLiteral("Choose a team");
            options.listWidth = 66;
            options.monospaced = false;
            options.minLabelWidth = 30;
            options.showsScrollIndicator = false;
            options.debugIdentity = QStringLiteral("team");
            const auto selection = [target] {
                const HomeViewModel& model = *target;
                return model.selectedTeam().value_or(
                    model.availableTeams().empty() ? QString() : model.availableTeams().front());
            };
            auto* teams = new ListPicker<QString>(
                model_->availableTeams(), selection(), [](const QString& team) { return team; },
                [](const QString& team) { return QStringLiteral("Team ") + team; }, options,
                [target](const QString& team) {
                    if (target) {
                        target->setSelectedTeam(team);
                    }
                });
            refreshNarrowing_ = [toggle, teams, target, selection](bool fromControl) {
                if (!fromControl) {
                    toggle->refresh();
                }
                teams->setValues(target->availableTeams(), selection());
            };
            picker = teams;
        }
        control = leadingRow({toggle, picker});
        break;
    }
    case Narrowing::draftRounds: {
        std::vector<DraftRound> rounds;
        for (const int round : model_->availableRounds()) {
            rounds.push_back(DraftRound{round});
        }
        auto* toggle = new SegmentedToggle<DraftRound>(
            std::move(rounds),
            bind<DraftRound, int>(
                target, [](const HomeViewModel& model) { return DraftRound{model.draftRound()}; },
                &HomeViewModel::setDraftRound, [](const DraftRound& round) { return round.number; },
                &writingFromControl_),
            [](const DraftRound& round) { return QString::number(round.number); },
            QStringLiteral("Draft round"), true, false);
        auto* scroller = new RoundScroller(toggle);
        refreshNarrowing_ = [toggle, scroller, target](bool fromControl) {
            if (!fromControl) {
                toggle->refresh();
            }
            // A tapped round has not moved its highlight yet: centre the model's round.
            const auto& options = toggle->options();
            const auto found = std::find(options.begin(), options.end(), DraftRound{target->draftRound()});
            scroller->centreOn(found == options.end() ? -1 : int(found - options.begin()));
        };
        control = scroller;
        break;
    }
    case Narrowing::none:
        control = new QWidget;
        control->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        break;
    }
    narrowingControl_ = control;
    row->insertWidget(0, control, 1);
    if (old != nullptr) {
        // A keyboard on the old control stays on the row, at its first stop (the grouping chosen by key).
        if (old->isAncestorOf(QApplication::focusWidget())) {
            control->show();
            const std::vector<QWidget*> stops = KeyboardFocus::stops(control);
            if (!stops.empty()) {
                stops.front()->setFocus(Qt::TabFocusReason);
            }
        }
        // The old control may be the one whose tap led here: let it finish first.
        row->removeWidget(old);
        old->hide();
        old->deleteLater();
    }
}

void HomeView::refreshContent() {
    const HomeContentState& state = model_->state();
    switch (state.kind()) {
    case HomeContentState::Kind::loading:
        setContent(new StatusMessage(QStringLiteral("Loading…")));
        break;
    case HomeContentState::Kind::empty:
        setContent(new StatusMessage(state.text(), QStringLiteral("questionmark.circle")));
        break;
    case HomeContentState::Kind::failed:
        setContent(new StatusMessage(state.text(), QStringLiteral("exclamationmark.triangle")));
        break;
    case HomeContentState::Kind::loaded:
        setContent(new GridScrollArea({new DataGridView(state.table(), tableWidth, onOpenPlayer_)},
                                      QMargins(horizontalPadding, 10, horizontalPadding, 10), 0));
        break;
    }
}

void HomeView::setContent(QWidget* content) {
    replaceContent(*static_cast<QVBoxLayout*>(layout()), content_, content);
}

} // namespace huddlepod

// The league browser: a tab bar of the five league pages, a row with the page's narrowing control and the
// season picker, a divider, and the page's table or status message.
#pragma once

#include "app/HomeViewModel.h"
#include "app/Views/DataGridView.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class QScrollArea;

namespace huddlepod {

class YearPicker;
template <typename T>
class SegmentedToggle;

// The option value of the draft round picker.
struct DraftRound {
    int number = 1;
    int id() const { return number; }
    bool operator==(const DraftRound&) const = default;
};

class HomeView : public QWidget {
    Q_OBJECT
public:
    // Side margin of the tab bar, the controls and the table.
    static constexpr int horizontalPadding = 12;
    // Width of the fade at the trailing edge of the round picker.
    static constexpr int fadeWidth = 18;
    // The width every table is fitted into: the panel's content width less both margins.
    static constexpr qreal tableWidth = 440 - 2 * horizontalPadding;

    // The view draws everything from the model, which must outlive it, and writes every choice back into it.
    HomeView(HomeViewModel* model, DataGridView::OpenPlayer onOpenPlayer, QWidget* parent = nullptr);
    ~HomeView() override;

    // The browser came on screen: load the open page (at once from the cache when it was seen before).
    void appear();

    HomeViewModel* model() const { return model_; }

    // The narrowing control kinds a page can show in its sub-row.
    enum class Narrowing {
        none,
        standingsGrouping,
        scheduleByWeek,
        scheduleByTeam,
        draftRounds,
        awardsSection
    };
    Narrowing narrowing() const { return narrowing_; }

    QWidget* tabBar() const { return tabBar_; }
    // The row of the narrowing control and the season picker; hidden when the page has neither.
    QWidget* subControls() const { return subControls_; }
    // The narrowing control in the row (null for none); its kind is narrowing().
    QWidget* narrowingControl() const { return narrowingControl_; }
    YearPicker* yearPicker() const { return yearPicker_; }
    // The horizontal scroller of the draft rounds, when shown.
    QScrollArea* roundScroller() const;
    // What fills the area under the divider: a status message or the scrolling table.
    QWidget* content() const { return content_; }

private:
    void refreshTabBar();
    void refreshSubControls();
    void rebuildNarrowing(Narrowing kind);
    void refreshContent();
    void setContent(QWidget* content);

    QPointer<HomeViewModel> model_;
    DataGridView::OpenPlayer onOpenPlayer_;
    SegmentedToggle<HomeTab>* tabToggle_ = nullptr;
    QWidget* tabBar_ = nullptr;
    QWidget* subControls_ = nullptr;
    QWidget* narrowingControl_ = nullptr;
    QString narrowingKey_;
    // Brings the control's selection up to date; a control that made the change itself is left alone.
    std::function<void(bool fromControl)> refreshNarrowing_;
    bool writingFromControl_ = false; // while a control writes its choice into the model
    Narrowing narrowing_ = Narrowing::none;
    YearPicker* yearPicker_ = nullptr;
    QWidget* content_ = nullptr;
};

} // namespace huddlepod

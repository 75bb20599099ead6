// The player card: a header with name, position, Hall of Fame mark and biography, the Seasons / Game Log
// toggle with the season picker, and below a divider the season tables or one season's game log.
#pragma once

#include "app/PlayerCardViewModel.h"
#include "app/Views/DataGridView.h"

#include <QPointer>
#include <QWidget>

namespace huddlepod {

class PlayerCardHeader;
class YearPicker;
template <typename T>
class SegmentedToggle;

class PlayerCardView : public QWidget {
    Q_OBJECT
public:
    // Side margin of the card's rows and tables.
    static constexpr int horizontalPadding = 12;
    // The width every table is fitted into: the panel's content width less both margins.
    static constexpr qreal tableWidth = 440 - 2 * horizontalPadding;

    // The card draws everything from the model, which must outlive it. The season tables and the game log
    // carry no player links, so onOpenPlayer is kept for the caller's sake only.
    PlayerCardView(PlayerCardViewModel* model, DataGridView::OpenPlayer onOpenPlayer = {},
                   QWidget* parent = nullptr);
    ~PlayerCardView() override;

    // The card came on screen: (re)fetch it, keeping what is shown until the answer arrives.
    void appear();
    // The card left the screen: stop its loads.
    void disappear();

    PlayerCardViewModel* model() const { return model_; }

    // The line under the name: body measurements, college and honours of a loaded card, then the career span
    // (or, with nothing else to say, the career summary), joined by "  ·  ".
    static QString biographyLine(const SearchResult& summary, const PlayerCardState& state);

    PlayerCardHeader* header() const { return header_; }
    // The toggle row; hidden until the card has arrived.
    QWidget* tabRow() const { return tabRow_; }
    // The season picker; hidden unless a season's game log is on show.
    YearPicker* yearPicker() const { return yearPicker_; }
    // What fills the area under the divider: a status message or a scrolling stack of tables.
    QWidget* content() const { return content_; }

private:
    void refreshHeader();
    void refreshTabRow();
    // Rebuilds the pane; unless forced, only when what it shows changed kind.
    void refreshContent(bool force);
    QString contentKind() const;
    QWidget* makeContent();
    void setContent(QWidget* content);

    QPointer<PlayerCardViewModel> model_;
    DataGridView::OpenPlayer onOpenPlayer_;
    PlayerCardHeader* header_ = nullptr;
    QWidget* tabRow_ = nullptr;
    SegmentedToggle<PlayerCardTab>* tabToggle_ = nullptr;
    YearPicker* yearPicker_ = nullptr;
    QWidget* content_ = nullptr;
    QString contentKey_;
    bool writingFromToggle_ = false;
};

} // namespace huddlepod

// Layout of the player card and its panes.
#include "app/Views/PlayerCardView.h"

namespace huddlepod {

PlayerCardView::PlayerCardView(PlayerCardViewModel* model, DataGridView::OpenPlayer onOpenPlayer,
                               QWidget* parent)
    : QWidget(parent)
    , model_(model)
    , onOpenPlayer_(std::move(onOpenPlayer)) {}

PlayerCardView::~PlayerCardView() = default;

void PlayerCardView::appear() {
    if (model_) {
        model_->load();
    }
}

void PlayerCardView::disappear() {
    if (model_) {
        model_->cancel();
    }
}

QString PlayerCardView::biographyLine(const SearchResult& summary, const PlayerCardState&) {
    return summary.careerSpan().value_or(summary.careerSummary());
}

} // namespace huddlepod

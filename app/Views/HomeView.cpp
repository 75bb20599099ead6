// Layout of the league browser.
#include "app/Views/HomeView.h"

#include <QScrollArea>

namespace huddlepod {

HomeView::HomeView(HomeViewModel* model, DataGridView::OpenPlayer onOpenPlayer, QWidget* parent)
    : QWidget(parent)
    , model_(model)
    , onOpenPlayer_(std::move(onOpenPlayer)) {}

HomeView::~HomeView() = default;

void HomeView::appear() {
    if (model_) {
        model_->load();
    }
}

QScrollArea* HomeView::roundScroller() const {
    return nullptr;
}

} // namespace huddlepod

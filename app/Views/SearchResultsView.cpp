// Result rows, the per-state content of the search page and the list's keyboard scrolling.
#include "app/Views/SearchResultsView.h"

#include "app/HomeViewModel.h"
#include "app/SearchViewModel.h"
#include "app/Views/Animation.h"
#include "app/Views/Components/StatusMessage.h"
#include "app/Views/HomeView.h"
#include "app/Views/WidgetAccessibility.h"
#include "platform/workspace/WorkspaceSettings.h"
#include "ui/Symbols.h"

#include <QAccessibleWidget>
#include <QCursor>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>
#include <utility>

namespace huddlepod {

namespace {

QFont nameFont() {
    return Theme::font(13, FontWeight::medium);
}
QFont summaryFont() {
    return Theme::font(11);
}
QFont positionFont() {
    return Theme::font(11, FontWeight::medium);
}

constexpr qreal starPixelSize = 9;
constexpr qreal nameStarSpacing = 5;
constexpr qreal lineSpacing = 2;
constexpr qreal minimumSpacer = 8;
// The Hall of Fame star on the selection's accent fill, at least 4:1 against it in either look.
const QColor selectedStarColour = QColor::fromRgbF(1.0f, 0.875f, 0.45f);

// One list item, spoken by its description; pressing it opens the player.
class ResultRowAccessible : public QAccessibleWidget {
public:
    explicit ResultRowAccessible(SearchResultRow* row)
        : QAccessibleWidget(row, QAccessible::ListItem) {}

    QString text(QAccessible::Text text) const override {
        return text == QAccessible::Name ? SearchResultRow::accessibilityDescription(row()->result())
                                         : QString();
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.selectable = true;
        state.selected = row()->isSelected();
        return state;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction()) {
            emit row()->clicked();
        }
    }

private:
    SearchResultRow* row() const { return static_cast<SearchResultRow*>(widget()); }
};

QAccessibleInterface* rowInterface(const QString& key, QObject* object) {
    if (key == QLatin1String(SearchResultRow::staticMetaObject.className())) {
        return new ResultRowAccessible(static_cast<SearchResultRow*>(object));
    }
    return nullptr;
}

void installRowAccessibility() {
    installWidgetAccessibility();
    static const bool installed = [] {
        QAccessible::installFactory(&rowInterface);
        return true;
    }();
    (void)installed;
}

} // namespace

SearchResultRow::SearchResultRow(SearchResult result, QWidget* parent)
    : QWidget(parent)
    , result_(std::move(result))
    , summary_(result_.careerSummary()) {
    installRowAccessibility();
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void SearchResultRow::setSelected(bool selected) {
    if (selected != isSelected_) {
        isSelected_ = selected;
        update();
    }
}

QString SearchResultRow::accessibilityDescription(const SearchResult& result) {
    QStringList parts{result.fullName};
    if (result.primaryPosition) {
        parts << *result.primaryPosition;
    }
    parts << QString(result.careerSummary()).replace(QChar(0x00B7), QLatin1Char(','));
    if (result.isHOF) {
        parts << QStringLiteral("Hall of Fame");
    }
    return parts.join(QStringLiteral(", "));
}

SearchResultRow::Layout SearchResultRow::layoutFor(int width) const {
    const QFontMetricsF name(nameFont());
    const QFontMetricsF summary(summaryFont());
    const QFontMetricsF position(positionFont());
    const qreal nameHeight = Theme::lineHeight(nameFont());
    const qreal summaryHeight = Theme::lineHeight(summaryFont());
    const qreal content = nameHeight + lineSpacing + summaryHeight;
    const qreal height = std::max<qreal>(minimumHeight, content + 2 * verticalPadding);
    const qreal top = std::round((height - content) / 2);

    Layout layout{};
    layout.nameBaseline = top + (nameHeight - name.height()) / 2 + name.ascent();
    const qreal right = width - horizontalPadding;
    qreal textRight = right - minimumSpacer;
    if (result_.primaryPosition) {
        const qreal advance = std::ceil(position.horizontalAdvance(*result_.primaryPosition));
        // On the name's baseline.
        const qreal positionTop = layout.nameBaseline - position.ascent();
        layout.position = QRectF(right - advance, positionTop, advance, position.height());
        textRight = layout.position.left() - minimumSpacer;
    }
    const QSizeF star = result_.isHOF ? Symbols::size(Symbol::starFill, starPixelSize) : QSizeF();
    const qreal starRoom = result_.isHOF ? nameStarSpacing + star.width() : 0;
    const qreal nameWidth = std::clamp<qreal>(std::ceil(name.horizontalAdvance(result_.fullName)), 0,
                                              std::max<qreal>(0, textRight - horizontalPadding - starRoom));
    layout.name = QRectF(horizontalPadding, top, nameWidth, nameHeight);
    if (result_.isHOF) {
        layout.star = QRectF(layout.name.right() + nameStarSpacing,
                             std::round(top + (nameHeight - star.height()) / 2), star.width(), star.height());
    }
    layout.summary = QRectF(horizontalPadding, top + nameHeight + lineSpacing,
                            std::max<qreal>(0, textRight - horizontalPadding), summaryHeight);
    return layout;
}

QSize SearchResultRow::sizeHint() const {
    const qreal content = Theme::lineHeight(nameFont()) + lineSpacing + Theme::lineHeight(summaryFont());
    return {400, int(std::ceil(std::max<qreal>(minimumHeight, content + 2 * verticalPadding)))};
}

QSize SearchResultRow::minimumSizeHint() const {
    return {2 * horizontalPadding, sizeHint().height()};
}

void SearchResultRow::paintEvent(QPaintEvent*) {
    const Appearance appearance = Theme::appearanceOf(palette());
    const bool contrast = WorkspaceSettings::shared().increaseContrast();
    const Layout layout = layoutFor(width());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    QColor primary = Theme::text(TextLevel::primary, appearance, contrast);
    QColor secondary = Theme::text(TextLevel::secondary, appearance, contrast);
    if (isSelected_) {
        QPainterPath background;
        background.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
        painter.fillPath(background, Theme::selectedContentBackground(appearance));
        // Text on the accent fill reads in white, as selected content does everywhere else.
        primary = Qt::white;
        secondary = QColor(255, 255, 255, contrast ? 255 : 204);
    }

    painter.setPen(primary);
    painter.setFont(nameFont());
    const QFontMetricsF name(nameFont());
    painter.drawText(QPointF(layout.name.left(), layout.nameBaseline),
                     name.elidedText(result_.fullName, Qt::ElideRight, layout.name.width() + 0.5));
    if (result_.isHOF) {
        // The gold is too dark for the accent fill: a paler gold reads there.
        Symbols::paint(painter, Symbol::starFill, layout.star,
                       isSelected_ ? selectedStarColour : Theme::hallOfFame(appearance));
    }

    painter.setPen(secondary);
    painter.setFont(summaryFont());
    const QFontMetricsF summary(summaryFont());
    painter.drawText(layout.summary, Qt::AlignLeft | Qt::AlignVCenter,
                     summary.elidedText(summary_, Qt::ElideRight, layout.summary.width()));
    if (result_.primaryPosition) {
        painter.setFont(positionFont());
        painter.drawText(QPointF(layout.position.left(), layout.nameBaseline), *result_.primaryPosition);
    }
}

void SearchResultRow::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
}

void SearchResultRow::mouseReleaseEvent(QMouseEvent* event) {
    // Last: opening may take the list away.
    if (std::exchange(pressed_, false) && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

void SearchResultRow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Qt sends enter and move events to a row that appears under the pointer; those are not motion.
    restingPointer_ = QCursor::pos();
    isHovered_ = false;
}

void SearchResultRow::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    if (restingPointer_ && event->globalPosition() == *restingPointer_) {
        return;
    }
    restingPointer_.reset();
    if (!std::exchange(isHovered_, true)) {
        emit hovered();
    }
}

void SearchResultRow::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    isHovered_ = false;
}

SearchResultsView::SearchResultsView(SearchViewModel* model, HomeViewModel* home, QWidget* parent)
    : QWidget(parent)
    , model_(model)
    , home_(home) {
    setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    connect(model_, &SearchViewModel::stateChanged, this, &SearchResultsView::showState);
    connect(model_, &SearchViewModel::selectionChanged, this, &SearchResultsView::showSelection);
    connect(model_, &SearchViewModel::keyboardNavigationTickChanged, this,
            &SearchResultsView::scrollToSelection);
    showState();
}

SearchResultsView::~SearchResultsView() = default;

void SearchResultsView::pageAppeared() {
    if (homeView_ && content_ == homeView_) {
        homeView_->appear();
    }
}

void SearchResultsView::showState() {
    const SearchState& state = model_->state();
    const auto showMessage = [this](const QString& text, std::optional<QString> symbol = std::nullopt) {
        // The message already shown stays as it is: told anew, it would be said again.
        const auto* shown = qobject_cast<StatusMessage*>(content_);
        if (shown == nullptr || shown->text() != text) {
            setContent(new StatusMessage(text, std::move(symbol)));
        }
    };
    rows_.clear();
    list_ = nullptr;
    switch (state.kind()) {
    case SearchState::Kind::results:
        setContent(makeList());
        showSelection();
        break;
    case SearchState::Kind::empty:
        showMessage(QStringLiteral("No players matching “%1”").arg(state.query()),
                    QStringLiteral("questionmark.circle"));
        break;
    case SearchState::Kind::failed:
        showMessage(state.message(), QStringLiteral("exclamationmark.triangle"));
        break;
    case SearchState::Kind::loading:
        showMessage(QStringLiteral("Searching…"));
        break;
    case SearchState::Kind::idle:
        if (!homeView_) {
            homeView_ = new HomeView(home_, [this](const PlayerLink& link) {
                emit openRequested(SearchResult::placeholder(link.id, link.name, link.position));
            });
        }
        setContent(homeView_);
        homeView_->appear();
        break;
    }
}

void SearchResultsView::setContent(QWidget* content) {
    if (content_ == content) {
        return;
    }
    if (content_ != nullptr) {
        layout()->removeWidget(content_);
        if (content_ == homeView_) {
            content_->hide(); // kept with its page state for the next idle query
        } else {
            content_->deleteLater();
            content_->hide();
        }
    }
    content_ = content;
    layout()->addWidget(content_);
    content_->show();
}

QWidget* SearchResultsView::makeList() {
    list_ = new QScrollArea;
    list_->setFrameShape(QFrame::NoFrame);
    list_->setFocusPolicy(Qt::NoFocus);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setWidgetResizable(true);
    list_->viewport()->setAutoFillBackground(false);
    auto* rowsWidget = new QWidget;
    // Its rows are the list's items, so each is read as one of so many.
    setAccessibleRole(rowsWidget, QAccessible::List);
    auto* column = new QVBoxLayout(rowsWidget);
    column->setContentsMargins(listPadding, listPadding, listPadding, listPadding);
    column->setSpacing(rowSpacing);
    const std::vector<SearchResult>& results = model_->state().rows();
    rows_.reserve(results.size());
    for (std::size_t index = 0; index < results.size(); ++index) {
        auto* row = new SearchResultRow(results[index], rowsWidget);
        column->addWidget(row);
        rows_.push_back(row);
        const int at = int(index);
        connect(row, &SearchResultRow::clicked, this, [this, row] {
            const SearchResult result = row->result(); // the list may go with the route change
            emit openRequested(result);
        });
        connect(row, &SearchResultRow::hovered, this, [this, at] {
            if (model_->allowsHoverSelection()) {
                model_->select(at);
            }
        });
    }
    column->addStretch(1);
    list_->setWidget(rowsWidget);
    rowsWidget->setAutoFillBackground(false); // setWidget turned it on: the panel's fill shows through
    return list_;
}

void SearchResultsView::showSelection() {
    for (std::size_t index = 0; index < rows_.size(); ++index) {
        SearchResultRow* row = rows_[index];
        const bool selected = int(index) == model_->selection();
        const bool changed = selected != row->isSelected();
        row->setSelected(selected);
        if (selected && changed) {
            // The focus stays in the field: the row Return would open is told as the list's selection.
            announceSelection(row->parentWidget(), int(index));
        }
    }
}

void SearchResultsView::scrollToSelection() {
    const int selection = model_->selection();
    if (list_ == nullptr || selection < 0 || selection >= int(rows_.size())) {
        return;
    }
    list_->widget()->layout()->activate();
    QScrollBar* bar = list_->verticalScrollBar();
    const QRect row = rows_[std::size_t(selection)]->geometry();
    const int visible = list_->viewport()->height();
    const int current = bar->value();
    // The smallest scroll that shows the whole row.
    int target = current;
    if (row.top() < current) {
        target = row.top();
    } else if (row.bottom() + 1 > current + visible) {
        target = row.bottom() + 1 - visible;
    }
    target = std::clamp(target, bar->minimum(), bar->maximum());
    if (scroll_) {
        scroll_->stop();
    }
    if (target == current) {
        return;
    }
    scroll_ = Animation::run(this, AnimationSpec::quickEaseOut(),
                             [bar = QPointer<QScrollBar>(bar), current, target](qreal t) {
                                 if (bar) {
                                     bar->setValue(int(std::lround(current + (target - current) * t)));
                                 }
                             });
}

} // namespace huddlepod

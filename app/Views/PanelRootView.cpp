// The panel's stack, its page pushes, the focus sequence on every show and the one-time hint.
#include "app/Views/PanelRootView.h"

#include "app/PanelNavigation.h"
#include "app/PanelSession.h"
#include "app/SearchViewModel.h"
#include "app/Views/Animation.h"
#include "app/Views/Components/Popover.h"
#include "app/Views/HotkeyHintView.h"
#include "app/Views/KeyboardFocus.h"
#include "app/Views/PlayerCardView.h"
#include "app/Views/SearchFieldView.h"
#include "app/Views/SearchResultsView.h"
#include "platform/UserDefaults.h"
#include "platform/workspace/WorkspaceSettings.h"
#include "ui/Preferences.h"

#include <QApplication>
#include <QGraphicsOpacityEffect>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>
#include <utility>

namespace huddlepod {

namespace {

// A hairline between the stacked parts.
class Divider : public QWidget {
public:
    explicit Divider(QWidget* parent = nullptr)
        : QWidget(parent) {
        setFixedHeight(1);
        setFocusPolicy(Qt::NoFocus);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Theme::text(TextLevel::quaternary, Theme::appearanceOf(palette()),
                                             WorkspaceSettings::shared().increaseContrast()));
    }
};

QPainterPath panelShape(const QRectF& rect) {
    QPainterPath path;
    path.addRoundedRect(rect, PanelBackground::cornerRadius, PanelBackground::cornerRadius);
    return path;
}

} // namespace

PanelBackground::PanelBackground(Material material, QWidget* parent)
    : QWidget(parent)
    , material_(material) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void PanelBackground::setMaterial(Material material) {
    material_ = material;
    update();
}

void PanelBackground::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(panelShape(QRectF(rect())),
                     Theme::materialFill(material_, Theme::appearanceOf(palette())));
}

PanelBorder::PanelBorder(QWidget* parent)
    : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QColor PanelBorder::colour() const {
    return Theme::panelEdge(Theme::appearanceOf(palette()), WorkspaceSettings::shared().increaseContrast());
}

void PanelBorder::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour(), 1));
    painter.setBrush(Qt::NoBrush);
    // Stroked inside the clip: the line's centre half a pixel in.
    painter.drawPath(panelShape(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5)));
}

void PanelPageArea::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    for (QWidget* page : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        page->setGeometry(page->x(), 0, width(), height());
    }
}

PanelHintArea::PanelHintArea(HotkeyHintView* hint, QWidget* divider, QWidget* parent)
    : QWidget(parent)
    , hint_(hint)
    , divider_(divider) {
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    hint_->setParent(this);
    divider_->setParent(this);
}

int PanelHintArea::naturalHeight() const {
    return hint_->sizeHint().height() + divider_->height();
}

QSize PanelHintArea::sizeHint() const {
    return {hint_->sizeHint().width(), int(std::lround(naturalHeight() * fraction_))};
}

QSize PanelHintArea::minimumSizeHint() const {
    return {hint_->minimumSizeHint().width(), sizeHint().height()};
}

qreal PanelHintArea::opacity() const {
    const auto* effect = qobject_cast<QGraphicsOpacityEffect*>(graphicsEffect());
    return effect != nullptr ? effect->opacity() : 1.0;
}

void PanelHintArea::setFraction(qreal fraction) {
    fraction_ = std::clamp(fraction, 0.0, 1.0);
    // The effect only while partly shown: it would stand in the way of rendering the hint otherwise.
    if (fraction_ > 0 && fraction_ < 1) {
        auto* effect = qobject_cast<QGraphicsOpacityEffect*>(graphicsEffect());
        if (effect == nullptr) {
            effect = new QGraphicsOpacityEffect(this);
            setGraphicsEffect(effect);
        }
        effect->setOpacity(fraction_);
    } else if (graphicsEffect() != nullptr) {
        setGraphicsEffect(nullptr);
    }
    setVisible(fraction_ > 0);
    updateGeometry();
}

void PanelHintArea::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The hint stays in place, cut off from below as the area closes; the divider keeps to the bottom edge.
    hint_->setGeometry(0, 0, width(), hint_->sizeHint().height());
    divider_->setGeometry(0, height() - divider_->height(), width(), divider_->height());
    divider_->raise();
}

PanelRootView::PanelRootView(PanelSession* session, SearchViewModel* searchModel, PanelNavigation* navigation,
                             HomeViewModel* homeModel, PlayerModelProvider playerModelProvider,
                             std::function<void()> onDismiss, std::function<void()> onReadyForInput,
                             QString hotkeyDescription, QWidget* parent)
    : QWidget(parent)
    , session_(session)
    , searchModel_(searchModel)
    , navigation_(navigation)
    , homeModel_(homeModel)
    , playerModelProvider_(std::move(playerModelProvider))
    , onDismiss_(std::move(onDismiss))
    , onReadyForInput_(std::move(onReadyForInput))
    , showsHotkeyHint_(!Preferences(*UserDefaults::openStandard()).hasSeenHotkeyHint())
    , background_(new PanelBackground(Material::menu, this))
    , border_(new PanelBorder(this))
    , field_(new SearchFieldView(searchModel, this))
    , pages_(new PanelPageArea(this))
    , results_(new SearchResultsView(searchModel, homeModel, pages_)) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TranslucentBackground);

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    stack->addWidget(field_);
    stack->addWidget(new Divider(this));
    if (showsHotkeyHint_) {
        auto* hint = new HotkeyHintView(std::move(hotkeyDescription));
        hintArea_ = new PanelHintArea(hint, new Divider, this);
        stack->addWidget(hintArea_);
        connect(hint, &HotkeyHintView::dismissed, this, &PanelRootView::dismissHint);
    }
    stack->addWidget(pages_, 1);
    background_->lower();
    border_->raise();

    connect(field_, &SearchFieldView::openRequested, this, &PanelRootView::open);
    connect(field_, &SearchFieldView::backRequested, this, &PanelRootView::back);
    connect(results_, &SearchResultsView::openRequested, this, &PanelRootView::open);
    connect(navigation_, &PanelNavigation::routeChanged, this, &PanelRootView::showRoute);
    connect(session_, &PanelSession::revisionChanged, this, &PanelRootView::runFocusSequence);
    // Increase contrast changes the text colours of a material's own look.
    connect(&WorkspaceSettings::notifier(), &WorkspaceSettingsNotifier::changed, this,
            &PanelRootView::applyMaterialLook);
    connect(searchModel_, &SearchViewModel::queryChanged, this, [this] {
        if (!searchModel_->query().isEmpty() && showsHotkeyHint_) {
            dismissHint();
        }
    });
    // A focused control deleted with what held it leaves the panel with no focus at all: back to the field.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now == nullptr && isActiveWindow()) {
            QTimer::singleShot(0, this, [this] {
                // An open popover list keeps the keyboard it has.
                if (isActiveWindow() && QApplication::focusWidget() == nullptr &&
                    QApplication::activePopupWidget() == nullptr) {
                    field_->textField()->setFocus(Qt::OtherFocusReason);
                }
            });
        }
    });
    showRoute();
    runFocusSequence();
}

PanelRootView::~PanelRootView() {
    if (card_ != nullptr) {
        card_->disappear();
    }
}

void PanelRootView::setMaterial(Material material) {
    material_ = material;
    background_->setMaterial(material);
    applyMaterialLook();
}

void PanelRootView::applyMaterialLook() {
    if (const std::optional<Appearance> look = Theme::materialAppearance(material_)) {
        setPalette(Theme::palette(*look, WorkspaceSettings::shared().increaseContrast()));
    } else if (testAttribute(Qt::WA_SetPalette)) {
        setPalette(QPalette()); // the application's look again
    }
}

HotkeyHintView* PanelRootView::hint() const {
    return hintArea_ != nullptr && !hintArea_->isHidden() ? hintArea_->hint() : nullptr;
}

bool PanelRootView::isPopoverOpen() const {
    const QList<Popover*> popovers = findChildren<Popover*>();
    return std::any_of(popovers.begin(), popovers.end(),
                       [](const Popover* popover) { return popover->isVisible(); });
}

bool PanelRootView::closePopover() {
    bool closed = false;
    for (Popover* popover : findChildren<Popover*>()) {
        if (popover->isVisible()) {
            popover->hide();
            closed = true;
        }
    }
    return closed;
}

void PanelRootView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    background_->setGeometry(rect());
    border_->setGeometry(rect());
}

void PanelRootView::keyPressEvent(QKeyEvent* event) {
    // The exit command: the shell's own Escape handling normally consumes the key first.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        if (!closePopover() && onDismiss_) {
            onDismiss_();
        }
        return;
    }
    QLineEdit* field = field_->textField();
    if (KeyboardFocus::isTyping(*event) && !field->hasFocus()) {
        // Typing on a control is typing a query.
        event->accept();
        field->setFocus(Qt::OtherFocusReason);
        QKeyEvent typed(event->type(), event->key(), event->modifiers(), event->text(), event->isAutoRepeat(),
                        ushort(event->count()));
        QCoreApplication::sendEvent(field, &typed);
        return;
    }
    QWidget::keyPressEvent(event);
}

bool PanelRootView::focusNextPrevChild(bool next) {
    QWidget* current = QApplication::focusWidget();
    if (current == nullptr || !isAncestorOf(current)) {
        return QWidget::focusNextPrevChild(next);
    }
    // Qt moves on from a control that is being hidden: the field takes over instead.
    QWidget* target = current->isVisibleTo(this) ? KeyboardFocus::neighbour(this, current, next) : nullptr;
    if (target == nullptr) {
        target = field_->textField();
    }
    if (target != current) { // the field alone keeps its caret, its text unselected
        target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    }
    return true;
}

void PanelRootView::takeFocusFrom(QWidget* leaving) {
    if (leaving != nullptr && leaving->isAncestorOf(QApplication::focusWidget())) {
        field_->textField()->setFocus(Qt::OtherFocusReason);
    }
}

void PanelRootView::open(const SearchResult& result) {
    navigation_->setRoute(PanelRoute::player(result));
}

void PanelRootView::back() {
    navigation_->setRoute(PanelRoute::search());
}

void PanelRootView::showRoute() {
    const PanelRoute route = navigation_->route();
    if (route == shown_ && (route.isSearch() || card_ != nullptr)) {
        return;
    }
    finishTransition();
    takeFocusFrom(pages_);
    const bool wasPlayer = shown_.isPlayer();
    shown_ = route;
    field_->setShowingPlayer(route.isPlayer());
    updateHintVisibility();

    // The card that stops showing stops loading first, before the provider may evict its model.
    QWidget* leaving = nullptr;
    if (card_ != nullptr) {
        card_->disappear();
        leaving = std::exchange(card_, nullptr);
    }
    QWidget* entering = results_;
    if (route.isPlayer()) {
        PlayerCardViewModel* model =
            playerModelProvider_ ? playerModelProvider_(*route.playerResult()) : nullptr;
        if (model != nullptr) {
            card_ = new PlayerCardView(model, [this](const PlayerLink& link) {
                open(SearchResult::placeholder(link.id, link.name, link.position));
            });
            card_->setParent(pages_);
            card_->setGeometry(pages_->rect());
            entering = card_;
        }
    }
    if (!wasPlayer && leaving == nullptr && entering != results_) {
        leaving = results_;
    }
    if (entering == results_ && leaving == nullptr) {
        results_->setGeometry(pages_->rect());
        results_->show();
        return;
    }

    entering->show();
    entering->raise();
    if (card_ != nullptr) {
        card_->appear();
    }
    if (entering == results_) {
        results_->pageAppeared();
    }
    const bool animated = wasPlayer != route.isPlayer() && leaving != nullptr;
    leaving_ = leaving;
    if (!animated) {
        finishTransition();
        return;
    }
    // Opening: the results leave toward the leading edge, the card comes in from the trailing edge; back
    // reverses both.
    const int width = pages_->width();
    const int direction = route.isPlayer() ? 1 : -1;
    entering->move(width * direction, 0);
    transition_ = Animation::run(this, AnimationSpec::pageEaseInOut(),
                                 [this, entering = QPointer<QWidget>(entering), width, direction](qreal t) {
                                     const int offset = int(std::lround(width * (1 - t))) * direction;
                                     if (entering) {
                                         entering->move(offset, 0);
                                     }
                                     if (leaving_) {
                                         leaving_->move(offset - width * direction, 0);
                                     }
                                 });
    if (transition_) {
        connect(transition_, &QVariantAnimation::finished, this, &PanelRootView::finishTransition);
    } else {
        finishTransition();
    }
}

void PanelRootView::finishTransition() {
    if (transition_) {
        transition_->disconnect(this);
        transition_->stop();
        transition_ = nullptr;
    }
    if (QWidget* leaving = leaving_.data()) {
        leaving_ = nullptr;
        leaving->hide();
        if (leaving != results_) {
            leaving->deleteLater();
        }
    }
    for (QWidget* page : {static_cast<QWidget*>(results_), static_cast<QWidget*>(card_)}) {
        if (page != nullptr && !page->isHidden()) {
            page->move(0, 0);
        }
    }
}

void PanelRootView::runFocusSequence() {
    // A later turn of the event loop: the shell has then raised the panel and made it active.
    QTimer::singleShot(0, this, [this] {
        QLineEdit* field = field_->textField();
        field->setFocus(Qt::OtherFocusReason);
        if (onReadyForInput_) {
            onReadyForInput_();
        }
        // One more turn, so the caret move comes after the field has taken focus.
        QTimer::singleShot(0, this, [this] {
            QLineEdit* text = field_->textField();
            if (window()->focusWidget() == text) {
                text->deselect();
                text->setCursorPosition(int(text->text().size()));
            }
        });
    });
}

void PanelRootView::dismissHint() {
    if (!showsHotkeyHint_) {
        return;
    }
    showsHotkeyHint_ = false;
    takeFocusFrom(hintArea_);
    auto defaults = UserDefaults::openStandard();
    Preferences(*defaults).setHasSeenHotkeyHint(true);
    updateHintVisibility();
}

void PanelRootView::updateHintVisibility() {
    if (hintArea_ == nullptr) {
        return;
    }
    const qreal target = showsHotkeyHint_ && shown_.isSearch() ? 1.0 : 0.0;
    if (target == hintTarget_) {
        return;
    }
    hintTarget_ = target;
    if (hintFade_) {
        hintFade_->stop();
    }
    // From wherever a fade going the other way left it; at once under reduce motion.
    const qreal start = hintArea_->fraction();
    hintFade_ = Animation::run(hintArea_, AnimationSpec::quickEaseOut(), [this, start, target](qreal t) {
        hintArea_->setFraction(start + (target - start) * t);
    });
}

} // namespace huddlepod

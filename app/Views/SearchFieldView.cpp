// The search row: its painted glyph, spinner and clear button, the query binding and the field's keys.
#include "app/Views/SearchFieldView.h"

#include "app/SearchViewModel.h"
#include "app/Views/Animation.h"
#include "app/Views/KeyboardFocus.h"
#include "app/Views/WidgetAccessibility.h"
#include "platform/workspace/WorkspaceSettings.h"

#include <QAccessibleWidget>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QTimer>
#include <QVariantAnimation>

#include <cmath>
#include <numbers>
#include <utility>

namespace huddlepod {

namespace {

// A painted control spoken as a button; the press action clicks it.
class PressableAccessible : public QAccessibleWidget {
public:
    PressableAccessible(QWidget* widget, std::function<void()> press)
        : QAccessibleWidget(widget, QAccessible::Button)
        , press_(std::move(press)) {}

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction()) {
            press_();
        }
    }

private:
    std::function<void()> press_;
};

// The magnifier is decoration and stays silent; the chevron is the back button.
class GlyphAccessible : public PressableAccessible {
public:
    explicit GlyphAccessible(SearchFieldGlyph* glyph)
        : PressableAccessible(glyph,
                              [glyph] {
                                  if (glyph->isBackButton()) {
                                      emit glyph->backClicked();
                                  }
                              })
        , glyph_(glyph) {}

    QAccessible::Role role() const override {
        return glyph_->isBackButton() ? QAccessible::Button : QAccessible::Graphic;
    }
    QAccessible::State state() const override {
        QAccessible::State state = PressableAccessible::state();
        state.invisible = !glyph_->isBackButton();
        return state;
    }
    QString text(QAccessible::Text text) const override {
        return text == QAccessible::Name && glyph_->isBackButton() ? QStringLiteral("Back to results")
                                                                   : QString();
    }
    QStringList actionNames() const override {
        return glyph_->isBackButton() ? PressableAccessible::actionNames() : QStringList();
    }

private:
    SearchFieldGlyph* glyph_;
};

QAccessibleInterface* fieldInterface(const QString& key, QObject* object) {
    if (key == QLatin1String(SymbolButton::staticMetaObject.className())) {
        auto* button = static_cast<SymbolButton*>(object);
        return new PressableAccessible(button, [button] { emit button->clicked(); });
    }
    if (key == QLatin1String(SearchFieldGlyph::staticMetaObject.className())) {
        return new GlyphAccessible(static_cast<SearchFieldGlyph*>(object));
    }
    if (key == QLatin1String(ActivitySpinner::staticMetaObject.className())) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Animation,
                                     QStringLiteral("Searching"));
    }
    return nullptr;
}

void installFieldAccessibility() {
    installWidgetAccessibility();
    static const bool installed = [] {
        QAccessible::installFactory(&fieldInterface);
        return true;
    }();
    (void)installed;
}

struct Colours {
    Appearance appearance;
    bool contrast;
    QColor operator()(TextLevel level) const { return Theme::text(level, appearance, contrast); }
};

Colours coloursOf(const QWidget& widget) {
    return {Theme::appearanceOf(widget.palette()), WorkspaceSettings::shared().increaseContrast()};
}

QRectF centredBox(QSizeF size, const QRectF& within) {
    return {within.center() - QPointF(size.width() / 2, size.height() / 2), size};
}

} // namespace

SymbolButton::SymbolButton(Symbol symbol, qreal pixelSize, FontWeight weight, TextLevel level, QSize box,
                           QString accessibleName, QWidget* parent)
    : QWidget(parent)
    , symbol_(symbol)
    , pixelSize_(pixelSize)
    , weight_(weight)
    , level_(level)
    , box_(box) {
    installFieldAccessibility();
    setFocusPolicy(Qt::TabFocus);
    setFixedSize(box);
    setAccessibleName(accessibleName);
    setCursor(Qt::ArrowCursor);
}

void SymbolButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    Symbols::paint(painter, symbol_, centredBox(Symbols::size(symbol_, pixelSize_), rect()),
                   coloursOf(*this)(level_), weight_);
    if (hasFocus()) {
        KeyboardFocus::paintRing(painter, *this, QRectF(rect()), box_.width() / 2.0);
    }
}

void SymbolButton::keyPressEvent(QKeyEvent* event) {
    if (!KeyboardFocus::isActivation(*event)) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    emit clicked(); // last: the press may change what owns this button
}

void SymbolButton::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
}

void SymbolButton::mouseReleaseEvent(QMouseEvent* event) {
    // Last: the click may change what owns this button.
    if (std::exchange(pressed_, false) && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

ActivitySpinner::ActivitySpinner(QWidget* parent)
    : QWidget(parent)
    , timer_(new QTimer(this)) {
    installFieldAccessibility();
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(diameter, diameter);
    timer_->setInterval(1000 / 12);
    connect(timer_, &QTimer::timeout, this, [this] {
        phase_ = (phase_ + 1) % 12;
        update();
    });
}

void ActivitySpinner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor base = coloursOf(*this)(TextLevel::secondary);
    const QPointF centre = QRectF(rect()).center();
    const qreal outer = diameter / 2.0 - 0.5;
    const qreal inner = outer * 0.5;
    for (int spoke = 0; spoke < 12; ++spoke) {
        // The newest spoke is darkest; the others fade behind it.
        const int age = (phase_ - spoke + 12) % 12;
        QColor colour = base;
        colour.setAlphaF(float(base.alphaF() * (1.0 - age / 14.0)));
        painter.setPen(QPen(colour, 1.6, Qt::SolidLine, Qt::RoundCap));
        const qreal angle = spoke * std::numbers::pi / 6 - std::numbers::pi / 2;
        const QPointF direction(std::cos(angle), std::sin(angle));
        painter.drawLine(centre + direction * inner, centre + direction * outer);
    }
}

void ActivitySpinner::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    timer_->start();
}

void ActivitySpinner::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    timer_->stop();
}

SearchFieldGlyph::SearchFieldGlyph(QWidget* parent)
    : QWidget(parent) {
    installFieldAccessibility();
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(box, box);
}

void SearchFieldGlyph::setBackButton(bool isBack) {
    if (isBack == isBack_) {
        return;
    }
    isBack_ = isBack;
    setFocusPolicy(isBack ? Qt::TabFocus : Qt::NoFocus); // the magnifier is no control
    if (fade_) {
        fade_->stop();
    }
    const qreal from = progress_;
    const qreal to = isBack ? 1.0 : 0.0;
    fade_ = Animation::run(this, AnimationSpec::pageEaseInOut(),
                           [this, from, to](qreal t) { setBackProgress(from + (to - from) * t); });
}

void SearchFieldGlyph::setBackProgress(qreal progress) {
    progress_ = progress;
    update();
}

void SearchFieldGlyph::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor secondary = coloursOf(*this)(TextLevel::secondary);
    if (progress_ < 1) {
        painter.setOpacity(1 - progress_);
        // The surrounding body text size, 13.
        Symbols::paint(painter, Symbol::magnifyingGlass,
                       centredBox(Symbols::size(Symbol::magnifyingGlass, 13), rect()), secondary);
    }
    if (progress_ > 0) {
        painter.setOpacity(progress_);
        Symbols::paint(painter, Symbol::chevronLeft,
                       centredBox(Symbols::size(Symbol::chevronLeft, 13), rect()), secondary,
                       FontWeight::semibold);
    }
    if (hasFocus() && isBack_) {
        painter.setOpacity(1);
        KeyboardFocus::paintRing(painter, *this, QRectF(rect()), 4);
    }
}

void SearchFieldGlyph::keyPressEvent(QKeyEvent* event) {
    if (!isBack_ || !KeyboardFocus::isActivation(*event)) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    emit backClicked();
}

void SearchFieldGlyph::mousePressEvent(QMouseEvent* event) {
    pressed_ = isBack_ && event->button() == Qt::LeftButton;
}

void SearchFieldGlyph::mouseReleaseEvent(QMouseEvent* event) {
    if (std::exchange(pressed_, false) && isBack_ && rect().contains(event->position().toPoint())) {
        emit backClicked();
    }
}

SearchFieldView::SearchFieldView(SearchViewModel* model, QWidget* parent)
    : QWidget(parent)
    , model_(model)
    , glyph_(new SearchFieldGlyph(this))
    , field_(new QLineEdit(this))
    , spinner_(new ActivitySpinner(this))
    , clearButton_(new SymbolButton(Symbol::xmarkCircleFill, 13, FontWeight::regular, TextLevel::tertiary,
                                    QSize(20, 20), QStringLiteral("Clear search"), this)) {
    setFocusPolicy(Qt::NoFocus);
    setFixedHeight(fieldHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    field_->setFrame(false);
    field_->setFont(Theme::font(15));
    field_->setPlaceholderText(QStringLiteral("Search players"));
    field_->setAccessibleName(QStringLiteral("Search players"));
    field_->setFocusPolicy(Qt::StrongFocus);
    field_->setContextMenuPolicy(Qt::DefaultContextMenu);
    field_->setAttribute(Qt::WA_MacShowFocusRect, false);
    // The panel's fill shows through the field.
    QPalette clear;
    clear.setColor(QPalette::Base, Qt::transparent);
    field_->setPalette(clear);
    field_->installEventFilter(this);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(horizontalPadding, 0, horizontalPadding, 0);
    row->setSpacing(spacing);
    row->addWidget(glyph_, 0, Qt::AlignVCenter);
    row->addWidget(field_, 1, Qt::AlignVCenter);
    row->addWidget(spinner_, 0, Qt::AlignVCenter);
    row->addWidget(clearButton_, 0, Qt::AlignVCenter);

    connect(glyph_, &SearchFieldGlyph::backClicked, this, &SearchFieldView::backRequested);
    connect(field_, &QLineEdit::textEdited, this, &SearchFieldView::textEdited);
    // The clear button writes the model directly: clearing on a card keeps the card.
    connect(clearButton_, &SymbolButton::clicked, this, [this] {
        model_->setQuery(QString());
        field_->setFocus(Qt::OtherFocusReason);
    });
    connect(model_, &SearchViewModel::queryChanged, this, &SearchFieldView::syncFromModel);
    connect(model_, &SearchViewModel::stateChanged, this, &SearchFieldView::syncFromModel);
    syncFromModel();
}

void SearchFieldView::setShowingPlayer(bool showing) {
    isShowingPlayer_ = showing;
    if (!showing && glyph_->hasFocus()) {
        field_->setFocus(Qt::OtherFocusReason); // the back button it was goes away
    }
    glyph_->setBackButton(showing);
}

SearchFieldView::Trailing SearchFieldView::trailing() const {
    if (model_->state().kind() == SearchState::Kind::loading) {
        return Trailing::spinner;
    }
    return model_->query().isEmpty() ? Trailing::none : Trailing::clearButton;
}

void SearchFieldView::textEdited(const QString& text) {
    if (isShowingPlayer_ && text != model_->query()) {
        emit backRequested();
    }
    model_->setQuery(text);
}

void SearchFieldView::syncFromModel() {
    // Programmatic writes (reset, clear) set the text without passing through textEdited.
    if (field_->text() != model_->query()) {
        field_->setText(model_->query());
    }
    const Trailing shown = trailing();
    spinner_->setVisible(shown == Trailing::spinner);
    clearButton_->setVisible(shown == Trailing::clearButton);
}

bool SearchFieldView::eventFilter(QObject* watched, QEvent* event) {
    if (watched != field_ || event->type() != QEvent::KeyPress || isShowingPlayer_) {
        return QWidget::eventFilter(watched, event);
    }
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Up:
        model_->moveSelection(-1);
        return true;
    case Qt::Key_Down:
        model_->moveSelection(1);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (const std::optional<SearchResult> selected = model_->selectedResult()) {
            emit openRequested(*selected);
            return true;
        }
        return false;
    default:
        return false;
    }
}

} // namespace huddlepod

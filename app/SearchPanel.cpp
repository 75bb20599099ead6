// The panel window, its shadow and its background drag.
#include "app/SearchPanel.h"

#include "platform/x11/InputShape.h"
#include "platform/x11/WindowHints.h"
#include "ui/Shadow.h"
#include "ui/Theme.h"

#include <QApplication>
#include <QBackingStore>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <utility>

namespace huddlepod {

namespace {

constexpr qreal shadowBlur = 14;
constexpr int shadowOffsetY = 4;

// The application's icon in the sizes a window manager draws a small window's at (a title bar, a window
// switcher) and no larger: a manager reads every size the window carries and scales them each time it takes
// the window in, on every show, and the application's own go up to 256 px (some 360 KB).
QIcon smallIcon(const QIcon& icon) {
    QIcon small;
    for (const int size : {16, 32}) {
        small.addPixmap(icon.pixmap(QSize(size, size), 1.0));
    }
    return small;
}

QPainterPath roundedShape(const QRect& rect) {
    QPainterPath path;
    path.addRoundedRect(QRectF(rect), SearchPanel::cornerRadius, SearchPanel::cornerRadius);
    return path;
}

} // namespace

SearchPanel::SearchPanel(QSize size, bool composited, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , surfaceSize_(size)
    , composited_(composited) {
    setObjectName(QStringLiteral("SearchPanel"));
    setWindowTitle(QStringLiteral("Huddlepod search"));
    // A visual with an alpha channel only under a compositor: without one the server keeps a copy of such a
    // window and composes it onto the screen at every map and paint. Picked as the native window is made.
    setAttribute(Qt::WA_TranslucentBackground, composited);
    layOut(QPoint(margin(), margin()));
}

void SearchPanel::setContent(QWidget* content) {
    content_ = content;
    content->setParent(this);
    content->setGeometry(surfaceRect());
    content->show();
}

void SearchPanel::setComposited(bool composited) {
    const bool hasAlpha = testAttribute(Qt::WA_TranslucentBackground);
    const bool shown = isVisible();
    // A shown window keeps its alpha channel until it hides, and is made anew at once when it needs one.
    const bool remake = hasAlpha != composited && (composited || !shown);
    if (composited == composited_ && !remake) {
        return;
    }
    const QPoint surface = surfaceGeometry().topLeft();
    composited_ = composited;
    if (remake) {
        dropNativeWindow();
    }
    layOut(surface);
    if (remake && shown) {
        prepareToShow();
        show();
        raise();
        activateWindow();
    }
    update();
}

// The visual is chosen as the native window is made: for another, the window is made again at the next show.
void SearchPanel::dropNativeWindow() {
    setAttribute(Qt::WA_TranslucentBackground, composited_);
    if (!testAttribute(Qt::WA_WState_Created)) {
        return;
    }
    hide();
    delete std::exchange(inputShape_, nullptr);
    destroy();
    hasBeenShown_ = false; // the new window carries none of the hints yet
}

void SearchPanel::moveSurfaceTo(QPoint topLeft) {
    drag_ = Drag::none;
    move(topLeft - QPoint(margin(), margin()));
}

void SearchPanel::layOut(QPoint surfaceTopLeft) {
    // Told first, so that the manager fits the new size and place to the work area by the panel itself.
    announceShadow();
    setFixedSize(surfaceSize_ + QSize(2 * margin(), 2 * margin()));
    move(surfaceTopLeft - QPoint(margin(), margin()));
    if (content_) {
        content_->setGeometry(surfaceRect());
    }
    updateShape();
}

void SearchPanel::announceShadow() {
    if (testAttribute(Qt::WA_WState_Created) && windowHandle()) {
        x11::setFrameExtents(*windowHandle(), shadowExtents());
    }
}

void SearchPanel::updateShape() {
    const QRegion surface(roundedShape(surfaceRect()).toFillPolygon().toPolygon());
    if (composited_) {
        clearMask();
    } else {
        setMask(surface);
    }
    // Qt turns a mask into device pixels only when it changes; at another ratio the same mask needs setting
    // again.
    if (testAttribute(Qt::WA_WState_Created) && windowHandle()) {
        windowHandle()->setMask(composited_ ? QRegion() : surface);
    }
    // Presses on the shadow go to the windows below, through whatever frame the window manager adds.
    if (inputShape_) {
        inputShape_->set(composited_ ? surface : QRegion());
    }
}

void SearchPanel::prepareToShow() {
    const bool created = testAttribute(Qt::WA_WState_Created);
    if (!testAttribute(Qt::WA_SetWindowIcon) && !QGuiApplication::windowIcon().isNull()) {
        setWindowIcon(smallIcon(QGuiApplication::windowIcon()));
    }
    winId(); // creates the native window, so it can carry the hints before it is mapped
    QWindow* window = windowHandle();
    if (window) {
        x11::setOnAllDesktopsAndOffTaskbar(*window);
    }
    if (!created) {
        // The input region and the shadow's band need the native window, and stay with it from show to show
        // (a change of compositor lays the window out anew).
        if (window) {
            inputShape_ = new x11::InputShape(*window, this);
            window->installEventFilter(this);
            // The shapes at once, before a show maps the window there; its size once Qt has done with the
            // change (a move of its own included), from where the window then is.
            connect(window, &QWindow::screenChanged, this, [this] {
                announceShadow();
                updateShape();
            });
            connect(window, &QWindow::screenChanged, this, &SearchPanel::followScreen, Qt::QueuedConnection);
            watchRatio(window->screen());
        }
        announceShadow();
        updateShape();
    }
}

// Qt keeps the window's size in device pixels when the window manager moves it to a screen of another ratio,
// or the screen's ratio changes (a new Xft/DPI): the panel takes its own size at the new ratio, about its
// top-left corner, and its mask, input shape and shadow band, all in device pixels, follow.
void SearchPanel::followScreen() {
    QWindow* window = windowHandle();
    if (!window) {
        return;
    }
    watchRatio(window->screen());
    QRect wanted(window->geometry().topLeft(), surfaceSize_ + QSize(2 * margin(), 2 * margin()));
    // Grown or shrunk, its centre must stay on this screen, which Qt goes by: else the window would go back
    // to the other ratio, and again.
    if (const QScreen* screen = window->screen()) {
        const QRect area = screen->geometry();
        const QPoint centre = wanted.center();
        wanted.translate(std::clamp(centre.x(), area.left(), area.right()) - centre.x(),
                         std::clamp(centre.y(), area.top(), area.bottom()) - centre.y());
    }
    if (window->geometry() != wanted) {
        window->setGeometry(wanted);
    }
    announceShadow();
    updateShape();
    // Qt sizes the buffer it draws into anew only for a new size or screen, not for a new ratio. Sized as the
    // widget is until the window system gives the window its new size: Qt repaints the whole window, children
    // included, only for a buffer of another size, and that size may come before the repaint asked for here.
    if (QBackingStore* store = backingStore()) {
        store->resize(size());
    }
    update();
}

void SearchPanel::watchRatio(QScreen* screen) {
    disconnect(ratioWatch_);
    if (screen) {
        ratioWatch_ = connect(screen, &QScreen::logicalDotsPerInchChanged, this, &SearchPanel::followScreen,
                              Qt::QueuedConnection);
    }
}

bool SearchPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Expose && watched == windowHandle() && windowHandle()->isExposed()) {
        emit exposed();
    }
    return QWidget::eventFilter(watched, event);
}

void SearchPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const Appearance appearance = Theme::appearanceOf(palette());
    if (!composited_) {
        // The mask cuts the corners; what the content leaves shows the window colour, never black.
        painter.fillRect(rect(), palette().window());
        return;
    }
    if (shadow_.size() != size() || shadowLook_ != appearance) {
        // Falls a little below the panel, as light from above would cast it.
        QColor colour(Qt::black);
        colour.setAlphaF(appearance == Appearance::dark ? 0.55f : 0.35f);
        shadow_ = Shadow::image(roundedShape(surfaceRect().translated(0, shadowOffsetY)), size(), shadowBlur,
                                colour);
        shadowLook_ = appearance;
    }
    painter.drawImage(0, 0, shadow_);
}

void SearchPanel::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (!isVisible()) {
        return;
    }
    if (drag_ != Drag::none) {
        emit dragged();
    } else {
        emit moved();
    }
}

void SearchPanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    hasBeenShown_ = true;
}

void SearchPanel::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    pressedAt_.reset();
    drag_ = Drag::none;
}

// Presses that no child takes land here: the background moves the window once the pointer has gone the
// drag distance with the button held. A click alone never starts a window manager's move.
void SearchPanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressedAt_.reset();
        drag_ = Drag::none;
    }
    if (event->button() != Qt::LeftButton || !surfaceRect().contains(event->position().toPoint())) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    pressedAt_ = event->globalPosition().toPoint();
    pressOffset_ = *pressedAt_ - pos();
}

void SearchPanel::mouseMoveEvent(QMouseEvent* event) {
    if (!pressedAt_ || !(event->buttons() & Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    event->accept();
    const QPoint global = event->globalPosition().toPoint();
    if (drag_ == Drag::none) {
        if ((global - *pressedAt_).manhattanLength() < QApplication::startDragDistance()) {
            return;
        }
        // The window manager moves the window from here on, from where the pointer is now: it moves the
        // window only by the motion it sees once it holds the pointer, and a flick may have none left. So the
        // window catches up with the pointer first.
        drag_ = Drag::byWindowManager;
        move(global - pressOffset_);
        if (windowHandle() && x11::startWindowManagerMove(*windowHandle(), global)) {
            // It has the pointer until the button is up, unless the button went up before it took it: then
            // the drag is ours again, from here (the pointer may be elsewhere by now; what it did while the
            // button was down is still on its way to us).
            if (x11::isLeftButtonDown() == false) {
                takeBackFromWindowManager(global);
            }
            return;
        }
        if (windowHandle() && windowHandle()->startSystemMove()) {
            pressedAt_.reset();
            return;
        }
        drag_ = Drag::byHand; // no window manager takes it: follow the pointer ourselves
    }
    if (drag_ == Drag::byHand) {
        move(global - pressOffset_);
    }
}

// The drag goes on by hand from `at` as if it had been ours all along; what the manager began is called off
// first.
void SearchPanel::takeBackFromWindowManager(QPoint at) {
    x11::cancelWindowManagerMove(*windowHandle());
    drag_ = Drag::byHand;
    move(at - pressOffset_);
}

void SearchPanel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && pressedAt_) {
        const QPoint releasedAt = event->globalPosition().toPoint();
        if (drag_ == Drag::byWindowManager) {
            // The release came to us: the manager never held the pointer.
            takeBackFromWindowManager(releasedAt);
        } else if (drag_ == Drag::byHand) {
            move(releasedAt - pressOffset_);
        }
        pressedAt_.reset();
    }
    QWidget::mouseReleaseEvent(event);
}

} // namespace huddlepod

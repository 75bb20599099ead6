// The panel window and its background drag.
#include "app/SearchPanel.h"

#include "platform/x11/WindowHints.h"

#include <QMouseEvent>
#include <QPainterPath>
#include <QRegion>
#include <QWindow>

namespace huddlepod {

SearchPanel::SearchPanel(QSize size, bool translucent, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , translucent_(translucent) {
    setObjectName(QStringLiteral("SearchPanel"));
    setWindowTitle(QStringLiteral("Huddlepod search"));
    // Only before the native window exists does this pick a visual with an alpha channel.
    setAttribute(Qt::WA_TranslucentBackground, translucent);
    setFixedSize(size);
    updateMask();
}

void SearchPanel::setContent(QWidget* content) {
    content_ = content;
    content->setParent(this);
    content->setGeometry(rect());
    content->show();
}

void SearchPanel::prepareToShow() {
    winId(); // creates the native window, so it can carry the hints before it is mapped
    if (QWindow* window = windowHandle()) {
        x11::setOnAllDesktopsAndOffTaskbar(*window);
    }
}

void SearchPanel::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (isVisible()) {
        emit moved();
    }
}

void SearchPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (content_) {
        content_->setGeometry(rect());
    }
    updateMask();
}

void SearchPanel::updateMask() {
    if (translucent_) {
        clearMask();
        return;
    }
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
}

// Presses that no child takes land here: the background moves the window.
void SearchPanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    if (windowHandle() && windowHandle()->startSystemMove()) {
        return;
    }
    dragOffset_ = event->globalPosition().toPoint() - pos();
}

void SearchPanel::mouseMoveEvent(QMouseEvent* event) {
    if (dragOffset_ && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - *dragOffset_);
        event->accept();
        emit dragged();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void SearchPanel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragOffset_.reset();
    }
    QWidget::mouseReleaseEvent(event);
}

} // namespace huddlepod

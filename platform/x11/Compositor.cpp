// Asks the X server, on Qt's own connection, whether a compositing manager owns its selection, and listens
// for the owner changing.
#include "platform/x11/Compositor.h"
#include "platform/x11/SelectionOwner.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>

namespace huddlepod {

namespace {

bool isX11() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

QByteArray selectionName() {
    return "_NET_WM_CM_S" + QByteArray::number(x11::displayScreen());
}

} // namespace

bool isCompositingActive() {
    return !isX11() || x11::hasSelectionOwner(selectionName());
}

CompositingMonitor& CompositingMonitor::shared() {
    static QPointer<CompositingMonitor> monitor;
    if (!monitor) {
        monitor = new CompositingMonitor(QCoreApplication::instance());
    }
    return *monitor;
}

CompositingMonitor::CompositingMonitor(QObject* parent)
    : QObject(parent) {
    if (!isX11()) {
        return;
    }
    owner_ = new x11::SelectionOwnerWatcher(selectionName(), this);
    active_ = owner_->hasOwner();
    connect(owner_, &x11::SelectionOwnerWatcher::ownerChanged, this, &CompositingMonitor::set);
}

CompositingMonitor::~CompositingMonitor() = default;

bool CompositingMonitor::refresh() {
    if (owner_ != nullptr) {
        set(owner_->refresh());
    }
    return active_;
}

bool CompositingMonitor::current() {
    if (owner_ != nullptr && !owner_->followsChanges()) {
        return refresh();
    }
    return active_;
}

void CompositingMonitor::set(bool active) {
    if (active != active_) {
        active_ = active;
        emit changed(active);
    }
}

} // namespace huddlepod

// A window's input shape, kept on whatever frame a window manager puts around the window.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QPointer>
#include <QRegion>

class QWindow;

namespace huddlepod::x11 {

// Openbox, xfwm4 and i3 give a window they take in a frame whose input shape is a plain rectangle: they read
// only the bounding shape then, and copy the input shape to the frame only when the server reports a change
// of it (ShapeNotify), which they ask for as they take the window. A shape set before the map never reaches
// the frame, and every show is a new frame. So the shape is set again each time the window is mapped, which a
// manager does once it has framed the window (and the server does after any reparent of a mapped window); a
// manager that does not frame the window sees it on the window itself.
// Does nothing off X11.
class InputShape : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    explicit InputShape(QWindow& window, QObject* parent = nullptr);
    ~InputShape() override;

    // Where the window takes pointer input, in its own device-independent pixels; an empty region gives it
    // back the whole window. Presses elsewhere go to what lies below.
    void set(const QRegion& region);
    QRegion region() const { return region_; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void apply();

    QPointer<QWindow> window_;
    QRegion region_;
    bool filtering_ = false;
};

} // namespace huddlepod::x11

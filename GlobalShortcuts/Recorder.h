// The control in which the user presses a new key combination for a named global shortcut, and its labelled
// host. While it has focus it captures the next key press, checks it against the application's menu and the
// desktop's own shortcuts, and stores it through the registry.
#pragma once

#include "GlobalShortcuts/Name.h"
#include "GlobalShortcuts/Shortcut.h"

#include <QLineEdit>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class QAbstractButton;
class QLabel;

namespace huddlepod::x11 {
class KeyboardGrab;
}

namespace huddlepod::GlobalShortcuts {

class LocalEventMonitor;

class RecorderCocoa : public QLineEdit {
    Q_OBJECT

public:
    using ChangeAction = std::function<void(const std::optional<Shortcut>&)>;
    // The title of the application's menu item that uses the combination, if any.
    using MenuLookup = std::function<std::optional<QString>(const Shortcut&)>;

    // The field is never narrower; a longer shortcut widens it as far as its row has room, beyond which the
    // text is cut short.
    static constexpr int minimumWidth = 130;

    explicit RecorderCocoa(Name name, ChangeAction onChange = {}, QWidget* parent = nullptr);
    ~RecorderCocoa() override;

    const Name& shortcutName() const { return shortcutName_; }
    // Another identifier shows that name's shortcut.
    void setShortcutName(const Name& name);

    bool isRecording() const { return eventMonitor_ != nullptr; }
    // False for the turn of the event loop in which the window becomes active, so that the window does not
    // start recording on its own.
    bool canBecomeKey() const { return canBecomeKey_; }
    QAbstractButton* clearButton() const { return clearButton_; }

    // The application's menu, consulted for every combination; none by default.
    static void setMainMenuLookup(MenuLookup lookup);
    // Takes the keyboard for the recorder's window while it records; null goes back to the X11 grab.
    static void setKeyboardGrab(std::shared_ptr<x11::KeyboardGrab> grab);

    // The text as drawn: the shortcut or the placeholder, cut to the room it has.
    QString shownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void recordingChanged(bool recording);

protected:
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startRecording();
    void endRecording();
    // Ends editing: the window's focus goes nowhere.
    void resignFocus();
    void refreshText();
    void showTextOf(const std::optional<Shortcut>& shortcut);
    void updateClearButton();
    QRect textArea() const;
    void clearClicked();
    void preventBecomingKey();
    // True consumes the event.
    bool capture(QEvent* event);
    bool checkMenuConflict(const Shortcut& shortcut);
    bool checkSystemConflict(const Shortcut& shortcut);
    void refocus();
    void accept(const Shortcut& shortcut);

    Name shortcutName_;
    ChangeAction onChange_;
    bool canBecomeKey_ = true;
    LocalEventMonitor* eventMonitor_ = nullptr;
    bool holdsKeyboard_ = false;
    QPointer<QWidget> observedWindow_;
    QAbstractButton* clearButton_ = nullptr;
};

// The recorder with an optional label before it.
class Recorder : public QWidget {
    Q_OBJECT

public:
    explicit Recorder(const Name& name, RecorderCocoa::ChangeAction onChange = {}, QWidget* parent = nullptr);
    Recorder(const QString& label, const Name& name, RecorderCocoa::ChangeAction onChange = {},
             QWidget* parent = nullptr);

    RecorderCocoa* field() const { return field_; }
    QLabel* label() const { return label_; }
    bool hasLabel() const { return label_ != nullptr; }
    // Replaces the name; the change action stays.
    void setName(const Name& name) { field_->setShortcutName(name); }

private:
    QLabel* label_ = nullptr;
    RecorderCocoa* field_ = nullptr;
};

} // namespace huddlepod::GlobalShortcuts

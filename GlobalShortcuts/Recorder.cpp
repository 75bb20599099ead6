// Recording a shortcut: focus starts and ends it, an application-wide monitor captures the keys meanwhile.
#include "GlobalShortcuts/Recorder.h"

#include "GlobalShortcuts/EventMonitors.h"
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "GlobalShortcuts/MenuItems.h"
#include "GlobalShortcuts/RecorderTexts.h"
#include "platform/x11/KeyboardGrab.h"
#include "ui/ShortcutText.h"
#include "ui/Symbols.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

namespace huddlepod::GlobalShortcuts {

namespace {

constexpr int clearButtonSize = 16;
// Between the text and the field's edge or the clear button.
constexpr int textMargin = 6;
// A click this close outside the field still counts as inside.
constexpr int clickSlop = 3;

RecorderCocoa::MenuLookup& mainMenuLookup() {
    static RecorderCocoa::MenuLookup lookup;
    return lookup;
}

std::shared_ptr<x11::KeyboardGrab>& keyboardGrabSlot() {
    static std::shared_ptr<x11::KeyboardGrab> grab;
    return grab;
}

x11::KeyboardGrab& keyboardGrab() {
    if (!keyboardGrabSlot()) {
        keyboardGrabSlot() = x11::makeKeyboardGrab();
    }
    return *keyboardGrabSlot();
}

class ClearButton : public QAbstractButton {
public:
    explicit ClearButton(QWidget* parent)
        : QAbstractButton(parent) {
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::ArrowCursor);
        setAccessibleName(QStringLiteral("Clear"));
        setFixedSize(clearButtonSize, clearButtonSize);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor color = palette().color(QPalette::PlaceholderText);
        if (isDown()) {
            color = palette().color(QPalette::Text);
        }
        Symbols::paint(painter, Symbol::xmarkCircleFill, QRectF(rect()).adjusted(1, 1, -1, -1), color);
    }
};

bool isModifierKey(int key) {
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_Mode_switch:
        return true;
    default:
        return false;
    }
}

bool isFunctionKey(int key) {
    return key >= Qt::Key_F1 && key <= Qt::Key_F35;
}

} // namespace

RecorderCocoa::RecorderCocoa(Name name, ChangeAction onChange, QWidget* parent)
    : QLineEdit(parent)
    , shortcutName_(std::move(name))
    , onChange_(std::move(onChange)) {
    setPlaceholderText(localizedText(QStringLiteral("record_shortcut")));
    setAlignment(Qt::AlignCenter);
    // Nothing is typed into the field: it shows the recorded combination, and no caret.
    setReadOnly(true);
    setContextMenuPolicy(Qt::NoContextMenu);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    setAccessibleName(QStringLiteral("Shortcut"));
    // Not the placeholder, which changes while recording.
    setAccessibleDescription(localizedText(QStringLiteral("record_shortcut")));
    clearButton_ = new ClearButton(this);
    connect(clearButton_, &QAbstractButton::clicked, this, &RecorderCocoa::clearClicked);
    refreshText();
    QPointer<RecorderCocoa> self(this);
    connect(&Registry::shared(), &Registry::shortcutByNameDidChange, this, [self](const Name& changed) {
        if (self && changed == self->shortcutName_) {
            self->refreshText();
        }
    });
}

RecorderCocoa::~RecorderCocoa() {
    endRecording();
}

void RecorderCocoa::setShortcutName(const Name& name) {
    const bool other = name.rawValue != shortcutName_.rawValue;
    shortcutName_ = name;
    if (other) {
        refreshText();
    }
}

void RecorderCocoa::setMainMenuLookup(MenuLookup lookup) {
    mainMenuLookup() = std::move(lookup);
}

void RecorderCocoa::setKeyboardGrab(std::shared_ptr<x11::KeyboardGrab> grab) {
    keyboardGrabSlot() = std::move(grab);
}

QSize RecorderCocoa::sizeHint() const {
    // Wide enough to show the whole shortcut beside the clear button ("Ctrl+Alt+Shift+Super+Page Down").
    const int room =
        int(std::ceil(ShortcutText::width(text(), font()))) + 2 * (clearButtonSize + textMargin) + 2;
    return {std::max(room, minimumWidth), QLineEdit::sizeHint().height()};
}

QSize RecorderCocoa::minimumSizeHint() const {
    return {minimumWidth, QLineEdit::sizeHint().height()};
}

void RecorderCocoa::refreshText() {
    showTextOf(Registry::shared().getShortcut(shortcutName_));
}

void RecorderCocoa::showTextOf(const std::optional<Shortcut>& shortcut) {
    setText(shortcut ? shortcut->description() : QString());
    updateGeometry();
    updateClearButton();
}

void RecorderCocoa::updateClearButton() {
    clearButton_->setVisible(!text().isEmpty());
    update();
}

bool RecorderCocoa::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // While recording, every combination is ours: no shortcut of the application may take it first.
        if (isRecording()) {
            event->accept();
            return true;
        }
        break;
    case QEvent::Show:
    case QEvent::ParentChange:
        if (window() != observedWindow_) {
            if (observedWindow_) {
                observedWindow_->removeEventFilter(this);
            }
            observedWindow_ = window();
            observedWindow_->installEventFilter(this);
            preventBecomingKey();
        }
        break;
    case QEvent::Hide:
        endRecording();
        break;
    default:
        break;
    }
    return QLineEdit::event(event);
}

bool RecorderCocoa::eventFilter(QObject* watched, QEvent* event) {
    if (watched == observedWindow_) {
        if (event->type() == QEvent::WindowDeactivate) {
            endRecording();
            resignFocus();
        } else if (event->type() == QEvent::WindowActivate) {
            preventBecomingKey();
        }
    }
    return QLineEdit::eventFilter(watched, event);
}

void RecorderCocoa::preventBecomingKey() {
    // The window gives its first focus while it is being activated; recording starts only when the user
    // clicks into the field or tabs to it.
    canBecomeKey_ = false;
    setFocusPolicy(Qt::NoFocus);
    QTimer::singleShot(0, this, [this] {
        canBecomeKey_ = true;
        setFocusPolicy(Qt::StrongFocus);
    });
}

void RecorderCocoa::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    startRecording();
}

void RecorderCocoa::focusOutEvent(QFocusEvent* event) {
    endRecording();
    QLineEdit::focusOutEvent(event);
}

void RecorderCocoa::startRecording() {
    if (isRecording()) {
        return;
    }
    setPlaceholderText(localizedText(QStringLiteral("press_shortcut")));
    updateClearButton();
    Registry::shared().setPaused(true);
    // A retired monitor may still see events until it is deleted; only the current one captures.
    auto current = std::make_shared<LocalEventMonitor*>(nullptr);
    QPointer<RecorderCocoa> self(this);
    eventMonitor_ = new LocalEventMonitor({QEvent::KeyPress, QEvent::MouseButtonRelease},
                                          [self, current](QObject*, QEvent* event) {
                                              if (!self) {
                                                  return true;
                                              }
                                              if (self->eventMonitor_ != *current) {
                                                  return false;
                                              }
                                              return self->capture(event);
                                          });
    *current = eventMonitor_;
    eventMonitor_->setParent(this);
    eventMonitor_->start();
    // Hot-key programs grab their combinations on the root window; with the keyboard ours, those reach the
    // recorder too, and the conflict check can see them.
    if (const QWindow* handle = window()->windowHandle(); handle != nullptr && handle->isVisible()) {
        holdsKeyboard_ = keyboardGrab().grab(handle->winId());
    }
    emit recordingChanged(true);
}

void RecorderCocoa::endRecording() {
    if (!isRecording()) {
        return;
    }
    // Recording may end inside the monitor's own callback: delete it once that has returned.
    eventMonitor_->deleteLater();
    eventMonitor_ = nullptr;
    if (std::exchange(holdsKeyboard_, false)) {
        keyboardGrab().release();
    }
    setPlaceholderText(localizedText(QStringLiteral("record_shortcut")));
    updateClearButton();
    Registry::shared().setPaused(false);
    emit recordingChanged(false);
}

void RecorderCocoa::resignFocus() {
    clearFocus(); // also forgets the field as the focus an inactive window would restore
    endRecording();
}

bool RecorderCocoa::capture(QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton && mouse->button() != Qt::RightButton) {
            return false;
        }
        const QPoint position = mapFromGlobal(mouse->globalPosition()).toPoint();
        if (!rect().adjusted(-clickSlop, -clickSlop, clickSlop, clickSlop).contains(position)) {
            resignFocus();
            return false;
        }
        // The clear button works while recording too.
        return !(clearButton_->isVisible() && clearButton_->geometry().contains(position));
    }
    if (event->type() != QEvent::KeyPress) {
        return true;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    if (isModifierKey(key->key())) {
        return true; // the combination is still being built
    }
    const ModifierFlags mask = ModifierFlag::shift | ModifierFlag::control | ModifierFlag::option |
                               ModifierFlag::command | ModifierFlag::help;
    const ModifierFlags modifiers = modifierFlagsFromQt(key->modifiers()) & mask;
    if (modifiers == ModifierFlags()) {
        switch (key->key()) {
        case Qt::Key_Tab:
            endRecording();
            focusNextChild();
            return true;
        case Qt::Key_Escape:
            resignFocus();
            return true;
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
            if (clearButton_->isVisible()) {
                clearButton_->click();
            }
            return true;
        default:
            break;
        }
    }
    if ((modifiers & ~ModifierFlags(ModifierFlag::shift)) == ModifierFlags() && !isFunctionKey(key->key())) {
        QApplication::beep();
        return true;
    }
    const std::optional<Shortcut> shortcut = Shortcut::fromKeyEvent(*key);
    if (!shortcut) {
        QApplication::beep();
        return true;
    }
    if (checkMenuConflict(*shortcut)) {
        return true;
    }
    const bool isBareF12 = shortcut->key() == Key::f12 && shortcut->carbonModifiers == 0;
    if (!isBareF12 && checkSystemConflict(*shortcut)) {
        return true;
    }
    accept(*shortcut);
    return true;
}

bool RecorderCocoa::checkMenuConflict(const Shortcut& shortcut) {
    const MenuLookup& lookup = mainMenuLookup();
    const std::optional<QString> title = lookup ? lookup(shortcut) : std::nullopt;
    if (!title) {
        return false;
    }
    resignFocus();
    QPointer<RecorderCocoa> self(this);
    const auto alert =
        makeAlert(localizedText(QStringLiteral("keyboard_shortcut_used_by_menu_item")).arg(*title), QString(),
                  QMessageBox::Warning);
    runModal(*alert, window());
    if (self) {
        refocus();
    }
    return true;
}

bool RecorderCocoa::checkSystemConflict(const Shortcut& shortcut) {
    if (!Registry::shared().isSystemShortcut(shortcut)) {
        return false;
    }
    resignFocus();
    QPointer<RecorderCocoa> self(this);
    const auto alert =
        makeAlert(localizedText(QStringLiteral("keyboard_shortcut_used_by_system")),
                  localizedText(QStringLiteral("keyboard_shortcuts_can_be_changed")), QMessageBox::Warning,
                  {localizedText(QStringLiteral("ok")), localizedText(QStringLiteral("force_use_shortcut"))});
    const int response = runModal(*alert, window());
    if (!self) {
        return true;
    }
    if (response == kFirstButton + 1) {
        window()->activateWindow();
        return false; // forced: taken at once, and recording ends
    }
    refocus();
    return true;
}

void RecorderCocoa::refocus() {
    // The alert took the window's activation; recording resumes once the window has it back.
    window()->activateWindow();
    setFocus(Qt::OtherFocusReason);
}

void RecorderCocoa::accept(const Shortcut& shortcut) {
    showTextOf(shortcut);
    Registry::shared().userDefaultsSet(shortcutName_, shortcut);
    if (onChange_) {
        onChange_(shortcut);
    }
    resignFocus();
}

void RecorderCocoa::clearClicked() {
    setText(QString());
    Registry::shared().setShortcut(std::nullopt, shortcutName_);
    if (onChange_) {
        onChange_(std::nullopt);
    }
    updateClearButton();
    // The user can press the new combination at once.
    setFocus(Qt::OtherFocusReason);
}

void RecorderCocoa::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    clearButton_->move(width() - clearButton_->width() - 4, (height() - clearButton_->height()) / 2);
}

QRect RecorderCocoa::textArea() const {
    // Symmetric room for the clear button keeps a shortcut centred on the field; without the button the
    // placeholder has the width to itself.
    const int inset = clearButton_->isHidden() ? textMargin : clearButton_->width() + textMargin;
    return rect().adjusted(inset, 0, -inset, 0);
}

QString RecorderCocoa::shownText() const {
    return ShortcutText::elided(text().isEmpty() ? placeholderText() : text(), font(), textArea().width());
}

void RecorderCocoa::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &painter, this);
    const QRect area = textArea();
    const QString shown = shownText();
    const QColor color = palette().color(text().isEmpty() ? QPalette::PlaceholderText : QPalette::Text);
    const qreal textWidth = ShortcutText::width(shown, font());
    painter.setRenderHint(QPainter::Antialiasing);
    ShortcutText::draw(painter,
                       QRectF(area.center().x() + 0.5 - textWidth / 2, area.top(), textWidth, area.height()),
                       shown, font(), color);
}

Recorder::Recorder(const Name& name, RecorderCocoa::ChangeAction onChange, QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    field_ = new RecorderCocoa(name, std::move(onChange), this);
    layout->addWidget(field_);
    layout->addStretch(1);
}

Recorder::Recorder(const QString& label, const Name& name, RecorderCocoa::ChangeAction onChange,
                   QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    label_ = new QLabel(label, this);
    field_ = new RecorderCocoa(name, std::move(onChange), this);
    label_->setBuddy(field_);
    layout->addWidget(label_);
    layout->addStretch(1);
    layout->addWidget(field_);
}

} // namespace huddlepod::GlobalShortcuts

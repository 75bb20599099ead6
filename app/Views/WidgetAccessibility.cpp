// The accessible interfaces of the small painted components, and the factory that hands Qt every one of them.
#include "app/Views/WidgetAccessibility.h"

#include "app/Views/AccessibleElements.h"
#include "app/Views/Components/ListPicker.h"
#include "app/Views/Components/PopoverList.h"
#include "app/Views/Components/SegmentedToggle.h"
#include "app/Views/Components/StatusMessage.h"
#include "app/Views/DataGridAccessible.h"
#include "app/Views/DataGridView.h"
#include "app/Views/HotkeyHintView.h"

#include <QAccessibleWidget>
#include <QTimer>

namespace huddlepod {

namespace {

// The dynamic property that gives a plain widget its role (see setAccessibleRole).
constexpr char rolePropertyName[] = "huddlepodAccessibleRole";
// The object name of a window's notification children (see announce), and how long one stays after it
// was said, in milliseconds.
const QString noticeName = QStringLiteral("huddlepod-announcement");
constexpr int noticeLifetime = 3000;

QString nameOrDescription(QAccessible::Text text, const QString& name, const QString& description = {}) {
    switch (text) {
    case QAccessible::Name:
        return name;
    case QAccessible::Description:
        return description;
    default:
        return {};
    }
}

QStringList pressOnly() {
    return {QAccessibleActionInterface::pressAction()};
}

// A labelled container of one button per segment; the selected one is marked so.
class SegmentedToggleAccessible : public PaintedAccessible {
public:
    explicit SegmentedToggleAccessible(SegmentedToggleBase* toggle)
        : PaintedAccessible(toggle, QAccessible::Grouping) {}

    std::vector<int> elementChildren(int element) const override {
        std::vector<int> segments;
        if (element == self) {
            for (int index = 0; index < toggle()->titles().size(); ++index) {
                segments.push_back(index);
            }
        }
        return segments;
    }
    QAccessible::Role elementRole(int) const override { return QAccessible::Button; }
    QString elementText(int element, QAccessible::Text text) const override {
        return nameOrDescription(text, toggle()->titles().at(element));
    }
    QAccessible::State elementState(int element) const override {
        QAccessible::State state;
        state.selectable = true;
        state.selected = element == toggle()->selectedIndex();
        return state;
    }
    QRectF elementRect(int element) const override {
        return toggle()->segmentRects(toggle()->width()).at(std::size_t(element));
    }
    QStringList elementActions(int) const override { return pressOnly(); }
    void performElementAction(int element, int) override { toggle()->tap(element); }

private:
    SegmentedToggleBase* toggle() const { return static_cast<SegmentedToggleBase*>(widget()); }
};

// Interactive: the previous arrow, the label button that opens the list, the next arrow; the chevron is part
// of the label. Read-only: just the spoken label.
class ListPickerAccessible : public PaintedAccessible {
public:
    enum Element { previous, label, next };

    explicit ListPickerAccessible(ListPickerBase* picker)
        : PaintedAccessible(picker, QAccessible::Grouping) {}

    QAccessible::Role role() const override {
        return picker()->isInteractive() ? QAccessible::Grouping : QAccessible::StaticText;
    }
    QString text(QAccessible::Text text) const override {
        // The interactive form's label and hint belong to its label button.
        return picker()->isInteractive() ? QString() : PaintedAccessible::text(text);
    }

    std::vector<int> elementChildren(int element) const override {
        if (element == self && picker()->isInteractive()) {
            return {previous, label, next};
        }
        return {};
    }
    QAccessible::Role elementRole(int) const override { return QAccessible::Button; }
    QString elementText(int element, QAccessible::Text text) const override {
        switch (element) {
        case previous:
            return nameOrDescription(text, picker()->arrowLabel(QStringLiteral("Previous")));
        case next:
            return nameOrDescription(text, picker()->arrowLabel(QStringLiteral("Next")));
        default:
            return nameOrDescription(text, picker()->accessibleName(), picker()->options().accessibilityHint);
        }
    }
    QAccessible::State elementState(int element) const override {
        QAccessible::State state;
        if (element == label) {
            state.hasPopup = true;
            state.expanded = picker()->isPresented();
            state.collapsed = !state.expanded;
        } else {
            state.disabled = !picker()->stepTarget(offset(element));
        }
        return state;
    }
    QRectF elementRect(int element) const override {
        const ListPickerBase::Layout layout = picker()->layout();
        return element == previous ? layout.previous : element == next ? layout.next : layout.label;
    }
    QStringList elementActions(int element) const override {
        return element == label || picker()->stepTarget(offset(element)) ? pressOnly() : QStringList();
    }
    void performElementAction(int element, int) override {
        if (element == label) {
            picker()->setPresented(!picker()->isPresented());
        } else {
            picker()->step(offset(element));
        }
    }
    QWidget* attachedPopup() const override {
        return picker()->isPresented() ? picker()->presentedList() : nullptr;
    }

private:
    static int offset(int element) { return element == previous ? -1 : +1; }
    ListPickerBase* picker() const { return static_cast<ListPickerBase*>(widget()); }
};

// The rows of a popover list, spoken by their titles; the current value's row is selected, the row the keys
// have reached focused. Read under the control that opened it and named by it: "Season", "Week", "Winners".
class PopoverListAccessible : public PaintedAccessible {
public:
    explicit PopoverListAccessible(PopoverList* list)
        : PaintedAccessible(list, QAccessible::List) {}

    QAccessibleInterface* parent() const override {
        QWidget* owner = this->owner();
        return owner != nullptr ? QAccessible::queryAccessibleInterface(owner) : PaintedAccessible::parent();
    }
    QString text(QAccessible::Text text) const override {
        if (text != QAccessible::Name || !list()->accessibleName().isEmpty()) {
            return PaintedAccessible::text(text);
        }
        if (const auto* picker = qobject_cast<const ListPickerBase*>(owner())) {
            // "Choose a season": "Season".
            QString noun = picker->options().accessibilityHint;
            noun.remove(QStringLiteral("Choose a "));
            return noun.isEmpty() ? noun : noun.at(0).toUpper() + noun.mid(1);
        }
        if (qobject_cast<const DataGridView*>(owner()) != nullptr) {
            return QStringLiteral("Winners");
        }
        return {};
    }

    std::vector<int> elementChildren(int element) const override {
        std::vector<int> rows;
        if (element == self) {
            for (int index = 0; index < list()->titles().size(); ++index) {
                rows.push_back(index);
            }
        }
        return rows;
    }
    QAccessible::Role elementRole(int) const override { return QAccessible::ListItem; }
    QString elementText(int element, QAccessible::Text text) const override {
        return nameOrDescription(text, list()->titles().at(element));
    }
    QAccessible::State elementState(int element) const override {
        QAccessible::State state;
        state.selectable = true;
        state.selected = list()->selectedIndex() == element;
        state.focusable = true;
        state.focused = list()->hasFocus() && list()->currentIndex() == element;
        return state;
    }
    QAccessibleInterface* focusChild() const override {
        return list()->hasFocus() && list()->currentIndex() < list()->titles().size()
                   ? child(list()->currentIndex())
                   : nullptr;
    }
    QRectF elementRect(int element) const override {
        const QRect row = list()->rowRect(element);
        const QWidget* content = list()->widget();
        return content != nullptr ? QRectF(content->mapTo(list(), row.topLeft()), row.size()) : QRectF(row);
    }
    QStringList elementActions(int) const override { return pressOnly(); }
    void performElementAction(int element, int) override { emit list()->rowClicked(element); }

private:
    PopoverList* list() const { return static_cast<PopoverList*>(widget()); }
    // The widget the list's popover was opened for.
    QWidget* owner() const {
        const QWidget* popover = list()->parentWidget();
        return popover != nullptr ? popover->parentWidget() : nullptr;
    }
};

// The hint text and its dismiss button, each reachable on its own; the keyboard symbol is not spoken.
class HotkeyHintAccessible : public PaintedAccessible {
public:
    enum Element { hint, dismiss };

    explicit HotkeyHintAccessible(HotkeyHintView* view)
        : PaintedAccessible(view, QAccessible::Grouping) {}

    std::vector<int> elementChildren(int element) const override {
        return element == self ? std::vector<int>{hint, dismiss} : std::vector<int>{};
    }
    QAccessible::Role elementRole(int element) const override {
        return element == hint ? QAccessible::StaticText : QAccessible::Button;
    }
    QString elementText(int element, QAccessible::Text text) const override {
        return nameOrDescription(text, element == hint ? view()->hintText()
                                                       : QStringLiteral("Dismiss shortcut tip"));
    }
    QRectF elementRect(int element) const override {
        const HotkeyHintView::Layout layout = view()->layoutFor(view()->width());
        return element == hint ? layout.text : layout.button;
    }
    QStringList elementActions(int element) const override {
        return element == dismiss ? pressOnly() : QStringList();
    }
    void performElementAction(int element, int) override {
        if (element == dismiss) {
            emit view()->dismissed();
        }
    }

private:
    HotkeyHintView* view() const { return static_cast<HotkeyHintView*>(widget()); }
};

template <typename Widget>
bool is(const QString& key) {
    return key == QLatin1String(Widget::staticMetaObject.className());
}

QAccessibleInterface* widgetInterface(const QString& key, QObject* object) {
    if (object == nullptr || !object->isWidgetType()) {
        return nullptr;
    }
    if (const QVariant role = object->property(rolePropertyName); role.isValid()) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Role(role.toInt()));
    }
    // The two windows of the program: the panel, and the settings form when it is a window of its own.
    if (key == QLatin1String("huddlepod::SearchPanel")) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    }
    if (key == QLatin1String("huddlepod::SettingsView") && static_cast<QWidget*>(object)->isWindow()) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Dialog);
    }
    if (is<DataGridView>(key)) {
        return new DataGridAccessible(static_cast<DataGridView*>(object));
    }
    if (is<ListPickerBase>(key)) {
        return new ListPickerAccessible(static_cast<ListPickerBase*>(object));
    }
    if (is<PopoverList>(key)) {
        return new PopoverListAccessible(static_cast<PopoverList*>(object));
    }
    if (is<SegmentedToggleBase>(key)) {
        return new SegmentedToggleAccessible(static_cast<SegmentedToggleBase*>(object));
    }
    if (is<HotkeyHintView>(key)) {
        return new HotkeyHintAccessible(static_cast<HotkeyHintView*>(object));
    }
    if (is<StatusMessage>(key)) {
        // Only the text is spoken: the symbol above it is decoration.
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::StaticText);
    }
    return nullptr;
}

} // namespace

void installWidgetAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(&widgetInterface);
        return true;
    }();
    (void)installed;
}

void announceSelection(QWidget* widget, int child) {
    QAccessibleEvent event(widget, QAccessible::Selection);
    event.setChild(child);
    QAccessible::updateAccessibility(&event);
}

void announceFocus(QWidget* widget, int child) {
    QAccessibleEvent event(widget, QAccessible::Focus);
    event.setChild(child);
    QAccessible::updateAccessibility(&event);
}

void announceNameChange(QWidget* widget, int child) {
    QAccessibleEvent event(widget, QAccessible::NameChanged);
    if (child >= 0) {
        event.setChild(child);
    }
    QAccessible::updateAccessibility(&event);
}

void announcePickedValue(QWidget* picker) {
    // A read-only picker is its label: setting its name already told of the change.
    const auto* interactive = qobject_cast<ListPickerBase*>(picker);
    if (interactive != nullptr && interactive->isInteractive()) {
        announceNameChange(picker, ListPickerAccessible::label);
    }
}

void announce(QWidget* source, const QString& text) {
    if (!QAccessible::isActive()) {
        return; // no assistive technology listens
    }
    // A notification that comes on screen is read out wherever the focus is: one of no size and no input in
    // the source's window for each text, so a reader that asks for the text late still gets this one.
    auto* notice = new QWidget(source->window());
    notice->setObjectName(noticeName);
    setAccessibleRole(notice, QAccessible::Notification);
    notice->setAccessibleName(text);
    notice->setFocusPolicy(Qt::NoFocus);
    notice->setAttribute(Qt::WA_TransparentForMouseEvents);
    notice->setGeometry(0, 0, 0, 0);
    notice->show(); // told as it comes on screen, with its window if that is not shown yet
    QTimer::singleShot(noticeLifetime, notice, &QObject::deleteLater);
}

void setAccessibleRole(QWidget* widget, QAccessible::Role role) {
    installWidgetAccessibility();
    widget->setProperty(rolePropertyName, int(role));
}

} // namespace huddlepod

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

namespace huddlepod {

namespace {

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

private:
    static int offset(int element) { return element == previous ? -1 : +1; }
    ListPickerBase* picker() const { return static_cast<ListPickerBase*>(widget()); }
};

// The rows of a popover list, spoken by their titles; the current value's row is selected.
class PopoverListAccessible : public PaintedAccessible {
public:
    explicit PopoverListAccessible(PopoverList* list)
        : PaintedAccessible(list, QAccessible::List) {}

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
        return state;
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

} // namespace huddlepod

// Accessibility for painted widgets: a widget interface whose children are elements it describes by number,
// created on first use and owned by Qt's interface cache.
#pragma once

#include <QAccessibleWidget>

#include <map>
#include <vector>

namespace huddlepod {

class PaintedAccessible : public QAccessibleWidget {
public:
    static constexpr int self = -1; // the widget itself, in elementChildren()

    PaintedAccessible(QWidget* widget, QAccessible::Role role);

    // The element numbers under an element (self: the top-level elements), in reading order.
    virtual std::vector<int> elementChildren(int element) const = 0;
    // The element that holds an element; self for a top-level one.
    virtual int elementParent(int element) const;
    virtual QAccessible::Role elementRole(int element) const = 0;
    virtual QString elementText(int element, QAccessible::Text text) const = 0;
    virtual QAccessible::State elementState(int element) const;
    // In widget coordinates.
    virtual QRectF elementRect(int element) const = 0;
    virtual QStringList elementActions(int element) const;
    // Performing an action may delete the widget: implementations call out last.
    virtual void performElementAction(int element, int action);
    // A widget shown for this one in a popup window of its own (an open list), read as its last child; null
    // when none.
    virtual QWidget* attachedPopup() const;
    // Whether the element still exists (the widget's content may have changed since it was made).
    bool hasElement(int element) const;

    // The interface of an element, made and registered on first use.
    QAccessibleInterface* element(int element) const;
    // The place of an element's interface in a list of element numbers, -1 when it is not there.
    int indexAmong(const std::vector<int>& elements, const QAccessibleInterface* child) const;

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;

protected:
    ~PaintedAccessible() override;

private:
    mutable std::map<int, QAccessible::Id> elements_;
};

} // namespace huddlepod

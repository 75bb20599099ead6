// The element interfaces of painted widgets and their lifetime under the widget's interface.
#include "app/Views/AccessibleElements.h"

#include <QPointer>
#include <QWidget>

#include <algorithm>

namespace huddlepod {

namespace {

// One element of a painted widget: it has no object of its own and asks its owner for everything.
class AccessibleElement : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    AccessibleElement(const PaintedAccessible* owner, QWidget* widget, int element)
        : owner_(owner)
        , widget_(widget)
        , element_(element) {}

    bool isValid() const override { return widget_ && owner_->hasElement(element_); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return owner_->window(); }

    QAccessibleInterface* parent() const override {
        const int parent = owner_->elementParent(element_);
        return parent == PaintedAccessible::self ? const_cast<PaintedAccessible*>(owner_)
                                                 : owner_->element(parent);
    }
    int childCount() const override { return int(owner_->elementChildren(element_).size()); }
    QAccessibleInterface* child(int index) const override {
        const std::vector<int> children = owner_->elementChildren(element_);
        return index >= 0 && index < int(children.size()) ? owner_->element(children[std::size_t(index)])
                                                          : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return owner_->indexAmong(owner_->elementChildren(element_), child);
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (const int child : owner_->elementChildren(element_)) {
            QAccessibleInterface* found = owner_->element(child);
            if (found->rect().contains(x, y)) {
                return found;
            }
        }
        return nullptr;
    }
    QAccessibleInterface* focusChild() const override { return nullptr; }

    QString text(QAccessible::Text text) const override {
        return isValid() ? owner_->elementText(element_, text) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid()) {
            return {};
        }
        const QRect local = owner_->elementRect(element_).toAlignedRect();
        return {widget_->mapToGlobal(local.topLeft()), local.size()};
    }
    QAccessible::Role role() const override { return owner_->elementRole(element_); }
    QAccessible::State state() const override {
        QAccessible::State state = isValid() ? owner_->elementState(element_) : QAccessible::State();
        state.invisible = !widget_ || !widget_->isVisible();
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    QStringList actionNames() const override {
        return isValid() ? owner_->elementActions(element_) : QStringList();
    }
    QString localizedActionName(const QString& name) const override {
        // Custom actions are already the texts spoken; the standard ones have Qt's own.
        const QString standard = QAccessibleActionInterface::localizedActionName(name);
        return standard.isEmpty() ? name : standard;
    }
    void doAction(const QString& name) override {
        const int action = int(actionNames().indexOf(name));
        if (action >= 0) {
            const_cast<PaintedAccessible*>(owner_)->performElementAction(element_, action);
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    const PaintedAccessible* owner_; // outlives this: it deletes its elements
    QPointer<QWidget> widget_;
    int element_;
};

} // namespace

PaintedAccessible::PaintedAccessible(QWidget* widget, QAccessible::Role role)
    : QAccessibleWidget(widget, role) {}

PaintedAccessible::~PaintedAccessible() {
    for (const auto& [element, id] : elements_) {
        QAccessible::deleteAccessibleInterface(id);
    }
}

int PaintedAccessible::elementParent(int) const {
    return self;
}

QAccessible::State PaintedAccessible::elementState(int) const {
    return {};
}

QStringList PaintedAccessible::elementActions(int) const {
    return {};
}

void PaintedAccessible::performElementAction(int, int) {}

QWidget* PaintedAccessible::attachedPopup() const {
    return nullptr;
}

bool PaintedAccessible::hasElement(int element) const {
    const std::vector<int> siblings = elementChildren(elementParent(element));
    return std::find(siblings.begin(), siblings.end(), element) != siblings.end();
}

QAccessibleInterface* PaintedAccessible::element(int element) const {
    const auto found = elements_.find(element);
    if (found != elements_.end()) {
        return QAccessible::accessibleInterface(found->second);
    }
    auto* made = new AccessibleElement(this, widget(), element);
    elements_.emplace(element, QAccessible::registerAccessibleInterface(made));
    return made;
}

int PaintedAccessible::childCount() const {
    return int(elementChildren(self).size()) + (attachedPopup() != nullptr ? 1 : 0);
}

QAccessibleInterface* PaintedAccessible::child(int index) const {
    const std::vector<int> children = elementChildren(self);
    if (index == int(children.size())) {
        QWidget* attached = attachedPopup();
        return attached != nullptr ? QAccessible::queryAccessibleInterface(attached) : nullptr;
    }
    return index >= 0 && index < int(children.size()) ? element(children[std::size_t(index)]) : nullptr;
}

int PaintedAccessible::indexOfChild(const QAccessibleInterface* child) const {
    const std::vector<int> children = elementChildren(self);
    QWidget* attached = attachedPopup();
    if (attached != nullptr && child != nullptr && child->object() == attached) {
        return int(children.size());
    }
    return indexAmong(children, child);
}

int PaintedAccessible::indexAmong(const std::vector<int>& elements, const QAccessibleInterface* child) const {
    // Only elements already made can be asked about; making the others is not needed.
    for (const auto& [element, id] : elements_) {
        if (QAccessible::accessibleInterface(id) == child) {
            const auto found = std::find(elements.begin(), elements.end(), element);
            return found == elements.end() ? -1 : int(found - elements.begin());
        }
    }
    return -1;
}

QAccessibleInterface* PaintedAccessible::childAt(int x, int y) const {
    for (const int child : elementChildren(self)) {
        QAccessibleInterface* found = element(child);
        if (found->rect().contains(x, y)) {
            return found;
        }
    }
    return nullptr;
}

} // namespace huddlepod

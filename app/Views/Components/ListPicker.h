// The compact chooser of one value from an ordered list: a back arrow, the current label with a chevron that
// opens the whole list in a popover, and a forward arrow. Read-only (just the label) without an action or
// with < 2 values.
#pragma once

#include "app/Views/Components/Popover.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

namespace huddlepod {

class PopoverList;

struct ListPickerOptions {
    QString accessibilityHint; // "Choose a season"; the arrows are named from it
    qreal listWidth = 74;
    bool monospaced = false; // the collapsed label's digits (the list's are always tabular)
    qreal minLabelWidth = 0; // read-only form only
    bool showsScrollIndicator = true;
    bool reversedStepping = false;
    QString debugIdentity; // a debug run can ask for this picker to open (empty: never)
};

// The drawing, stepping and popover of a list picker by index; ListPicker<T> below ties it to values.
class ListPickerBase : public QWidget {
    Q_OBJECT
public:
    static constexpr int arrowWidth = 16;
    static constexpr int arrowHeight = 18;
    static constexpr int spacing = 2;
    static constexpr int chevronSpacing = 3;
    static constexpr int maximumListHeight = 235;

    struct Layout {
        bool isInteractive = false;
        QRectF previous; // interactive form only
        QRectF label;    // the label button (interactive) or the read-only label frame
        QRectF next;     // interactive form only
        QRectF chevron;  // interactive form only
    };

    // The value of HUDDLEPOD_DEBUG_PICKER when set and not empty, read afresh.
    static std::optional<QString> environmentPresentedPicker();

    const ListPickerOptions& options() const { return options_; }
    bool isInteractive() const { return hasAction_ && titles_.size() >= 2; }
    const QStringList& titles() const { return titles_; }
    std::optional<int> selectedIndex() const { return selectedIndex_; }

    // The index an arrow steps to: offset −1 is the first (previous) arrow, +1 the last (next) one; reversed
    // stepping turns them round. None past either end or for a selection not in the list.
    std::optional<int> stepTarget(int offset) const;
    // "Previous season", "Next season": the verb and the hint without "Choose a ".
    QString arrowLabel(const QString& verb) const;
    // What an arrow does: picks the step target, if there is one (offset as for stepTarget).
    void step(int offset);

    Layout layout() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    bool isPresented() const;
    void setPresented(bool presented);
    // The open list, for callers that need to look into it (tests); null while closed.
    PopoverList* presentedList() const;
    Popover* popover() const { return popover_; }

    // Where the debug request is read from; the environment unless replaced.
    void setPresentedPickerProvider(std::function<std::optional<QString>()> provider);

signals:
    // A value was chosen (an arrow or a row; the selected row included); its index in the list.
    void picked(int index);

protected:
    explicit ListPickerBase(ListPickerOptions options, QWidget* parent = nullptr);

    // The titles, the current value's place (none when it is not in the list), its title and spoken label.
    void setState(QStringList titles, std::optional<int> selectedIndex, QString selectionTitle,
                  QString selectionAccessibilityLabel, bool hasAction);
    virtual void pick(int index) = 0;

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Left and Right do what the arrows do; Space and Return press the label, as a click does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum class Part { none, previous, label, next };
    Part partAt(QPointF position) const;
    void choose(int index);
    // The label button on screen: where the list hangs from.
    QRect anchor() const;
    // Opens the list on a later turn if a debug run asked for it and the picker can open by then.
    void openForDebugRequest();
    // Keeps the open list under the label while the picker or anything around it moves.
    void followAnchor(bool follows);

    ListPickerOptions options_;
    QStringList titles_;
    std::optional<int> selectedIndex_;
    QString selectionTitle_;
    bool hasAction_ = false;
    Part pressedPart_ = Part::none;
    QPointer<Popover> popover_;
    std::function<std::optional<QString>()> presentedPicker_;
    // A debug run asked for this picker to open while it is on screen, and it has not opened yet (a picker
    // shown before it has its values opens once it has them).
    bool opensForDebugRequest_ = false;
    std::vector<QPointer<QWidget>> followed_;
};

template <typename T>
class ListPicker : public ListPickerBase {
public:
    using Title = std::function<QString(const T&)>;
    using Action = std::function<void(const T&)>;

    // onSelect empty: read-only. The picker never changes its selection itself; pass the new one back in.
    ListPicker(std::vector<T> values, T selection, Title title, Title accessibilityLabel,
               ListPickerOptions options, Action onSelect, QWidget* parent = nullptr)
        : ListPickerBase(std::move(options), parent)
        , values_(std::move(values))
        , selection_(std::move(selection))
        , title_(std::move(title))
        , accessibilityLabel_(std::move(accessibilityLabel))
        , onSelect_(std::move(onSelect)) {
        sync();
    }

    const std::vector<T>& values() const { return values_; }
    const T& selection() const { return selection_; }

    void setValues(std::vector<T> values, T selection) {
        values_ = std::move(values);
        selection_ = std::move(selection);
        sync();
    }
    void setSelection(T selection) {
        selection_ = std::move(selection);
        sync();
    }
    void setOnSelect(Action onSelect) {
        onSelect_ = std::move(onSelect);
        sync();
    }

protected:
    void pick(int index) override {
        if (!onSelect_ || index < 0 || std::size_t(index) >= values_.size()) {
            return;
        }
        // Copies: the action may rebuild the view and delete this picker while it runs.
        const Action action = onSelect_;
        const T value = values_[std::size_t(index)];
        action(value);
    }

private:
    void sync() {
        QStringList titles;
        for (const T& value : values_) {
            titles.append(title_(value));
        }
        const auto found = std::find(values_.begin(), values_.end(), selection_);
        const std::optional<int> index =
            found == values_.end() ? std::nullopt : std::optional<int>(int(found - values_.begin()));
        setState(std::move(titles), index, title_(selection_), accessibilityLabel_(selection_),
                 bool(onSelect_));
    }

    std::vector<T> values_;
    T selection_;
    Title title_;
    Title accessibilityLabel_;
    Action onSelect_;
};

} // namespace huddlepod

// A compact row of text segments, one selected on a rounded highlight; every tap writes the tapped option.
#pragma once

#include "app/Views/Components/ToggleOption.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <vector>

class QVariantAnimation;

namespace huddlepod {

// The drawing and tapping of segments by index; SegmentedToggle<T> below ties it to option values.
class SegmentedToggleBase : public QWidget {
    Q_OBJECT
public:
    static constexpr int spacing = 2;
    static constexpr int compactPadding = 6;
    static constexpr int regularPadding = 10;
    static constexpr int verticalPadding = 4;
    static constexpr int highlightRadius = 5;
    static constexpr int pixelSize = 11;

    SegmentedToggleBase(QStringList titles, int selectedIndex, QString accessibilityLabel, bool isCompact,
                        bool spansWidth, QWidget* parent = nullptr);

    const QStringList& titles() const { return titles_; }
    int selectedIndex() const { return selectedIndex_; }
    bool isCompact() const { return isCompact_; }
    bool spansWidth() const { return spansWidth_; }
    // True while the highlight is still moving after a tap.
    bool isAnimating() const { return animation_ != nullptr; }
    // Drawn as a standard control on a window: an edge around the row, the selected segment filled to stand
    // out from the window, and the segment under the pointer shaded.
    bool isBordered() const { return isBordered_; }
    void setBordered(bool bordered);
    // The segment under the pointer, -1 when none (tracked while bordered).
    int hoveredIndex() const { return hoveredIndex_; }

    // Each segment's padded rectangle for a given width (segments spread over it when spansWidth).
    std::vector<QRectF> segmentRects(int width) const;
    int segmentAt(QPointF position) const;
    // What a click on a segment does.
    void tap(int index) { handleTap(index); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    // Emitted on every tap, the selected segment included.
    void segmentTapped(int index);

protected:
    void setTitles(QStringList titles);
    // Moves the highlight; animated (0.12 s ease-out, none under reduce motion) for taps.
    void setSelectedIndex(int index, bool animated);
    virtual void handleTap(int index);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // Left and Right choose the segment beside the selected one; Space and Return tap the selected one.
    void keyPressEvent(QKeyEvent* event) override;

private:
    qreal naturalWidth(int index) const;
    void paintBordered(QPainter& painter, const std::vector<QRectF>& rects);

    QStringList titles_;
    int selectedIndex_;
    bool isCompact_;
    bool spansWidth_;
    int previousIndex_ = -1;
    qreal progress_ = 1.0;
    QVariantAnimation* animation_ = nullptr;
    int pressedIndex_ = -1;
    bool isBordered_ = false;
    int hoveredIndex_ = -1;
};

template <typename T>
class SegmentedToggle : public SegmentedToggleBase {
public:
    SegmentedToggle(std::vector<T> options, Binding<T> selection, std::function<QString(const T&)> title,
                    QString accessibilityLabel, bool isCompact = false, bool spansWidth = false,
                    QWidget* parent = nullptr)
        : SegmentedToggleBase(titlesOf(options, title), indexOf(options, selection.get()),
                              std::move(accessibilityLabel), isCompact, spansWidth, parent)
        , options_(std::move(options))
        , selection_(std::move(selection))
        , title_(std::move(title)) {}

    // The options are all cases of a ToggleOption type, titled by its title().
    SegmentedToggle(Binding<T> selection, QString accessibilityLabel, bool isCompact = false,
                    bool spansWidth = false, QWidget* parent = nullptr) requires ToggleOption<T>
        : SegmentedToggle(
              toggleOptions<T>(), std::move(selection),
              [](const T& option) { return QString(title(option)); }, std::move(accessibilityLabel),
              isCompact, spansWidth, parent) {}

    const std::vector<T>& options() const { return options_; }

    // Reads the binding again after the value changed elsewhere.
    void refresh() { setSelectedIndex(indexOf(options_, selection_.get()), false); }

protected:
    void handleTap(int index) override {
        const QPointer<SegmentedToggleBase> alive(this);
        // Copies: the write may remove this toggle, and with it the setter and the options.
        const std::function<void(const T&)> set = selection_.set;
        const T option = options_.at(std::size_t(index));
        set(option);
        if (!alive) {
            return; // the write rebuilt the view that held this toggle
        }
        setSelectedIndex(indexOf(options_, selection_.get()), true);
        SegmentedToggleBase::handleTap(index);
    }

private:
    static QStringList titlesOf(const std::vector<T>& options,
                                const std::function<QString(const T&)>& title) {
        QStringList titles;
        for (const T& option : options) {
            titles.append(title(option));
        }
        return titles;
    }

    static int indexOf(const std::vector<T>& options, const T& value) {
        const auto found = std::find(options.begin(), options.end(), value);
        return found == options.end() ? -1 : int(found - options.begin());
    }

    std::vector<T> options_;
    Binding<T> selection_;
    std::function<QString(const T&)> title_;
};

} // namespace huddlepod

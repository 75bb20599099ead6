// The scrolling list of 22-point rows shown inside a popover: the list picker's values and a cell's players.
#pragma once

#include <QScrollArea>
#include <QStringList>
#include <QTimer>

#include <optional>

namespace huddlepod {

class PopoverList : public QScrollArea {
    Q_OBJECT
public:
    static constexpr int rowHeight = 22;
    static constexpr int verticalPadding = 4;
    static constexpr int horizontalPadding = 10;
    // How long the scroll indicator stays after the last scroll, in milliseconds.
    static constexpr int indicatorLinger = 900;

    struct Style {
        int width = 130;              // fixed width of the list
        bool widensToContent = false; // grow past width to fit the longest title
        int maximumHeight = 1 << 20;  // taller lists scroll
        bool showsScrollIndicator = true;
        bool dimsUnselectedRows = true; // unselected rows in the secondary colour (else all primary)
    };

    // Rows × 22 + 8, capped at maximumHeight.
    static int listHeight(int rowCount, int maximumHeight);

    PopoverList(QStringList titles, std::optional<int> selectedIndex, const Style& style,
                QWidget* parent = nullptr);

    const QStringList& titles() const { return titles_; }
    std::optional<int> selectedIndex() const { return selectedIndex_; }
    // The row the arrow keys have reached, which Return chooses: the selected row (else the first) until
    // they move.
    int currentIndex() const { return current_; }
    // The arrow keys have moved through the list: the current row is marked.
    bool isKeyboardActive() const { return keyboardActive_; }
    // A row's rectangle in the list's content (unscrolled) coordinates.
    QRect rowRect(int index) const;
    int rowAt(QPoint viewportPosition) const;
    int scrollOffset() const;
    // Scrolls without animation so the selected row sits in the middle (as far as the ends allow).
    void centreOnSelection();
    // The overlay scroll indicator is on screen (only while the list scrolls, and shortly after).
    bool isIndicatorShown() const;

    QSize sizeHint() const override;

signals:
    void rowClicked(int index);

protected:
    void showEvent(QShowEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    // Up, Down, Home, End and the page keys move the current row; Return, Enter and Space choose it. Other
    // keys go on to the popover (Escape closes it).
    void keyPressEvent(QKeyEvent* event) override;

private:
    class Rows;
    friend class Rows;
    class ScrollIndicator;
    friend class ScrollIndicator;

    void flashIndicator();
    void setCurrent(int index);
    void scrollToRow(int index);

    QStringList titles_;
    std::optional<int> selectedIndex_;
    int current_ = 0;
    bool keyboardActive_ = false;
    Style style_;
    int width_ = 0;
    Rows* rows_ = nullptr;
    ScrollIndicator* indicator_ = nullptr;
    QTimer indicatorTimer_;
    bool centring_ = false; // scrolling to the selection on show is not the user's scrolling
};

} // namespace huddlepod

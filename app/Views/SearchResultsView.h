// The area under the search field on the search page: the result rows with keyboard and hover selection, a
// centred message while loading, for no rows or a failure, and the league browser while the query is idle.
#pragma once

#include "data/Models/SearchResult.h"

#include <QPointer>
#include <QVariantAnimation>
#include <QWidget>

#include <optional>
#include <vector>

class QScrollArea;

namespace huddlepod {

class HomeView;
class HomeViewModel;
class SearchViewModel;

// One hit: name (with the Hall of Fame star), the career summary under it and the position at the right.
class SearchResultRow : public QWidget {
    Q_OBJECT
public:
    static constexpr int horizontalPadding = 12;
    static constexpr int verticalPadding = 7;
    static constexpr int minimumHeight = 44;
    static constexpr int cornerRadius = 6;

    struct Layout {
        QRectF name;
        QRectF star; // empty unless a Hall of Famer
        QRectF summary;
        QRectF position; // empty without a position
        qreal nameBaseline;
    };

    explicit SearchResultRow(SearchResult result, QWidget* parent = nullptr);

    const SearchResult& result() const { return result_; }
    bool isSelected() const { return isSelected_; }
    void setSelected(bool selected);

    // "Name, QB, KC, SF  ,  2010–2015, Hall of Fame": the row's one spoken label.
    static QString accessibilityDescription(const SearchResult& result);

    Layout layoutFor(int width) const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void clicked();
    // The pointer moved onto the row: once each time it comes over the row, and only for real motion. A row
    // that comes on screen under a pointer at rest is not hovered until that pointer moves.
    void hovered();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    SearchResult result_;
    QString summary_;
    bool isSelected_ = false;
    bool pressed_ = false;
    // Where the pointer rested when the row came on screen, until it is seen elsewhere.
    std::optional<QPointF> restingPointer_;
    bool isHovered_ = false;
};

class SearchResultsView : public QWidget {
    Q_OBJECT
public:
    static constexpr int listPadding = 6;
    static constexpr int rowSpacing = 1;

    SearchResultsView(SearchViewModel* model, HomeViewModel* home, QWidget* parent = nullptr);
    ~SearchResultsView() override;

    // The content shown now: the list, a status message or the league browser.
    QWidget* content() const { return content_; }
    QScrollArea* list() const { return list_; }
    const std::vector<SearchResultRow*>& rows() const { return rows_; }

    // The results page came back on screen (the route returned to the search page).
    void pageAppeared();

signals:
    void openRequested(const huddlepod::SearchResult& result);

private:
    void showState();
    void showSelection();
    void scrollToSelection();
    void setContent(QWidget* content);
    QWidget* makeList();

    SearchViewModel* model_;
    HomeViewModel* home_;
    QWidget* content_ = nullptr;
    QPointer<HomeView> homeView_;
    QScrollArea* list_ = nullptr;
    std::vector<SearchResultRow*> rows_;
    QPointer<QVariantAnimation> scroll_;
};

} // namespace huddlepod

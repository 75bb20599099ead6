// Draws one table as a compact fixed-column text grid: title, section labels, group and column headers, rows,
// dashed cut rules, and player links that open a player (several: a popover to choose from).
#pragma once

#include "app/Views/DataGridLayout.h"
#include "data/DataTable.h"

#include "app/Views/Components/Popover.h"

#include <QPointer>
#include <QWidget>

#include <functional>

namespace huddlepod {

class DataGridView : public QWidget {
    Q_OBJECT
public:
    using OpenPlayer = std::function<void(const PlayerLink&)>;

    // Widths are resolved once, here, from the table, the offered width and the measured content (a column
    // always fits its widest word). Without onOpenPlayer, linked cells are plain text; the action may remove
    // the grid. A table wider than offered is drawn whole: the widget is then as wide as its content.
    DataGridView(DataTable table, qreal availableWidth, OpenPlayer onOpenPlayer = {},
                 QWidget* parent = nullptr);

    static std::map<int, double> measuredWidths(const DataTable& table) {
        return DataGridLayout::measuredWidths(table);
    }
    // The players a row's open actions offer, in order: by column index, then the cell's own order.
    static std::vector<PlayerLink> rowActions(const DataRow& row);

    const DataTable& table() const { return table_; }
    qreal availableWidth() const { return availableWidth_; }
    const std::vector<double>& widths() const { return widths_; }
    const DataGridLayout& gridLayout() const { return layout_; }

    bool opensPlayers() const { return bool(onOpenPlayer_); }
    // Runs the open-player action; it may remove the grid.
    void openPlayer(const PlayerLink& link);
    // What a click on a link does: opens its one player, or shows (or hides) the choice of several.
    void activateLink(int index);

    // The link under a point, -1 when none.
    int linkAt(QPointF position) const;
    int hoveredLink() const { return hoveredLink_; }
    // The link the keyboard is on while the grid has focus (each link is a Tab stop), -1 when none.
    int focusedLink() const { return focusedLink_; }
    // The open choice of several players, if any.
    Popover* disclosure() const { return disclosure_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // Tab and Shift+Tab go from link to link before they leave the grid; Space or Return opens the link.
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void setHovered(int link);
    void setFocusedLink(int link);

    DataTable table_;
    qreal availableWidth_;
    OpenPlayer onOpenPlayer_;
    std::vector<double> widths_;
    DataGridLayout layout_;
    int hoveredLink_ = -1;
    int pressedLink_ = -1;
    int focusedLink_ = -1;
    QPointer<Popover> disclosure_;
};

} // namespace huddlepod

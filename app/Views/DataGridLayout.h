// The grid's layout step: where every text, link and cut rule of a table goes, computed from the table model
// and text measurement alone, so it can be tested without drawing.
#pragma once

#include "app/Views/PlayerNameLink.h"
#include "data/DataTable.h"
#include "ui/Theme.h"

#include <QGlyphRun>
#include <QRectF>

#include <map>
#include <vector>

namespace huddlepod {

struct DataGridLayout {
    enum class Kind { title, sectionLabel, groupCaption, columnHeader, cell };

    struct Text {
        Kind kind = Kind::cell;
        QString text;    // as drawn (the title upper-cased)
        QRectF frame;    // the box the text is aligned in (a cell's width, no gap)
        QRectF textRect; // the text itself inside the frame
        Qt::Alignment alignment = Qt::AlignLeft;
        TextLevel level = TextLevel::primary;
        FontWeight weight = FontWeight::regular;
        int pixelSize = 11;
        qreal tracking = 0;
        bool wraps = false;                   // wider than its frame: broken at spaces over several lines
        int section = -1;                     // cells and section labels
        int row = -1;                         // cells: index of the row in its section
        int column = -1;                      // cells and column headers: value index
        std::vector<QString> lines;           // the text broken into the lines drawn (one unless it wraps)
        std::vector<QPointF> baselines;       // where each line is drawn
        std::vector<QList<QGlyphRun>> glyphs; // each line shaped once, relative to its baseline
    };

    struct Row {
        int section = 0;
        int index = 0;
        QRectF frame; // the row line, 2 points above and below its tallest cell included
    };

    std::vector<qreal> widths; // resolved column widths
    qreal columnExtent = 0;    // all widths plus all gaps
    std::vector<Text> texts;
    std::vector<Row> rows;
    std::vector<QRectF> cutRules;      // the dashed line itself: columnExtent wide, 1 high
    std::vector<QRectF> cutRuleFrames; // the rule with its padding: 7 high
    std::vector<PlayerNameLink> links; // only when the grid opens players
    QSizeF size;                       // the offered width, or the content's when that is wider

    // The layout's fonts, by size and weight, with tracking.
    static QFont font(int pixelSize, FontWeight weight, qreal tracking = 0);

    // Measured widths of the content-sized columns: the widest of the title (10 medium) and every cell
    // (11, semibold when emphasised), rounded up, plus 1.
    static std::map<int, double> measuredWidths(const DataTable& table);

    // Widest single word of each column (a text breaks only at spaces): the title (10 medium) and every cell
    // (11, semibold when emphasised) split at spaces, rounded up, plus 1. Values past the last column count
    // for the last column.
    static std::map<int, double> wordWidths(const DataTable& table);

    // The table's widths for an offered width, each column at least as wide as its widest word. A column
    // grown to fit a word takes the room from the flexible columns' share of the leftover; only when that is
    // used up is the grid wider than offered.
    static std::vector<double> resolvedWidths(const DataTable& table, qreal availableWidth);

    static DataGridLayout make(const DataTable& table, const std::vector<double>& widths,
                               qreal availableWidth, bool opensPlayers);
};

} // namespace huddlepod

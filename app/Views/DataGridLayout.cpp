// Computes the grid's layout: widths, rows, headers, captions, labels, cut rules and link areas.
#include "app/Views/DataGridLayout.h"

#include "data/StatFormat.h"

#include <QFontMetricsF>
#include <QHash>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace huddlepod {

namespace {

constexpr qreal itemSpacing = 4;
constexpr qreal laterSectionLabelPadding = 6;
constexpr qreal groupHeaderBottomPadding = 1;
constexpr qreal columnHeaderBottomPadding = 3;
constexpr qreal rowPadding = 2;
constexpr qreal cutRulePadding = 3;

// A font with its metrics, made once per kind of text.
struct Face {
    Face(int pixelSize, FontWeight weight, qreal tracking)
        : pixelSize(pixelSize)
        , weight(weight)
        , tracking(tracking)
        , font(DataGridLayout::font(pixelSize, weight, tracking))
        , metrics(font)
        , lineHeight(Theme::lineHeight(font))
        , baselineOffset((lineHeight - (metrics.ascent() + metrics.descent())) / 2 + metrics.ascent()) {}

    int pixelSize;
    FontWeight weight;
    qreal tracking;
    QFont font;
    QFontMetricsF metrics;
    qreal lineHeight;
    qreal baselineOffset;
};

struct Faces {
    Face title{10, FontWeight::semibold, 0.5};
    Face sectionLabel{10, FontWeight::medium, 0};
    Face caption{9, FontWeight::semibold, 0.4};
    Face header{10, FontWeight::medium, 0};
    Face cell{11, FontWeight::regular, 0};
    Face emphasis{11, FontWeight::semibold, 0};
};

const Faces& faces() {
    static const Faces shared;
    return shared;
}

// A text shaped once: its glyphs with positions relative to the baseline, and its advance.
struct Shaped {
    QList<QGlyphRun> runs;
    qreal width = 0;
};

// Shapes each distinct text once per face for one layout; tables repeat many cell texts.
class Shaper {
public:
    const Shaped& shape(const Face& face, const QString& text) {
        QHash<QString, Shaped>& cache = caches_[&face];
        const auto found = cache.constFind(text);
        if (found != cache.constEnd()) {
            return *found;
        }
        QTextLayout layout(text, face.font);
        layout.setCacheEnabled(true); // keeps the shaping for glyphRuns()
        layout.beginLayout();
        QTextLine line = layout.createLine();
        layout.endLayout();
        Shaped shaped;
        if (line.isValid()) {
            shaped.width = line.horizontalAdvance();
            shaped.runs = line.glyphRuns();
            const QPointF toBaseline(0, -line.ascent());
            for (QGlyphRun& run : shaped.runs) {
                QList<QPointF> positions = run.positions();
                for (QPointF& position : positions) {
                    position += toBaseline;
                }
                run.setPositions(positions);
            }
        }
        return *cache.insert(text, std::move(shaped));
    }

private:
    QHash<const Face*, QHash<QString, Shaped>> caches_;
};

// The text broken at spaces into lines no wider than `width`; a word never breaks, so a word wider than the
// width stands alone on its line.
std::vector<QString> wrappedLines(Shaper& shaper, const Face& face, const QString& text, qreal width) {
    std::vector<QString> lines;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (line.isEmpty() || shaper.shape(face, longer).width <= width + 0.5) {
            line = longer;
        } else {
            lines.push_back(line);
            line = word;
        }
    }
    lines.push_back(line);
    return lines;
}

// Lays one text into a frame of a given width at (x, 0); the caller moves it into place vertically.
DataGridLayout::Text placeText(Shaper& shaper, DataGridLayout::Kind kind, const QString& text,
                               const Face& face, qreal x, qreal width, Qt::Alignment alignment) {
    DataGridLayout::Text placed;
    placed.kind = kind;
    placed.text = text;
    placed.alignment = alignment;
    placed.pixelSize = face.pixelSize;
    placed.weight = face.weight;
    placed.tracking = face.tracking;
    const Shaped& whole = shaper.shape(face, text);
    const qreal natural = whole.width;
    qreal textWidth = natural;
    if (natural > width + 0.5) {
        placed.lines = wrappedLines(shaper, face, text, width);
        placed.wraps = placed.lines.size() > 1;
    }
    if (placed.wraps) {
        textWidth = width;
        for (const QString& line : placed.lines) {
            textWidth = std::max(textWidth, shaper.shape(face, line).width);
        }
    } else {
        placed.lines = {text};
    }
    const qreal height = face.lineHeight * qreal(placed.lines.size());
    placed.frame = QRectF(x, 0, width, height);
    qreal left = x;
    if (alignment & Qt::AlignRight) {
        left = x + width - textWidth;
    } else if (alignment & Qt::AlignHCenter) {
        left = x + (width - textWidth) / 2;
    }
    placed.textRect = QRectF(left, 0, textWidth, height);
    for (std::size_t line = 0; line < placed.lines.size(); ++line) {
        const Shaped& shaped = placed.wraps ? shaper.shape(face, placed.lines[line]) : whole;
        placed.glyphs.push_back(shaped.runs);
        qreal lineLeft = left;
        if (placed.wraps) {
            const qreal lineWidth = shaped.width;
            if (alignment & Qt::AlignRight) {
                lineLeft = x + width - lineWidth;
            } else if (alignment & Qt::AlignHCenter) {
                lineLeft = x + (width - lineWidth) / 2;
            }
        }
        placed.baselines.emplace_back(lineLeft, face.baselineOffset + face.lineHeight * qreal(line));
    }
    return placed;
}

void moveDown(DataGridLayout::Text& text, qreal dy) {
    text.frame.translate(0, dy);
    text.textRect.translate(0, dy);
    for (QPointF& baseline : text.baselines) {
        baseline.ry() += dy;
    }
}

// The column's and the width's index for value i: values beyond the last column reuse the last one.
std::size_t clampIndex(int index, std::size_t count) {
    return count == 0 ? 0 : std::min(std::size_t(index), count - 1);
}

TextLevel cellLevel(const QString& text, const StatColumn& column) {
    if (text == StatFormat::absent) {
        return TextLevel::tertiary;
    }
    if (column.title.isEmpty() && !column.isNumeric) {
        return TextLevel::secondary;
    }
    return TextLevel::primary;
}

} // namespace

QFont DataGridLayout::font(int pixelSize, FontWeight weight, qreal tracking) {
    QFont font = Theme::font(pixelSize, weight);
    if (tracking != 0) {
        font.setLetterSpacing(QFont::AbsoluteSpacing, tracking);
    }
    return font;
}

std::map<int, double> DataGridLayout::measuredWidths(const DataTable& table) {
    Shaper shaper;
    std::map<int, double> measured;
    const Faces& shared = faces();
    for (int column = 0; column < int(table.columns().size()); ++column) {
        if (!table.columns()[std::size_t(column)].isContentSized) {
            continue;
        }
        qreal widest = shaper.shape(shared.header, table.columns()[std::size_t(column)].title).width;
        for (const DataSection& section : table.sections()) {
            for (const DataRow& row : section.rows) {
                if (column < int(row.values.size())) {
                    const Face& face = row.emphasises(column) ? shared.emphasis : shared.cell;
                    widest = std::max(widest, shaper.shape(face, row.values[std::size_t(column)]).width);
                }
            }
        }
        measured[column] = std::ceil(widest) + 1;
    }
    return measured;
}

std::map<int, double> DataGridLayout::wordWidths(const DataTable& table) {
    Shaper shaper;
    std::map<int, double> words;
    const Faces& shared = faces();
    const int columns = int(table.columns().size());
    const auto widen = [&](int column, const Face& face, const QString& text) {
        for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const double width = std::ceil(shaper.shape(face, word).width) + 1;
            double& widest = words[column];
            widest = std::max(widest, width);
        }
    };
    for (int column = 0; column < columns; ++column) {
        widen(column, shared.header, table.columns()[std::size_t(column)].title);
    }
    for (const DataSection& section : table.sections()) {
        for (const DataRow& row : section.rows) {
            for (int index = 0; index < int(row.values.size()) && columns > 0; ++index) {
                // Values past the last column are drawn in the last column's width.
                widen(std::min(index, columns - 1), row.emphasises(index) ? shared.emphasis : shared.cell,
                      row.values[std::size_t(index)]);
            }
        }
    }
    return words;
}

std::vector<double> DataGridLayout::resolvedWidths(const DataTable& table, qreal availableWidth) {
    const std::map<int, double> measured = measuredWidths(table);
    // The widths before any leftover is shared: nothing is left over from an offer of nothing.
    const std::vector<double> declared = table.resolvedWidths(0, measured);
    const std::map<int, double> words = wordWidths(table);
    std::vector<double> growth(declared.size(), 0);
    double grown = 0;
    for (const auto& [column, word] : words) {
        growth[std::size_t(column)] = std::max(0.0, word - declared[std::size_t(column)]);
        grown += growth[std::size_t(column)];
    }
    // The flexible columns share only what is left beside the grown ones, so growth is taken from their
    // share first and widens the grid only when there is none left.
    std::vector<double> widths = table.resolvedWidths(availableWidth - grown, measured);
    for (std::size_t column = 0; column < widths.size(); ++column) {
        widths[column] += growth[column];
    }
    return widths;
}

DataGridLayout DataGridLayout::make(const DataTable& table, const std::vector<double>& widths,
                                    qreal availableWidth, bool opensPlayers) {
    const Faces& shared = faces();
    Shaper shaper;
    DataGridLayout layout;
    layout.widths.assign(widths.begin(), widths.end());
    const std::vector<StatColumn>& columns = table.columns();

    // Left edge of each value index; indices past the last column follow it with no gap.
    const auto cellX = [&](int index) {
        qreal x = 0;
        for (int before = 0; before < index; ++before) {
            x += widths.empty() ? 0 : widths[clampIndex(before, widths.size())];
            x += table.gap(before);
        }
        return x;
    };
    // Width of the half-open column range [from, to), with the gaps inside it.
    const auto span = [&](int from, int to) {
        qreal width = 0;
        for (int column = from; column < to; ++column) {
            width += widths[std::size_t(column)];
            if (column < to - 1) {
                width += table.gap(column);
            }
        }
        return width;
    };
    for (const double width : widths) {
        layout.columnExtent += width;
    }
    layout.columnExtent += table.totalGaps();

    qreal y = 0;
    qreal right = 0;
    bool first = true;
    const auto beginItem = [&] {
        if (!first) {
            y += itemSpacing;
        }
        first = false;
    };
    const auto add = [&](Text text) {
        right = std::max(right, std::max(text.frame.right(), text.textRect.right()));
        layout.texts.push_back(std::move(text));
    };

    if (table.title()) {
        beginItem();
        const QString upper = table.title()->toUpper();
        Text title = placeText(shaper, Kind::title, upper, shared.title, 0,
                               shaper.shape(shared.title, upper).width, Qt::AlignLeft);
        title.level = TextLevel::secondary;
        moveDown(title, y);
        y += title.frame.height();
        add(std::move(title));
    }

    for (int sectionIndex = 0; sectionIndex < int(table.sections().size()); ++sectionIndex) {
        const DataSection& section = table.sections()[std::size_t(sectionIndex)];
        if (section.label && section.showsLabel) {
            beginItem();
            y += sectionIndex == 0 ? 0 : laterSectionLabelPadding;
            Text label = placeText(shaper, Kind::sectionLabel, *section.label, shared.sectionLabel, 0,
                                   shaper.shape(shared.sectionLabel, *section.label).width, Qt::AlignLeft);
            label.level = TextLevel::tertiary;
            label.section = sectionIndex;
            moveDown(label, y);
            y += label.frame.height();
            add(std::move(label));
        }
        beginItem();

        if (sectionIndex == 0 && table.needsGroupHeader()) {
            std::vector<Text> captions;
            qreal x = 0;
            const std::vector<ColumnGroup>& groups = table.groups();
            if (!groups.empty() && groups.front().start > 0) {
                const int start = std::min(groups.front().start, int(widths.size()));
                x += span(0, start) + table.gap(start - 1);
            }
            qreal height = 0;
            for (const ColumnGroup& group : groups) {
                const int start = std::max(0, group.start);
                const int end = std::min(start + group.count, int(widths.size()));
                const qreal width = start < end ? span(start, end) : 0;
                Text caption = placeText(shaper, Kind::groupCaption, group.title, shared.caption, x, width,
                                         Qt::AlignHCenter);
                caption.level = TextLevel::tertiary;
                height = std::max(height, caption.frame.height());
                captions.push_back(std::move(caption));
                x += width + (end >= 1 ? table.gap(end - 1) : 0);
            }
            for (Text& caption : captions) {
                moveDown(caption, y + (height - caption.frame.height()) / 2);
                add(std::move(caption));
            }
            y += height + groupHeaderBottomPadding;
        }

        if (sectionIndex == 0) {
            std::vector<Text> headers;
            qreal height = 0;
            for (int column = 0; column < int(columns.size()); ++column) {
                const StatColumn& declared = columns[std::size_t(column)];
                Text header = placeText(shaper, Kind::columnHeader, declared.title, shared.header,
                                        cellX(column), widths[std::size_t(column)],
                                        declared.isNumeric ? Qt::AlignRight : Qt::AlignLeft);
                header.level = declared.isSectionLabel ? TextLevel::tertiary : TextLevel::secondary;
                header.column = column;
                height = std::max(height, header.frame.height());
                headers.push_back(std::move(header));
            }
            for (Text& header : headers) {
                moveDown(header, y + (height - header.frame.height()) / 2);
                add(std::move(header));
            }
            y += height + columnHeaderBottomPadding;
        }

        for (int rowIndex = 0; rowIndex < int(section.rows.size()); ++rowIndex) {
            const DataRow& row = section.rows[std::size_t(rowIndex)];
            std::vector<Text> cells;
            std::vector<std::size_t> linkCells;
            qreal height = 0;
            for (int index = 0; index < int(row.values.size()) && !columns.empty(); ++index) {
                const StatColumn& column = columns[clampIndex(index, columns.size())];
                const qreal width = widths[clampIndex(index, widths.size())];
                const QString& value = row.values[std::size_t(index)];
                Text cell = placeText(shaper, Kind::cell, value,
                                      row.emphasises(index) ? shared.emphasis : shared.cell, cellX(index),
                                      width, column.isNumeric ? Qt::AlignRight : Qt::AlignLeft);
                cell.level = cellLevel(value, column);
                cell.section = sectionIndex;
                cell.row = rowIndex;
                cell.column = index;
                height = std::max(height, cell.frame.height());
                if (opensPlayers) {
                    const auto found = row.links.find(index);
                    if (found != row.links.end() && !found->second.empty()) {
                        linkCells.push_back(cells.size());
                    }
                }
                cells.push_back(std::move(cell));
            }
            const qreal top = y;
            y += rowPadding;
            for (Text& cell : cells) {
                moveDown(cell, y + (height - cell.frame.height()) / 2);
            }
            for (const std::size_t cellIndex : linkCells) {
                PlayerNameLink link;
                link.links = row.links.at(cells[cellIndex].column);
                link.hitArea = cells[cellIndex].textRect;
                link.textIndex = layout.texts.size() + cellIndex;
                layout.links.push_back(std::move(link));
            }
            for (Text& cell : cells) {
                add(std::move(cell));
            }
            y += height + rowPadding;
            layout.rows.push_back({sectionIndex, rowIndex, QRectF(0, top, 0, y - top)});
            if (row.hasCutBelow) {
                layout.cutRuleFrames.emplace_back(0, y, layout.columnExtent, 2 * cutRulePadding + 1);
                layout.cutRules.emplace_back(0, y + cutRulePadding, layout.columnExtent, 1);
                y += 2 * cutRulePadding + 1;
            }
        }
    }

    right = std::max(right, layout.columnExtent);
    layout.size = QSizeF(std::max(availableWidth, right), y);
    for (Row& row : layout.rows) {
        row.frame.setWidth(layout.size.width());
    }
    return layout;
}

} // namespace huddlepod

// Laying out and painting a 20-row, 12-column grid with column groups and player links (offscreen).
#include "app/Views/DataGridView.h"
#include "data/StatFormat.h"

#include <benchmark/benchmark.h>

#include <QImage>

namespace {

using namespace huddlepod;

DataTable passingSeasons() {
    std::vector<StatColumn> columns;
    const char* titles[] = {"Year", "Player", "G",  "GS",  "Cmp",  "Att",
                            "Pct",  "Yds",    "TD", "Int", "Rate", "Receiver"};
    for (int index = 0; index < 12; ++index) {
        StatColumn column;
        column.title = QString::fromLatin1(titles[index]);
        column.width = index == 1 || index == 11 ? 96 : 30;
        column.isNumeric = !(index == 1 || index == 11);
        column.isContentSized = index == 1 || index == 11;
        columns.push_back(column);
    }
    columns[0].trailingGap = 8;
    std::vector<ColumnGroup> groups{{QStringLiteral("Games"), 2, 2},
                                    {QStringLiteral("Passing"), 4, 7},
                                    {QStringLiteral("Target"), 11, 1}};
    std::vector<DataRow> rows;
    for (int row = 0; row < 20; ++row) {
        DataRow made;
        made.id = QString::number(row);
        made.values = {QString::number(2004 + row),
                       QStringLiteral("Quarterback %1").arg(row),
                       QStringLiteral("16"),
                       QStringLiteral("16"),
                       QString::number(300 + row),
                       QString::number(480 + row),
                       QStringLiteral("64.%1").arg(row % 10),
                       QString::number(3900 + 17 * row),
                       QString::number(20 + row % 15),
                       row % 7 == 0 ? StatFormat::absent : QString::number(row % 12),
                       QStringLiteral("98.%1").arg(row % 10),
                       QStringLiteral("Receiver %1").arg(row)};
        const QUuid id = QUuid::createUuidV5(QUuid(), made.id);
        made.links[1] = {{id, made.values[1], QStringLiteral("QB")}};
        made.links[11] = {
            {QUuid::createUuidV5(id, QStringLiteral("a")), QStringLiteral("Receiver A"), std::nullopt},
            {QUuid::createUuidV5(id, QStringLiteral("b")), QStringLiteral("Receiver B"), std::nullopt}};
        made.isEmphasized = row == 7;
        made.hasCutBelow = row == 11;
        rows.push_back(std::move(made));
    }
    return DataTable(QStringLiteral("Passing"), columns, groups, {{std::nullopt, rows, true}});
}

void layOutAndPaint(benchmark::State& state) {
    const DataTable table = passingSeasons();
    QImage canvas(600, 600, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        DataGridView grid(table, 416, [](const PlayerLink&) {});
        canvas.fill(Qt::transparent);
        grid.render(&canvas);
        benchmark::DoNotOptimize(canvas.bits());
    }
}

void layOutOnly(benchmark::State& state) {
    const DataTable table = passingSeasons();
    for (auto _ : state) {
        DataGridView grid(table, 416, [](const PlayerLink&) {});
        benchmark::DoNotOptimize(grid.gridLayout().size);
    }
}

void paintOnly(benchmark::State& state) {
    const DataTable table = passingSeasons();
    DataGridView grid(table, 416, [](const PlayerLink&) {});
    QImage canvas(grid.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        canvas.fill(Qt::transparent);
        grid.render(&canvas);
        benchmark::DoNotOptimize(canvas.bits());
    }
}

BENCHMARK(layOutAndPaint)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(layOutOnly)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(paintOnly)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly();

} // namespace

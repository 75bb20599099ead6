// Opens many different player cards, each with its latest game log, through one client and prints the
// process's private memory as it goes: the response cache's memory tier must level off at its capacity.
// Run by bench/cache_memory_bench.sh against the local backend named by HUDDLEPOD_SUPABASE_URL and _ANON_KEY.
#include "data/PlayerService.h"
#include "data/PostgRESTClient.h"
#include "platform/http/HttpSession.h"
#include "tests/support/AsyncTest.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <clocale>
#include <cstdio>
#include <malloc.h>
#include <set>

using namespace huddlepod;

namespace {

// Private_Clean + Private_Dirty of /proc/self/smaps_rollup, in MB.
double privateMegabytes() {
    QFile file(QStringLiteral("/proc/self/smaps_rollup"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    double kilobytes = 0;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith("Private_Clean:") || line.startsWith("Private_Dirty:"))
            kilobytes += line.simplified().split(' ').value(1).toDouble();
    }
    return kilobytes * 1024 / 1e6;
}

double allocatedMegabytes() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd) / 1e6;
}

int latestYear(const PlayerStats& stats) {
    std::set<int> years;
    stats.forEachFamily([&](const auto& seasons) {
        for (const auto& season : seasons)
            years.insert(static_cast<int>(season.year));
    });
    return years.empty() ? 0 : *years.rbegin();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const int cards = argc > 1 ? QByteArray(argv[1]).toInt() : 800;
    const std::optional<SupabaseConfiguration> configuration =
        SupabaseConfiguration::fromEnvironment(QProcessEnvironment::systemEnvironment());
    if (!configuration) {
        std::fprintf(stderr,
                     "cache_memory_drive: set HUDDLEPOD_SUPABASE_URL and HUDDLEPOD_SUPABASE_ANON_KEY\n");
        return 2;
    }
    QTemporaryDir cacheDirectory;
    HttpSession::Options options;
    options.cacheDirectory = cacheDirectory.path();
    auto client = std::make_shared<PostgRESTClient>(*configuration, QStringLiteral("bench"),
                                                    std::make_unique<HttpSession>(options));
    PlayerService players(client);

    const QByteArray list = test::waitForTask(client->selectData(
        QStringLiteral("players"), {{QStringLiteral("select"), QStringLiteral("id,is_hof")},
                                    {QStringLiteral("order"), QStringLiteral("id")},
                                    {QStringLiteral("limit"), QString::number(cards)}}));
    const QJsonArray rows = QJsonDocument::fromJson(list).array();
    if (rows.size() < cards) // the backend answers at most 1000 rows
        std::fprintf(stderr, "cache_memory_drive: only %d players\n", static_cast<int>(rows.size()));
    std::printf("cards  private MB  allocated MB\n");
    std::printf("%5d  %10.1f  %12.1f\n", 0, privateMegabytes(), allocatedMegabytes());
    int opened = 0;
    for (const QJsonValue& row : rows) {
        const QUuid id(row.toObject().value(QStringLiteral("id")).toString());
        const std::optional<PlayerCard> card =
            test::waitForTask(players.card(id, row.toObject().value(QStringLiteral("is_hof")).toBool()));
        if (card) {
            if (const int year = latestYear(card->stats))
                test::waitForTask(players.gameLog(id, year));
        }
        if (++opened % 100 == 0)
            std::printf("%5d  %10.1f  %12.1f\n", opened, privateMegabytes(), allocatedMegabytes());
    }
    return opened > 0 ? 0 : 1;
}

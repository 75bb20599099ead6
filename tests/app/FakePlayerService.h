// A player service whose every answer the test gives; requests are logged as short descriptions.
#pragma once

#include "data/PlayerService.h"
#include "tests/app/CallLog.h"

namespace huddlepod::testing {

class FakePlayerService final : public PlayerService {
public:
    CallLog calls;

    QCoro::Task<std::optional<PlayerCard>> card(QUuid playerID, bool isHallOfFamer,
                                                CancellationToken token) override {
        return calls.record<std::optional<PlayerCard>>(
            QStringLiteral("card %1%2")
                .arg(playerID.toString(QUuid::WithoutBraces), isHallOfFamer ? " hof" : ""),
            token);
    }
    QCoro::Task<std::vector<GameLogEntry>> gameLog(QUuid, int year, CancellationToken token) override {
        return calls.record<std::vector<GameLogEntry>>(QStringLiteral("gameLog %1").arg(year), token);
    }
};

} // namespace huddlepod::testing

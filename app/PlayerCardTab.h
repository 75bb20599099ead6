// The two tabs of a player card: season tables and the game log of one season.
#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>
#include <type_traits>

namespace huddlepod {

enum class PlayerCardTab { seasons, gameLog };

inline constexpr std::array<PlayerCardTab, 2> allPlayerCardTabs{PlayerCardTab::seasons,
                                                                PlayerCardTab::gameLog};

// The raw value, which is also the identity and the title shown on the toggle.
inline QString rawValue(PlayerCardTab tab) {
    switch (tab) {
    case PlayerCardTab::seasons:
        return QStringLiteral("Seasons");
    case PlayerCardTab::gameLog:
        return QStringLiteral("Game Log");
    }
    return {};
}

inline QString title(PlayerCardTab tab) {
    return rawValue(tab);
}

// Every case in declaration order; with title() this makes the type a toggle option.
inline const auto& allCases(std::type_identity<PlayerCardTab>) {
    return allPlayerCardTabs;
}

inline std::optional<PlayerCardTab> playerCardTabFromRawValue(QStringView raw) {
    for (PlayerCardTab tab : allPlayerCardTabs) {
        if (raw == rawValue(tab))
            return tab;
    }
    return std::nullopt;
}

} // namespace huddlepod

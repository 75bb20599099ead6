// The five pages of the league browser.
#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>
#include <type_traits>

namespace huddlepod {

enum class HomeTab { standings, schedule, draft, awards, champions };

inline constexpr std::array<HomeTab, 5> allHomeTabs{HomeTab::standings, HomeTab::schedule, HomeTab::draft,
                                                    HomeTab::awards, HomeTab::champions};

// The raw value, which is also the identity and the title shown in the tab bar.
inline QString rawValue(HomeTab tab) {
    switch (tab) {
    case HomeTab::standings:
        return QStringLiteral("Standings");
    case HomeTab::schedule:
        return QStringLiteral("Schedule");
    case HomeTab::draft:
        return QStringLiteral("Draft");
    case HomeTab::awards:
        return QStringLiteral("Awards");
    case HomeTab::champions:
        return QStringLiteral("Champions");
    }
    return {};
}

inline QString title(HomeTab tab) {
    return rawValue(tab);
}

// Every case in declaration order; with title() this makes the type a toggle option.
inline const auto& allCases(std::type_identity<HomeTab>) {
    return allHomeTabs;
}

inline std::optional<HomeTab> homeTabFromRawValue(QStringView raw) {
    for (HomeTab tab : allHomeTabs) {
        if (raw == rawValue(tab))
            return tab;
    }
    return std::nullopt;
}

} // namespace huddlepod

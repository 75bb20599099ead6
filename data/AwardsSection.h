// The three sections of the awards page.
#pragma once

#include <QString>

#include <array>
#include <optional>

namespace huddlepod {

enum class AwardsSection { winners, allPro, allRookie };

namespace AwardsSections {

inline constexpr std::array<AwardsSection, 3> allCases{AwardsSection::winners, AwardsSection::allPro,
                                                       AwardsSection::allRookie};

QString rawValue(AwardsSection section);
QString title(AwardsSection section);
inline QString id(AwardsSection section) {
    return rawValue(section);
}
std::optional<AwardsSection> fromRawValue(const QString& raw);

} // namespace AwardsSections

} // namespace huddlepod

// Raw values and titles of the awards sections.
#include "data/AwardsSection.h"

namespace huddlepod::AwardsSections {

QString rawValue(AwardsSection section) {
    switch (section) {
    case AwardsSection::winners:
        return QStringLiteral("winners");
    case AwardsSection::allPro:
        return QStringLiteral("allPro");
    case AwardsSection::allRookie:
        return QStringLiteral("allRookie");
    }
    return {};
}

QString title(AwardsSection section) {
    switch (section) {
    case AwardsSection::winners:
        return QStringLiteral("Winners");
    case AwardsSection::allPro:
        return QStringLiteral("All-Pro");
    case AwardsSection::allRookie:
        return QStringLiteral("All-Rookie");
    }
    return {};
}

std::optional<AwardsSection> fromRawValue(const QString& raw) {
    for (AwardsSection section : allCases) {
        if (rawValue(section) == raw)
            return section;
    }
    return std::nullopt;
}

} // namespace huddlepod::AwardsSections

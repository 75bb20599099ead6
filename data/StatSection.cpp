// Raw values and titles of the season stat tables.
#include "data/StatSection.h"

namespace huddlepod {

namespace {

struct SectionInfo {
    StatSection section;
    const char* raw;
    const char* title;
};

constexpr SectionInfo sectionInfo[] = {
    {StatSection::passing, "passing", "Passing"},       {StatSection::rushing, "rushing", "Rushing"},
    {StatSection::receiving, "receiving", "Receiving"}, {StatSection::defense, "defense", "Defense"},
    {StatSection::kicking, "kicking", "Kicking"},       {StatSection::punting, "punting", "Punting"},
    {StatSection::returns, "returns", "Returns"},       {StatSection::scoring, "scoring", "Scoring"},
};

const SectionInfo& infoFor(StatSection section) {
    return sectionInfo[static_cast<int>(section)];
}

} // namespace

QString rawValue(StatSection section) {
    return QString::fromLatin1(infoFor(section).raw);
}

QString title(StatSection section) {
    return QString::fromLatin1(infoFor(section).title);
}

std::optional<StatSection> statSectionFromRawValue(const QString& raw) {
    for (const auto& info : sectionInfo) {
        if (raw == QLatin1String(info.raw))
            return info.section;
    }
    return std::nullopt;
}

} // namespace huddlepod

// Invented people and places for the demo league: names are composed from syllables, never taken from real
// players.
#pragma once

#include "backend/Random.h"

#include <string>

namespace huddlepod::backend {

struct PersonName {
    std::string first;
    std::string last;
    std::string full; // may carry a suffix such as "Jr."
};

struct Place {
    std::string city;
    std::string state; // two-letter code
};

class NameGenerator {
public:
    explicit NameGenerator(Random random)
        : random_(random) {}

    PersonName person();
    Place birthPlace();
    std::string college();
    std::string highSchool(const Place& place);
    std::string nickname(); // empty for most players

private:
    std::string surname();

    Random random_;
};

} // namespace huddlepod::backend

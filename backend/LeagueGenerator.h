// Generates a deterministic, internally consistent demo league into an empty SQLite database.
#pragma once

#include "backend/LeagueShape.h"

namespace huddlepod::backend {

class Connection;

// Bumped whenever the generated data change, so cached database files are regenerated.
inline constexpr int generatorVersion = 1;

// Creates the schema and fills it in one transaction; the same options always give the same rows.
void generateLeague(Connection& connection, const GeneratorOptions& options);

} // namespace huddlepod::backend

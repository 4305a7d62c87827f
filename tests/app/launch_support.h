#pragma once
// Game locations printed readably in test failures.
#include "app/game_location.h"

#include <ostream>

namespace taleplay::launch {

inline void PrintTo(const GameLocation& g, std::ostream* os) {
    *os << "{" << g.folder << ", " << g.name << "}";
}

} // namespace taleplay::launch

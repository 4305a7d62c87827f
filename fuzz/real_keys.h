#pragma once
// The keys the player really reads, from the checker's table of them, in the
// forms a game writes them: so that the targets ask for what a game holds,
// not only for what random bytes spell.
#include "check/keys.h"

#include <string>
#include <vector>

namespace taleplay::fuzz {

// What a key of the table is for, which tells a generator what value to
// write after it.
enum class KeyUse { Value, Flag, Rule, Answer };

struct RealKey {
    std::string text; // with its number filled in; a flag with its closing blank
    KeyUse use = KeyUse::Value;
};

// The keys of a file of `role`: those without a number, and those of each
// numbered family with `number` filled in.
std::vector<RealKey> realKeys(check::FileRole role, int number);

// Every role's keys for the numbers 1, 2, 3, 10, 11 and 50, each once.
const std::vector<std::string>& allRealKeys();

} // namespace taleplay::fuzz

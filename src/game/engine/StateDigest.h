// A 64-bit fingerprint of the running game: every object of the live tree in
// list order (kind, name, world x and y, current stage name and its tick
// count, removal flag), the random state and the current profile's score.
// Two runs that play alike give the same digest tick by tick; replays and
// determinism checks compare it.
#pragma once

#include <cstdint>

class GameState;

uint64_t StateDigest(const GameState& game);

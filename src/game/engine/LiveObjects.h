// The live list's tick and frame: every screen from the bottom (head) to the
// topmost (tail).
#pragma once

class GameState;

// One game tick: updates every screen; a screen whose update returns 0 is
// removed at once. When no screen is left the game quits. Returns 1.
int UpdateLiveObjects(GameState& game);
// One frame: draws every screen, the topmost last. Returns 1.
int DrawLiveObjects(GameState& game);
// True when the name of a live screen holds the text.
bool AnyLiveNameContains(const GameState& game, const char* part);

// How a player moves through the modes: what follows a won level, which
// trick comes next, and the progress reset of the trick table.
#pragma once

#include <string>

// The screen or level number that follows a won level ("NEXT_LEVEL"): banks
// the score, sets the next level number and opens the modes the progress
// has earned.
std::string ChooseNextLevel();
// The next trick to play ("NEXT_TRICKSHOT"), as its level number, or
// "win_sequence" when every trick with a level is done.
std::string NextTrickshot();
// The "reset_progress" action's part for Trickshot: the trick table and streak start over.
void ResetTrickshotProgress();

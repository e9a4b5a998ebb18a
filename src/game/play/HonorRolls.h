// The honour rolls' built-in entries, one roll per game mode.
#pragma once

class PlayerProfiles;

// Fills the four mode rolls with the built-in entries and gives every
// profile a new player's record (3 tries in each mode). The fifth roll is left as it is.
void ResetHonorRolls(PlayerProfiles& profiles);

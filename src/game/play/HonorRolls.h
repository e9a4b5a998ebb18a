// The honour rolls' built-in entries, one roll per game mode.
#pragma once

class PlayerProfiles;

// Fills the four mode rolls with the built-in entries. The fifth roll is left
// as it is; the profiles are reset by PlayerProfiles::CreateDefaults, the only caller.
void ResetHonorRolls(PlayerProfiles& profiles);

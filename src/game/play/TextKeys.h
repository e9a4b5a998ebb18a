// Text keys: the UPPER_SNAKE_CASE names that screens use for their texts and
// button targets, turned into text from the game state when a screen is
// built or a button acts. Keys that choose the next screen also move the
// game on (bank the score, set the next level number, open modes).
#pragma once

#include <string>

// The text a key stands for; a key that matches nothing comes back as it is
// (null gives an empty text).
std::string ResolveTextKey(const char* key);

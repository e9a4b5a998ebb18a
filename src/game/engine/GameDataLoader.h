// The game data index "config.xml": images with their frame layout, strip
// fonts, sounds, tuning values and the level and screen files, which are read
// whole and kept as level records. When the index is read the first screen,
// "main_menu", is opened. Runs on the loading thread while no tick runs.
#pragma once

// Loading percentages the index may set; 0 and 1 are the loading screen's
// own states and 100 and above mean the game is loaded.
constexpr int kMinIndexPercent = 2;
constexpr int kMaxIndexPercent = 99;

void LoadGameData(const char* fileName);

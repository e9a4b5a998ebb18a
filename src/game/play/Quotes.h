// Quotes shown under the level-select map: one list for Journey, one for the
// other modes, read from their files on first use; the quote shown follows
// the player's place in the mode.
#pragma once

#include "game/play/GameModes.h"

#include <string>
#include <vector>

// The quotes of one text: every "quote" tag up to "/quotes" (or the end of
// the text) with its "line1", "line2", ... attributes up to the first missing
// number. The text ends with a NUL; the name is for messages.
std::vector<Quote> ParseQuotes(const char* text, const char* fileName);
// The same from a file; a missing file gives none.
std::vector<Quote> ReadQuoteFile(const char* path);
// Reads both lists into the modes' state (Journey first).
void LoadQuotes();
// Shows the quote for the current mode's progress on the topmost screen (the
// lists are read on the first call); nothing when the list has none for it.
void ShowLevelQuote();
// One text object per row of each line, under each other, on the topmost screen.
void ShowQuote(const Quote& quote);
// The rows of one line: at most 50 characters, broken at "^" or else at the
// last blank that fits; the blank or "^" at a break is not shown.
std::vector<std::string> SplitQuoteLine(const std::string& line);

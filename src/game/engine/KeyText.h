// Key codes of the input queue as typed characters (a US keyboard layout).
#pragma once

// Digits, letters, the space and the punctuation keys.
bool IsTypeableKey(int code);
// Digits and the space as they are, letters in lower case, punctuation keys
// as their unshifted character; any other code unchanged.
int VirtualKeyToChar(int code);
// The character typed with Shift held.
int ShiftedChar(int c);

// Text helpers every part of the framework uses: printf-style formatting,
// case conversion, number parsing and formatting, and narrow/wide/UTF-8
// conversion. Wide text is 16-bit units.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>

namespace Lumo {

// printf-style formatting into a string of any length (up to 1,310,720
// characters; longer texts are cut there).
std::string StrFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string VFormat(const char* format, va_list args) __attribute__((format(printf, 1, 0)));

// Copies with every byte passed through toupper / tolower.
std::string StringToUpper(const std::string& text);
std::string StringToLower(const std::string& text);

// Index of the first case-insensitive occurrence of the pattern, or -1.
// An empty text gives -1, an empty pattern 0.
int StrFindNoCase(const char* text, const char* pattern);

// Optional '-', then decimal digits, or hex digits after "0x". On a bad
// character the result is 0 and the answer false. Overflow wraps around.
bool StringToInt(const std::string& text, int* result);
bool StringToInt(const std::u16string& text, int* result);

// Optional '-', digits, optional '.' and digits. No exponent.
bool StringToDouble(const std::string& text, double* result);
// The decimal number at the start of the text ("12abc" gives 12), clamped to
// the int range; 0 when there is none. For lenient fields of outside text.
int LeadingInt(const std::string& text);

// Copy without leading and trailing white space (isspace).
std::string Trim(const std::string& text);

// "1,234,567"; a negative number gives an empty string. 64-bit, so that
// byte totals of every image fit.
std::string FormatWithCommas(int64_t number);

// Each byte becomes one 16-bit unit (0-255).
std::u16string StringToWString(const std::string& text);

// Through the C runtime's wide-to-multibyte conversion in the current
// locale; an empty string when the text cannot be converted. Stops at the
// first zero unit.
std::string WStringToString(const std::u16string& text);

// Decodes one UTF-8 sequence of at most `remaining` bytes at *data into
// *character (values above 0xFFFF keep their low 16 bits) and moves *data
// past it. Returns the bytes used, or 0 (nothing moved) when nothing is left
// or the sequence is bad: a stray continuation byte, a truncated sequence,
// an overlong form, a surrogate, U+FFFE or U+FFFF.
int ReadUTF8Char(const uint8_t** data, int remaining, char16_t* character);

} // namespace Lumo

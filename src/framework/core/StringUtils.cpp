#include "framework/core/StringUtils.h"

#include <climits>

#include <algorithm>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace Lumo {

namespace {

// The largest text VFormat produces; longer ones are truncated to it.
constexpr int kMaxFormattedLength = 1310720;

template <typename Char>
bool ParseInt(const Char* text, size_t length, int* result)
{
    *result = 0;
    if (length == 0)
        return false;

    size_t i = 0;
    bool negative = false;
    if (text[0] == '-') {
        negative = true;
        i = 1;
    }

    // Unsigned so that overflow wraps instead of being undefined.
    uint32_t value = 0;
    uint32_t base = 10;
    for (; i < length; ++i) {
        const Char c = text[i];
        uint32_t digit;
        if (c >= '0' && c <= '9') {
            digit = static_cast<uint32_t>(c - '0');
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = static_cast<uint32_t>(c - 'A' + 10);
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = static_cast<uint32_t>(c - 'a' + 10);
        } else if ((c == 'x' || c == 'X') && i == 1 && value == 0) {
            base = 16;
            continue;
        } else {
            return false;
        }
        value = value * base + digit;
    }

    if (negative)
        value = 0u - value;
    *result = static_cast<int>(value);
    return true;
}

} // namespace

std::string VFormat(const char* format, va_list args)
{
    char small[160];
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(small, sizeof(small), format, copy);
    va_end(copy);
    if (needed < 0)
        return std::string();
    if (needed < static_cast<int>(sizeof(small)))
        return std::string(small, static_cast<size_t>(needed));

    const int length = needed < kMaxFormattedLength ? needed : kMaxFormattedLength;
    std::vector<char> large(static_cast<size_t>(length) + 1);
    va_copy(copy, args);
    std::vsnprintf(large.data(), large.size(), format, copy);
    va_end(copy);
    return std::string(large.data(), static_cast<size_t>(length));
}

std::string StrFormat(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = VFormat(format, args);
    va_end(args);
    return text;
}

std::string StringToUpper(const std::string& text)
{
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

std::string StringToLower(const std::string& text)
{
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

int StrFindNoCase(const char* text, const char* pattern)
{
    if (text == nullptr || text[0] == '\0')
        return -1;
    if (pattern == nullptr || pattern[0] == '\0')
        return 0;

    for (int start = 0; text[start] != '\0'; ++start) {
        int k = 0;
        while (pattern[k] != '\0' && text[start + k] != '\0'
               && std::tolower(static_cast<unsigned char>(text[start + k]))
                      == std::tolower(static_cast<unsigned char>(pattern[k])))
            ++k;
        if (pattern[k] == '\0')
            return start;
        if (text[start + k] == '\0')
            return -1; // the rest of the text is shorter than the pattern
    }
    return -1;
}

bool StringToInt(const std::string& text, int* result)
{
    return ParseInt(text.data(), text.size(), result);
}

bool StringToInt(const std::u16string& text, int* result)
{
    return ParseInt(text.data(), text.size(), result);
}

bool StringToDouble(const std::string& text, double* result)
{
    *result = 0.0;
    if (text.empty())
        return false;

    size_t i = 0;
    bool negative = false;
    if (text[0] == '-') {
        negative = true;
        i = 1;
    }

    double value = 0.0;
    bool afterPoint = false;
    double scale = 1.0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            const double digit = c - '0';
            if (afterPoint) {
                scale *= 0.1;
                value += digit * scale;
            } else {
                value = value * 10.0 + digit;
            }
        } else if (c == '.' && !afterPoint) {
            afterPoint = true;
        } else {
            return false;
        }
    }

    *result = negative ? -value : value;
    return true;
}

std::string Trim(const std::string& text)
{
    size_t first = 0;
    size_t last = text.size();
    while (first < last && std::isspace(static_cast<unsigned char>(text[first])))
        ++first;
    while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1])))
        --last;
    return text.substr(first, last - first);
}

std::string FormatWithCommas(int64_t number)
{
    if (number < 0)
        return std::string();
    const std::string digits = std::to_string(number);
    std::string result;
    result.reserve(digits.size() + digits.size() / 3);
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            result += ',';
        result += digits[i];
    }
    return result;
}

std::u16string StringToWString(const std::string& text)
{
    std::u16string result(text.size(), u'\0');
    for (size_t i = 0; i < text.size(); ++i)
        result[i] = static_cast<char16_t>(static_cast<unsigned char>(text[i]));
    return result;
}

std::string WStringToString(const std::u16string& text)
{
    // The C runtime converts wchar_t text; widen each unit as it is.
    std::wstring wide(text.size(), L'\0');
    for (size_t i = 0; i < text.size(); ++i)
        wide[i] = static_cast<wchar_t>(text[i]);

    const size_t length = std::wcstombs(nullptr, wide.c_str(), 0);
    if (length == static_cast<size_t>(-1))
        return std::string();
    std::string result(length, '\0');
    if (std::wcstombs(result.data(), wide.c_str(), length + 1) == static_cast<size_t>(-1))
        return std::string();
    return result;
}

int ReadUTF8Char(const uint8_t** data, int remaining, char16_t* character)
{
    if (remaining <= 0)
        return 0;

    const uint8_t* bytes = *data;
    const uint8_t first = bytes[0];
    if (first < 0x80) {
        *character = first;
        *data = bytes + 1;
        return 1;
    }
    if ((first & 0xC0) == 0x80)
        return 0;

    // The first mask whose leading ones match the byte gives the length:
    // 110xxxxx -> 2 bytes ... 111110xx -> 5 bytes.
    static const uint8_t kMasks[] = { 0xE0, 0xF0, 0xF8, 0xFC };
    int length = 0;
    uint32_t value = 0;
    for (int m = 0; m < 4; ++m) {
        const uint32_t mask = kMasks[m];
        if ((first & mask) == ((mask << 1) & mask)) {
            length = m + 2;
            value = first & ~mask & 0xFF;
            break;
        }
    }
    if (length == 0 || length > remaining)
        return 0;

    for (int i = 1; i < length; ++i) {
        if ((bytes[i] & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (bytes[i] & 0x3F);
    }

    const uint8_t second = bytes[1];
    const bool overlong = (length == 2 && (first & 0x3E) == 0)
                          || (length == 3 && (first & 0x1F) == 0 && (second & 0x20) == 0)
                          || (length == 4 && (first & 0x0F) == 0 && (second & 0x30) == 0)
                          || (length == 5 && (first & 0x07) == 0 && (second & 0x38) == 0);
    if (overlong)
        return 0;
    if ((value >= 0xD800 && value <= 0xDFFF) || value == 0xFFFE || value == 0xFFFF)
        return 0;

    *character = static_cast<char16_t>(value & 0xFFFF);
    *data = bytes + length;
    return length;
}

int LeadingInt(const std::string& text)
{
    // strtol saturates at the long range instead of overflowing.
    const long value = std::strtol(text.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

} // namespace Lumo

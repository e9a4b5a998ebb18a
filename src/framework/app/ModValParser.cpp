#include "framework/app/ModValParser.h"

#include "framework/core/StringUtils.h"

#include <cctype>
#include <charconv>
#include <cstdint>

namespace Lumo {

namespace {

bool IsLetter(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsIdentifierChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The identifier or number ending just before index i.
std::string TokenBefore(const std::string& line, size_t i)
{
    size_t start = i;
    while (start > 0 && IsIdentifierChar(line[start - 1]))
        --start;
    return line.substr(start, i - start);
}

bool IsRawStringPrefix(const std::string& token)
{
    return token == "R" || token == "LR" || token == "uR" || token == "UR" || token == "u8R";
}

// Whether a number token runs up to index i (a digit separator may follow).
bool InNumber(const std::string& line, size_t i)
{
    size_t start = i;
    while (start > 0 && (IsIdentifierChar(line[start - 1]) || line[start - 1] == '\'' || line[start - 1] == '.'))
        --start;
    return start < i && IsDigit(line[start]);
}

std::string Error(const std::string& fileName, int line, const char* what)
{
    return StrFormat("ERROR in %s on line %d: %s", fileName.c_str(), line, what);
}

} // namespace

bool ModValParser::Walk(std::istream& in, const std::string& fileName, const WrapperFound& found, std::string& error)
{
    enum class State { Code, Quote, LineComment, BlockComment, RawString };
    State state = State::Code;
    std::string rawEnd; // ")delimiter\"" of the open raw string
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const size_t n = line.size();
        size_t i = 0;
        if (state == State::LineComment) {
            // The comment goes on while lines end in a backslash.
            if (n == 0 || line.back() != '\\')
                state = State::Code;
            continue;
        }
        while (i < n) {
            const char c = line[i];
            if (state == State::Quote) {
                if (c == '\\') {
                    if (i + 1 == n)
                        break; // continues on the next line
                    i += 2;
                    continue;
                }
                if (c == '"')
                    state = State::Code;
                ++i;
                continue;
            }
            if (state == State::BlockComment) {
                if (c == '*' && i + 1 < n && line[i + 1] == '/') {
                    state = State::Code;
                    i += 2;
                    continue;
                }
                ++i;
                continue;
            }
            if (state == State::RawString) {
                const size_t end = line.find(rawEnd, i);
                if (end == std::string::npos) {
                    i = n;
                    continue;
                }
                state = State::Code;
                i = end + rawEnd.size();
                continue;
            }
            // Code.
            if (c == '"') {
                if (i > 0 && line[i - 1] == 'R' && IsRawStringPrefix(TokenBefore(line, i))) {
                    const size_t open = line.find('(', i + 1);
                    if (open == std::string::npos || open - (i + 1) > 16) {
                        error = Error(fileName, lineNumber, "Error parsing quotes");
                        return false;
                    }
                    rawEnd = ")" + line.substr(i + 1, open - (i + 1)) + "\"";
                    state = State::RawString;
                    i = open + 1;
                    continue;
                }
                state = State::Quote;
                ++i;
                continue;
            }
            if (c == '\'') {
                if (InNumber(line, i)) {
                    ++i; // a digit separator
                    continue;
                }
                // A character literal ('"' included) ends on its own line;
                // an apostrophe without a closing one is passed over alone.
                size_t j = i + 1;
                while (j < n && line[j] != '\'') {
                    if (line[j] == '\\')
                        ++j;
                    ++j;
                }
                i = j < n ? j + 1 : i + 1;
                continue;
            }
            if (c == '/' && i + 1 < n && line[i + 1] == '/') {
                if (line.back() == '\\')
                    state = State::LineComment;
                i = n;
                continue;
            }
            if (c == '/' && i + 1 < n && line[i + 1] == '*') {
                state = State::BlockComment;
                i += 2;
                continue;
            }
            if (c == '(' && i > 0) {
                size_t m = i - 1;
                if (line[m] >= '1' && line[m] <= '9' && m > 0)
                    --m;
                if (line[m] == 'M' && m > 0 && !IsLetter(line[m - 1])) {
                    if (!found(lineNumber, line.substr(i + 1), error))
                        return false;
                }
            }
            ++i;
        }
        if (state == State::Quote) {
            // Only a backslash at the very end carries a quoted text on.
            const bool continued = n > 0 && line.back() == '\\' && i < n;
            if (!continued) {
                error = Error(fileName, lineNumber, "Error parsing quotes");
                return false;
            }
        }
    }
    if (state == State::Quote || state == State::RawString) {
        error = Error(fileName, lineNumber, "Error parsing quotes");
        return false;
    }
    if (state == State::LineComment) {
        error = Error(fileName, lineNumber, "Error parsing c++ comment");
        return false;
    }
    if (state == State::BlockComment) {
        error = Error(fileName, lineNumber, "Error parsing c comment");
        return false;
    }
    return true;
}

bool ModValParser::ParseText(const std::string& text, std::string& value)
{
    value.clear();
    if (text.empty() || text[0] != '"')
        return false;
    size_t i = 1;
    for (;;) {
        if (i >= text.size())
            return false;
        const char c = text[i];
        if (c == '"')
            break;
        if (c == '\\') {
            if (i + 1 >= text.size())
                return false;
            switch (text[i + 1]) {
            case '"':
                value += '"';
                break;
            case '\\':
                value += '\\';
                break;
            case 'n':
                value += '\n';
                break;
            case 't':
                value += '\t';
                break;
            default:
                return false;
            }
            i += 2;
            continue;
        }
        value += c;
        ++i;
    }
    return true;
}

ModValParser::IntegerResult ModValParser::ParseInteger(const std::string& text, int& value)
{
    value = 0;
    size_t i = 0;
    const size_t n = text.size();
    if (n > 0 && (IsLetter(text[0]) || text[0] == '_'))
        return IntegerResult::NotInteger; // no named integers in this program
    if (n >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        i = 2;
        uint64_t accumulated = 0;
        bool any = false;
        for (; i < n && HexDigit(text[i]) >= 0; ++i) {
            accumulated = accumulated * 16 + static_cast<uint64_t>(HexDigit(text[i]));
            any = true;
            if (accumulated > 0xFFFFFFFFULL)
                return IntegerResult::Overflow;
        }
        if (!any || i >= n || text[i] != ')')
            return IntegerResult::NotInteger;
        // Bit patterns up to 32 bits, as the compiler keeps them.
        value = static_cast<int>(static_cast<uint32_t>(accumulated));
        return IntegerResult::Ok;
    }
    bool negative = false;
    if (i < n && text[i] == '-') {
        negative = true;
        ++i;
    }
    const int64_t limit = negative ? 2147483648LL : 2147483647LL;
    int64_t accumulated = 0;
    bool any = false;
    bool overflow = false;
    for (; i < n && IsDigit(text[i]); ++i) {
        any = true;
        if (!overflow) {
            accumulated = accumulated * 10 + (text[i] - '0');
            overflow = accumulated > limit;
        }
    }
    if (!any || i >= n || text[i] != ')')
        return IntegerResult::NotInteger;
    if (overflow)
        return IntegerResult::Overflow;
    value = static_cast<int>(negative ? -accumulated : accumulated);
    return IntegerResult::Ok;
}

bool ModValParser::ParseNumber(const std::string& text, double& value)
{
    value = 0.0;
    size_t i = 0;
    const size_t n = text.size();
    if (i < n && text[i] == '-')
        ++i;
    const size_t digitsStart = i;
    while (i < n && IsDigit(text[i]))
        ++i;
    bool any = i > digitsStart;
    if (i < n && text[i] == '.') {
        ++i;
        const size_t fractionStart = i;
        while (i < n && IsDigit(text[i]))
            ++i;
        any = any || i > fractionStart;
    }
    if (!any)
        return false;
    const size_t end = i;
    if (i < n && text[i] == 'f')
        ++i;
    if (i >= n || text[i] != ')')
        return false;
    // Read exactly as the compiler reads the constant.
    const char* first = text.data();
    const std::from_chars_result result = std::from_chars(first, first + end, value);
    if (result.ec != std::errc() || result.ptr != first + end) {
        value = 0.0;
        return false;
    }
    return true;
}

bool ModValParser::ParseValue(const std::string& text, Value& value)
{
    value = Value{};
    if (ParseText(text, value.textValue))
        return true;
    value.textValue.clear();
    switch (ParseInteger(text, value.integerValue)) {
    case IntegerResult::Ok:
        value.numberValue = value.integerValue;
        return true;
    case IntegerResult::Overflow:
        value.integerValue = 0;
        return false;
    case IntegerResult::NotInteger:
        break;
    }
    return ParseNumber(text, value.numberValue);
}

} // namespace Lumo

// Reads the source files of mod values: walks the text the way the compiler
// sees it (quoted texts, character literals, raw strings and comments are
// passed over), finds each wrapper "M(" (also "M1(" to "M9(") that follows a
// non-letter, and parses the constant written after its parenthesis.
#pragma once

#include <functional>
#include <istream>
#include <string>

namespace Lumo {

class ModValParser {
public:
    // The value of a wrapper. A successful integer also sets the number.
    struct Value {
        int integerValue = 0;
        double numberValue = 0.0;
        std::string textValue;
    };
    enum class IntegerResult { Ok, NotInteger, Overflow };

    // Called for each wrapper with its line (from 1) and the rest of the line
    // after '('. Returns false with the error text to stop the walk.
    using WrapperFound = std::function<bool(int line, const std::string& afterParen, std::string& error)>;

    // Walks the whole source; false with the error text ("ERROR in <file> on
    // line <n>: ..."), or the callback's, when it stops.
    static bool Walk(std::istream& in, const std::string& fileName, const WrapperFound& found, std::string& error);

    // The value after '(': a quoted text, else an integer, else a number.
    // False when none of them reads (an integer that does not fit an int
    // reads as nothing).
    static bool ParseValue(const std::string& text, Value& value);

    // A quoted text with the escapes \" \\ \n \t; blanks after it skipped.
    static bool ParseText(const std::string& text, std::string& value);
    // Decimal with an optional '-', or "0x" hexadecimal, up to ')'.
    static IntegerResult ParseInteger(const std::string& text, int& value);
    // Optional '-', digits, optional '.' and digits, then ")" or "f)".
    static bool ParseNumber(const std::string& text, double& value);
};

} // namespace Lumo

// The mod-value reload's reading of a source file: the walk over quoted
// texts, raw strings and comments, and the value parser on every wrapper.
#include "framework/app/ModValParser.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::string error;
    Lumo::ModValParser::Walk(
        in, "fuzz.cpp",
        [](int, const std::string& afterParen, std::string&) {
            Lumo::ModValParser::Value value;
            Lumo::ModValParser::ParseValue(afterParen, value);
            return true;
        },
        error);
    return 0;
}

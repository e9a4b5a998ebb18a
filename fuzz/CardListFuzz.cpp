// Fuzzes the 3-D test's card-list match on arbitrary bytes: the list as the
// file's text, matched against a fixed adapter name and against the list's
// own first line.
#include "framework/display/D3DTester.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    Lumo::D3DTester::FileContains(text, "Software reference device");
    const size_t end = text.find('\n');
    const std::string first = text.substr(0, end == std::string::npos ? text.size() : end);
    // A name always matches a list whose first line is that name, unless the
    // line is blank once trimmed or too long to be read as one line.
    if (first.find_first_not_of(" \t\r\v\f") != std::string::npos && first.size() < 3999 &&
        first.find('\0') == std::string::npos && !Lumo::D3DTester::FileContains(text, first))
        __builtin_trap();
    return 0;
}

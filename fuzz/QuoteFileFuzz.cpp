// Fuzzes the quote files: any text gives quotes whose every line breaks into
// rows of at most 50 characters, the rows holding every character of the
// line in order except the one blank or "^" dropped at each break.
#include "game/play/Quotes.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::unique_ptr<char[]> text(new char[size + 1]);
    std::memcpy(text.get(), data, size);
    text[size] = '\0';
    for (const Quote& quote : ParseQuotes(text.get(), "quotes.xml")) {
        for (const std::string& line : quote.lines) {
            Check(line.size() <= size);
            size_t at = 0;
            for (const std::string& row : SplitQuoteLine(line)) {
                Check(row.size() <= 50);
                Check(line.compare(at, row.size(), row) == 0);
                at += row.size();
                if (at < line.size() && (line[at] == ' ' || line[at] == '^'))
                    ++at;
            }
            Check(at == line.size());
        }
    }
    return 0;
}

#include "game/play/Quotes.h"

#include "game/engine/AttributeCode.h"
#include "game/engine/GameFile.h"
#include "game/engine/GameState.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/ObjectXmlReader.h"
#include "game/engine/StripFont.h"
#include "game/engine/TextObject.h"

#include <cstdio>
#include <memory>

namespace {

constexpr size_t kRowLength = 50;
constexpr float kFirstRowY = -204.0f;
constexpr float kRowSpacing = 26.0f;

} // namespace

std::vector<Quote> ReadQuoteFile(const char* path)
{
    size_t size = 0;
    std::unique_ptr<char[]> text = ReadWholeFile(path, size);
    if (!text)
        return std::vector<Quote>();
    return ParseQuotes(text.get(), path);
}

std::vector<Quote> ParseQuotes(const char* text, const char* fileName)
{
    std::vector<Quote> quotes;
    if (text == nullptr)
        return quotes;
    ObjectXmlReader reader(text, fileName != nullptr ? fileName : "");
    ObjectXmlElement element;
    // The reader ends with the text, so a file without "/quotes" still ends.
    while (reader.Next(element) && !element.IsTag("/quotes")) {
        if (!element.IsTag("quote"))
            continue;
        Quote quote;
        for (int n = 1;; ++n) {
            char name[24];
            std::snprintf(name, sizeof(name), "line%d", n);
            const char* line = element.GetAttribute(name);
            if (line == nullptr)
                break;
            quote.lines.emplace_back(line);
        }
        quotes.push_back(std::move(quote));
    }
    return quotes;
}

void LoadQuotes()
{
    ModeState& modes = Modes();
    modes.journeyQuotes = ReadQuoteFile("levels\\journey_quotes.xml");
    modes.floodQuotes = ReadQuoteFile("levels\\flood_quotes.xml");
    modes.quotesLoaded = true;
}

void ShowLevelQuote()
{
    ModeState& modes = Modes();
    if (!modes.quotesLoaded)
        LoadQuotes();
    const int progress = CurrentProgress();
    const size_t index = size_t(progress / 3 + (progress == 71 ? 1 : 0));
    const std::vector<Quote>& quotes = CurrentMode() == kJourney ? modes.journeyQuotes : modes.floodQuotes;
    if (index >= quotes.size())
        return;
    ShowQuote(quotes[index]);
    modes.quoteCounter = (modes.quoteCounter + 1) % 3;
}

std::vector<std::string> SplitQuoteLine(const std::string& line)
{
    std::vector<std::string> rows;
    const size_t length = line.size();
    size_t pos = 0;
    while (pos < length) {
        size_t end = std::min(pos + kRowLength, length);
        size_t next = end + 1; // past the break's blank or "^"
        // A "^" just past a full row breaks there too, rather than opening the next row.
        const size_t caret = line.find('^', pos);
        if (caret != std::string::npos && (caret < end || (caret == end && end < length))) {
            end = caret;
            next = caret + 1;
        } else if (end < length) {
            size_t blank = end;
            while (blank > pos && line[blank] != ' ')
                --blank;
            if (blank > pos) {
                end = blank;
                next = blank + 1;
            } else {
                // No blank to break at: cut the stretch, dropping nothing.
                next = end;
            }
        }
        rows.push_back(line.substr(pos, end - pos));
        pos = next;
    }
    return rows;
}

void ShowQuote(const Quote& quote)
{
    AnimObject* screen = Game().Topmost();
    if (screen == nullptr)
        return;
    float y = kFirstRowY;
    for (const std::string& line : quote.lines) {
        for (const std::string& row : SplitQuoteLine(line)) {
            auto* text = new TextObject;
            text->SetText(row.c_str(), "gfx\\font2.png", -2.0f, 0, StripFont::kJustifyCentre);
            text->AddStage(600.0f, 0, 0, 0, nullptr);
            text->AddStage(400.0f, 0, 0, 1, nullptr);
            text->SetStageAttribute(kAttrX, 0.0f, 0.0f);
            text->SetStageAttribute(kAttrY, y, y);
            text->SetStageAttribute(kAttrAlpha, 0.0f, 1.0f);
            text->SetStageAttribute(kAttrR, 0.25f, 0.25f);
            text->SetStageAttribute(kAttrG, 0.25f, 0.25f);
            text->SetStageAttribute(kAttrB, 0.25f, 0.25f);
            text->AddStage(1000.0f, 1, 1, 1, nullptr);
            screen->AddChild(text);
            y += kRowSpacing;
        }
    }
}

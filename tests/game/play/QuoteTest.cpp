// Quotes between levels: how a line is broken into rows, how the files are
// read, which quote a place in the mode shows, and where its rows stand.
#include "game/engine/Stage.h"
#include "game/engine/TextObject.h"
#include "game/play/Quotes.h"
#include "ModeFixture.h"
#include "support/CommittedDataFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using QuoteTest = ModeFixture;

std::vector<size_t> RowLengths(const std::string& line)
{
    std::vector<size_t> lengths;
    for (const std::string& row : SplitQuoteLine(line))
        lengths.push_back(row.size());
    return lengths;
}

std::string Letters(size_t count)
{
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += char('a' + i % 26);
    return text;
}

TEST(QuoteLineTest, RowsBreakAtACaretOrTheLastBlankThatFits)
{
    struct Case {
        const char* what;
        std::string line;
        std::vector<size_t> rows;
    };
    std::string blankAt45 = Letters(60);
    blankAt45[45] = ' ';
    std::string caretAt10 = Letters(30);
    caretAt10[10] = '^';
    std::string blankAt50 = Letters(70);
    blankAt50[50] = ' ';
    std::string caretAt50 = Letters(70);
    caretAt50[50] = '^';
    const Case cases[] = {
        {"50 fit in one row", Letters(50), {50}},
        {"60 with a blank at 45", blankAt45, {45, 14}},
        {"a caret breaks even when the rest fits", caretAt10, {10, 19}},
        {"a blank just past the row", blankAt50, {50, 19}},
        {"a caret just past the row", caretAt50, {50, 19}},
        {"120 without a blank", Letters(120), {50, 50, 20}},
        {"empty", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(RowLengths(c.line), c.rows);
    }
    // A long stretch is cut, every character shown once and in order.
    std::string joined;
    for (const std::string& row : SplitQuoteLine(Letters(120)))
        joined += row;
    EXPECT_EQ(joined, Letters(120));
    EXPECT_EQ(SplitQuoteLine("AB^CD"), (std::vector<std::string>{"AB", "CD"}));
}

TEST_F(QuoteTest, FilesGiveQuotesOfConsecutiveLinesUpToTheirEnd)
{
    mFolder.Write("levels/q.xml", "<quotes>\n<quote line1=\"ONE\" line3=\"THREE\"/>\n<note line1=\"x\"/>\n"
                                  "<quote line1=\"A\" line2=\"B\"/>\n</quotes>\n<quote line1=\"after\"/>\n");
    const std::vector<Quote> quotes = ReadQuoteFile("levels\\q.xml");
    ASSERT_EQ(quotes.size(), 2u);
    EXPECT_EQ(quotes[0].lines, (std::vector<std::string>{"ONE"}));
    EXPECT_EQ(quotes[1].lines, (std::vector<std::string>{"A", "B"}));

    // Without its closing tag the file is read to its end, and reading ends.
    mFolder.Write("levels/open.xml", "<quotes>\n<quote line1=\"A\"/>\n<quote line1=\"B\"/>\n");
    EXPECT_EQ(ReadQuoteFile("levels\\open.xml").size(), 2u);
    EXPECT_TRUE(ReadQuoteFile("levels\\missing.xml").empty());
}

// A quote file cut short or spoilt anywhere still reads: no more quotes than
// the whole file holds, and no read past the text's end.
TEST(QuoteParseTest, TruncatedOrCorruptTextReadsWithoutOverrun)
{
    const std::string whole = "<quotes>\n<quote line1=\"ONE two\" line2=\"THREE\"/>\n"
                              "<quote line1=\"A\"/>\n</quotes>\n";
    ASSERT_EQ(ParseQuotes(whole.c_str(), "q.xml").size(), 2u);
    for (size_t length = 0; length <= whole.size(); ++length) {
        // A buffer of exactly the prefix and its NUL, so an overrun leaves it.
        std::vector<char> text(whole.begin(), whole.begin() + std::ptrdiff_t(length));
        text.push_back('\0');
        EXPECT_LE(ParseQuotes(text.data(), "q.xml").size(), 2u) << length;
    }
    for (const char* corrupt : {"<quote line1=\"open", "<quote line1=", "<quote line1", "<quote", "<", "<<<>>>",
                                "<quote line1=\"a\" line2=\"", "<quote =\"x\"/>", "<quote line1=x/>", "\"\"\"<"}) {
        const std::string copy = corrupt;
        std::vector<char> text(copy.begin(), copy.end());
        text.push_back('\0');
        EXPECT_LE(ParseQuotes(text.data(), "bad.xml").size(), 1u) << corrupt;
    }
    EXPECT_TRUE(ParseQuotes(nullptr, "none.xml").empty());
}

// The game's own quote files hold a quote for every third building of its
// nine-building lists, and each of their lines breaks into rows of whole words.
TEST(CommittedQuotesTest, EveryPlaceOfTheModesHasAQuote)
{
    for (const char* file : {"levels/journey_quotes.xml", "levels/flood_quotes.xml"}) {
        SCOPED_TRACE(file);
        const std::vector<Quote> quotes = ReadQuoteFile((LumoTest::CommittedDataFolder() + file).c_str());
        EXPECT_GE(quotes.size(), 4u);
        for (const Quote& quote : quotes) {
            ASSERT_FALSE(quote.lines.empty());
            for (const std::string& line : quote.lines) {
                for (const std::string& row : SplitQuoteLine(line)) {
                    EXPECT_FALSE(row.empty()) << line;
                    EXPECT_NE(row.front(), ' ') << line;
                }
            }
        }
    }
}

class ShownQuoteTest : public ModeFixture {
protected:
    ShownQuoteTest()
    {
        std::string journey = "<quotes>\n";
        for (int i = 0; i < 25; ++i)
            journey += "<quote line1=\"JOURNEY " + std::to_string(i) + "\"/>\n";
        mFolder.Write("levels/journey_quotes.xml", journey + "</quotes>\n");
        mFolder.Write("levels/flood_quotes.xml", "<quotes>\n<quote line1=\"FLOOD 0\" line2=\"" + Letters(60) +
                                                     "\"/>\n<quote line1=\"FLOOD 1\"/>\n</quotes>\n");
    }

    // The texts of the topmost screen, in order.
    std::vector<std::string> Shown()
    {
        std::vector<std::string> texts;
        for (AnimObject* child = mGame->Topmost()->mChildren.Head(); child != nullptr; child = child->mNext) {
            if (auto* text = dynamic_cast<TextObject*>(child))
                texts.push_back(text->GetText());
        }
        return texts;
    }
};

TEST_F(ShownQuoteTest, ThePlaceInTheModeChoosesTheQuote)
{
    struct Case {
        int mode, progress;
        std::vector<std::string> shown;
    };
    const Case cases[] = {
        {1, 0, {"JOURNEY 0"}},
        {1, 3, {"JOURNEY 1"}},
        {1, 70, {"JOURNEY 23"}},
        {1, 71, {"JOURNEY 24"}},
        {1, 75, {}},            // past the list
        {0, 5, {"FLOOD 1"}},
        {3, 6, {}},             // the short list of the other modes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << ", progress " << c.progress);
        mGame->mLiveObjects.RemoveAll();
        AddScreen("level_select");
        SetMode(c.mode, c.progress);
        ShowLevelQuote();
        EXPECT_EQ(Shown(), c.shown);
    }
}

TEST_F(ShownQuoteTest, RowsStandUnderEachOtherAndFadeIn)
{
    AddScreen("level_select");
    SetMode(0, 1);
    ShowLevelQuote();
    EXPECT_EQ(Shown(), (std::vector<std::string>{"FLOOD 0", Letters(50), Letters(60).substr(50)}));
    EXPECT_EQ(play.mModes.quoteCounter, 1);
    float y = -204.0f;
    for (AnimObject* child = mGame->Topmost()->mChildren.Head(); child != nullptr; child = child->mNext) {
        AnimObject* character = child->mChildren.Head();
        ASSERT_NE(character, nullptr);
        // Hidden for 600 ms, then 400 ms fading in at the row's place, grey.
        const Stage* hidden = character->mStages.Head();
        const Stage* fading = hidden->mNext;
        ASSERT_NE(fading, nullptr);
        EXPECT_EQ(hidden->mVisible, 0);
        EXPECT_FLOAT_EQ(hidden->mLength, 150.0f);
        EXPECT_FLOAT_EQ(fading->mLength, 100.0f);
        EXPECT_FLOAT_EQ(fading->mStart[kAttrY], y);
        EXPECT_FLOAT_EQ(fading->mStart[kAttrAlpha], 0.0f);
        EXPECT_FLOAT_EQ(fading->mEnd[kAttrAlpha], 1.0f);
        EXPECT_FLOAT_EQ(fading->mEnd[kAttrR], 0.25f);
        ASSERT_NE(fading->mNext, nullptr);
        y += 26.0f;
    }
    EXPECT_FLOAT_EQ(y, -204.0f + 3 * 26.0f);
    // A second quote reads the lists already loaded.
    mFolder.Write("levels/flood_quotes.xml", "<quotes>\n</quotes>\n");
    ShowLevelQuote();
    EXPECT_EQ(play.mModes.quoteCounter, 2);
}

} // namespace

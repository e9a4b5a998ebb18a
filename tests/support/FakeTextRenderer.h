// A text layer with fixed metrics for tests of the font arithmetic: every
// character advances the same number of pixels, and every character but a
// space draws a solid box of its cell at a coverage the test chooses. It
// installs itself as the text layer for its lifetime and records the fonts
// made and the text drawn.
#pragma once

#include "platform/text/TextRenderer.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace LumoTest {

class FakeTextRenderer : public Plat::TextRenderer {
public:
    struct DrawCall {
        std::string text;
        int x;
        int y;
        uint32_t rgb;
        uint32_t firstPixel; // the buffer's pixel (0, 0) before drawing: tells the passes apart
    };

    FakeTextRenderer();
    ~FakeTextRenderer() override;
    FakeTextRenderer(const FakeTextRenderer&) = delete;
    FakeTextRenderer& operator=(const FakeTextRenderer&) = delete;

    std::unique_ptr<Plat::TextFont> CreateTextFont(const Plat::FontDescription& description) override;
    int GetVerticalDpi() override { return mDpi; }

    int mDpi = 96;
    int mAdvance = 6;
    int mAscent = 12;
    int mDescent = 4;
    // Coverage of a character's box; characters not listed draw at 255.
    std::map<char, uint8_t> mCoverage;
    std::vector<Plat::FontDescription> mCreated;
    std::vector<DrawCall> mDrawCalls;

private:
    Plat::TextRenderer* mPrevious;
};

} // namespace LumoTest

// The font base: metrics from the four fields and widths through the
// string-width slot.
#include "framework/graphics/Font.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Each character is as wide as its code modulo 10, plus one.
class FixedFont : public Lumo::Font {
public:
    int StringWidth(const std::string& text) override
    {
        int width = 0;
        for (char c : text) {
            width += static_cast<unsigned char>(c) % 10 + 1;
        }
        return width;
    }
    Lumo::Font* Duplicate() override { return new FixedFont(*this); }
};

class BareFont : public Lumo::Font {
public:
    Lumo::Font* Duplicate() override { return new BareFont(*this); }
};

} // namespace

TEST(FontTest, MetricsComeFromTheFields)
{
    FixedFont font;
    EXPECT_EQ(font.GetHeight(), 0);
    EXPECT_EQ(font.GetAscent(), 0);
    font.mHeight = 20;
    font.mAscent = 16;
    font.mAscentPadding = 3;
    font.mLineSpacingOffset = 2;
    EXPECT_EQ(font.GetDescent(), 4);
    EXPECT_EQ(font.GetLineSpacing(), 22);
    EXPECT_EQ(font.GetAscentPadding(), 3);
    EXPECT_EQ(font.GetLineSpacingOffset(), 2);

    std::unique_ptr<Lumo::Font> copy(font.Duplicate());
    EXPECT_EQ(copy->GetLineSpacing(), 22);
}

TEST(FontTest, CharWidthsGoThroughStringWidth)
{
    FixedFont font;
    EXPECT_EQ(font.CharWidth('a'), font.StringWidth("a"));
    EXPECT_EQ(font.CharWidth('a'), 8); // 97 % 10 + 1
    EXPECT_EQ(font.CharWidthKern('a', 'z'), 8);

    BareFont bare;
    EXPECT_EQ(bare.StringWidth("anything"), 0);
    EXPECT_EQ(bare.CharWidth('x'), 0);
}

// The fixed-metrics text layer.
#include "support/FakeTextRenderer.h"

#include <algorithm>

namespace LumoTest {

namespace {

class FakeTextFont : public Plat::TextFont {
public:
    FakeTextFont(FakeTextRenderer& renderer, const Plat::FontDescription& description)
        : mRenderer(renderer), mDescription(description)
    {
    }

    const Plat::FontDescription& GetDescription() const override { return mDescription; }

    Plat::TextMetrics GetMetrics() const override
    {
        Plat::TextMetrics metrics;
        metrics.ascent = mRenderer.mAscent;
        metrics.descent = mRenderer.mDescent;
        metrics.height = mRenderer.mAscent + mRenderer.mDescent;
        return metrics;
    }

    int MeasureWidth(const char*, size_t length) override { return static_cast<int>(length) * mRenderer.mAdvance; }

    void DrawText(const char* text, size_t length, int x, int y, uint32_t rgb, uint32_t* pixels, int width,
                  int height, int pitch) override
    {
        mRenderer.mDrawCalls.push_back(
            FakeTextRenderer::DrawCall{std::string(text, length), x, y, rgb, width > 0 && height > 0 ? pixels[0] : 0});
        const int cellHeight = mRenderer.mAscent + mRenderer.mDescent;
        for (size_t i = 0; i < length; ++i) {
            if (text[i] == ' ') {
                continue;
            }
            const auto found = mRenderer.mCoverage.find(text[i]);
            const uint32_t coverage = found != mRenderer.mCoverage.end() ? found->second : 255;
            const int left = x + static_cast<int>(i) * mRenderer.mAdvance;
            const int col0 = std::max(0, left);
            const int col1 = std::min(width, left + mRenderer.mAdvance);
            const int row0 = std::max(0, y);
            const int row1 = std::min(height, y + cellHeight);
            for (int row = row0; row < row1; ++row) {
                for (int col = col0; col < col1; ++col) {
                    uint32_t& d = pixels[row * pitch + col];
                    uint32_t out = d & 0xFF000000;
                    for (int shift = 16; shift >= 0; shift -= 8) {
                        out |= Plat::BlendCoverage((d >> shift) & 0xFF, (rgb >> shift) & 0xFF, coverage) << shift;
                    }
                    d = out;
                }
            }
        }
    }

private:
    FakeTextRenderer& mRenderer;
    Plat::FontDescription mDescription;
};

} // namespace

FakeTextRenderer::FakeTextRenderer() : mPrevious(Plat::SetTextRenderer(this)) {}

FakeTextRenderer::~FakeTextRenderer()
{
    Plat::SetTextRenderer(mPrevious);
}

std::unique_ptr<Plat::TextFont> FakeTextRenderer::CreateTextFont(const Plat::FontDescription& description)
{
    mCreated.push_back(description);
    return std::make_unique<FakeTextFont>(*this, description);
}

} // namespace LumoTest

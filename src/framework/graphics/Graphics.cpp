// The drawing context: coordinate translation and scaling, clipping, the
// saved-state stack, and text with colour tags and word wrapping.
#include "framework/graphics/Graphics.h"

#include "framework/graphics/Font.h"
#include "framework/graphics/Image.h"
#include "framework/graphics/Matrix3.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

namespace Lumo {

namespace {

// Whether the source rectangle lies inside the image. Sums in 64 bits so
// that huge rectangles cannot wrap around into range.
bool SourceFits(const Image* image, const TRect<int>& srcRect)
{
    return srcRect.mX >= 0 && srcRect.mY >= 0 && srcRect.mWidth >= 0 && srcRect.mHeight >= 0
        && int64_t(srcRect.mX) + srcRect.mWidth <= image->GetWidth()
        && int64_t(srcRect.mY) + srcRect.mHeight <= image->GetHeight();
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return 0;
}

// The colour of the six tag characters at pos: "oldclr" is the old colour,
// other words starting with 'o' are black, anything else is RRGGBB.
int TagColor(const std::string& text, size_t pos, int oldColor)
{
    if (text.compare(pos, 6, "oldclr") == 0) {
        return oldColor;
    }
    if (text[pos] == 'o') {
        return 0;
    }
    int value = 0;
    for (size_t k = 0; k < 6; ++k) {
        value = value * 16 + HexDigit(text[pos + k]);
    }
    return value;
}

} // namespace

Graphics::Graphics(Image* destImage) : GraphicsState(destImage != nullptr ? destImage : GetStaticImage()) {}

Graphics::Graphics(const Graphics& other) : GraphicsState(other) {}

Graphics::~Graphics() = default;

Image* Graphics::GetStaticImage()
{
    // Made on first use, so contexts built during static initialisation
    // find it ready.
    static Image staticImage;
    return &staticImage;
}

Graphics* Graphics::Create()
{
    return new Graphics(*this);
}

void Graphics::PushState()
{
    mStateStack.push_back(*this);
}

void Graphics::PopState()
{
    if (mStateStack.empty()) {
        return;
    }
    static_cast<GraphicsState&>(*this) = mStateStack.back();
    mStateStack.pop_back();
}

void Graphics::SetFont(Font* font)
{
    mFont = font;
}

Font* Graphics::GetFont()
{
    return mFont;
}

void Graphics::SetColor(const Color& color)
{
    mColor = color;
}

const Color& Graphics::GetColor() const
{
    return mColor;
}

void Graphics::SetDrawMode(int drawMode)
{
    mDrawMode = drawMode;
}

int Graphics::GetDrawMode() const
{
    return mDrawMode;
}

void Graphics::SetColorizeImages(bool colorizeImages)
{
    mColorizeImages = colorizeImages;
}

void Graphics::SetFastStretch(bool fastStretch)
{
    mFastStretch = fastStretch;
}

void Graphics::SetLinearBlend(bool linearBlend)
{
    mLinearBlend = linearBlend;
}

void Graphics::Translate(int dx, int dy)
{
    mTransX += static_cast<float>(dx);
    mTransY += static_cast<float>(dy);
}

void Graphics::SetClipRect(int x, int y, int width, int height)
{
    const TRect<int> bounds(0, 0, mDestImage->GetWidth(), mDestImage->GetHeight());
    mClipRect = TRect<int>(PixelX(x), PixelY(y), width, height).Intersection(bounds);
}

void Graphics::ClipRect(int x, int y, int width, int height)
{
    mClipRect = mClipRect.Intersection(TRect<int>(PixelX(x), PixelY(y), width, height));
}

void Graphics::FillRect(int x, int y, int width, int height)
{
    if (mColor.mAlpha == 0) {
        return;
    }
    const TRect<int> rect = TRect<int>(PixelX(x), PixelY(y), width, height).Intersection(mClipRect);
    if (rect.mWidth > 0 && rect.mHeight > 0) {
        mDestImage->FillRect(rect, mColor, mDrawMode);
    }
}

void Graphics::DrawRect(int x, int y, int width, int height)
{
    if (mColor.mAlpha == 0) {
        return;
    }
    const TRect<int> rect(PixelX(x), PixelY(y), width, height);
    const TRect<int> outline(rect.mX, rect.mY, width + 1, height + 1);
    // A negative size would put the destination's far edges before x or y,
    // outside the clip; such outlines take the clipped path.
    if (width >= 0 && height >= 0 && outline.Intersection(mClipRect) == outline) {
        mDestImage->DrawRect(rect, mColor, mDrawMode);
        return;
    }
    FillRect(x, y, width + 1, 1);
    FillRect(x, y + height, width + 1, 1);
    FillRect(x, y + 1, 1, height - 1);
    FillRect(x + width, y + 1, 1, height - 1);
}

void Graphics::DrawLine(int x1, int y1, int x2, int y2)
{
    double px1 = static_cast<double>(x1) + static_cast<double>(mTransX);
    double py1 = static_cast<double>(y1) + static_cast<double>(mTransY);
    double px2 = static_cast<double>(x2) + static_cast<double>(mTransX);
    double py2 = static_cast<double>(y2) + static_cast<double>(mTransY);
    if (ClipLine(px1, py1, px2, py2)) {
        mDestImage->DrawLine(px1, py1, px2, py2, mColor, mDrawMode);
    }
}

// The left and top edges clip to the clip's first column and row, the right
// and bottom edges to its last ones. When the top end already lies within
// the last row (clipping at the left or right edge can put it there), moving
// the bottom end up to that row would carry the line past its top end and
// out of the clip sideways; the line then ends where it leaves the clip, in
// that row. The right edge needs no such care: the top and bottom steps
// bring its overshoot back inside.
bool Graphics::ClipLine(double& x1, double& y1, double& x2, double& y2) const
{
    const double clipLeft = mClipRect.mX;
    const double clipTop = mClipRect.mY;
    const double clipRight = static_cast<double>(mClipRect.mX) + mClipRect.mWidth;   // exclusive
    const double clipBottom = static_cast<double>(mClipRect.mY) + mClipRect.mHeight; // exclusive

    double lx = x1, ly = y1, rx = x2, ry = y2;
    if (rx < lx) {
        std::swap(lx, rx);
        std::swap(ly, ry);
    }
    if (clipLeft > lx) {
        if (clipLeft > rx) {
            return false;
        }
        ly += (ry - ly) / (rx - lx) * (clipLeft - lx);
        lx = clipLeft;
    }
    if (rx >= clipRight) {
        if (lx >= clipRight) {
            return false;
        }
        const double lastColumn = clipRight - 1.0;
        ry = (ry - ly) / (rx - lx) * (lastColumn - rx) + ry;
        rx = lastColumn;
    }

    double tx = lx, ty = ly, bx = rx, by = ry;
    if (by < ty) {
        std::swap(tx, bx);
        std::swap(ty, by);
    }
    if (clipTop > ty) {
        if (clipTop > by) {
            return false;
        }
        tx = (bx - tx) / (by - ty) * (clipTop - ty) + tx;
        ty = clipTop;
    }
    if (by >= clipBottom) {
        if (ty >= clipBottom) {
            return false;
        }
        const double lastRow = clipBottom - 1.0;
        if (ty <= lastRow) {
            bx += (bx - tx) / (by - ty) * (lastRow - by);
            by = lastRow;
        } else {
            bx = (bx - tx) / (by - ty) * (clipBottom - ty) + tx;
            by = ty;
        }
    }

    // Rounding in the divisions must not carry a point out of the clip.
    const auto inside = [](double v, double low, double high) {
        return v < low ? low : (v >= high ? high - 1.0 : v);
    };
    x1 = inside(tx, clipLeft, clipRight);
    y1 = inside(ty, clipTop, clipBottom);
    x2 = inside(bx, clipLeft, clipRight);
    y2 = inside(by, clipTop, clipBottom);
    return true;
}

void Graphics::DrawString(const std::string& text, int x, int y)
{
    if (mFont != nullptr) {
        const Color color = mColor;
        const TRect<int> clipRect = mClipRect;
        mFont->DrawString(this, x, y, text, color, clipRect);
    }
}

void Graphics::DrawImage(Image* image, int x, int y)
{
    if (image == nullptr) {
        return;
    }
    if (IsScaled()) {
        DrawImage(image, x, y, TRect<int>(0, 0, image->GetWidth(), image->GetHeight()));
        return;
    }
    const int tx = PixelX(x);
    const int ty = PixelY(y);
    const TRect<int> area = TRect<int>(tx, ty, image->GetWidth(), image->GetHeight()).Intersection(mClipRect);
    if (area.mWidth >= 1 && area.mHeight >= 1) {
        const TRect<int> src(area.mX - tx, area.mY - ty, area.mWidth, area.mHeight);
        mDestImage->Blt(image, area.mX, area.mY, src, ImageColor(), mDrawMode);
    }
}

void Graphics::DrawImage(Image* image, int x, int y, const TRect<int>& srcRect)
{
    if (image == nullptr || !SourceFits(image, srcRect)) {
        return;
    }
    const int tx = PixelX(x);
    const int ty = PixelY(y);
    if (!IsScaled()) {
        const TRect<int> area = TRect<int>(tx, ty, srcRect.mWidth, srcRect.mHeight).Intersection(mClipRect);
        if (area.mWidth >= 1 && area.mHeight >= 1) {
            const TRect<int> src(srcRect.mX + area.mX - tx, srcRect.mY + area.mY - ty, area.mWidth, area.mHeight);
            mDestImage->Blt(image, area.mX, area.mY, src, ImageColor(), mDrawMode);
        }
        return;
    }
    // Single precision throughout, as the stretch was laid out on screen.
    const TRect<int> destRect(
        static_cast<int>(std::floor((static_cast<float>(tx) - mScaleOrigX) * mScaleX) + mScaleOrigX),
        static_cast<int>(std::floor((static_cast<float>(ty) - mScaleOrigY) * mScaleY) + mScaleOrigY),
        static_cast<int>(std::ceil(static_cast<float>(srcRect.mWidth) * mScaleX)),
        static_cast<int>(std::ceil(static_cast<float>(srcRect.mHeight) * mScaleY)));
    mDestImage->StretchBlt(image, destRect, srcRect, mClipRect, ImageColor(), mDrawMode, mFastStretch);
}

void Graphics::DrawImageMirror(Image* image, int x, int y, const TRect<int>& srcRect, bool mirror)
{
    if (!mirror) {
        DrawImage(image, x, y, srcRect);
        return;
    }
    if (image == nullptr || !SourceFits(image, srcRect)) {
        return;
    }
    const int tx = PixelX(x);
    const int ty = PixelY(y);
    const TRect<int> area = TRect<int>(tx, ty, srcRect.mWidth, srcRect.mHeight).Intersection(mClipRect);
    if (area.mWidth >= 1 && area.mHeight >= 1) {
        // The source is read from its right edge, so a cut on the left of
        // the screen removes columns from the source's right.
        const TRect<int> src(srcRect.mX + srcRect.mWidth - (area.mX - tx) - area.mWidth, srcRect.mY + area.mY - ty,
                             area.mWidth, area.mHeight);
        mDestImage->BltMirror(image, area.mX, area.mY, src, ImageColor(), mDrawMode);
    }
}

void Graphics::DrawImageMatrix(Image* image, const Matrix3& matrix, const TRect<int>& srcRect, float x, float y)
{
    if (image == nullptr) {
        return;
    }
    mDestImage->BltMatrix(image, x + mTransX, y + mTransY, matrix, mClipRect, ImageColor(), mDrawMode, srcRect,
                          mLinearBlend);
}

void Graphics::DrawImageBox(const TRect<int>& srcRect, const TRect<int>& destRect, Image* image)
{
    if (srcRect.mWidth < 1 || srcRect.mHeight < 1) {
        return;
    }
    const int sx = srcRect.mX;
    const int sy = srcRect.mY;
    const int cw = srcRect.mWidth / 3;
    const int ch = srcRect.mHeight / 3;
    const int mw = srcRect.mWidth - 2 * cw;
    const int mh = srcRect.mHeight - 2 * ch;
    const int dx = destRect.mX;
    const int dy = destRect.mY;
    const int dw = destRect.mWidth;
    const int dh = destRect.mHeight;
    const int right = dx + dw - cw;
    const int bottom = dy + dh - ch;
    const int columns = (dw - 2 * cw + mw - 1) / mw;
    const int rows = (dh - 2 * ch + mh - 1) / mh;

    DrawImage(image, dx, dy, TRect<int>(sx, sy, cw, ch));
    DrawImage(image, right, dy, TRect<int>(sx + cw + mw, sy, cw, ch));
    DrawImage(image, dx, bottom, TRect<int>(sx, sy + ch + mh, cw, ch));
    DrawImage(image, right, bottom, TRect<int>(sx + cw + mw, sy + ch + mh, cw, ch));

    Graphics edges(*this);
    edges.ClipRect(dx + cw, dy, dw - 2 * cw, dh);
    for (int i = 0; i < columns; ++i) {
        edges.DrawImage(image, dx + cw + i * mw, dy, TRect<int>(sx + cw, sy, mw, ch));
        edges.DrawImage(image, dx + cw + i * mw, bottom, TRect<int>(sx + cw, sy + ch + mh, mw, ch));
    }

    Graphics sides(*this);
    sides.ClipRect(dx, dy + ch, dw, dh - 2 * ch);
    for (int j = 0; j < rows; ++j) {
        sides.DrawImage(image, dx, dy + ch + j * mh, TRect<int>(sx, sy + ch, cw, mh));
        sides.DrawImage(image, right, dy + ch + j * mh, TRect<int>(sx + cw + mw, sy + ch, cw, mh));
    }

    Graphics centre(*this);
    centre.ClipRect(dx + cw, dy + ch, dw - 2 * cw, dh - 2 * ch);
    for (int i = 0; i < columns; ++i) {
        for (int j = 0; j < rows; ++j) {
            centre.DrawImage(image, dx + cw + i * mw, dy + ch + j * mh, TRect<int>(sx + cw, sy + ch, mw, mh));
        }
    }
}

void Graphics::DrawImageBox(const TRect<int>& destRect, Image* image)
{
    if (image == nullptr) {
        return;
    }
    DrawImageBox(TRect<int>(0, 0, image->GetWidth(), image->GetHeight()), destRect, image);
}

int Graphics::WriteString(const std::string& text, int x, int y, int width, int justification, bool draw, int offset,
                          int length, int oldColor)
{
    // Text is measured with the font; without one there is nothing to write.
    if (mFont == nullptr) {
        return 0;
    }
    if (oldColor == -1) {
        oldColor = static_cast<int>(mColor.ToInt());
    }
    if (draw && (justification == 0 || justification == 1)) {
        const int measured = WriteString(text, x, y, width, -1, false, offset, length, oldColor);
        x += justification == 0 ? (width - measured) / 2 : width - measured;
    }

    const int size = static_cast<int>(text.size());
    const int start = std::clamp(offset, 0, size);
    const int end = (length < 0 || length > size - start) ? size : start + length;

    // Draws a finished piece in the current colour; copies, because a font
    // may change the context while it draws.
    const auto drawPiece = [this, y](const std::string& piece, int pieceX) {
        if (!piece.empty()) {
            const Color color = mColor;
            const TRect<int> clipRect = mClipRect;
            mFont->DrawString(this, pieceX, y, piece, color, clipRect);
        }
    };

    std::string piece;
    int pen = 0;
    int i = start;
    while (i < end) {
        const char c = text[i];
        if (c != '^' || !mWriteColoredString) {
            piece += c;
            ++i;
            continue;
        }
        if (i + 1 < end && text[i + 1] == '^') {
            piece += '^';
            i += 2;
            continue;
        }
        // "^", six colour characters and one that is not drawn; a cut-off
        // tag ends the text.
        if (end - i < 8) {
            break;
        }
        if (draw) {
            drawPiece(piece, x + pen);
            const int value = TagColor(text, static_cast<size_t>(i) + 1, oldColor);
            mColor.mRed = (value >> 16) & 0xFF;
            mColor.mGreen = (value >> 8) & 0xFF;
            mColor.mBlue = value & 0xFF;
        }
        pen += mFont->StringWidth(piece);
        piece.clear();
        i += 8;
    }
    if (draw) {
        drawPiece(piece, x + pen);
    }
    return pen + mFont->StringWidth(piece);
}

int Graphics::WriteWordWrapped(const TRect<int>& rect, const std::string& text, int lineSpacing, int justification,
                               int* maxWidth, int maxChars, int* lastWidth)
{
    if (mFont == nullptr) {
        if (maxWidth != nullptr) {
            *maxWidth = 0;
        }
        return 0;
    }
    const Color savedColor = mColor;
    const int oldColor = static_cast<int>(savedColor.ToInt());
    const int length = static_cast<int>(text.size());
    if (maxChars < 0) {
        maxChars = length;
    }
    if (lineSpacing == -1) {
        lineSpacing = mFont->GetLineSpacing();
    }

    int yOffset = mFont->GetAscent() - mFont->GetAscentPadding();
    int xOffset = lastWidth != nullptr ? *lastWidth : 0;
    int widest = 0;
    int lineStart = 0;
    int spacePos = -1;
    int lineWidth = xOffset;
    char prevChar = 0;
    char lastChar = 0; // the last character the walk examined
    int i = 0;
    while (i < length) {
        const char c = text[i];
        lastChar = c;
        if (mWriteColoredString && c == '^' && i + 1 < length) {
            if (text[i + 1] != '^') {
                i += 8; // a colour tag has no width
                continue;
            }
            ++i; // "^^" is measured as its second "^"
        }
        if (c == ' ') {
            spacePos = i;
        } else if (c == '\n') {
            spacePos = i;
            lineWidth = rect.mWidth + 1; // breaks here
        }
        lineWidth += mFont->CharWidthKern(c, prevChar);
        prevChar = c;
        if (lineWidth <= rect.mWidth) {
            ++i;
            continue;
        }

        int countedWidth = 0;
        if (spacePos < 0) {
            // One long word: break inside it, taking at least one character.
            const int lineEnd = i == lineStart ? i + 1 : i;
            int count = lineEnd - lineStart;
            if (lineEnd > maxChars) {
                count = maxChars - lineStart;
            }
            if (count < 1) {
                break;
            }
            countedWidth = WriteString(text, rect.mX + xOffset, rect.mY + yOffset, rect.mWidth, justification, true,
                                       lineStart, count, oldColor);
            if (countedWidth < 0) {
                break;
            }
            if (lastWidth != nullptr) {
                *lastWidth = countedWidth;
            }
            lineStart = lineEnd;
        } else {
            // Lines outside the clip are skipped, but still take their space.
            const int row = static_cast<int>(static_cast<float>(rect.mY + yOffset) + mTransY);
            if (row >= mClipRect.mY && row < mClipRect.mY + mClipRect.mHeight + lineSpacing) {
                int count = spacePos - lineStart;
                if (spacePos > maxChars) {
                    count = maxChars - lineStart;
                }
                if (count >= 1) {
                    WriteString(text, rect.mX + xOffset, rect.mY + yOffset, rect.mWidth, justification, true,
                                lineStart, count, oldColor);
                }
            }
            countedWidth = lineWidth;
            if (countedWidth < 0) {
                break;
            }
            lineStart = spacePos + 1;
            if (text[spacePos] != '\n') {
                while (lineStart < length && text[lineStart] == ' ') {
                    ++lineStart;
                }
            }
        }
        widest = std::max(widest, countedWidth);
        i = lineStart;
        yOffset += lineSpacing;
        lineWidth = 0;
        prevChar = 0;
        xOffset = 0;
        spacePos = -1;
    }

    if (lineStart < length) {
        int count = length - lineStart;
        if (length > maxChars) {
            count = maxChars - lineStart;
        }
        if (count >= 1) {
            const int width = WriteString(text, rect.mX + xOffset, rect.mY + yOffset, rect.mWidth, justification,
                                          true, lineStart, count, oldColor);
            if (width >= 0) {
                widest = std::max(widest, width);
                if (lastWidth != nullptr) {
                    *lastWidth = width;
                }
            }
        }
        yOffset += lineSpacing;
    } else if (lastChar == '\n') {
        yOffset += lineSpacing;
        if (lastWidth != nullptr) {
            *lastWidth = 0;
        }
    }

    mColor = savedColor;
    if (maxWidth != nullptr) {
        *maxWidth = widest;
    }
    return mFont->GetDescent() + yOffset - lineSpacing;
}

int Graphics::GetWordWrappedHeight(int width, const std::string& text, int lineSpacing, int* maxWidth)
{
    Graphics measure;
    measure.mFont = mFont;
    return measure.WriteWordWrapped(TRect<int>(0, 0, width, 0), text, lineSpacing, -1, maxWidth, -1, nullptr);
}

} // namespace Lumo

// The drawing context through which everything is drawn: it binds a
// destination image, translates, scales and clips the caller's coordinates,
// and hands the results to the destination's drawing slots. It also writes
// text with inline colour tags and breaks text into lines.
#pragma once

#include "framework/graphics/Color.h"
#include "framework/graphics/GraphicsState.h"
#include "framework/graphics/Rect.h"

#include <string>
#include <vector>

namespace Lumo {

class Font;
class Image;
class Matrix3;

class Graphics : public GraphicsState {
public:
    // A context on the whole destination; without one it draws into a
    // shared 0 x 0 image that ignores everything (useful for measuring).
    explicit Graphics(Image* destImage = nullptr);
    // Copies the current state; the saved states are not copied.
    Graphics(const Graphics& other);
    Graphics& operator=(const Graphics&) = delete;
    virtual ~Graphics();

    // The 0 x 0 image of contexts made without a destination.
    static Image* GetStaticImage();

    // A new copy of this context, owned by the caller.
    Graphics* Create();

    void PushState();
    // Restores the last pushed state; nothing when none is saved.
    void PopState();

    void SetFont(Font* font);
    Font* GetFont();
    void SetColor(const Color& color);
    const Color& GetColor() const;
    void SetDrawMode(int drawMode);
    int GetDrawMode() const;
    void SetColorizeImages(bool colorizeImages);
    void SetFastStretch(bool fastStretch);
    void SetLinearBlend(bool linearBlend);

    void Translate(int dx, int dy);
    // The clip becomes the translated rectangle within the destination.
    void SetClipRect(int x, int y, int width, int height);
    // Narrows the clip to the translated rectangle.
    void ClipRect(int x, int y, int width, int height);

    void FillRect(int x, int y, int width, int height);
    // The outline covers (width + 1) x (height + 1) pixels.
    void DrawRect(int x, int y, int width, int height);
    void DrawLine(int x1, int y1, int x2, int y2);
    // Clips a line to the clip rectangle, in pixels; false when nothing is left.
    bool ClipLine(double& x1, double& y1, double& x2, double& y2) const;
    // Baseline at y, left end at x; nothing without a font.
    void DrawString(const std::string& text, int x, int y);

    void DrawImage(Image* image, int x, int y);
    // Draws the source rectangle of the image; nothing when the rectangle
    // does not lie inside the image.
    void DrawImage(Image* image, int x, int y, const TRect<int>& srcRect);
    void DrawImageMirror(Image* image, int x, int y, const TRect<int>& srcRect, bool mirror);
    // The matrix carries any scaling; the context's scale is not applied.
    void DrawImageMatrix(Image* image, const Matrix3& matrix, const TRect<int>& srcRect, float x, float y);
    // A nine-piece frame: unscaled corners, tiled edges and centre.
    void DrawImageBox(const TRect<int>& srcRect, const TRect<int>& destRect, Image* image);
    void DrawImageBox(const TRect<int>& destRect, Image* image);

    // Writes the characters offset .. offset + length - 1 (all the rest when
    // length is negative) as one line and returns its width. Justification 0
    // centres within width, 1 aligns right, others align left. Colour tags
    // "^RRGGBB?" and "^oldclr?" change the colour ("^^" writes "^");
    // oldColor -1 means the current colour.
    int WriteString(const std::string& text, int x, int y, int width, int justification, bool draw, int offset,
                    int length, int oldColor = -1);
    // Breaks the text into lines of the rectangle's width and writes them;
    // returns the height used. lineSpacing -1 takes the font's. maxChars
    // (negative: all) limits the characters written; *lastWidth gives the
    // first line's start and receives the last line's width.
    int WriteWordWrapped(const TRect<int>& rect, const std::string& text, int lineSpacing, int justification,
                         int* maxWidth = nullptr, int maxChars = -1, int* lastWidth = nullptr);
    // The height WriteWordWrapped would use, with nothing drawn.
    int GetWordWrappedHeight(int width, const std::string& text, int lineSpacing, int* maxWidth = nullptr);

private:
    // The caller's position in destination pixels: float sum, truncated.
    int PixelX(int x) const { return static_cast<int>(static_cast<float>(x) + mTransX); }
    int PixelY(int y) const { return static_cast<int>(static_cast<float>(y) + mTransY); }
    bool IsScaled() const { return mScaleX != 1.0f || mScaleY != 1.0f; }
    const Color& ImageColor() const { return mColorizeImages ? mColor : Color::White; }

    std::vector<GraphicsState> mStateStack;
};

} // namespace Lumo

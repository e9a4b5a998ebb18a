#include "platform/window/PromptView.h"

#include "platform/text/TextFont.h"
#include "platform/window/WindowMessage.h"

#include <algorithm>
#include <cstring>

namespace Plat {

namespace {

constexpr uint32_t kFace = 0xF0F0F0;
constexpr uint32_t kField = 0xFFFFFF;
constexpr uint32_t kBorder = 0x7A7A7A;
constexpr uint32_t kInk = 0x000000;
constexpr uint32_t kHighlight = 0x0078D7;
constexpr uint32_t kHighlightInk = 0xFFFFFF;
constexpr uint32_t kButtonFace = 0xE1E1E1;
constexpr uint32_t kButtonPressed = 0xCCE4F7;
constexpr uint32_t kButtonBorder = 0xADADAD;
constexpr int kWheelLines = 3;

bool Contains(const ScreenRect& rect, int x, int y)
{
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

ScreenRect Inset(const ScreenRect& rect, int by)
{
    return {rect.left + by, rect.top + by, rect.right - by, rect.bottom - by};
}

ScreenRect Intersect(const ScreenRect& a, const ScreenRect& b)
{
    ScreenRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                 std::min(a.bottom, b.bottom)};
    if (r.right < r.left)
        r.right = r.left;
    if (r.bottom < r.top)
        r.bottom = r.top;
    return r;
}

void Fill(uint32_t* pixels, int pitch, const ScreenRect& rect, uint32_t rgb)
{
    for (int y = rect.top; y < rect.bottom; ++y)
        std::fill(pixels + static_cast<size_t>(y) * pitch + rect.left, pixels + static_cast<size_t>(y) * pitch + rect.right,
                  rgb);
}

void Frame(uint32_t* pixels, int pitch, const ScreenRect& rect, uint32_t rgb, int thickness)
{
    Fill(pixels, pitch, {rect.left, rect.top, rect.right, rect.top + thickness}, rgb);
    Fill(pixels, pitch, {rect.left, rect.bottom - thickness, rect.right, rect.bottom}, rgb);
    Fill(pixels, pitch, {rect.left, rect.top, rect.left + thickness, rect.bottom}, rgb);
    Fill(pixels, pitch, {rect.right - thickness, rect.top, rect.right, rect.bottom}, rgb);
}

} // namespace

PromptView::PromptView(const PromptRequest& request, TextFont& font)
    : mRequest(request), mFont(font), mText(request.text.substr(0, request.maxLength))
{
    // The dialog base units of the font: half the average width of the
    // letters, rounded, and the cell height; a font without glyphs still
    // gets a usable prompt.
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const int letters = font.MeasureWidth(kLetters, std::strlen(kLetters));
    mUnitX = std::max((letters / 26 + 1) / 2, 4);
    mUnitY = std::max(font.GetMetrics().height, 8);
    mLineHeight = mUnitY;

    if (mRequest.kind == PromptRequest::Kind::PickLine) {
        const ScreenRect client = Units(0, 0, 200, 200);
        mWidth = client.right;
        mHeight = client.bottom;
        mList = {10, 10, mWidth - 10, mHeight - 10};
    } else {
        const ScreenRect client = Units(0, 0, 200, 50);
        mWidth = client.right;
        mHeight = client.bottom;
        mEdit = Units(5, 5, 190, 15);
        mOk = Units(30, 25, 60, 15);
        mCancel = Units(100, 25, 60, 15);
    }
}

ScreenRect PromptView::Units(int x, int y, int width, int height) const
{
    const int left = x * mUnitX / 4;
    const int top = y * mUnitY / 8;
    return {left, top, left + width * mUnitX / 4, top + height * mUnitY / 8};
}

int PromptView::VisibleLines() const
{
    return std::max(1, (mList.Height() - 2) / mLineHeight);
}

ScreenRect PromptView::LineRect(int index) const
{
    const int row = index - mTop;
    if (mRequest.kind != PromptRequest::Kind::PickLine || index < 0 ||
        index >= static_cast<int>(mRequest.lines.size()) || row < 0 || row >= VisibleLines())
        return {};
    const int top = mList.top + 1 + row * mLineHeight;
    return {mList.left + 1, top, mList.right - 1, top + mLineHeight};
}

void PromptView::Select(int index)
{
    const int count = static_cast<int>(mRequest.lines.size());
    if (count == 0)
        return;
    mSelected = std::clamp(index, 0, count - 1);
    if (mSelected < mTop)
        mTop = mSelected;
    else if (mSelected >= mTop + VisibleLines())
        mTop = mSelected - VisibleLines() + 1;
}

void PromptView::Finish(bool accepted)
{
    mDone = true;
    mAnswer = {};
    mAnswer.accepted = accepted;
    if (!accepted)
        return;
    if (mRequest.kind == PromptRequest::Kind::PickLine)
        mAnswer.line = mSelected;
    else
        mAnswer.text = mText;
}

void PromptView::KeyDown(int virtualKey)
{
    if (mDone)
        return;
    if (virtualKey == kVkEscape) {
        Finish(false);
        return;
    }
    if (mRequest.kind == PromptRequest::Kind::PickLine) {
        const int page = VisibleLines();
        switch (virtualKey) {
        case kVkUp:
            Select(mSelected < 0 ? 0 : mSelected - 1);
            break;
        case kVkDown:
            Select(mSelected < 0 ? 0 : mSelected + 1);
            break;
        case kVkPrior:
            Select(mSelected - page);
            break;
        case kVkNext:
            Select(mSelected < 0 ? page - 1 : mSelected + page);
            break;
        case kVkHome:
            Select(0);
            break;
        case kVkEnd:
            Select(static_cast<int>(mRequest.lines.size()) - 1);
            break;
        case kVkReturn:
            if (mSelected >= 0)
                Finish(true);
            break;
        default:
            break;
        }
        return;
    }
    switch (virtualKey) {
    case kVkReturn:
        Finish(true);
        break;
    case kVkBack:
        if (mAllSelected)
            mText.clear();
        else if (!mText.empty())
            mText.pop_back();
        mAllSelected = false;
        break;
    case kVkDelete:
        if (mAllSelected)
            mText.clear();
        mAllSelected = false;
        break;
    case kVkLeft:
    case kVkRight:
    case kVkHome:
    case kVkEnd:
        mAllSelected = false;
        break;
    default:
        break;
    }
}

void PromptView::Character(uint8_t byte)
{
    if (mDone || mRequest.kind != PromptRequest::Kind::EditLine || byte < 0x20 || byte == 0x7F)
        return;
    if (mAllSelected) {
        mText.clear();
        mAllSelected = false;
    }
    if (mText.size() < mRequest.maxLength)
        mText += static_cast<char>(byte);
}

void PromptView::MouseDown(int x, int y, int clicks)
{
    if (mDone)
        return;
    if (mRequest.kind == PromptRequest::Kind::PickLine) {
        const ScreenRect inner = Inset(mList, 1);
        if (!Contains(inner, x, y))
            return;
        const int index = mTop + (y - inner.top) / mLineHeight;
        if (index >= static_cast<int>(mRequest.lines.size()) || LineRect(index).Height() == 0)
            return;
        Select(index);
        if (clicks >= 2 && clicks % 2 == 0)
            Finish(true);
        return;
    }
    if (Contains(mOk, x, y))
        mPressed = Pressed::Ok;
    else if (Contains(mCancel, x, y))
        mPressed = Pressed::Cancel;
    else if (Contains(mEdit, x, y))
        mAllSelected = false;
}

void PromptView::MouseUp(int x, int y)
{
    const Pressed pressed = mPressed;
    mPressed = Pressed::None;
    if (mDone)
        return;
    if (pressed == Pressed::Ok && Contains(mOk, x, y))
        Finish(true);
    else if (pressed == Pressed::Cancel && Contains(mCancel, x, y))
        Finish(false);
}

void PromptView::MouseWheel(int notches)
{
    if (mRequest.kind != PromptRequest::Kind::PickLine)
        return;
    const int last = std::max(0, static_cast<int>(mRequest.lines.size()) - VisibleLines());
    mTop = std::clamp(mTop - notches * kWheelLines, 0, last);
}

void PromptView::Close()
{
    if (!mDone)
        Finish(false);
}

void PromptView::DrawText(uint32_t* pixels, int pitch, const ScreenRect& clip, int x, int y, const std::string& text,
                          uint32_t rgb)
{
    const ScreenRect area = Intersect(clip, {0, 0, mWidth, mHeight});
    if (area.Width() == 0 || area.Height() == 0 || text.empty())
        return;
    mFont.DrawText(text.data(), text.size(), x - area.left, y - area.top, rgb,
                   pixels + static_cast<size_t>(area.top) * pitch + area.left, area.Width(), area.Height(), pitch);
}

void PromptView::DrawButton(uint32_t* pixels, int pitch, const ScreenRect& rect, const char* label, bool isDefault)
{
    const bool pressed = (mPressed == Pressed::Ok && &rect == &mOk) || (mPressed == Pressed::Cancel && &rect == &mCancel);
    Fill(pixels, pitch, rect, pressed ? kButtonPressed : kButtonFace);
    Frame(pixels, pitch, rect, isDefault ? kHighlight : kButtonBorder, isDefault ? 2 : 1);
    const int width = mFont.MeasureWidth(label, std::strlen(label));
    DrawText(pixels, pitch, Inset(rect, 1), rect.left + (rect.Width() - width) / 2,
             rect.top + (rect.Height() - mLineHeight) / 2, label, kInk);
}

void PromptView::Draw(uint32_t* pixels, int pitch)
{
    Fill(pixels, pitch, {0, 0, mWidth, mHeight}, kFace);
    if (mRequest.kind == PromptRequest::Kind::PickLine) {
        Fill(pixels, pitch, mList, kField);
        Frame(pixels, pitch, mList, kBorder, 1);
        const ScreenRect inner = Inset(mList, 1);
        for (int i = mTop; i < static_cast<int>(mRequest.lines.size()); ++i) {
            const ScreenRect line = LineRect(i);
            if (line.Height() == 0)
                break;
            if (i == mSelected)
                Fill(pixels, pitch, line, kHighlight);
            DrawText(pixels, pitch, inner, line.left + 2, line.top, mRequest.lines[i],
                     i == mSelected ? kHighlightInk : kInk);
        }
        return;
    }

    Fill(pixels, pitch, mEdit, kField);
    Frame(pixels, pitch, mEdit, kBorder, 1);
    const ScreenRect inner = Inset(mEdit, 1);
    // A text wider than the line shows its end, where typing goes on.
    const int textWidth = mFont.MeasureWidth(mText.data(), mText.size());
    const int x = inner.left + 2 - std::max(0, textWidth - (inner.Width() - 4));
    const int y = inner.top + (inner.Height() - mLineHeight) / 2;
    const ScreenRect textBox{x, y, x + textWidth, y + mLineHeight};
    if (mAllSelected && !mText.empty())
        Fill(pixels, pitch, Intersect(textBox, inner), kHighlight);
    DrawText(pixels, pitch, inner, x, y, mText, mAllSelected ? kHighlightInk : kInk);
    if (!mAllSelected)
        Fill(pixels, pitch, Intersect({textBox.right, y, textBox.right + 1, y + mLineHeight}, inner), kInk);
    DrawButton(pixels, pitch, mOk, "Ok", true);
    DrawButton(pixels, pitch, mCancel, "Cancel", false);
}

} // namespace Plat

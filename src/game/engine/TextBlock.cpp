#include "game/engine/TextBlock.h"

#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/Stage.h"
#include "game/engine/StripFont.h"
#include "game/engine/TextObject.h"

#include <algorithm>
#include <cstring>

namespace {


// The height of the font's letters: the rows of a glyph's band.
int LetterHeight(const StripFont* font)
{
    if (font == nullptr)
        return 0;
    const GlyphBox& glyph = font->Glyph('M');
    return SaturateToInt(double(glyph.mY1 - glyph.mY0)) + 1;
}

void SetVisible(AnimObject& object, int visible)
{
    object.mVisible = visible;
    if (Stage* stage = object.CurrentStage())
        stage->mVisible = visible;
}

} // namespace

TextBlock::TextBlock()
{
    mKind = kKindTextBlock;
}

void TextBlock::ReadXmlAttributes(const ObjectXmlElement& element)
{
    AnimObject::ReadXmlAttributes(element);
    if (const char* text = element.GetAttribute("text"))
        CopyToField(mText, text);
    if (const char* font = element.GetAttribute("font"))
        CopyToField(mFont, font);
    if (element.HasAttribute("line_width"))
        mLineWidth = element.GetAttributeInt("line_width");
    if (const char* justification = element.GetAttribute("justification")) {
        if (std::strcmp(justification, "left") == 0)
            mJustification = StripFont::kJustifyLeft;
        else if (std::strcmp(justification, "center") == 0)
            mJustification = StripFont::kJustifyCentre;
        else if (std::strcmp(justification, "right") == 0)
            mJustification = StripFont::kJustifyRight;
    }
}

void TextBlock::WriteTypeAttributes(std::string& out)
{
    static const char* const kJustifications[] = {"left", "center", "right"};
    WriteXmlStringAttribute(out, "type", "tooltip");
    // The text is written too, so that a saved screen keeps its tooltips.
    WriteXmlStringAttribute(out, "text", mText);
    WriteXmlStringAttribute(out, "font", mFont);
    WriteXmlFloatAttribute(out, "line_width", float(mLineWidth));
    if (mJustification > 0 && mJustification <= 2)
        WriteXmlStringAttribute(out, "justification", kJustifications[mJustification]);
}

void TextBlock::InitAfterLoad()
{
    LayoutLines();
}

std::vector<std::string> TextBlock::WrapLines(const char* text, int lineWidth)
{
    std::vector<std::string> lines;
    if (text == nullptr)
        return lines;
    if (lineWidth < 1 || lineWidth > kMaxLine)
        lineWidth = kMaxLine;
    std::string work = text;
    const size_t length = work.size();
    size_t pos = 0;
    while (pos < length) {
        const size_t end = std::min(pos + size_t(lineWidth), length);
        size_t cut = end;
        // The cut's character is a blank or a caret that is not shown.
        bool dropCut = true;
        const size_t caret = work.find('^', pos);
        if (caret != std::string::npos && caret < end) {
            work[caret] = ' ';
            cut = caret;
        } else if (end < length) {
            size_t blank = end;
            while (blank > pos && work[blank] != ' ')
                --blank;
            if (work[blank] == ' ') {
                cut = blank;
            } else {
                // One word longer than a line: split it.
                dropCut = false;
            }
        }
        lines.push_back(work.substr(pos, cut - pos));
        pos = dropCut ? cut + 1 : cut;
    }
    return lines;
}

void TextBlock::LayoutLines()
{
    StripFont* font = Game().mFonts.Find(mFont);
    const int letterHeight = LetterHeight(font);
    float y = 0.0f;
    float x = 0.0f;
    if (mImage != nullptr) {
        y = float(SaturateToInt(double(-mImage->mHeight / 2.0f + float(letterHeight))));
        x = -mImage->mWidth / 2.0f + 16.0f;
    }
    for (const std::string& line : WrapLines(mText, mLineWidth)) {
        auto* text = new TextObject;
        text->SetText(line.c_str(), mFont, -1.0f, 0, mJustification);
        text->AddStage(1000.0f, 1, 1, 1, nullptr);
        text->SetStageAttribute(kAttrX, x, x);
        text->SetStageAttribute(kAttrY, y, y);
        AddChild(text);
        y += float(letterHeight);
    }
}

int TextBlock::Update()
{
    float& alpha = mLocal[kAttrAlpha];
    if (mParent != nullptr && mParent->UpdateHover() != 0) {
        alpha = std::min(1.0f, std::max(alpha, 0.05f) * 1.1f);
        SetVisible(*this, 1);
    } else {
        alpha *= 0.98f;
        if (alpha < 0.1f)
            SetVisible(*this, 0);
    }
    return AnimObject::Update();
}

#include "game/engine/TextObject.h"

#include "framework/core/Debug.h"
#include "game/engine/EasingKind.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/GameHooks.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/Platform.h"
#include "game/engine/SoundLayer.h"
#include "game/engine/Stage.h"
#include "game/engine/StageNames.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsMarker(float value) { return value == kValueFromObject || value == kValueFromPreviousStage; }

const char* JustificationName(int justification)
{
    if (justification == StripFont::kJustifyLeft)
        return "left";
    if (justification == StripFont::kJustifyRight)
        return "right";
    return "center";
}

} // namespace

TextObject::TextObject()
{
    mKind = kKindTextObject;
    mZOrder = kDefaultZOrder;
}

TextObject::~TextObject() = default;

void TextObject::SetText(const char* text, const char* fontName, float spacing, unsigned staggerMs, int justification)
{
    GameState* game = GameState::TryCurrent();
    // Picking and saving in the editor concern the data's objects, not the
    // characters made here.
    mSelectable = 0;
    mChildren.RemoveAll();
    mStages.RemoveAll();
    mCurrentStage = nullptr;
    mStageRefused = false;
    mGivenMs.clear();
    mGivenAttributes.clear();
    mGivenFilters.clear();

    // A text changed every tick tells of its missing font once.
    const bool toldBefore = mFont == nullptr && !mText.empty() && mFontName == (fontName != nullptr ? fontName : "");
    mKey = text != nullptr ? text : "";
    mText = game != nullptr ? game->mHooks->ResolveTextKey(mKey.c_str()) : mKey;
    mFontName = fontName != nullptr ? fontName : "";
    mFont = game != nullptr && fontName != nullptr ? game->mFonts.Get(fontName) : nullptr;
    mStagger = staggerMs;
    mJustification = justification;
    mSpacing = spacing;

    ImageRecord* image = mFont != nullptr ? mFont->GetImage() : nullptr;
    if (image != mImage) {
        // Held for the characters' sake; the text object's own source stays
        // empty, so it never draws the whole strip.
        ReleaseImage();
        mImage = image;
        if (image != nullptr)
            image->mUseCount += 1;
    }
    if (mFont == nullptr) {
        if (!mText.empty() && !toldBefore)
            Lumo::OutputDebug("text \"%s\": font \"%s\" is not loaded\n", mText.c_str(), mFontName.c_str());
        return;
    }

    for (size_t i = 0; i < mText.size(); ++i) {
        AnimObject* character = AnimObject::TakeFromPool();
        // The pool is exhausted: the rest of the text is left out.
        if (character == nullptr)
            break;
        character->mZOrder = mZOrder;
        character->mBilinear = mBilinear;
        character->mSnap = 0;
        character->SetImageRecord(image);
        const GlyphBox& box = mFont->Glyph(static_cast<unsigned char>(mText[i]));
        character->mSource[0] = box.mX0;
        character->mSource[1] = box.mY0;
        character->mSource[2] = box.mX1;
        character->mSource[3] = box.mY1;
        AddChild(character);
        const float delay = float(i) * float(mStagger);
        if (delay != 0.0f)
            character->AnimObject::AddStage(delay, 0, 0, 0, nullptr);
    }
}

Stage* TextObject::AddStage(float ms, int loopStart, int loopEnd, int visible, const char* name)
{
    Stage* own = AnimObject::AddStage(float(mText.size()) * float(mStagger) + ms, loopStart, loopEnd, visible, name);
    // Without a stage of its own the text stops building: what follows would
    // otherwise land in the characters' previous stages.
    if (own == nullptr)
        return nullptr;
    if (mFromXml)
        mGivenMs.push_back(ms);
    size_t index = 0;
    for (AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext, ++index) {
        const bool space = index < mText.size() && mText[index] == ' ';
        child->AddStage(ms, loopStart, loopEnd, space ? 0 : visible, name);
    }
    return own;
}

Stage* TextObject::GoToStage(const char* name)
{
    Stage* own = AnimObject::GoToStage(name);
    for (ObjectList<AnimObject>::Walk walk(mChildren); AnimObject* child = walk.Next();)
        child->GoToStage(name);
    return own;
}

float TextObject::NewestStageScale(bool end) const
{
    const AnimObject* first = mChildren.Head();
    const Stage* stage = first != nullptr ? first->BuildingStage() : nullptr;
    if (stage == nullptr || (stage->mMask & (1u << kAttrXScale)) == 0)
        return 1.0f;
    const float scale = end ? stage->mEnd[kAttrXScale] : stage->mStart[kAttrXScale];
    // A scale taken when the stage is entered is not known yet.
    return IsMarker(scale) ? 1.0f : scale;
}

void TextObject::PlaceAt(float scale, std::vector<float>& offsets) const
{
    offsets.assign(mText.size(), 0.0f);
    if (mFont == nullptr)
        return;
    mFont->PlaceCharacters(mText.c_str(), scale, mSpacing, mJustification,
                           [&](int index, float centreX) { offsets[size_t(index)] = centreX; });
}

void TextObject::SetStageAttribute(int code, float start, float end)
{
    if (mStageRefused)
        return;
    if (mFromXml)
        mGivenAttributes.push_back(GivenAttribute{int(mStages.Count()) - 1, code, start, end});
    const bool placed = code == kAttrX;
    if (placed) {
        PlaceAt(NewestStageScale(false), mPlaceStart);
        PlaceAt(NewestStageScale(true), mPlaceEnd);
    }
    size_t index = 0;
    for (AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext, ++index) {
        float childStart = start;
        float childEnd = end;
        if (placed && index < mText.size()) {
            if (!IsMarker(start))
                childStart += mPlaceStart[index];
            if (!IsMarker(end))
                childEnd += mPlaceEnd[index];
        }
        child->SetStageAttribute(code, childStart, childEnd);
    }
}

Filter* TextObject::AddFilter(int type, int attribute, float amplitude, float period, float offset)
{
    if (mStageRefused)
        return nullptr;
    if (mFromXml)
        mGivenFilters.push_back(
            GivenFilter{int(mStages.Count()) - 1, type, attribute, amplitude, period, offset});
    Filter* first = nullptr;
    for (AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext) {
        Filter* filter = child->AddFilter(type, attribute, amplitude, period, offset);
        if (first == nullptr)
            first = filter;
    }
    return first;
}

void TextObject::MakeSparkles(int count, int ignored, float r, float g, float b, float alphaScale)
{
    if (mText.empty())
        return;
    const int share = count / SaturateToInt(double(mText.size()));
    for (ObjectList<AnimObject>::Walk walk(mChildren); AnimObject* child = walk.Next();)
        child->MakeSparkles(share, ignored, r, g, b, alphaScale);
}

void TextObject::InitAfterLoad() {}

void TextObject::DrawSelf() {}

TextObject::Bounds TextObject::GetBounds() const
{
    float minX = 1e8f;
    float minY = 1e8f;
    float maxX = -1e8f;
    float maxY = -1e8f;
    bool any = false;
    for (const AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind != kKindDefault)
            continue;
        any = true;
        const float halfWidth = (child->mSource[2] - child->mSource[0]) / 2.0f;
        const float halfHeight = (child->mSource[3] - child->mSource[1]) / 2.0f;
        minX = std::min(minX, child->mLocal[kAttrX] - halfWidth);
        maxX = std::max(maxX, child->mLocal[kAttrX] + halfWidth);
        minY = std::min(minY, child->mLocal[kAttrY] - halfHeight);
        maxY = std::max(maxY, child->mLocal[kAttrY] + halfHeight);
    }
    Bounds bounds;
    if (!any)
        return bounds;
    bounds.width = maxX - minX;
    bounds.height = maxY - minY;
    bounds.centreX = (minX + maxX) / 2.0f;
    bounds.centreY = (minY + maxY) / 2.0f;
    return bounds;
}

int TextObject::UpdateHover()
{
    RefreshWorld();
    bool hovered = false;
    // Only the characters are asked: nested objects (a tooltip) have hover
    // rules of their own.
    for (AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind == kKindDefault && child->UpdateHover() != 0)
            hovered = true;
    }
    if (!hovered) {
        mHot = 0;
        return 0;
    }
    if (mHot == 0) {
        GameState& game = Game();
        Platform* platform = game.mPlatform;
        if (platform != nullptr && platform->Is3DAccelerated())
            Sweep();
        // The rate is drawn whether or not the sample is there, so a run
        // does not depend on the sound settings.
        const int rate = 40100 + static_cast<int>(game.mRandom.RandomInt(8000));
        if (game.mSound != nullptr) {
            if (SampleEntry* entry = game.mSound->FindSample("audio\\hot.ogg"))
                game.mSound->PlaySample(entry, rate);
        }
    }
    mHot = 1;
    return 1;
}

void TextObject::Sweep()
{
    GameState& game = Game();
    if (mParent == nullptr)
        return;
    const Level* level = dynamic_cast<const Level*>(GetRoot());
    if (level == nullptr)
        level = dynamic_cast<const Level*>(game.mLevel);
    ImageRecord* image = level != nullptr ? level->mWhiteParticleImage : nullptr;
    const Bounds bounds = GetBounds();
    // In the parent's coordinates, where the sweeps live.
    const float centreX = mLocal[kAttrX] + bounds.centreX;
    const float centreY = mLocal[kAttrY] + bounds.centreY;
    for (int i = 0; i < 2; ++i) {
        game.mSweepSign = -game.mSweepSign;
        AnimObject* sweep = AnimObject::TakeFromPool();
        if (sweep == nullptr)
            return;
        sweep->SetImageRecord(image);
        sweep->mZOrder = mZOrder - 0.001f;
        if (mParent->AddChild(sweep) == nullptr) {
            AnimObject::DisposeRecord(sweep);
            return;
        }
        sweep->AddStage(400.0f, 0, 0, 1, nullptr);
        sweep->SetStageAttribute(kAttrAlpha, 0.3f, 0.0f);
        sweep->SetStageAttribute(kAttrR, 1.0f, 1.0f);
        sweep->SetStageAttribute(kAttrG, 1.0f, 1.0f);
        sweep->SetStageAttribute(kAttrB, 1.0f, 1.0f);
        sweep->SetStageAttribute(kAttrX, centreX, centreX + game.mSweepSign * bounds.width);
        sweep->SetStageAttribute(kAttrY, centreY, centreY);
        sweep->AddFilter(0, kAttrAll, 1.0f, 0.0f, 0.0f);
        sweep->Update();
    }
}

void TextObject::ReadXmlAttributes(const ObjectXmlElement& element)
{
    const char* justification = element.GetAttribute("justification");
    int justify = StripFont::kJustifyCentre;
    if (justification != nullptr && std::strcmp(justification, "left") == 0)
        justify = StripFont::kJustifyLeft;
    else if (justification != nullptr && std::strcmp(justification, "right") == 0)
        justify = StripFont::kJustifyRight;
    if (element.HasAttribute("z_order"))
        SetZOrder(element.GetAttributeFloat("z_order"));
    // A negative stagger would wrap to weeks of waiting.
    const int stagger = std::max(0, element.GetAttributeInt("stagger_ms"));
    const float spacing = element.GetAttributeFloat("spacing");
    const char* font = element.GetAttribute("font");
    const char* text = element.GetAttribute("string");
    mFromXml = true;
    SetText(text, font, spacing, unsigned(stagger), justify);
    if (mFont == nullptr && !mText.empty())
        element.Report(std::string("text \"") + mText + "\": font \"" + mFontName + "\" is not loaded");
}

void TextObject::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "text");
    WriteXmlStringAttribute(out, "string", mKey.c_str());
    WriteXmlStringAttribute(out, "font", mFontName.c_str());
    if (mSpacing != 0.0f)
        WriteXmlFloatAttribute(out, "spacing", mSpacing);
    if (mStagger != 0)
        WriteXmlIntAttribute(out, "stagger_ms", SaturateToInt(double(mStagger)));
    WriteXmlStringAttribute(out, "justification", JustificationName(mJustification));
    if (mZOrder != kDefaultZOrder)
        WriteXmlFloatAttribute(out, "z_order", mZOrder);
}

void TextObject::WriteXml(std::string& out, int depth)
{
    // Texts made by code (popups, labels, score texts) are remade by it.
    if (!mFromXml || !WriteObjectOpening(out, depth))
        return;
    out += ">\n";
    int index = 0;
    for (const Stage* stage = mStages.Head(); stage != nullptr; stage = stage->mNext, ++index) {
        WriteXmlIndent(out, depth + 1);
        out += "<stage";
        WriteXmlStringAttribute(out, "name", stage->mName);
        const float ms = size_t(index) < mGivenMs.size() ? mGivenMs[size_t(index)] : stage->mLength * 4.0f;
        WriteXmlFloatAttribute(out, "ms", ms);
        WriteXmlIntAttribute(out, "loop_start", stage->mLoopStart);
        WriteXmlIntAttribute(out, "loop_end", stage->mLoopEnd);
        WriteXmlIntAttribute(out, "visible", stage->mVisible);
        out += ">\n";
        for (const GivenAttribute& given : mGivenAttributes) {
            if (given.stage != index)
                continue;
            WriteXmlIndent(out, depth + 2);
            out += "<attribute";
            WriteXmlStringAttribute(out, "type", AttributeName(given.code));
            WriteXmlFloatAttribute(out, "start", given.start);
            WriteXmlFloatAttribute(out, "end", given.end);
            out += ">\n";
        }
        for (const GivenFilter& given : mGivenFilters) {
            if (given.stage != index)
                continue;
            WriteXmlIndent(out, depth + 2);
            out += "<filter";
            WriteXmlStringAttribute(out, "type", EasingName(given.type));
            WriteXmlStringAttribute(out, "attribute", AttributeName(given.attribute));
            WriteXmlFloatAttribute(out, "amplitude", given.amplitude);
            WriteXmlFloatAttribute(out, "period", given.period);
            WriteXmlFloatAttribute(out, "offset", given.offset);
            out += ">\n";
        }
        stage->WriteEventLines(out, depth + 2);
    }
    // Objects nested in the text (a tooltip) follow; the characters are not written.
    for (AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind != kKindDefault || child->mSelectable != 0)
            child->WriteXml(out, depth + 1);
    }
    WriteXmlIndent(out, depth);
    out += "</object>\n";
}

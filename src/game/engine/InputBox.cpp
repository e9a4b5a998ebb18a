#include "game/engine/InputBox.h"

#include "game/engine/EngineUtilities.h"
#include "game/engine/GameHooks.h"
#include "game/engine/GameState.h"
#include "game/engine/KeyText.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectLoader.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/Platform.h"
#include "game/engine/PlayerProfiles.h"
#include "game/engine/ProfileBytes.h"
#include "game/engine/Stage.h"
#include "game/engine/StripFont.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int kShiftKey = 16;
constexpr int kBackspace = 8;
constexpr unsigned kEnterKey = 13;

const Level* CurrentLevel()
{
    return dynamic_cast<const Level*>(Game().mLevel);
}

// The editor works on the screen being edited: its mouse and clicks are the
// current level's.
bool EditorClicked()
{
    const Level* level = CurrentLevel();
    return Game().mEditor != nullptr && level != nullptr && level->mLeftClick != 0.0f;
}

} // namespace

InputBox::InputBox()
{
    mKind = kKind;
    CopyToField(mFont, sizeof(mFont), kDefaultFont);
}

InputBox::InputBox(const char* caption, int valueKind, void* target, size_t targetSize, int followMouseX,
                   int followMouseY, const char* font, int width, int height, AnimObject* targetObject)
    : InputBox()
{
    Init(caption, valueKind, target, targetSize, followMouseX, followMouseY, font, width, height);
    if (Game().mEditor != nullptr) {
        mTargetObject = targetObject;
        JoinEditor();
    }
}

void InputBox::Init(const char* caption, int valueKind, void* target, size_t targetSize, int followMouseX,
                    int followMouseY, const char* font, int width, int height)
{
    GameState& game = Game();
    mNoLines = 0;
    mKind = kKind;
    if (game.mPlatform != nullptr)
        game.mPlatform->ClearInputEvents();
    mValueKind = valueKind;
    mTarget = target;
    mTargetSize = targetSize;
    mFollowMouseX = followMouseX;
    mFollowMouseY = followMouseY;
    mWidth = width;
    mHeight = height;
    if (width == 0 || height == 0) {
        mWidth = 100;
        mHeight = 16;
    }
    CopyToField(mCaption, sizeof(mCaption), caption != nullptr && std::strcmp(caption, "none") != 0 ? caption : "");
    CopyToField(mFont, sizeof(mFont), font != nullptr ? font : kDefaultFont);
    if (game.mEditor != nullptr) {
        mLocal[kAttrX] = mWorld[kAttrX] = GameState::kScreenWidth / 2.0f;
        mLocal[kAttrY] = mWorld[kAttrY] = GameState::kScreenHeight / 2.0f;
    } else {
        mLocal[kAttrY] = -5.0f;
    }
    if (valueKind == kText && target != nullptr && target != mText && targetSize > 0) {
        const char* start = static_cast<const char*>(target);
        CopyToField(mText, sizeof(mText), std::string(start, strnlen(start, targetSize)).c_str());
    }
}

void InputBox::JoinEditor()
{
    AnimObject* editor = Game().mEditor;
    AnimObject* cursor = editor->mChildren.Current();
    editor->AddChild(this);
    if (cursor == nullptr || !editor->mChildren.First())
        return;
    while (editor->mChildren.Current() != cursor && editor->mChildren.Next()) {
    }
}

void InputBox::ReadXmlAttributes(const ObjectXmlElement& element)
{
    const int height = element.GetAttributeInt("height");
    const int width = element.GetAttributeInt("width");
    const char* font = element.GetAttribute("font");
    std::string initial;
    if (const char* key = element.GetAttribute("initial_text"))
        initial = Game().mHooks->ResolveTextKey(key);
    CopyToField(mText, sizeof(mText), initial.c_str());
    // A box of a screen edits its own text; it never joins the editor.
    Init(element.GetAttribute("caption"), kText, mText, sizeof(mText), 0, 0, font, width, height);
    mNoLines = element.GetAttributeInt("no_lines");
    mBoxOffset = element.GetAttributeInt("box_offset");
    AnimObject::ReadXmlAttributes(element);
}

void InputBox::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "input_box");
    WriteXmlFloatAttribute(out, "no_lines", float(mNoLines));
    WriteXmlFloatAttribute(out, "box_offset", float(mBoxOffset));
}

int InputBox::CharacterOf(unsigned code) const
{
    if (code == 0)
        return 0;
    const int key = static_cast<int>(code);
    if (IsTypeableKey(key)) {
        const int c = VirtualKeyToChar(key);
        Platform* platform = Game().mPlatform;
        return platform != nullptr && platform->IsKeyDown(kShiftKey) ? ShiftedChar(c) : c;
    }
    switch (key) {
    case 1:
    case 2:
    case 38:
    case 39:
    case 40:
        return 0;
    case kBackspace:
        return kBackspace;
    case 34:
        return '`';
    default:
        // A level number box takes any code as it is.
        return mValueKind == kLevelNumber && key < 256 ? key : 0;
    }
}

int InputBox::Update()
{
    GameState& game = Game();
    const unsigned code = game.mPlatform != nullptr ? game.mPlatform->PopInputEvent() : 0;
    int c = CharacterOf(code);
    const bool editorClick = EditorClicked() && mParent == game.mEditor;

    if (c == kBackspace) {
        const size_t length = std::strlen(mText);
        if (length > 0)
            mText[length - 1] = 0;
        c = 0;
    }
    if (code == kEnterKey || editorClick) {
        if (game.mEditor != nullptr || mValueKind == kLevelNumber) {
            Commit();
            return 0;
        }
        c = 0;
    }

    StripFont* font = game.mFonts.Find(mFont);
    if (c != 0 && font != nullptr) {
        const GlyphBox& glyph = font->Glyph(static_cast<unsigned char>(c));
        if (!(glyph.mX1 > glyph.mX0))
            c = 0;
    }
    if (c == 0 && !EditorClicked() && mTargetObject != nullptr && mValueKind == kNumber) {
        const Level* level = CurrentLevel();
        if (level != nullptr && (mFollowMouseX != 0 || mFollowMouseY != 0)) {
            const int axis = mFollowMouseX != 0 ? kAttrX : kAttrY;
            const float mouse = axis == kAttrX ? level->mMouseX : level->mMouseY;
            const float value = mouse + mTargetObject->mLocal[axis] - mTargetObject->mWorld[axis];
            std::snprintf(mText, sizeof(mText), "%d", SaturateToInt(double(value)));
        }
    }
    if (c != 0) {
        const size_t length = std::strlen(mText);
        if (length == 0 && mCapitalised == 0) {
            c = std::toupper(c);
            mCapitalised = 1;
        }
        bool fits = length + 1 < sizeof(mText);
        if (fits && game.mEditor == nullptr && font != nullptr) {
            char candidate[kTextSize + 1];
            std::memcpy(candidate, mText, length);
            candidate[length] = static_cast<char>(c);
            candidate[length + 1] = 0;
            fits = StripFont::MeasureString(font, candidate, 1.0f, 0.0f) < float(2 * mWidth - 4);
        }
        if (fits) {
            mText[length] = static_cast<char>(c);
            mText[length + 1] = 0;
        }
    }
    AnimObject::Update();
    return 1;
}

void InputBox::Commit()
{
    switch (mValueKind) {
    case kNumber:
        if (mTarget != nullptr)
            *static_cast<float*>(mTarget) = static_cast<float>(std::atof(mText));
        break;
    case kDuration:
        if (mTarget != nullptr)
            *static_cast<float*>(mTarget) = static_cast<float>(std::atof(mText) / 4.0);
        break;
    case kInteger:
        if (mTarget != nullptr)
            *static_cast<int*>(mTarget) = ObjectXmlElement::TextToInt(mText);
        break;
    case kColour:
        CommitColour();
        break;
    case kText:
        if (mTarget != nullptr && mTarget != mText && mTargetSize > 0)
            CopyToField(static_cast<char*>(mTarget), mTargetSize, mText);
        break;
    case kLevelNumber: {
        const int number = ObjectXmlElement::TextToInt(mText);
        PlayerProfile& profile = Game().mProfiles.Current();
        profile.mProgress[profile.mMode] = AddSaturated(number, -1);
        InsertLevelByNumber(number);
        break;
    }
    default:
        break;
    }
}

void InputBox::CommitColour()
{
    if (mTargetObject == nullptr || std::strlen(mText) != 6)
        return;
    float r = 0.0f, g = 0.0f, b = 0.0f;
    ParseHexColor(mText, r, g, b);
    AnimObject& object = *mTargetObject;
    object.mLocal[kAttrR] = r;
    object.mLocal[kAttrG] = g;
    object.mLocal[kAttrB] = b;
    const float values[3] = {r, g, b};
    for (Stage* stage = object.mStages.Head(); stage != nullptr; stage = stage->mNext) {
        for (int i = 0; i < 3; ++i) {
            stage->mMask |= 1u << (kAttrR + i);
            stage->mStart[kAttrR + i] = values[i];
            stage->mEnd[kAttrR + i] = values[i];
        }
    }
    object.mFrameCounter = 0.0f;
    object.Update();
}

void InputBox::Draw()
{
    GameState& game = Game();
    Platform* platform = game.mPlatform;
    if (platform == nullptr)
        return;
    // A zooming screen hides the box.
    if (mParent != nullptr && std::fabs(mParent->mWorld[kAttrXScale] - 1.0f) > 0.01f)
        return;
    const int x = SaturateToInt(double(mWorld[kAttrX]));
    const int y = SaturateToInt(double(mWorld[kAttrY]));
    StripFont* font = game.mFonts.Find(mFont);
    if (mCaption[0] == 0) {
        if (mNoLines == 0)
            platform->DrawRect(x - mWidth - 2, y - mHeight, x + mWidth + 2, y + mBoxOffset + mHeight - 2, 0, 0.0f,
                               0.0f, 0.0f, 0.3f, 1.0f, 1.0f, 1.0f, 0.5f);
        if (font == nullptr)
            return;
        // The text and the blinking bar, without a copy on the heap each frame.
        char text[kTextSize + 1];
        size_t length = strnlen(mText, sizeof(mText) - 1);
        std::memcpy(text, mText, length);
        const Level* level = CurrentLevel();
        if (level != nullptr && std::fmod(level->mFrameCounter, 200.0f) > 100.0f)
            text[length++] = '|';
        text[length] = 0;
        font->DrawString(*platform, text, float(x - (mWidth - 2)), float(y + 1), 1.0f, 0.0f,
                         StripFont::kJustifyLeft);
        return;
    }
    if (mNoLines == 0) {
        platform->DrawRect(x - 100, y - 40, x + 100, y + 40, 0, 0.2f, 0.2f, 0.2f, 0.8f, 1.0f, 1.0f, 1.0f, 1.0f);
        platform->DrawRect(x - 82, y - 8, x + 82, y + 8, 0, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f);
    }
    if (StripFont* captionFont = game.mFonts.Find(kDefaultFont))
        captionFont->DrawString(*platform, mCaption, float(x), float(y - 20), 1.0f, 2.0f, StripFont::kJustifyCentre);
    if (font != nullptr && mText[0] != 0)
        font->DrawString(*platform, mText, float(x - 78), float(y), 1.0f, 2.0f, StripFont::kJustifyLeft);
}

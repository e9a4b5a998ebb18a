// Text objects on a strip font drawn by the test: characters, stagger and the
// stretched stage, x placement by justification with kerning and x scale
// (values worked out by hand), bytes above 127, empty texts and missing
// fonts, the pool running dry, hover with its sound and sweeps, XML read and
// written back, and strings drawn on the spot onto an 800 x 600 screen.
#include "game/engine/TextObject.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/rasterizer/TriangleRasterizer.h"
#include "game/engine/AttributeCode.h"
#include "game/engine/Filter.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/Level.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/ObjectLoader.h"
#include "game/engine/Platform.h"
#include "game/engine/Stage.h"
#include "support/EngineDrawing.h"
#include "support/FakePlatformHost.h"
#include "support/RecordingSoundLayer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kGreen = 0xFF00FF00u;
constexpr uint32_t kBlue = 0xFF0000FFu;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

// The test's strip: one band of ten rows (row 10 clear so that it is cut).
// A red at columns 0 .. 3, B green at 6 .. 11, C blue at 14 .. 15, I white
// at 18 .. 21, and a byte above 127 (0xE9) red at 24 .. 26.
constexpr const char* kCharacters = "ABCI\xE9";

// Served as "strip.png" and as "strip-kerned.png".
class StripHost : public LumoTest::PictureHost {
public:
    StripHost()
    {
        LumoTest::TestPicture strip(28, 11);
        strip.Paint(0, 0, 4, 10, kRed).Paint(6, 0, 12, 10, kGreen).Paint(14, 0, 16, 10, kBlue);
        strip.Paint(18, 0, 22, 10, kWhite).Paint(24, 0, 27, 10, kRed);
        pictures.emplace("strip.png", strip);
        pictures.emplace("strip-kerned.png", strip);
    }
};

using Box = LumoTest::ScreenBox;

class TextObjectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Scaled glyphs go through the rasterizer.
        Lumo::TriangleRasterizer::InitSpanFunctions();
        mGame->mPlatform = &mPlatform;
        mGame->mImageCache.SetPlatform(&mPlatform);
        mGame->mSound = &mSound;
        ASSERT_NE(mGame->mFonts.Get("strip.png", kCharacters, 10), nullptr);
        mScreen.Create(800, 600);
        mScreen.SetImageMode(false, false);
        mGraphics = std::make_unique<Lumo::Graphics>(&mScreen);
        mPlatform.SetGraphics(mGraphics.get());
        ClearScreen();
    }
    void TearDown() override
    {
        mGame.reset();
    }

    // A text object under a fresh topmost screen.
    TextObject* MakeText(const char* text, const char* font = "strip.png", float spacing = 2.0f,
                         unsigned stagger = 0, int justification = StripFont::kJustifyCentre)
    {
        if (mScreenObject == nullptr) {
            mScreenObject = new Level();
            mScreenObject->AddStage(100000.0f, 0, 0, 1, nullptr);
            mGame->mLiveObjects.Append(mScreenObject);
        }
        auto* object = new TextObject();
        mScreenObject->AddChild(object);
        object->SetText(text, font, spacing, stagger, justification);
        return object;
    }

    std::vector<AnimObject*> Characters(const TextObject& text) const
    {
        std::vector<AnimObject*> characters;
        for (AnimObject* child = text.mChildren.Head(); child != nullptr; child = child->mNext)
            characters.push_back(child);
        return characters;
    }

    void ClearScreen()
    {
        uint32_t* bits = mScreen.GetBits();
        std::fill(bits, bits + mScreen.PixelCount(), kBlack);
        mScreen.BitsChanged();
    }

    // The bounding box of the pixels of one colour; with `mostly`, of those
    // where the colour's channels are the brightest (scaled drawing blends
    // the glyph edges into the black screen).
    Box Drawn(uint32_t colour, bool mostly = false)
    {
        const auto matches = [&](uint32_t pixel) {
            if (!mostly)
                return pixel == colour;
            for (int shift = 0; shift < 24; shift += 8) {
                const uint32_t channel = (pixel >> shift) & 0xFFu;
                const bool wanted = ((colour >> shift) & 0xFFu) != 0;
                if (wanted != (channel >= 0x80u))
                    return false;
            }
            return true;
        };
        return LumoTest::ScreenBoxWhere(mScreen.GetBits(), matches);
    }

    // Outlives the game state: objects let go of it when the state goes.
    ImageRecord mWhite;
    StripHost mHost;
    Platform mPlatform{&mHost};
    LumoTest::RecordingSoundLayer mSound;
    Lumo::MemoryImage mScreen;
    std::unique_ptr<Lumo::Graphics> mGraphics;
    std::unique_ptr<GameState> mGame = std::make_unique<GameState>();
    Level* mScreenObject = nullptr;
};

TEST_F(TextObjectTest, EachCharacterShowsItsGlyphBoxAndBytesAbove127IndexTheirOwnBox)
{
    TextObject* text = MakeText("A\xE9 B");
    EXPECT_EQ(text->mKind, kKindTextObject);
    EXPECT_EQ(text->mZOrder, 10.0f);
    EXPECT_EQ(text->mSelectable, 0);
    const std::vector<AnimObject*> characters = Characters(*text);
    ASSERT_EQ(characters.size(), 4u);
    struct Expected {
        float x0, y0, x1, y1;
    };
    // The space takes the box of "I".
    const Expected boxes[] = {{0, 0, 4, 9}, {24, 0, 27, 9}, {18, 0, 22, 9}, {6, 0, 12, 9}};
    for (size_t i = 0; i < characters.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(characters[i]->mSource[0], boxes[i].x0);
        EXPECT_EQ(characters[i]->mSource[1], boxes[i].y0);
        EXPECT_EQ(characters[i]->mSource[2], boxes[i].x1);
        EXPECT_EQ(characters[i]->mSource[3], boxes[i].y1);
        EXPECT_EQ(characters[i]->mImage, text->mImage);
        EXPECT_EQ(characters[i]->mZOrder, 10.0f);
        EXPECT_EQ(characters[i]->mSnap, 0);
    }
    // A new text replaces the characters and the stages.
    text->AddStage(300.0f, 0, 0, 1, "show");
    text->SetText("C", "strip.png", 0.0f, 0, StripFont::kJustifyLeft);
    EXPECT_EQ(Characters(*text).size(), 1u);
    EXPECT_TRUE(text->mStages.IsEmpty());
    EXPECT_EQ(text->CurrentStage(), nullptr);
}

TEST_F(TextObjectTest, StaggerDelaysEachCharacterAndStretchesTheTextsStage)
{
    TextObject* text = MakeText("ABC", "strip.png", 0.0f, 50);
    text->AddStage(300.0f, 0, 0, 1, "show");
    // The text's own stage: 3 x 50 + 300 ms.
    ASSERT_NE(text->CurrentStage(), nullptr);
    EXPECT_EQ(text->CurrentStage()->mLength * 4.0f, 450.0f);
    const std::vector<AnimObject*> characters = Characters(*text);
    ASSERT_EQ(characters.size(), 3u);
    // A starts at once; B waits 50 ms and C 100 ms, unseen.
    EXPECT_EQ(characters[0]->mStages.Count(), 1);
    for (int i = 1; i < 3; ++i) {
        ASSERT_EQ(characters[size_t(i)]->mStages.Count(), 2);
        const Stage* wait = characters[size_t(i)]->mStages.Head();
        EXPECT_EQ(wait->mLength * 4.0f, 50.0f * float(i));
        EXPECT_EQ(wait->mVisible, 0);
        EXPECT_EQ(wait->mNext->mLength * 4.0f, 300.0f);
        EXPECT_STREQ(wait->mNext->mName, "show");
    }

    // Through ticks: a stage of L ticks ends on the tick that finds L ticks
    // run, and the next one shows from the tick after. B's wait is 12.5
    // ticks (shown from tick 15), C's 25 (shown from tick 27).
    const auto visibleAfter = [&](int ticks) {
        std::string shown;
        for (int i = 0; i < ticks; ++i)
            text->Update();
        for (AnimObject* character : characters)
            shown += character->mVisible != 0 ? '1' : '0';
        return shown;
    };
    EXPECT_EQ(visibleAfter(1), "100");
    EXPECT_EQ(visibleAfter(13), "100"); // 14
    EXPECT_EQ(visibleAfter(1), "110");  // 15
    EXPECT_EQ(visibleAfter(11), "110"); // 26
    EXPECT_EQ(visibleAfter(1), "111");  // 27
    // The text outlives its last character by the stagger's difference: 450 ms = 112.5 ticks.
    int ticks = 27;
    while (text->Update() != 0)
        ++ticks;
    EXPECT_EQ(ticks + 1, 114);
}

TEST_F(TextObjectTest, StagesFiltersAndStageChangesReachEveryCharacterAndSpacesStayHidden)
{
    TextObject* text = MakeText("A B");
    text->AddStage(100.0f, 0, 0, 1, "first");
    text->SetStageAttribute(kAttrAlpha, 0.0f, 1.0f);
    EXPECT_NE(text->AddFilter(1, kAttrAll, 1.0f, 0.0f, 0.0f), nullptr);
    text->AddStage(200.0f, 1, 1, 1, "second");
    // The text itself takes no filter and no attribute target.
    EXPECT_EQ(text->mStages.Head()->mFilters.Count(), 0);
    EXPECT_EQ(text->mStages.Head()->mMask, 0u);
    const std::vector<AnimObject*> characters = Characters(*text);
    ASSERT_EQ(characters.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const Stage* first = characters[i]->mStages.Head();
        EXPECT_EQ(first->mFilters.Count(), 1);
        EXPECT_EQ(first->mMask, 1u << kAttrAlpha);
        EXPECT_EQ(first->mVisible, i == 1 ? 0 : 1);
        EXPECT_EQ(first->mNext->mVisible, i == 1 ? 0 : 1);
    }
    EXPECT_NE(text->GoToStage("second"), nullptr);
    for (AnimObject* character : characters)
        EXPECT_STREQ(character->CurrentStage()->mName, "second");
    // An unknown stage changes nothing anywhere.
    EXPECT_EQ(text->GoToStage("third"), nullptr);
    EXPECT_STREQ(text->CurrentStage()->mName, "second");
    EXPECT_STREQ(characters[2]->CurrentStage()->mName, "second");
}

// "AB" with spacing 2 and glyph widths 4 and 6, anchored at x 400. At scale 1
// the pen gives A's centre 2 and B's 9, width 12; at scale 2 A 4, B 18, width
// 24. Kerning A's right edge by -2 gives A 3, B 7, width 10.
struct PlacementCase {
    const char* name;
    int justification;
    bool kerned;
    float scaleStart, scaleEnd;
    float aStart, bStart, aEnd, bEnd;
};

class TextPlacementTest : public TextObjectTest, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(TextPlacementTest, CharactersArePlacedByJustificationKerningAndScale)
{
    const PlacementCase& c = GetParam();
    if (c.kerned) {
        ASSERT_NE(mGame->mFonts.Get("strip-kerned.png", kCharacters, 10), nullptr);
        mGame->mFonts.SetKerning('A', 0.0f, -2.0f);
    }
    TextObject* text = MakeText("AB", c.kerned ? "strip-kerned.png" : "strip.png", 2.0f, 0, c.justification);
    text->AddStage(1000.0f, 0, 0, 1, nullptr);
    if (c.scaleStart != 1.0f || c.scaleEnd != 1.0f)
        text->SetStageAttribute(kAttrXScale, c.scaleStart, c.scaleEnd);
    text->SetStageAttribute(kAttrX, 400.0f, 400.0f);
    // Markers are left for the stage to resolve.
    text->SetStageAttribute(kAttrY, kValueFromObject, 30.0f);
    const std::vector<AnimObject*> characters = Characters(*text);
    ASSERT_EQ(characters.size(), 2u);
    const Stage* a = characters[0]->BuildingStage();
    const Stage* b = characters[1]->BuildingStage();
    EXPECT_EQ(a->mStart[kAttrX], c.aStart);
    EXPECT_EQ(b->mStart[kAttrX], c.bStart);
    EXPECT_EQ(a->mEnd[kAttrX], c.aEnd);
    EXPECT_EQ(b->mEnd[kAttrX], c.bEnd);
    EXPECT_EQ(a->mStart[kAttrY], kValueFromObject);
    EXPECT_EQ(b->mEnd[kAttrY], 30.0f);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextPlacementTest,
    ::testing::Values(PlacementCase{"left", 0, false, 1, 1, 402, 409, 402, 409},
                      PlacementCase{"centre", 1, false, 1, 1, 396, 403, 396, 403},
                      PlacementCase{"right", 2, false, 1, 1, 390, 397, 390, 397},
                      PlacementCase{"left_scaled", 0, false, 2, 2, 404, 418, 404, 418},
                      PlacementCase{"centre_scaled", 1, false, 2, 2, 392, 406, 392, 406},
                      PlacementCase{"right_scaled", 2, false, 2, 2, 380, 394, 380, 394},
                      PlacementCase{"right_growing", 2, false, 1, 2, 390, 397, 380, 394},
                      PlacementCase{"left_kerned", 0, true, 1, 1, 403, 407, 403, 407},
                      PlacementCase{"right_kerned", 2, true, 1, 1, 393, 397, 393, 397}),
    [](const ::testing::TestParamInfo<PlacementCase>& info) { return std::string(info.param.name); });

TEST_F(TextObjectTest, RightJustifiedTextEndsAtItsXOnScreen)
{
    // B's last pixel is column 399 whatever the scale: the text ends at 400.
    for (float scale : {1.0f, 2.0f}) {
        SCOPED_TRACE(scale);
        ClearScreen();
        TextObject* text = MakeText("AB", "strip.png", 2.0f, 0, StripFont::kJustifyRight);
        text->AddStage(1000.0f, 0, 0, 1, nullptr);
        text->SetStageAttribute(kAttrXScale, scale, scale);
        text->SetStageAttribute(kAttrYScale, scale, scale);
        text->SetStageAttribute(kAttrX, 400.0f, 400.0f);
        text->SetStageAttribute(kAttrY, 100.0f, 100.0f);
        mScreenObject->Update();
        mScreenObject->Draw();
        EXPECT_EQ(Drawn(kGreen, true).right, 399);
        EXPECT_EQ(Drawn(kRed, true).left, scale == 1.0f ? 388 : 376);
        text->Kill();
        mScreenObject->Update();
    }
}

TEST_F(TextObjectTest, TheSpawnActionSharesItsCountAmongTheCharacters)
{
    TextObject* text = MakeText("ABC");
    text->AddStage(1000.0f, 0, 0, 1, nullptr);
    ImageRecord& sparkle = mWhite;
    sparkle.mWidth = sparkle.mHeight = 8.0f;
    sparkle.mUseCount = 1;
    mScreenObject->mSparkleImage = &sparkle;
    mGame->mLevel = mScreenObject;
    AnimObject* effects = mScreenObject->AddChild(nullptr);
    effects->AddStage(100000.0f, 0, 0, 1, nullptr);
    effects->mKind = kKindEffects;
    mGame->mEffects = effects;
    // 7 / 3: two from each character.
    text->MakeSparkles(7, 0, 1.0f, 1.0f, 1.0f, 1.0f);
    EXPECT_EQ(effects->mChildren.Count(), 6);
    // Fewer than one per character: none.
    text->MakeSparkles(2, 0, 1.0f, 1.0f, 1.0f, 1.0f);
    EXPECT_EQ(effects->mChildren.Count(), 6);
    mScreenObject->mSparkleImage = nullptr;
}

TEST_F(TextObjectTest, EmptyTextsMissingFontsAndARefusingPoolMakeNoCharactersAndNoFault)
{
    // Empty: stages, attributes, filters and the spawn action all work on nothing.
    TextObject* empty = MakeText("", "strip.png", 2.0f, 50);
    EXPECT_NE(empty->AddStage(300.0f, 0, 0, 1, nullptr), nullptr);
    EXPECT_EQ(empty->CurrentStage()->mLength * 4.0f, 300.0f);
    empty->SetStageAttribute(kAttrX, 400.0f, 400.0f);
    EXPECT_EQ(empty->AddFilter(1, kAttrAll, 1.0f, 0.0f, 0.0f), nullptr);
    const int inUse = mGame->mObjectPool.CountInUse();
    empty->MakeSparkles(10, 0, 1.0f, 1.0f, 1.0f, 1.0f);
    EXPECT_EQ(mGame->mObjectPool.CountInUse(), inUse);
    EXPECT_EQ(empty->Update(), 1);

    // A font that is not loaded: no characters, and the font list stays as
    // it is however often a text names it.
    const int fonts = mGame->mFonts.GetCount();
    TextObject* missing = MakeText("ABC", "no-such-font.png");
    for (int i = 0; i < 1000; ++i)
        missing->SetText("ABC", "no-such-font.png", 0.0f, 0, 1);
    EXPECT_EQ(missing->GetFont(), nullptr);
    EXPECT_TRUE(missing->mChildren.IsEmpty());
    EXPECT_EQ(mGame->mFonts.GetCount(), fonts);
    missing->AddStage(100.0f, 0, 0, 1, nullptr);
    missing->SetStageAttribute(kAttrX, 1.0f, 2.0f);
    EXPECT_EQ(missing->Update(), 1);
    missing->SetText("ABC", nullptr, 0.0f, 0, 1);
    EXPECT_TRUE(missing->mChildren.IsEmpty());

    // Two records left in the pool: the first two characters, the rest skipped.
    std::vector<AnimObject*> held;
    while (mGame->mObjectPool.CountInUse() < GameState::kObjectPoolSize - 2)
        held.push_back(AnimObject::TakeFromPool());
    TextObject* cut = MakeText("ABCI");
    ASSERT_EQ(cut->mChildren.Count(), 2);
    EXPECT_EQ(cut->mChildren.Head()->mSource[2], 4.0f);
    cut->AddStage(100.0f, 0, 0, 1, nullptr);
    cut->SetStageAttribute(kAttrX, 0.0f, 0.0f);
    cut->MakeSparkles(8, 0, 1.0f, 1.0f, 1.0f, 1.0f);
    EXPECT_EQ(cut->Update(), 1);
    for (AnimObject* object : held)
        AnimObject::DisposeRecord(object);
}

TEST_F(TextObjectTest, HoverPlaysTheHoverSoundOncePerStartAndSweepsOnlyWith3D)
{
    mSound.GetSample("audio\\hot.ogg", 0, 0);
    TextObject* text = MakeText("AB", "strip.png", 2.0f, 0, StripFont::kJustifyCentre);
    text->mLocal[kAttrX] = 100.0f;
    text->AddStage(1000.0f, 1, 1, 1, nullptr);
    text->SetStageAttribute(kAttrX, 0.0f, 0.0f);
    text->SetStageAttribute(kAttrY, 50.0f, 50.0f);
    text->Update();
    mGame->mRandom.SeedRandom(4242);
    GameRandom expected;
    expected.SeedRandom(4242);

    // A spans x 94 .. 98 and B 100 .. 106 on screen, y 45.5 .. 54.5.
    const auto hoverAt = [&](float x, float y) {
        mScreenObject->mMouseX = x;
        mScreenObject->mMouseY = y;
        return text->UpdateHover();
    };
    EXPECT_EQ(hoverAt(50.0f, 50.0f), 0);
    EXPECT_TRUE(mSound.plays.empty());
    EXPECT_EQ(hoverAt(103.0f, 50.0f), 1);
    ASSERT_EQ(mSound.plays.size(), 1u);
    EXPECT_EQ(mSound.plays[0].name, "audio\\hot.ogg");
    const int firstRate = 40100 + int(expected.RandomInt(8000));
    EXPECT_EQ(mSound.plays[0].frequency, firstRate);
    EXPECT_GE(firstRate, 40100);
    EXPECT_LT(firstRate, 48100);
    // Moving from B to A is the same hover: no second sound.
    EXPECT_EQ(hoverAt(96.0f, 50.0f), 1);
    EXPECT_EQ(hoverAt(96.0f, 50.0f), 1);
    EXPECT_EQ(mSound.plays.size(), 1u);
    // Off and back on: a second start.
    EXPECT_EQ(hoverAt(99.2f, 80.0f), 0);
    EXPECT_EQ(text->mHot, 0);
    EXPECT_EQ(hoverAt(96.0f, 50.0f), 1);
    ASSERT_EQ(mSound.plays.size(), 2u);
    EXPECT_EQ(mSound.plays[1].frequency, 40100 + int(expected.RandomInt(8000)));
    // Without 3-D no sweep was made.
    EXPECT_EQ(mScreenObject->mChildren.Count(), 1);

    // With the sample not loaded a hover start is silent, but draws its rate all the same.
    mSound.entries.clear();
    EXPECT_EQ(hoverAt(50.0f, 50.0f), 0);
    EXPECT_EQ(hoverAt(96.0f, 50.0f), 1);
    EXPECT_EQ(mSound.plays.size(), 2u);
    expected.RandomInt(8000);
    EXPECT_EQ(mGame->mRandom.GetState(), expected.GetState());

    // With 3-D: two sweeps under the text's parent, just below the text,
    // from the characters' centre (text at 100, characters -6 .. 6) one way
    // and then the other.
    ImageRecord& white = mWhite;
    white.mWidth = white.mHeight = 16.0f;
    white.mUseCount = 1;
    mScreenObject->mWhiteParticleImage = &white;
    mHost.accelerated3D = true;
    EXPECT_EQ(hoverAt(50.0f, 50.0f), 0);
    EXPECT_EQ(hoverAt(103.0f, 50.0f), 1);
    std::vector<AnimObject*> sweeps;
    for (AnimObject* child = mScreenObject->mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child != text)
            sweeps.push_back(child);
    }
    ASSERT_EQ(sweeps.size(), 2u);
    float ends[2] = {};
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        AnimObject* sweep = sweeps[i];
        EXPECT_EQ(sweep->mImage, &white);
        EXPECT_FLOAT_EQ(sweep->mZOrder, 9.999f);
        const Stage* stage = sweep->CurrentStage();
        ASSERT_NE(stage, nullptr);
        EXPECT_EQ(stage->mLength * 4.0f, 400.0f);
        EXPECT_EQ(stage->mVisible, 1);
        EXPECT_FLOAT_EQ(stage->mStart[kAttrAlpha], 0.3f);
        EXPECT_EQ(stage->mEnd[kAttrAlpha], 0.0f);
        EXPECT_EQ(stage->mStart[kAttrR], 1.0f);
        EXPECT_EQ(stage->mEnd[kAttrB], 1.0f);
        EXPECT_EQ(stage->mStart[kAttrX], 100.0f);
        EXPECT_EQ(stage->mStart[kAttrY], 50.0f);
        EXPECT_EQ(stage->mEnd[kAttrY], 50.0f);
        ends[i] = stage->mEnd[kAttrX];
        ASSERT_EQ(stage->mFilters.Count(), 1);
        const Filter* filter = stage->mFilters.Head();
        EXPECT_EQ(filter->mType, 0);
        EXPECT_EQ(filter->mAttribute, kAttrAll);
        EXPECT_EQ(filter->mAmplitude, 1.0f);
        // Updated once already.
        EXPECT_EQ(sweep->mFrameCounter, 1.0f);
    }
    // The sign starts at 1 and flips before each sweep.
    EXPECT_EQ(ends[0], 88.0f);
    EXPECT_EQ(ends[1], 112.0f);
    EXPECT_EQ(mSound.plays.size(), 2u);
    mScreenObject->mWhiteParticleImage = nullptr;
}

TEST_F(TextObjectTest, HoverOnAScreenBelowTheTopmostIsOff)
{
    mSound.GetSample("audio\\hot.ogg", 0, 0);
    TextObject* text = MakeText("AB");
    text->AddStage(1000.0f, 1, 1, 1, nullptr);
    text->SetStageAttribute(kAttrX, 100.0f, 100.0f);
    text->SetStageAttribute(kAttrY, 50.0f, 50.0f);
    text->Update();
    mScreenObject->mMouseX = 100.0f;
    mScreenObject->mMouseY = 50.0f;
    auto* above = new Level();
    above->AddStage(1000.0f, 0, 0, 1, nullptr);
    mGame->mLiveObjects.Append(above);
    EXPECT_EQ(text->UpdateHover(), 0);
    EXPECT_TRUE(mSound.plays.empty());
}

TEST_F(TextObjectTest, ObjectXmlMakesATextAndWritesItBackAsGiven)
{
    MakeText("");
    const char* xml = "<object type=\"text\" string=\"AB\" font=\"strip.png\" justification=\"right\" spacing=\"2\""
                      " stagger_ms=\"50\" z_order=\"12\" name=\"ignored\">\n"
                      "\t<stage name=\"show\" ms=\"300\" loop_start=\"1\" loop_end=\"1\">\n"
                      "\t\t<attribute type=\"x\" start=\"400\" end=\"400\">\n"
                      "\t\t<filter type=\"squared\" attribute=\"all\" amplitude=\"1\">\n"
                      "\t\t<event type=\"click\" action=\"make_sparkles\" parm1=\"4\">\n"
                      "</object>\n";
    auto* text = dynamic_cast<TextObject*>(CreateObjectsFromXml(xml, mScreenObject, "test.xml"));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->mKind, kKindTextObject);
    EXPECT_EQ(text->GetText(), "AB");
    EXPECT_EQ(text->GetJustification(), StripFont::kJustifyRight);
    EXPECT_EQ(text->GetStagger(), 50u);
    EXPECT_EQ(text->GetSpacing(), 2.0f);
    EXPECT_EQ(text->mZOrder, 12.0f);
    // Only its own attributes are read.
    EXPECT_STREQ(text->mName, "");
    EXPECT_EQ(text->CurrentStage()->mLength * 4.0f, 400.0f);
    ASSERT_EQ(text->mChildren.Count(), 2);
    EXPECT_EQ(text->mChildren.Head()->mZOrder, 12.0f);
    EXPECT_EQ(text->mChildren.Head()->BuildingStage()->mStart[kAttrX], 390.0f);
    EXPECT_EQ(text->mChildren.Tail()->BuildingStage()->mStart[kAttrX], 397.0f);
    EXPECT_EQ(text->CurrentStage()->mEvents.Count(), 1);

    // Written back as read: the stage as long as given, the x target before
    // placement, no characters.
    std::string out;
    text->WriteXml(out, 0);
    EXPECT_EQ(out, "<object type=\"text\" string=\"AB\" font=\"strip.png\" spacing=\"2\" stagger_ms=\"50\""
                   " justification=\"right\" z_order=\"12\">\n"
                   "\t<stage name=\"show\" ms=\"300\" loop_start=\"1\" loop_end=\"1\" visible=\"1\">\n"
                   "\t\t<attribute type=\"x\" start=\"400\" end=\"400\">\n"
                   "\t\t<filter type=\"squared\" attribute=\"all\" amplitude=\"1\" period=\"0\" offset=\"0\">\n"
                   "\t\t<event type=\"click\" action=\"make_sparkles\" parm1=\"4\">\n"
                   "</object>\n");
    // And reads again into the same text.
    auto* again = dynamic_cast<TextObject*>(CreateObjectsFromXml(out.c_str(), mScreenObject, "again.xml"));
    ASSERT_NE(again, nullptr);
    std::string twice;
    again->WriteXml(twice, 0);
    EXPECT_EQ(twice, out);

    // Texts made by code are not written.
    std::string none;
    MakeText("AB")->WriteXml(none, 0);
    EXPECT_EQ(none, "");
}

TEST_F(TextObjectTest, TextsWithNestedObjectsReadBackAsTheyWereWritten)
{
    MakeText("");
    mScreenObject->mSelectable = 1;
    // An object inside the text, and a stage given after it (which the
    // nested object takes too), in a text without a font and one with.
    const char* xml = "<object name=\"holder\">\n"
                      "\t<stage ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
                      "\t<object type=\"text\" string=\"A B\" font=\"strip.png\" stagger_ms=\"40\">\n"
                      "\t\t<stage name=\"show\" ms=\"500\">\n"
                      "\t\t\t<attribute type=\"x_scale\" start=\"0.5\" end=\"1\">\n"
                      "\t\t\t<attribute type=\"x\" start=\"10\" end=\"20\">\n"
                      "\t\t<object name=\"under\" z_order=\"15\">\n"
                      "\t\t\t<stage ms=\"1000\" visible=\"0\">\n"
                      "\t\t</object>\n"
                      "\t\t<stage name=\"idle\" ms=\"1000\" loop_start=\"1\" loop_end=\"1\">\n"
                      "\t\t\t<attribute type=\"x\" start=\"20\" end=\"20\">\n"
                      "\t</object>\n"
                      "\t<object type=\"text\" string=\"LOST\" font=\"no-font.png\" spacing=\"-3\">\n"
                      "\t\t<stage ms=\"100\">\n"
                      "\t\t\t<filter type=\"sined\" attribute=\"y\" amplitude=\"3\" period=\"0.5\">\n"
                      "\t</object>\n"
                      "</object>\n";
    AnimObject* holder = CreateObjectsFromXml(xml, mScreenObject, "nested.xml");
    ASSERT_NE(holder, nullptr);
    std::string first;
    holder->WriteXml(first, 0);
    EXPECT_NE(first.find("<object name=\"under\""), std::string::npos) << first;
    EXPECT_NE(first.find("string=\"LOST\""), std::string::npos) << first;
    AnimObject* copy = CreateObjectsFromXml(first.c_str(), mScreenObject, "written.xml");
    ASSERT_NE(copy, nullptr);
    std::string second;
    copy->WriteXml(second, 0);
    EXPECT_EQ(second, first);
}

TEST_F(TextObjectTest, JustificationAndStaggerFromXmlFallBackSafely)
{
    MakeText("");
    struct Case {
        const char* attributes;
        int justification;
        unsigned stagger;
    };
    const Case cases[] = {
        {"justification=\"left\"", 0, 0},
        {"justification=\"right\"", 2, 0},
        {"justification=\"center\"", 1, 0},
        {"justification=\"Left\"", 1, 0},
        {"", 1, 0},
        {"stagger_ms=\"30\"", 1, 30},
        {"stagger_ms=\"-50\"", 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attributes);
        const std::string xml = std::string("<object type=\"text\" string=\"AB\" font=\"strip.png\" ") + c.attributes
                                + ">\n<stage ms=\"100\">\n</object>\n";
        auto* text = dynamic_cast<TextObject*>(CreateObjectsFromXml(xml.c_str(), mScreenObject, "case.xml"));
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->GetJustification(), c.justification);
        EXPECT_EQ(text->GetStagger(), c.stagger);
        EXPECT_EQ(text->mZOrder, 10.0f);
    }
}

TEST_F(TextObjectTest, DrawStringDrawsAtOnceInScreenOrFrameCoordinates)
{
    // Left end at 100: A covers 100 .. 103 and B 106 .. 111.
    AnimObject::DrawString(nullptr, "AB", 100.0f, 50.0f, "strip.png", 2.0f, StripFont::kJustifyLeft, 1.0f, 1.0f);
    EXPECT_EQ(Drawn(kRed).left, 100);
    EXPECT_EQ(Drawn(kRed).right, 103);
    EXPECT_EQ(Drawn(kGreen).left, 106);
    EXPECT_EQ(Drawn(kGreen).right, 111);
    const Box drawnA = Drawn(kRed);
    EXPECT_EQ(drawnA.bottom - drawnA.top + 1, 9);

    // In a frame at (300, 200): centred at 10 of the frame.
    ClearScreen();
    AnimObject frame;
    frame.mWorld[kAttrX] = 300.0f;
    frame.mWorld[kAttrY] = 200.0f;
    AnimObject::DrawString(&frame, "AB", 10.0f, 0.0f, "strip.png", 2.0f, StripFont::kJustifyCentre, 1.0f, 1.0f);
    EXPECT_EQ(Drawn(kRed).left, 304);
    EXPECT_EQ(Drawn(kGreen).right, 315);

    // Drawing every frame takes no more records than one text needs.
    const int inUse = mGame->mObjectPool.CountInUse();
    for (int i = 0; i < 100; ++i)
        AnimObject::DrawString(nullptr, "ABC", 100.0f, 50.0f, "strip.png", 0.0f, 0, 1.0f, 1.0f);
    EXPECT_EQ(mGame->mObjectPool.CountInUse(), inUse + 1);
    EXPECT_LE(mGame->mStagePool.CountInUse(), 4);
    // A missing font draws nothing.
    ClearScreen();
    AnimObject::DrawString(nullptr, "AB", 100.0f, 50.0f, "none.png", 0.0f, 0, 1.0f, 1.0f);
    EXPECT_EQ(Drawn(kRed), Box{});
}

} // namespace

#include "game/play/Layer.h"

#include "framework/graphics/MemoryImage.h"
#include "game/engine/EasingKind.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/Filter.h"
#include "game/engine/GameRandom.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/ObjectLoader.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/Platform.h"
#include "game/engine/PlatformImage.h"
#include "game/engine/Stage.h"
#include "game/engine/StripFont.h"
#include "game/engine/TextObject.h"
#include "game/play/PlayState.h"
#include "game/play/RuleOperations.h"
#include "game/play/ShooterHelpers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

constexpr float kScreenWidth = GameState::kScreenWidth;
constexpr float kScreenHeight = GameState::kScreenHeight;

using ShooterRules::StageContains;
using ShooterRules::StageIs;

constexpr int kModeFlood = ShooterRules::kFlood;
constexpr int kModeJourney = ShooterRules::kJourney;
constexpr int kModeSurvival = ShooterRules::kSurvival;
constexpr int kModeTrickshot = ShooterRules::kTrickshot;

// Survival rows: a row is symmetric about the centre and may reach this far.
constexpr float kRowHalfWidth = 380.0f;
constexpr float kRowLastCentre = 282.0f;
constexpr float kRowGap = 10.0f;

// Survival wall: eight tiles of 80 px from -280 to 280.
constexpr int kWallEdge = 280;
constexpr int kWallStep = 80;
const char* const kBrickImage = "gfx\\background01\\brick_brown01.jpg";
const char* const kWallSideImage = "gfx\\background01\\wall_side01.png";
const char* const kGrateImage = "gfx\\background01\\grate_square.png";
const char* const kIvyImage = "gfx\\background01\\ivy01.png";

// Plate files by the drawn index; beyond the table the stick plate.
const char* const kPlateNames[] = {"stick", "round",      "triangle",   "x",       "block", "semicircle",
                                   "spinner", "a",        "tosser",     "spinner", "mini_round", "mini_stick",
                                   "m",     "square",     "a",          "step",    "t"};
constexpr uint32_t kPlateNameCount = sizeof(kPlateNames) / sizeof(kPlateNames[0]);

bool NameIs(const AnimObject& object, const char* name) { return std::strcmp(object.mName, name) == 0; }

int CurrentMode()
{
    return Game().mHooks != nullptr ? Game().mHooks->GetProfileMode() : 0;
}

float Difficulty() { return Game().mProfiles.Current().mDifficulty; }

// The amplitude recurrence of the scroll: the velocity eases towards the
// speed, a hundredth at a time.
float EaseAmplitude(float amplitude, float speed)
{
    return static_cast<float>((amplitude * 99.0f + static_cast<double>(speed) * 0.6) / 100.0);
}

// The playfield's sinking filter on its current stage, made when missing.
// Sets `added` when it was made now.
Filter* SinkFilter(Stage& stage, bool& added)
{
    added = false;
    if (Filter* filter = stage.FindFilter(kEasingVelocity, kAttrY))
        return filter;
    added = true;
    return stage.AddFilter(Game().mFilterPool, kEasingVelocity, kAttrY, 0.01f, 0.0009f, 0.983f, 0);
}

// An endless 1000 ms stage holding the object at (x, y).
bool AddStillStage(AnimObject& object, float x, float y)
{
    if (object.AddStage(1000.0f, 1, 1, 1, nullptr) == nullptr)
        return false;
    object.SetStageAttribute(kAttrX, x, x);
    object.SetStageAttribute(kAttrY, y, y);
    return true;
}

// A pooled decoration of the playfield at (x, y), or null when a pool refuses.
AnimObject* AddDecoration(AnimObject& parent, const char* image, float x, float y, float z)
{
    AnimObject* object = AnimObject::TakeFromPool();
    if (object == nullptr)
        return nullptr;
    if (!AddStillStage(*object, 0.0f, 0.0f)) {
        AnimObject::DisposeRecord(object);
        return nullptr;
    }
    object->SetImage(image, 0.0f, 0.0f, 1, 0.0f);
    object->mZOrder = z;
    if (parent.AddChild(object) == nullptr)
        return nullptr;
    object->MoveBy(x, y);
    return object;
}

// Pieces a baked backdrop replaces: plain pictures (of at least that frame
// height), clouds, and the 8-frame 24-px-high sprites.
void FlagBackdropPieces(AnimObject& parent, float minFrameHeight)
{
    for (AnimObject* child = parent.mChildren.Head(); child != nullptr; child = child->mNext) {
        const ImageRecord* image = child->mImage;
        const bool plain = child->mKind == kKindDefault &&
                           (minFrameHeight <= 0.0f || (image != nullptr && image->mFrameHeight >= minFrameHeight));
        const bool sprite = image != nullptr && image->mFrameCount == 8 && image->mFrameHeight == 24.0f;
        if (plain || child->mKind == kKindCloud || sprite)
            child->mRemove = 1;
    }
}

// The parent's first plain child whose picture is taller than the height.
const AnimObject* FirstPlainTallerThan(const AnimObject& parent, float height)
{
    for (const AnimObject* child = parent.mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind == kKindDefault && child->mImage != nullptr && child->mImage->mFrameHeight > height)
            return child;
    }
    return nullptr;
}

// A still copy of the picture far behind everything else.
void AddBackdrop(AnimObject& layer, ImageRecord* picture, float x, float y, bool flipY)
{
    AnimObject* copy = AnimObject::TakeFromPool();
    if (copy == nullptr)
        return;
    if (!AddStillStage(*copy, x, y)) {
        AnimObject::DisposeRecord(copy);
        return;
    }
    copy->SetImageRecord(picture);
    copy->mFlipY = flipY ? 1 : 0;
    copy->mZOrder = -1000.0f;
    copy->mLocal[kAttrX] = x;
    copy->mLocal[kAttrY] = y;
    layer.AddChild(copy);
}

// A strip of the baked layer whose bottom edge is at `bottom`, with a blank
// picture to draw into; null when a pool or the picture is refused. It shows
// its rows up to `top` only (an even count): the rows above would stay blank,
// and a blank opaque strip is a black block where the level shows the sky
// with 3-D, such as above a building sunk out of sight.
AnimObject* MakeStrip(float bottom, float top, bool accelerated)
{
    GameState& game = Game();
    ImageRecord* record = game.mImageCache.CreateBlank(int(kScreenWidth), Layer::kStripImageHeight);
    if (record == nullptr)
        return nullptr;
    AnimObject* strip = AnimObject::TakeFromPool();
    const int rows = std::clamp(2 * int(std::ceil((bottom - top) / 2.0f)), 2, Layer::kStripHeight);
    const float y = bottom - float(rows / 2);
    if (strip == nullptr || !AddStillStage(*strip, 0.0f, y)) {
        if (strip != nullptr)
            AnimObject::DisposeRecord(strip);
        game.mImageCache.Release(record);
        return nullptr;
    }
    strip->SetImageRecord(record);
    record->mUseCount -= 1; // the strip is its only holder
    strip->mSource[0] = 0.0f;
    strip->mSource[1] = float(Layer::kStripHeight - rows);
    strip->mSource[2] = kScreenWidth;
    strip->mSource[3] = float(Layer::kStripHeight);
    strip->mBilinear = 0;
    strip->mSnap = 0;
    strip->mLocal[kAttrY] = y;
    if (!accelerated && record->mImage->GetImage() != nullptr)
        record->mImage->GetImage()->SetImageMode(false, false);
    return strip;
}

// Draws a plain child into the strip whose bottom edge is at `bottom`, where
// its first stage would show it.
void BakeInto(AnimObject& child, float levelX, float bottom)
{
    const Stage* stage = child.CurrentStage();
    if (stage == nullptr)
        return;
    float saved[kAttributeCount];
    std::memcpy(saved, child.mWorld, sizeof saved);
    std::memcpy(child.mWorld, child.mLocal, sizeof child.mWorld);
    child.mWorld[kAttrX] = stage->mStart[kAttrX] + levelX;
    child.mWorld[kAttrY] = stage->mStart[kAttrY] - bottom + float(Layer::kStripHeight);
    for (int code : {int(kAttrXScale), int(kAttrYScale)}) {
        if (stage->mStart[code] != 0.0f && stage->mStart[code] != 1.0f)
            child.mWorld[code] = stage->mStart[code];
    }
    if (child.mVisible != 0)
        child.DrawSelf();
    child.DrawChildren();
    std::memcpy(child.mWorld, saved, sizeof saved);
}

} // namespace

Layer::Layer()
{
    mKind = kKindLayer;
}

Layer::~Layer()
{
    // The strips' pictures live outside the image cache; at shut-down (no
    // screen left) the strips would no longer give them back.
    for (AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext) {
        if (std::find(mStrips.begin(), mStrips.end(), child) == mStrips.end() || child->mImage == nullptr)
            continue;
        ImageRecord* record = child->mImage;
        child->mImage = nullptr;
        record->mUseCount -= 1;
        if (record->mUseCount < 1)
            delete record;
    }
}

void Layer::ReadXmlAttributes(const ObjectXmlElement& element)
{
    mMerged = element.GetAttributeInt("merged");
    AnimObject::ReadXmlAttributes(element);
    if (NameIs(*this, "background") || (NameIs(*this, "tiles") && CurrentMode() != kModeSurvival))
        mMerged = 1;
}

void Layer::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "layer");
    WriteXmlIntAttribute(out, "merged", mMerged);
    AnimObject::WriteTypeAttributes(out);
}

void Layer::InitAfterLoad()
{
    AnimObject::InitAfterLoad();
    if (std::strstr(mName, "plate_container") != nullptr && mParent != nullptr) {
        const AnimObject* last = mParent->mChildren.Tail();
        if (last != nullptr)
            SetZOrder(last->mZOrder + 1.0f);
    }
}

int Layer::Update()
{
    GameState& game = Game();
    UpdateExtent();
    const bool editor = game.EditorOpen();
    if (editor)
        Play().mEditorWasUsed = 1;
    if (mMerged != 0 && Play().mEditorWasUsed == 0 && game.mTutorial == nullptr)
        BuildTiledBackground();

    const int mode = CurrentMode();
    const bool playfield = NameIs(*this, "tiles") && !editor;
    if (playfield && mode == kModeFlood && StageIs(this, "scrolling")) {
        PlayerProfile& profile = game.mProfiles.Current();
        if (profile.mExplainFloodShown == 0) {
            profile.mExplainFloodShown = 1;
            InsertLevelByName("explain_flood");
        }
        if (GetRoot() == game.Topmost())
            ScrollTowardsPoint();
    } else if (playfield && mode == kModeTrickshot && StageIs(this, "still")) {
        ScrollTowardsPoint();
    }
    if (playfield && mode == kModeJourney && StageIs(this, "scrolling"))
        ScrollTowardsPoint();
    else if (playfield && mode == kModeSurvival)
        ScrollEndless();

    return AnimObject::Update();
}

void Layer::UpdateExtent()
{
    if (mExtent == 0.0f || mMerged != 0) {
        mExtentBottom = -999999.0f;
        mExtentTop = 999999.0f;
        for (const AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext) {
            if (child->mKind != kKindDefault || child->mImage == nullptr || child->mRemove != 0)
                continue;
            const float half = (child->mSource[3] - child->mSource[1]) / 2.0f;
            const float y = child->mLocal[kAttrY];
            mExtentBottom = std::max(mExtentBottom, y + half);
            mExtentTop = std::min(mExtentTop, y - half);
        }
        mExtent = mExtentBottom - mExtentTop;
    }

    // Parallax: a layer inside another moves its parent by the ratio of the
    // two extents.
    auto* parent = dynamic_cast<Layer*>(mParent);
    if (CurrentMode() != kModeSurvival && mExtent > 0.0f && parent != nullptr && parent->mExtent != 0.0f &&
        !NameIs(*this, "tiles")) {
        const float ratio = parent->mExtent / mExtent;
        const float old = parent->mLocal[kAttrY];
        parent->mLocal[kAttrY] = mLocal[kAttrY] * ratio;
        mLocal[kAttrY] = mLocal[kAttrY] - (parent->mLocal[kAttrY] - old) * ratio;
    }
}

void Layer::ScrollTowardsPoint()
{
    AnimObject* point = FindHighestOfKind(kKindScrollPoint, nullptr);
    if (point == nullptr || mCurrentStage == nullptr)
        return;
    Stage& stage = *mCurrentStage;
    const bool journey = CurrentMode() == kModeJourney;
    const bool scrolling = StageContains(this, "scrolling");
    bool added = false;
    Filter* filter = SinkFilter(stage, added);
    if (added) {
        if (filter != nullptr && journey && scrolling)
            filter->mAmplitude = 0.0f;
    } else {
        const TuningParameters& tuning = Tuning();
        const float pointY = point->mWorld[kAttrY];
        const float d = std::fabs(tuning.mScrollingSlowPoint - pointY) / (kScreenHeight / 4.0f);
        float speed = d <= 1.0f ? d + tuning.mBaseScrollSpeed + Difficulty() : std::min(d * d, 10.0f);
        if (journey)
            speed = std::min(speed * 3.0f, 6.0f);
        if (pointY > tuning.mScrollingSlowPoint) {
            if (!scrolling)
                stage.mMask &= ~(1u << kAttrY);
            else
                speed = std::min(speed, 0.24f);
            if (journey && scrolling) {
                speed = 0.0f;
                filter->mAmplitude = 0.0f;
            }
        }
        filter->mPeriod = 0.0f;
        filter->mAmplitude = EaseAmplitude(filter->mAmplitude, speed);
    }
    if (mLocal[kAttrY] < 0.0f)
        mLocal[kAttrY] = 0.0f;
}

void Layer::ScrollEndless()
{
    const EndlessEnds ends = CullFarObjects();
    AnimObject* plate = ends.mLowestPlate;
    GenerateEndlessSection(ends);

    if (static_cast<int64_t>(mFrameCounter) % 4000 == 0)
        mEndlessExtraSpeed += 0.00001f;

    if (!StageIs(this, "scrolling") || plate == nullptr || mCurrentStage == nullptr)
        return;
    bool added = false;
    Filter* filter = SinkFilter(*mCurrentStage, added);
    if (added || filter == nullptr)
        return;
    const TuningParameters& tuning = Tuning();
    const float target = tuning.mScrollingSlowPoint - 60.0f;
    const float plateY = plate->mWorld[kAttrY];
    const float d = std::fabs(target - plateY) / (kScreenHeight / 4.0f);
    float speed = d <= 1.0f ? d + tuning.mBaseScrollSpeed * 5.0f : std::min(d * d, 10.0f);
    if (plateY > target && StageContains(this, "scrolling"))
        speed = std::min(speed, 0.44f);
    filter->mPeriod = 0.0f;
    filter->mAmplitude = EaseAmplitude(filter->mAmplitude, speed) + mEndlessExtraSpeed;
    if (mLocal[kAttrY] < 0.0f)
        mLocal[kAttrY] = 0.0f;
}

void Layer::GenerateEndlessSection(const EndlessEnds& ends)
{
    AddPlateRows(ends.mTopPlate);
    BuildBackgroundWall(ends.mTopWall);
    AddSurvivalMarkers();
}

Layer::EndlessEnds Layer::CullFarObjects()
{
    // Culling only flags: the ends found in the same walk are those a walk
    // after it would find, and nothing else moves them before they are used.
    const float limit = 3.0f * kScreenHeight;
    ExtremesByY wall;
    for (AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind != kKindLayer && child->mWorld[kAttrY] > limit)
            child->mRemove = 1;
        if (child->mKind == kKindDefault)
            wall.Offer(*child);
    }
    EndlessEnds ends;
    ends.mTopWall = wall.Lowest();
    AnimObject* inner = Game().mInnerLayer;
    if (inner == nullptr)
        return ends;
    ExtremesByY plates;
    for (AnimObject* child = inner->mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind != kKindLayer && child->mFrameCounter > 100.0f && child->mWorld[kAttrY] > limit)
            child->mRemove = 1;
        if (child->mKind == kKindPlate)
            plates.Offer(*child);
    }
    ends.mLowestPlate = plates.Highest();
    ends.mTopPlate = plates.Lowest();
    return ends;
}

std::string Layer::RandomPlateFile()
{
    const int n = static_cast<int>(std::max(2.0f, mFrameCounter / 7500.0f));
    const uint32_t i = RandomIntRange(0, static_cast<uint32_t>(n));
    const char* name = i < kPlateNameCount ? kPlateNames[i] : kPlateNames[0];
    return std::string("objects\\") + name + "_plate.xml";
}

void Layer::AddPlateRows(AnimObject* topPlate)
{
    AnimObject* inner = Game().mInnerLayer;
    if (inner == nullptr)
        return;
    float rowY = -400.0f;
    if (topPlate != nullptr) {
        if (!(topPlate->mWorld[kAttrY] > -kScreenHeight / 2.0f))
            return;
        rowY = topPlate->mLocal[kAttrY];
    }
    PlayState& run = Play();
    run.mRowParity = 1 - run.mRowParity;
    const float topHalfHeight =
        topPlate != nullptr && topPlate->mImage != nullptr ? topPlate->mImage->mFrameHeight / 2.0f : 0.0f;

    float x = 0.0f;
    for (;;) {
        const std::string file = RandomPlateFile();
        AnimObject* plate = LoadObjectFromFile(file.c_str(), inner);
        // A file that builds nothing with a picture has no size to place: the row ends.
        if (plate == nullptr || plate->mImage == nullptr) {
            if (plate != nullptr)
                plate->mRemove = 1;
            return;
        }
        const float width = plate->mImage->mFrameWidth;
        float y = rowY - 20.0f;
        if (topPlate != nullptr)
            y -= topHalfHeight + plate->mImage->mFrameHeight / 2.0f;
        if (x != 0.0f || run.mRowParity == 1)
            x += width / 2.0f + kRowGap;
        if (width / 2.0f + x > kRowHalfWidth || x > kRowLastCentre) {
            plate->mRemove = 1;
            return;
        }
        plate->MoveBy(x, y);
        if (x != 0.0f) {
            if (AnimObject* twin = LoadObjectFromFile(file.c_str(), inner))
                twin->MoveBy(-x, y);
        }
        x += width / 2.0f + kRowGap;
    }
}

void Layer::BuildBackgroundWall(AnimObject* topWall)
{
    if (topWall == nullptr)
        return;
    const float worldY = topWall->mWorld[kAttrY];
    if (!(worldY > -kScreenHeight / 2.0f && worldY < 0.0f))
        return;
    const float rowY = topWall->mLocal[kAttrY] - 80.0f;
    PlayState& run = Play();
    run.mWallCountdown -= 1;
    for (int x = -kWallEdge; x <= kWallEdge; x += kWallStep) {
        const bool side = x == -kWallEdge || x == kWallEdge;
        AnimObject* tile = AddDecoration(*this, side ? kWallSideImage : kBrickImage, static_cast<float>(x), rowY, 0.0f);
        if (tile == nullptr)
            return;
        tile->mFlipX = x == kWallEdge ? 1 : 0;
        tile->mBilinear = 0;
        // The tile keeps its picture's own source: one asking for a pixel more
        // than the picture has is not drawn at all by the plain blit, and
        // drawn half a pixel off by the turned one, which opens seams.
        if (run.mWallCountdown >= 1 || side)
            continue;
        if (RandomIntRange(2, 4) != 2)
            continue;
        run.mWallCountdown = 3;
        if (RandomIntRange(0, 1) == 0) {
            tile->mRemove = 1;
            AddDecoration(*this, kGrateImage, static_cast<float>(x), rowY, 1.0f);
        } else {
            AddDecoration(*this, kIvyImage, static_cast<float>(x), rowY, 1.0f);
            AddDecoration(*this, kIvyImage, static_cast<float>(-x), rowY, 1.0f);
        }
    }
}

void Layer::AddSurvivalMarkers()
{
    GameState& game = Game();
    AnimObject* level = game.mLevel;
    if (level == nullptr)
        return;
    const int64_t ms = static_cast<int64_t>(level->mFrameCounter) * 4;
    const int64_t minutes = ms / 60000;
    if (ms % 60000 != 0 || ms <= 50000 || !StageContains(this, "scroll"))
        return;

    char text[64];
    std::snprintf(text, sizeof text, "gfx\\survival_marker_%d.png", static_cast<int>(((minutes - 1) / 10) % 6));
    AnimObject* marker = AnimObject::TakeFromPool();
    if (marker == nullptr)
        return;
    std::snprintf(marker->mName, sizeof marker->mName, "%s", "endless_marker");
    marker->mZOrder = 9.0f;
    marker->SetImage(text, 0.0f, 0.0f, 1, 0.0f);
    const float frameHeight = marker->mImage != nullptr ? marker->mImage->mFrameHeight : 0.0f;
    const float y = static_cast<float>((minutes - 1) % 10) * (frameHeight + 8.0f) - 260.0f;
    bool complete = marker->AddStage(130.0f, 0, 0, 1, nullptr) != nullptr;
    if (complete) {
        marker->SetStageAttribute(kAttrXScale, 0.0f, 1.0f);
        marker->SetStageAttribute(kAttrYScale, 0.0f, 1.0f);
        marker->SetStageAttribute(kAttrX, 385.0f, 385.0f);
        marker->SetStageAttribute(kAttrY, y, y);
        marker->AddFilter(kEasingSined, kAttrXScale, 0.5f, 0.5f, 0.0f);
        marker->AddFilter(kEasingSined, kAttrYScale, 0.5f, 0.5f, 0.0f);
        marker->AddEventByName("end", "make_sparkles", "14", nullptr, nullptr, nullptr, nullptr);
        // The sound of "play_sound" is its third parameter.
        marker->AddEventByName("start", "play_sound", nullptr, nullptr, "audio\\minute.ogg", nullptr, nullptr);
        complete = AddStillStage(*marker, 385.0f, y);
    }
    if (!complete) {
        AnimObject::DisposeRecord(marker);
        return;
    }
    level->AddChild(marker);

    auto* label = new (std::nothrow) TextObject;
    if (label == nullptr)
        return;
    std::snprintf(text, sizeof text, "%d MINUTE%s", static_cast<int>(minutes), minutes >= 2 ? "S" : " ");
    label->SetText(text, "gfx\\font1_small.png", -1.0f, 0, StripFont::kJustifyRight);
    const float labelY = y + 2.0f;
    const struct {
        float ms;
        float scaleStart, scaleEnd, alphaStart, alphaEnd;
    } kLabelStages[] = {{100.0f, 0.1f, 0.8f, 0.0f, 1.0f}, {1000.0f, 0.8f, 0.8f, 1.0f, 1.0f},
                        {100.0f, 0.8f, 0.1f, 1.0f, 0.0f}};
    for (const auto& s : kLabelStages) {
        if (label->AddStage(s.ms, 0, 0, 1, nullptr) == nullptr)
            break;
        label->SetStageAttribute(kAttrX, 360.0f, 360.0f);
        label->SetStageAttribute(kAttrY, labelY, labelY);
        label->SetStageAttribute(kAttrXScale, s.scaleStart, s.scaleEnd);
        label->SetStageAttribute(kAttrYScale, s.scaleStart, s.scaleEnd);
        label->SetStageAttribute(kAttrAlpha, s.alphaStart, s.alphaEnd);
        if (&s == &kLabelStages[0])
            label->AddFilter(kEasingSquared, kAttrAll, 1.0f, 0.0f, 0.0f);
    }
    if (level->AddChild(label) == nullptr)
        delete label;
}

void Layer::BuildTiledBackground()
{
    GameState& game = Game();
    const bool accelerated = game.mPlatform != nullptr && game.mPlatform->Is3DAccelerated();
    if (!accelerated && CurrentMode() == kModeSurvival && std::strstr(mName, "background") != nullptr) {
        FlagBackdropPieces(*this, 0.0f);
        // The Survival sky: the level's full-screen picture, once.
        const AnimObject* tall = mParent != nullptr ? FirstPlainTallerThan(*mParent, kScreenHeight - 10.0f) : nullptr;
        if (tall != nullptr)
            AddBackdrop(*this, tall->mImage, 0.0f, 0.0f, false);
    } else if (!accelerated && std::strstr(mName, "tiles") != nullptr) {
        if (mParent != nullptr)
            FlagBackdropPieces(*mParent, 0.0f);
        AnimObject* grandparent = mParent != nullptr ? mParent->mParent : nullptr;
        const AnimObject* tall =
            grandparent != nullptr ? FirstPlainTallerThan(*grandparent, kScreenHeight - 10.0f) : nullptr;
        const AnimObject* topmost = TopmostChild();
        const bool levelSelect = game.mProfiles.Current().mLevelSelect != 0;
        // Without the picture or a top to reach, there is nothing to tile.
        if (tall != nullptr && (levelSelect || (topmost != nullptr && topmost->CurrentStage() != nullptr))) {
            const float limit =
                levelSelect ? -2244.0f : topmost->CurrentStage()->mEnd[kAttrY] - 2.0f * kScreenHeight;
            ImageRecord* picture = tall->mImage;
            bool flipped = true;
            for (float y = 0.0f; y > limit; y -= kScreenHeight - 2.0f) {
                if (flipped)
                    AddBackdrop(*this, picture, 1.0f, y + 1.0f, true);
                else
                    AddBackdrop(*this, picture, 0.0f, y, false);
                flipped = !flipped;
            }
            FlagBackdropPieces(*grandparent, kScreenHeight + 1.0f);
        }
    }

    for (AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind == kKindDefault && child->CurrentStage() != nullptr) {
            child->mLocal[kAttrX] = child->CurrentStage()->mStart[kAttrX];
            child->mLocal[kAttrY] = child->CurrentStage()->mStart[kAttrY];
        }
    }
    UpdateExtent();

    const Stage* levelStage = game.mLevel != nullptr ? game.mLevel->CurrentStage() : nullptr;
    const float levelX = levelStage != nullptr ? levelStage->mStart[kAttrX] : 0.0f;
    // The strips are opaque: they stand where the lowest picture they bake
    // stood, behind the layer's other children (the Survival wall, plates).
    float stripZ = 0.0f;
    bool anyPlain = false;
    for (const AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind == kKindDefault && child->mRemove == 0) {
            stripZ = anyPlain ? std::min(stripZ, child->mZOrder) : child->mZOrder;
            anyPlain = true;
        }
    }
    ObjectList<AnimObject> strips;
    for (float step = mExtentBottom; step > mExtentTop; step -= float(kStripHeight)) {
        AnimObject* strip = MakeStrip(step, mExtentTop, accelerated);
        if (strip == nullptr)
            break;
        strip->mZOrder = stripZ;
        strips.Append(strip);
        if (game.mPlatform == nullptr)
            continue;
        game.mPlatform->SetRenderTarget(strip->mImage->mImage.get());
        for (AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext) {
            if (child->mKind == kKindDefault && child->mRemove == 0)
                BakeInto(*child, levelX, step);
        }
        game.mPlatform->ClearRenderTarget();
        strip->mImage->mImage->BitsChanged();
    }

    for (AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind == kKindDefault)
            child->mRemove = 1;
    }
    while (AnimObject* strip = strips.Head()) {
        strips.Unlink(strip);
        AddChild(strip);
        mStrips.push_back(strip);
    }
    mMerged = 0;
}

#include "game/play/LevelSelect.h"

#include "game/engine/AttributeCode.h"
#include "game/engine/EasingKind.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/LevelRecord.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/ObjectXmlReader.h"
#include "game/engine/Stage.h"
#include "game/play/GameModes.h"
#include "game/play/Layer.h"
#include "game/play/Quotes.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr float kFirstThumbnailX = 100.0f;
constexpr float kThumbnailY = -110.0f;
constexpr float kWinSequenceShift = 90.0f;
// One thumbnail for every nine buildings; the strip advances by a ninth of
// a thumbnail per building.
constexpr int kBuildingsPerThumbnail = 9;
constexpr float kMarkerShiftX = 440.0f;
constexpr float kMarkerBelowMap = 190.0f;

float FrameWidth(const ImageRecord& image)
{
    return image.mFrameWidth > 0.0f ? image.mFrameWidth : image.mWidth;
}

// The width of a picture, loaded for the question; 0 when it cannot be loaded.
float PictureWidth(const char* name)
{
    ImageRecord* image = Game().mImageCache.Get(name);
    if (image == nullptr)
        return 0.0f;
    const float width = FrameWidth(*image);
    GameState::ReleaseHeldImage(image);
    return width;
}

// The "thumbnail" of a record's first tag, or empty.
std::string ThumbnailOf(const LevelRecord& record)
{
    if (!record.mText)
        return std::string();
    ObjectXmlReader reader(record.mText.get(), record.mFileName);
    ObjectXmlElement element;
    if (!reader.Next(element))
        return std::string();
    const char* thumbnail = element.GetAttribute("thumbnail");
    return thumbnail != nullptr ? thumbnail : "";
}

void SetPosition(AnimObject& object, float x, float y)
{
    object.SetStageAttribute(kAttrX, x, x);
    object.SetStageAttribute(kAttrY, y, y);
}

} // namespace

LevelSelect::LevelSelect()
{
    mKind = kKindLevelSelect;
}

float LevelSelect::TotalWidth() const
{
    if (const auto* layer = dynamic_cast<const Layer*>(mParent))
        return layer->mHorizontalExtent;
    return mTotalWidth;
}

void LevelSelect::AddToTotalWidth(float width)
{
    if (auto* layer = dynamic_cast<Layer*>(mParent))
        layer->mHorizontalExtent += width;
    else
        mTotalWidth += width;
}

void LevelSelect::ReadXmlAttributes(const ObjectXmlElement& element)
{
    AnimObject::ReadXmlAttributes(element);
    BuildStrip();
}

void LevelSelect::BuildStrip()
{
    ModeState& modes = Modes();
    mLaidOut = 0;
    mTotalWidth = 0.0f;
    if (auto* layer = dynamic_cast<Layer*>(mParent))
        layer->mHorizontalExtent = 0.0f;
    float x = kFirstThumbnailX;
    int index = 0;
    float previousMarkerX = 0.0f;
    const int progress = CurrentProgress();

    for (const LevelRecord* record = ModeLevelList(CurrentMode()).Head(); record != nullptr;
         record = record->mNext) {
        const std::string thumbnail = ThumbnailOf(*record);
        if (thumbnail.empty())
            continue;
        const bool winSequence = std::strstr(record->mName, "win_seq") != nullptr;
        const float width = PictureWidth(thumbnail.c_str());
        if (index % kBuildingsPerThumbnail == 1 || winSequence) {
            if (AnimObject* picture = AddChild(nullptr)) {
                picture->AddStage(1000.0f, 1, 1, 1, nullptr);
                picture->SetZOrder(modes.thumbnailZ);
                modes.thumbnailZ -= 0.001f;
                const float at = winSequence ? x + kWinSequenceShift : x;
                SetPosition(*picture, at, kThumbnailY);
                picture->mLocal[kAttrX] = at;
                picture->mLocal[kAttrY] = kThumbnailY;
                picture->SetImage(thumbnail.c_str(), 0.0f, 0.0f, 1, 0.0f);
                if (picture->mImage != nullptr)
                    AddToTotalWidth(FrameWidth(*picture->mImage));
            }
        }
        const float markerX = x - kMarkerShiftX;
        const float markerY = mLocal[kAttrY] + kMarkerBelowMap;
        if (previousMarkerX == 0.0f)
            previousMarkerX = markerX - 120.0f;
        if (index == progress && mParent != nullptr) {
            AnimObject* marker = mParent->AddChild(nullptr);
            if (marker != nullptr) {
                CopyToField(marker->mName, "marker");
                marker->SetImage("gfx\\levelselect\\ls_shooter.png", 0.0f, 0.0f, 1, 0.0f);
                marker->mClipLeft = -999999;
                marker->mClipTop = 0;
                marker->mClipRight = 999999;
                marker->mClipBottom = 580;
                marker->AddStage(1500.0f, 0, 0, 1, nullptr);
                SetPosition(*marker, previousMarkerX, markerY);
                marker->AddStage(2000.0f, 0, 0, 1, nullptr);
                marker->SetStageAttribute(kAttrX, previousMarkerX, markerX);
                marker->SetStageAttribute(kAttrY, markerY, markerY);
                marker->AddFilter(kEasingSuperCos, kAttrAll, 1.0f, 0.0f, 0.0f);
                marker->AddStage(1000.0f, 1, 1, 1, nullptr);
                SetPosition(*marker, markerX, markerY);
                marker->mLocal[kAttrX] = previousMarkerX;
                marker->mLocal[kAttrY] = markerY;
                marker->SetZOrder(12.0f);
            }
            modes.nextLevelNumber = uint32_t(index);
        }
        previousMarkerX = markerX;
        ++index;
        if (width > 0.0f)
            x += width / float(kBuildingsPerThumbnail) - 4.0f;
    }
    mThumbnailCount = float(index);
    ShowLevelQuote();
}

void LevelSelect::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "level_select");
}

int LevelSelect::Update()
{
    mUpdated = true;
    return AnimObject::Update();
}

void LevelSelect::LayOut()
{
    mLaidOut = 1;
    AnimObject* screen = GetRoot();
    AnimObject* outer = screen != nullptr ? screen->FindChildOfKind(kKindLayer) : nullptr;
    AnimObject* inner = outer != nullptr ? outer->FindChildOfKind(kKindLayer) : nullptr;
    if (outer == nullptr || inner == nullptr)
        return;
    Stage* outerFirst = outer->mStages.Head();
    Stage* innerFirst = inner->mStages.Head();
    if (outerFirst == nullptr || innerFirst == nullptr)
        return;

    const auto* innerLayer = dynamic_cast<const Layer*>(inner);
    float start = -(innerLayer != nullptr ? innerLayer->mHorizontalExtent : TotalWidth()) / 2.0f;
    float end = 0.0f;
    AnimObject* marker = mParent != nullptr ? mParent->FindChildByName("marker") : nullptr;
    const Stage* markerStage = marker != nullptr ? marker->CurrentStage() : nullptr;
    if (markerStage != nullptr)
        end = std::min(0.0f, -markerStage->mEnd[kAttrX] / 2.0f);

    if (CurrentProgress() < 1) {
        // A new player watches the whole strip go by, at half speed.
        outerFirst->mLength *= 2.0f;
        innerFirst->mLength *= 2.0f;
    } else {
        start = end;
        if (marker != nullptr && marker->mStages.Head() != nullptr)
            marker->mStages.Head()->mLength /= 4.0f;
    }
    outerFirst->SetAttribute(kAttrX, start, end);
    innerFirst->SetAttribute(kAttrX, start, end);
}

void LevelSelect::Draw()
{
    if (!mUpdated)
        return;
    if (mLaidOut == 0)
        LayOut();
    AnimObject::Draw();
}

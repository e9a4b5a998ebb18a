#include "game/engine/AnimObject.h"

#include "game/engine/EasingKind.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/Filter.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageCache.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/PickNode.h"
#include "game/engine/Platform.h"
#include "game/engine/ScreenAccess.h"
#include "game/engine/SoundLayer.h"
#include "game/engine/Stage.h"

#include <cmath>
#include <cstring>

namespace {

constexpr float kDegreesToRadians = 0.017453292f;

bool IsMarker(float value) { return value == kValueFromObject || value == kValueFromPreviousStage; }

// Shifts a stage value unless it is one of the two marker values, which stand
// for values taken when the stage is entered.
void ShiftUnlessMarker(float& value, float by)
{
    if (!IsMarker(value))
        value += by;
}

} // namespace

AnimObject::AnimObject() { InitRecord(); }

AnimObject::~AnimObject() { ReleaseContents(); }

AnimObject* AnimObject::TakeFromPool()
{
    GameState* game = GameState::TryCurrent();
    return game != nullptr ? game->mObjectPool.Take() : nullptr;
}

void AnimObject::InitRecord()
{
    mFrameCounter = 0.0f;
    mZOrder = 0.0f;
    std::memset(mSource, 0, sizeof mSource);
    mParent = nullptr;
    mImage = nullptr;
    mParticleImage = nullptr;
    mName[0] = '\0';
    mKind = 0;
    mRemove = 0;
    mShadow = 0;
    mClipLeft = mClipTop = mClipRight = mClipBottom = 0;
    mTilesLeft = mTilesRight = mTilesUp = mTilesDown = 0;
    mBilinear = 1;
    mPoolInUse = 0;
    mSelectable = 0;
    mSnap = 1;
    mFlipX = mFlipY = 0;
    mFullscreenOnly = 0;
    mNoCull = 0;
    mHot = 0;
    mBlitStyle = 0;
    mFileName.clear();
    mVisible = 1;
    mCurrentStage = nullptr;
    mStageRefused = false;
    mChildrenUnordered = false;
    mKindCache.clear();
    mKindCacheChanges = UINT64_MAX;
    for (int i = 0; i < kAttributeCount; ++i) {
        mWorld[i] = kAttributeDefaults[i];
        mLocal[i] = kAttributeDefaults[i];
    }
}

void AnimObject::DisposeRecord(AnimObject* object)
{
    if (object->mPoolInUse != 0) {
        object->ReleaseContents();
        object->mPoolInUse = 0;
        return;
    }
    delete object;
}

void AnimObject::ReleaseContents()
{
    GameState* game = GameState::TryCurrent();
    if (game != nullptr)
        game->ForgetObject(this);
    mFileName.clear();
    mCurrentStage = nullptr;
    mStages.RemoveAll();
    mChildren.RemoveAll();
    ReleaseImage();
    mParent = nullptr;
}

void AnimObject::ReleaseImage()
{
    if (mImage == nullptr)
        return;
    // After the last screen is gone (shut-down) the cache frees what is left itself.
    GameState* game = GameState::TryCurrent();
    if (game != nullptr && !game->mLiveObjects.IsEmpty()) {
        mImage->mUseCount -= 1;
        if (mImage->mUseCount < 1)
            game->mImageCache.Release(mImage);
    }
    mImage = nullptr;
}

// ---- The tick.

int AnimObject::Update()
{
    if (mRemove != 0)
        return 0;
    if (mFrameCounter == 0.0f)
        OnFirstUpdate();
    for (int i = 0; i < kAttributeCount; ++i)
        mWorld[i] = kAttributeDefaults[i];

    GameState* game = GameState::TryCurrent();
    bool running = false;
    if (mCurrentStage != nullptr)
        running = mCurrentStage->Step(*this, game != nullptr && game->EditorOpen());
    RefreshWorld();
    SelectFrame();
    if (mFullscreenOnly != 0) {
        Platform* platform = game != nullptr ? game->mPlatform : nullptr;
        if (platform != nullptr && platform->IsWindowed())
            mVisible = 0;
        else if (mCurrentStage != nullptr)
            mVisible = mCurrentStage->mVisible;
    }
    UpdateChildren();
    // An event of the step may have changed the stage; a stage just set has
    // tick counter 0 and runs first.
    if (!running && mCurrentStage != nullptr && mCurrentStage->mTicks != 0.0f)
        AdvanceStage();
    mFrameCounter += 1.0f;
    return mCurrentStage != nullptr ? 1 : 0;
}

void AnimObject::UpdateChildren()
{
    if (mChildren.IsEmpty())
        return;
    for (ObjectList<AnimObject>::Walk walk(mChildren); AnimObject* child = walk.Next();) {
        // A child that has moved to another parent meanwhile is that parent's to remove.
        if (child->Update() == 0)
            mChildren.Remove(child);
    }
}

void AnimObject::RefreshWorld()
{
    std::memcpy(mWorld, mLocal, sizeof mWorld);
    if (mParent == nullptr)
        return;
    // LocalToWorldX/Y in one go: the parent's rotation is turned into a sine
    // and cosine once.
    const float* parent = mParent->mWorld;
    float x = mLocal[kAttrX];
    float y = mLocal[kAttrY];
    if (parent[kAttrRotation] != 0.0f) {
        const float a = -parent[kAttrRotation] * kDegreesToRadians;
        const float c = std::cos(a);
        const float s = std::sin(a);
        const float rx = x * c - y * s;
        y = y * c + x * s;
        x = rx;
    }
    mWorld[kAttrX] = x * parent[kAttrXScale] + parent[kAttrX];
    mWorld[kAttrY] = y * parent[kAttrYScale] + parent[kAttrY];
    mWorld[kAttrRotation] = mLocal[kAttrRotation] + parent[kAttrRotation];
    mWorld[kAttrXScale] = mLocal[kAttrXScale] * parent[kAttrXScale];
    mWorld[kAttrYScale] = mLocal[kAttrYScale] * parent[kAttrYScale];
    mWorld[kAttrAlpha] = mLocal[kAttrAlpha] * parent[kAttrAlpha];
    mWorld[kAttrR] = mLocal[kAttrR] * parent[kAttrR];
    mWorld[kAttrG] = mLocal[kAttrG] * parent[kAttrG];
    mWorld[kAttrB] = mLocal[kAttrB] * parent[kAttrB];
}

void AnimObject::SelectFrame()
{
    if (mImage == nullptr || mImage->mFrames == nullptr || mImage->mFrameCount < 1)
        return;
    int frame = SaturateToInt(mWorld[kAttrFrameNumber]);
    if (frame < 0)
        frame = 0;
    if (frame > mImage->mFrameCount - 1)
        frame = mImage->mFrameCount - 1;
    const ImageFrame& rect = mImage->mFrames[frame];
    mSource[0] = rect.mX0;
    mSource[1] = rect.mY0;
    mSource[2] = rect.mX1;
    mSource[3] = rect.mY1;
}

// ---- Coordinates.

float AnimObject::LocalToWorldX(float x, float y) const
{
    if (mParent == nullptr)
        return 0.0f;
    const float* parent = mParent->mWorld;
    float rx = x;
    if (parent[kAttrRotation] != 0.0f) {
        const float a = -parent[kAttrRotation] * kDegreesToRadians;
        rx = x * std::cos(a) - y * std::sin(a);
    }
    return rx * parent[kAttrXScale] + parent[kAttrX];
}

float AnimObject::LocalToWorldY(float x, float y) const
{
    if (mParent == nullptr)
        return 0.0f;
    const float* parent = mParent->mWorld;
    float ry = y;
    if (parent[kAttrRotation] != 0.0f) {
        const float a = -parent[kAttrRotation] * kDegreesToRadians;
        ry = y * std::cos(a) + x * std::sin(a);
    }
    return ry * parent[kAttrYScale] + parent[kAttrY];
}

float AnimObject::WorldToLocalX(float x) const { return mParent != nullptr ? x - mParent->mWorld[kAttrX] : 0.0f; }

float AnimObject::WorldToLocalY(float y) const { return mParent != nullptr ? y - mParent->mWorld[kAttrY] : 0.0f; }

// ---- The tree.

AnimObject* AnimObject::AddChild(AnimObject* child)
{
    if (child == nullptr)
        child = TakeFromPool();
    if (child == nullptr || IsWithin(child))
        return nullptr;
    if (child->mList != nullptr)
        child->mList->Unlink(child);
    child->mParent = this;
    InsertByZ(child);
    return child;
}

AnimObject* AnimObject::AppendChild(AnimObject* child)
{
    if (child == nullptr)
        child = TakeFromPool();
    if (child == nullptr || IsWithin(child))
        return nullptr;
    if (child->mList != nullptr)
        child->mList->Unlink(child);
    child->mParent = this;
    mChildren.Append(child);
    mChildrenUnordered = true;
    return child;
}

void AnimObject::InsertByZ(AnimObject* child)
{
    // After every child of lower or equal z: equal z keeps insertion order.
    // While the children are in z order, one at or above the last child's z
    // goes to the end without a walk (an emitter's many equal-z particles).
    const AnimObject* tail = mChildren.Tail();
    if (!mChildrenUnordered && (tail == nullptr || child->mZOrder >= tail->mZOrder)) {
        mChildren.Append(child);
        return;
    }
    AnimObject* before = mChildren.Head();
    while (before != nullptr && child->mZOrder >= before->mZOrder)
        before = before->mNext;
    mChildren.InsertBefore(child, before);
}

void AnimObject::SetZOrder(float z)
{
    mZOrder = z;
    if (mParent == nullptr || !mParent->mChildren.Contains(this))
        return;
    AnimObject* before = mParent->mChildren.Head();
    while (before != nullptr && (before == this || z >= before->mZOrder))
        before = before->mNext;
    mParent->mChildren.MoveBefore(this, before);
}

AnimObject* AnimObject::AddChildOnTop(AnimObject* child)
{
    if (child == nullptr || child->mList != nullptr || IsWithin(child))
        return nullptr;
    // Raised to the last child's z, insertion by z puts it at the tail
    // without a walk while the children are in order.
    const AnimObject* tail = mChildren.Tail();
    if (tail != nullptr && child->mZOrder < tail->mZOrder)
        child->mZOrder = tail->mZOrder;
    return AddChild(child);
}

void AnimObject::Reparent(AnimObject* object, int sorted)
{
    if (object == nullptr)
        return;
    // Never under itself or one of its own descendants.
    if (IsWithin(object))
        return;
    object->RefreshWorld();
    const float oldX = object->mLocal[kAttrX];
    const float oldY = object->mLocal[kAttrY];
    const float worldX = object->mWorld[kAttrX];
    const float worldY = object->mWorld[kAttrY];
    if (object->mList != nullptr)
        object->mList->Unlink(object);
    object->mParent = this;
    if (sorted != 0)
        InsertByZ(object);
    else {
        mChildren.Append(object);
        mChildrenUnordered = true;
    }
    const float newX = object->WorldToLocalX(worldX);
    const float newY = object->WorldToLocalY(worldY);
    for (Stage* stage = object->mStages.Head(); stage != nullptr; stage = stage->mNext) {
        if (stage->mStart[kAttrX] != 0.0f || stage->mEnd[kAttrX] != 0.0f) {
            ShiftUnlessMarker(stage->mStart[kAttrX], newX - oldX);
            ShiftUnlessMarker(stage->mEnd[kAttrX], newX - oldX);
        }
        if (stage->mStart[kAttrY] != 0.0f || stage->mEnd[kAttrY] != 0.0f) {
            ShiftUnlessMarker(stage->mStart[kAttrY], newY - oldY);
            ShiftUnlessMarker(stage->mEnd[kAttrY], newY - oldY);
        }
    }
    object->mLocal[kAttrX] = newX;
    object->mLocal[kAttrY] = newY;
}

bool AnimObject::IsWithin(const AnimObject* object) const
{
    for (const AnimObject* up = this; up != nullptr; up = up->mParent) {
        if (up == object)
            return true;
    }
    return false;
}

AnimObject* AnimObject::GetRoot()
{
    AnimObject* root = this;
    while (root->mParent != nullptr)
        root = root->mParent;
    return root;
}

AnimObject* AnimObject::FindChildByName(const char* name, AnimObject* after) const
{
    if (name == nullptr)
        return nullptr;
    if (after != nullptr && !mChildren.Contains(after))
        return nullptr;
    for (AnimObject* child = after != nullptr ? after->mNext : mChildren.Head(); child != nullptr; child = child->mNext) {
        if (std::strcmp(child->mName, name) == 0)
            return child;
    }
    return nullptr;
}

AnimObject* AnimObject::FindChildOfKind(int kind, AnimObject* after) const
{
    if (after != nullptr && !mChildren.Contains(after))
        return nullptr;
    for (AnimObject* child = after != nullptr ? after->mNext : mChildren.Head(); child != nullptr; child = child->mNext) {
        if (child->mKind == kind)
            return child;
    }
    return nullptr;
}

int AnimObject::CountChildrenOfKind(int kind) const
{
    int count = 0;
    for (const AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext)
        count += child->mKind == kind ? 1 : 0;
    return count;
}

const std::vector<AnimObject*>& AnimObject::ChildrenOfKind(int kind)
{
    if (kind != mKindCacheKind || mChildren.Changes() != mKindCacheChanges) {
        mKindCache.clear();
        for (AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext) {
            if (child->mKind == kind)
                mKindCache.push_back(child);
        }
        mKindCacheKind = kind;
        mKindCacheChanges = mChildren.Changes();
    }
    return mKindCache;
}

AnimObject* AnimObject::TopmostChild() const
{
    AnimObject* best = mChildren.Head();
    for (AnimObject* child = best; child != nullptr; child = child->mNext) {
        if (child->mLocal[kAttrY] < best->mLocal[kAttrY])
            best = child;
    }
    return best;
}

AnimObject* AnimObject::NearestSiblingOfKind(int kind)
{
    if (mParent == nullptr)
        return nullptr;
    AnimObject* nearest = nullptr;
    float nearestDistance = 0.0f;
    for (AnimObject* sibling = mParent->mChildren.Head(); sibling != nullptr; sibling = sibling->mNext) {
        if (sibling == this || sibling->mKind != kind)
            continue;
        if (!sibling->HitTestPoint(GameState::kScreenWidth / 2, GameState::kScreenHeight / 2, GameState::kScreenWidth,
                                   GameState::kScreenHeight, 0.0f))
            continue;
        const float distance = DistanceTo(*sibling);
        if (nearest == nullptr || distance < nearestDistance) {
            nearest = sibling;
            nearestDistance = distance;
        }
    }
    return nearest;
}

void AnimObject::CollectObjectsAt(float x, float y, ObjectList<PickNode>& list, int allKinds)
{
    if (mSelectable != 0 && mImage != nullptr && HitTestPoint(x, y, 1.0f, 1.0f, 0.0f)) {
        list.Append(new PickNode(this));
        if (mCurrentStage != nullptr)
            mCurrentStage->mTicks = 0.0f;
        Update();
    }
    for (ObjectList<AnimObject>::Walk walk(mChildren); AnimObject* child = walk.Next();) {
        if (child->mKind != kKindLayer || allKinds != 0)
            child->CollectObjectsAt(x, y, list, allKinds);
    }
}

void AnimObject::CollectObjectsOfKind(ObjectList<PickNode>& list, int kind)
{
    if (mKind == kind)
        list.Append(new PickNode(this));
    for (AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext)
        child->CollectObjectsOfKind(list, kind);
}

// ---- Images.

void AnimObject::SetImage(const char* name, float frameWidth, float frameHeight, int frameCount, float framesPerSecond)
{
    GameState* game = GameState::TryCurrent();
    ImageRecord* record =
        game != nullptr && name != nullptr ? game->mImageCache.Get(name, frameWidth, frameHeight, frameCount, framesPerSecond)
                                           : nullptr;
    ReleaseImage();
    mImage = record;
    if (record != nullptr) {
        mSource[0] = 0.0f;
        mSource[1] = 0.0f;
        mSource[2] = record->mWidth;
        mSource[3] = record->mHeight;
    }
}

void AnimObject::SetImageRecord(ImageRecord* record)
{
    if (record == mImage)
        return;
    if (record != nullptr)
        record->mUseCount += 1;
    ReleaseImage();
    mImage = record;
    if (record != nullptr) {
        mSource[0] = 0.0f;
        mSource[1] = 0.0f;
        mSource[2] = record->mWidth - 1.0f;
        mSource[3] = record->mHeight - 1.0f;
    }
}

void AnimObject::CopyImageFrom(const AnimObject& other) { SetImageRecord(other.mImage); }

// ---- Queries.

float AnimObject::DistanceTo(const AnimObject& other) const
{
    const float dx = mWorld[kAttrX] - other.mWorld[kAttrX];
    const float dy = mWorld[kAttrY] - other.mWorld[kAttrY];
    return std::sqrt(dx * dx + dy * dy);
}

float AnimObject::AngleFrom(const AnimObject& other) const
{
    const float angle = std::atan2(mWorld[kAttrY] - other.mWorld[kAttrY], mWorld[kAttrX] - other.mWorld[kAttrX]) * 57.29578f;
    return static_cast<float>(SaturateToInt(angle));
}

float AnimObject::GetVelocityX() const
{
    const Filter* filter = mCurrentStage != nullptr ? mCurrentStage->FindFilter(kEasingVelocity, kAttrX) : nullptr;
    return filter != nullptr ? filter->mAmplitude : 0.0f;
}

float AnimObject::GetVelocityY() const
{
    const Filter* filter = mCurrentStage != nullptr ? mCurrentStage->FindFilter(kEasingVelocity, kAttrY) : nullptr;
    return filter != nullptr ? filter->mAmplitude : 0.0f;
}

bool AnimObject::HitTestPoint(float px, float py, float w2, float h2, float angle) const
{
    const float w = (mSource[2] - mSource[0]) * mLocal[kAttrXScale];
    const float h = (mSource[3] - mSource[1]) * mLocal[kAttrYScale];
    const float cx = LocalToWorldX(mLocal[kAttrX], mLocal[kAttrY]);
    const float cy = LocalToWorldY(mLocal[kAttrX], mLocal[kAttrY]);
    if (mLocal[kAttrRotation] == 0.0f && angle == 0.0f)
        return BoxesOverlap(cx, cy, w, h, px, py, w2, h2);
    return RotatedRectsOverlap(cx, cy, w, h, mLocal[kAttrRotation], px, py, w2, h2, angle);
}

bool AnimObject::HitTestObject(const AnimObject& other) const
{
    return HitTestPoint(other.mWorld[kAttrX], other.mWorld[kAttrY],
                        (other.mSource[2] - other.mSource[0]) * other.mLocal[kAttrXScale],
                        (other.mSource[3] - other.mSource[1]) * other.mLocal[kAttrYScale], other.mLocal[kAttrRotation]);
}

int AnimObject::HitTestCircle(float x, float y, float r) const
{
    const float radius = mImage != nullptr ? mImage->mFrameWidth : 0.0f;
    return SaturateToInt(CirclePenetration(LocalToWorldX(mLocal[kAttrX], mLocal[kAttrY]),
                                           LocalToWorldY(mLocal[kAttrX], mLocal[kAttrY]), radius, x, y, r));
}

int AnimObject::HitTestCircle(const AnimObject& other) const
{
    return HitTestCircle(other.mWorld[kAttrX], other.mWorld[kAttrY],
                         other.mImage != nullptr ? other.mImage->mFrameWidth : 0.0f);
}

// ---- Moving the object and its stages.

void AnimObject::AddToAttribute(int code, float value)
{
    if (!IsAttributeCode(code))
        return;
    mWorld[code] += value;
    for (AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext)
        child->AddToAttribute(code, value);
}

void AnimObject::MoveBy(float dx, float dy)
{
    AddToAttribute(kAttrX, dx);
    AddToAttribute(kAttrY, dy);
    mLocal[kAttrX] += dx;
    mLocal[kAttrY] += dy;
    for (Stage* stage = mStages.Head(); stage != nullptr; stage = stage->mNext) {
        ShiftUnlessMarker(stage->mStart[kAttrX], dx);
        ShiftUnlessMarker(stage->mEnd[kAttrX], dx);
        ShiftUnlessMarker(stage->mStart[kAttrY], dy);
        ShiftUnlessMarker(stage->mEnd[kAttrY], dy);
    }
    if (mClipBottom != 0) {
        const int ix = SaturateToInt(dx);
        const int iy = SaturateToInt(dy);
        mClipLeft = SaturateToInt(static_cast<double>(mClipLeft) + ix);
        mClipRight = SaturateToInt(static_cast<double>(mClipRight) + ix);
        mClipTop = SaturateToInt(static_cast<double>(mClipTop) + iy);
        mClipBottom = SaturateToInt(static_cast<double>(mClipBottom) + iy);
    }
    SnapToGrid();
}

void AnimObject::RotateBy(float angle)
{
    AddToAttribute(kAttrRotation, angle);
    mLocal[kAttrRotation] += angle;
    for (Stage* stage = mStages.Head(); stage != nullptr; stage = stage->mNext) {
        ShiftUnlessMarker(stage->mStart[kAttrRotation], angle);
        ShiftUnlessMarker(stage->mEnd[kAttrRotation], angle);
        stage->mMask |= 1u << kAttrRotation;
    }
}

void AnimObject::SnapToGrid()
{
    if (mSnap == 0)
        return;
    const float oldX = mLocal[kAttrX];
    const float oldY = mLocal[kAttrY];
    mLocal[kAttrX] = static_cast<float>(SaturateToInt(oldX) / 10 * 10);
    mLocal[kAttrY] = static_cast<float>(SaturateToInt(oldY) / 10 * 10);
    RefreshWorld();
    const float dx = mLocal[kAttrX] - oldX;
    const float dy = mLocal[kAttrY] - oldY;
    for (Stage* stage = mStages.Head(); stage != nullptr; stage = stage->mNext) {
        ShiftUnlessMarker(stage->mStart[kAttrX], dx);
        ShiftUnlessMarker(stage->mEnd[kAttrX], dx);
        ShiftUnlessMarker(stage->mStart[kAttrY], dy);
        ShiftUnlessMarker(stage->mEnd[kAttrY], dy);
    }
    for (AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext)
        child->SnapToGrid();
}

void AnimObject::MirrorStagesX()
{
    mFlipX = 1;
    for (Stage* stage = mStages.Head(); stage != nullptr; stage = stage->mNext) {
        if (!IsMarker(stage->mStart[kAttrX]))
            stage->mStart[kAttrX] = -stage->mStart[kAttrX];
        if (!IsMarker(stage->mEnd[kAttrX]))
            stage->mEnd[kAttrX] = -stage->mEnd[kAttrX];
    }
}

// ---- Hover.

int AnimObject::UpdateHover()
{
    GameState* game = GameState::TryCurrent();
    if (game == nullptr)
        return 0;
    AnimObject* root = GetRoot();
    if (root != game->Topmost())
        return 0;
    float mouseX = 0.0f;
    float mouseY = 0.0f;
    if (!GetScreenMouse(*root, mouseX, mouseY))
        return 0;
    const int hot = HitTestPoint(mouseX, mouseY, 1.0f, 1.0f, 0.0f) ? 1 : 0;
    if (hot != 0 && mHot == 0 && (mParent == nullptr || mParent->mKind != kKindTextObject)) {
        // The rate is drawn whether or not sound is on, so play does not
        // depend on the sound settings.
        const int rate = 40100 + static_cast<int>(game->mRandom.RandomInt(8000));
        if (game->mSound != nullptr)
            game->mSound->PlaySample(game->mSound->GetSample("audio\\hot.ogg", 0, 0), rate);
    }
    mHot = hot;
    return hot;
}

// ---- Base bodies that derived classes fill.

void AnimObject::EditorMenuItems(EditorMenu&) {}
void AnimObject::EditorCommand(const char*) {}
void AnimObject::InitAfterLoad() {}
void AnimObject::OnCustomAction(const char*) {}
void AnimObject::OnFirstUpdate() {}

void AnimObject::Kill()
{
    mRemove = 1;
    mKind = 0;
}

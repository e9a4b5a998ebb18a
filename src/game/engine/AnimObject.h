// The base of every game and interface object: screens, levels, layers,
// buttons, text, particles, plates, treasures. An object owns a list of timed
// stages whose current one animates its twelve attributes, a child list kept
// in ascending z order and a shared image record. Each tick the live list
// updates every screen, which steps its stage, refreshes its world transform
// through its parent and updates its children; each frame it draws its image
// and then its children.
#pragma once

#include "game/engine/AttributeCode.h"
#include "game/engine/ListNode.h"
#include "game/engine/ObjectList.h"
#include "game/engine/StageTarget.h"

#include <cstdint>
#include <string>
#include <vector>

class EditorMenu;
class Filter;
class ImageRecord;
class ObjectEvent;
class ObjectXmlElement;
class PickNode;
class Stage;

class AnimObject : public StageTarget, public ListNode<AnimObject> {
public:
    AnimObject();
    AnimObject(const AnimObject&) = delete;
    AnimObject& operator=(const AnimObject&) = delete;

    // A fresh record from the object pool, or null when the pool is exhausted.
    static AnimObject* TakeFromPool();
    // The field initialiser: what a constructed object and a record taken from
    // the pool start with.
    void InitRecord();
    // Disposal when removed from its list: a pooled record releases what it
    // holds and goes back to its pool; any other object is deleted.
    static void DisposeRecord(AnimObject* object);

    // Virtual operations, in the order of the object's slots.
    virtual ~AnimObject();
    virtual Stage* AddStage(float ms, int loopStart, int loopEnd, int visible, const char* name);
    int UpdateHover() override;
    virtual Stage* SetStage(Stage* stage);
    virtual Stage* GoToStage(const char* name);
    virtual void ReadXmlAttributes(const ObjectXmlElement& element);
    virtual void WriteXml(std::string& out, int depth);
    virtual void WriteTypeAttributes(std::string& out);
    virtual void SnapToGrid();
    virtual void SetStageAttribute(int code, float start, float end);
    virtual void ReadAttributeElement(const ObjectXmlElement& element);
    virtual Filter* AddFilter(int type, int attribute, float amplitude, float period, float offset);
    virtual void ReadFilterElement(const ObjectXmlElement& element);
    virtual ObjectEvent* AddEventByCode(int trigger, int action, const char* parm1, const char* parm2,
                                        const char* parm3, const char* parm4, const char* altKey);
    virtual ObjectEvent* AddEventByName(const char* trigger, const char* action, const char* parm1,
                                        const char* parm2, const char* parm3, const char* parm4, const char* altKey);
    virtual void ReadEventElement(const ObjectXmlElement& element);
    // Adopts the child (a pooled record when null) inserted by z; returns it,
    // or null when the pool refuses.
    virtual AnimObject* AddChild(AnimObject* child);
    // The same, appended at the tail without sorting.
    virtual AnimObject* AppendChild(AnimObject* child);
    virtual void MakeSparkles(int count, int ignored, float r, float g, float b, float alphaScale);
    virtual void MakeParticles(int count);
    virtual void EditorMenuItems(EditorMenu& menu);
    virtual void EditorCommand(const char* command);
    virtual void InitAfterLoad();
    virtual void AddToAttribute(int code, float value);
    virtual void MoveBy(float dx, float dy);
    virtual void RotateBy(float angle);
    virtual void OnCustomAction(const char* parameter);
    // One tick; returns nonzero while the object lives.
    virtual int Update();
    virtual void UpdateChildren();
    virtual void Draw();
    virtual void DrawSelf();
    virtual void DrawHighlight();
    virtual void DrawChildren();
    virtual void OnFirstUpdate();
    virtual void ResetStages();
    virtual void Kill();
    // A class's own elements inside its XML element (the base ignores them).
    virtual void ReadOwnElement(const ObjectXmlElement& element);
    // Writes them back, after the stages and children (the base has none).
    virtual void WriteOwnElements(std::string& out, int depth);

    // Tree.
    AnimObject* GetRoot();
    // True when the object is this one or one of its ancestors.
    bool IsWithin(const AnimObject* object) const;
    // First child after `after` (from the first child when null) with that exact name / kind.
    AnimObject* FindChildByName(const char* name, AnimObject* after = nullptr) const;
    AnimObject* FindChildOfKind(int kind, AnimObject* after = nullptr) const;
    int CountChildrenOfKind(int kind) const;
    // The children of one kind in list order, listed again only when the
    // child list has changed since. Kinds are read when the list is taken:
    // callers test a child's kind again (an ended object drops its kind).
    const std::vector<AnimObject*>& ChildrenOfKind(int kind);
    // The child with the smallest local y (the first one on a tie), or null.
    AnimObject* TopmostChild() const;
    // The nearest sibling of that kind that is on screen, or null (also without a parent).
    AnimObject* NearestSiblingOfKind(int kind);
    // Stores z and re-sorts the object among its siblings.
    void SetZOrder(float z);
    // Adopts the child (unlinked, not yet anyone's) on top: a z below the last
    // child's is raised to it, and the child goes in by z, so behind every
    // child of a greater z. Returns the child.
    AnimObject* AddChildOnTop(AnimObject* child);
    // Moves the given object under this one (by z when sorted, else at the
    // tail), keeping its place on screen.
    void Reparent(AnimObject* object, int sorted);

    // Coordinates through the parent (0 without a parent).
    float LocalToWorldX(float x, float y) const;
    float LocalToWorldY(float x, float y) const;
    float WorldToLocalX(float x) const;
    float WorldToLocalY(float y) const;
    // Rebuilds the world block from the local one and the parent's world block.
    void RefreshWorld();

    // Images.
    void SetImage(const char* name, float frameWidth, float frameHeight, int frameCount, float framesPerSecond);
    void SetImageRecord(ImageRecord* record);
    void CopyImageFrom(const AnimObject& other);

    // Queries.
    float DistanceTo(const AnimObject& other) const;
    // The angle of this object seen from the other, whole degrees.
    float AngleFrom(const AnimObject& other) const;
    float GetVelocityX() const;
    float GetVelocityY() const;
    bool HitTestPoint(float px, float py, float w2, float h2, float angle) const;
    bool HitTestObject(const AnimObject& other) const;
    int HitTestCircle(float x, float y, float r) const;
    int HitTestCircle(const AnimObject& other) const;
    // Reflects the object's velocity off the nearest of the other object's
    // segments (count entries of x1, y1, x2, y2, turned into world
    // coordinates in place) and updates it until it is clear of the last one
    // (at most 120 updates; an update that ends it stops them and sets its
    // removal flag). 1 when it bounced.
    int BounceOffSegments(const AnimObject& other, float* segments, int count, float radius);
    void MirrorStagesX();

    // Editor picks: the selectable objects with an image under the point
    // (each updated once from the start of its stage), children of kind 1
    // (layers) only when allKinds is set; and every object of a kind.
    void CollectObjectsAt(float x, float y, ObjectList<PickNode>& list, int allKinds);
    void CollectObjectsOfKind(ObjectList<PickNode>& list, int kind);

    // Draws a text now, anchored at (x, y) in the frame object's coordinates
    // (the screen's without a frame), in a strip font by name.
    static void DrawString(AnimObject* frame, const char* text, float x, float y, const char* fontName,
                           float spacing, int justification, float scale, float alpha);

    // The loader's "stage" element: a new stage at the end of the list.
    void ReadStageElement(const ObjectXmlElement& element);

    // Stages.
    Stage* CurrentStage() const { return mCurrentStage; }
    // The stage the building calls act on (the tail), or null after a refused AddStage.
    Stage* BuildingStage() const;
    // Update's move to the next stage after its stage ended.
    void AdvanceStage();
    int StageIndex() const;
    std::string StageLabel() const;
    // Called by a stage that goes away, so the object never names it.
    void ForgetStage(const Stage* stage);

    const std::string& GetFileName() const { return mFileName; }
    void SetFileName(const char* name) { mFileName = name != nullptr ? name : ""; }

    AnimObject* mParent = nullptr;
    int mKind = 0;
    int mRemove = 0;
    int mShadow = 0;
    int mClipLeft = 0;
    int mClipTop = 0;
    int mClipRight = 0;
    int mClipBottom = 0;
    char mName[24] = {};
    int mNoCull = 0;
    int mHot = 0;
    int mBlitStyle = 0;
    ObjectList<Stage> mStages;
    ObjectList<AnimObject> mChildren;
    ImageRecord* mImage = nullptr;
    ImageRecord* mParticleImage = nullptr;
    float mWorld[kAttributeCount] = {};
    float mFrameCounter = 0.0f;
    float mZOrder = 0.0f;
    float mSource[4] = {}; // left, top, right, bottom
    int mTilesLeft = 0;
    int mTilesRight = 0;
    int mTilesUp = 0;
    int mTilesDown = 0;
    int mBilinear = 1;
    int mPoolInUse = 0;
    int mSelectable = 0;
    int mSnap = 1;
    uint8_t mFlipX = 0;
    uint8_t mFlipY = 0;
    int mFullscreenOnly = 0;

protected:
    // Starts the object's element: "<object" and its type attributes, left
    // open for more. An object loaded from a file is written as the line
    // that loads it instead, and false is returned: nothing more to write.
    bool WriteObjectOpening(std::string& out, int depth);
    // Drops this object's use of its image record.
    void ReleaseImage();
    // Takes the current frame's rectangle from the image's frame table.
    void SelectFrame();

    Stage* mCurrentStage = nullptr;
    // Set when the last AddStage was refused by the pool: the building calls
    // that follow it do nothing.
    bool mStageRefused = false;

private:
    // The destructor's work, also done when a pooled record goes back.
    void ReleaseContents();
    // Inserts an unlinked child by z.
    void InsertByZ(AnimObject* child);

    std::string mFileName;
    // Set once a child was appended without regard to z: from then on
    // InsertByZ walks the list instead of trusting the tail.
    bool mChildrenUnordered = false;
    // ChildrenOfKind's answer: for which kind, and at which change of the
    // child list it was taken.
    std::vector<AnimObject*> mKindCache;
    int mKindCacheKind = 0;
    uint64_t mKindCacheChanges = UINT64_MAX;
};

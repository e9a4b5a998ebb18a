// Reading and writing an object as XML.
#include "game/engine/AnimObject.h"

#include "game/engine/EngineUtilities.h"
#include "game/engine/GameHooks.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageCache.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/ObjectEvent.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/Stage.h"
#include "game/engine/StageNames.h"
#include "game/engine/XmlSaveCheck.h"

#include <cstring>

namespace {

int IntOr(const ObjectXmlElement& element, const char* name, int fallback)
{
    return element.HasAttribute(name) ? element.GetAttributeInt(name) : fallback;
}

// Whole-number attributes read as given (0 when missing) and written only
// when not 0, in one table so that reading and writing cannot drift apart.
struct IntField {
    const char* name;
    int AnimObject::*field;
};

constexpr IntField kPlainIntFields[] = {
    {"fullscreen_only", &AnimObject::mFullscreenOnly},
    {"clip_left", &AnimObject::mClipLeft},
    {"clip_right", &AnimObject::mClipRight},
    {"clip_top", &AnimObject::mClipTop},
    {"clip_bottom", &AnimObject::mClipBottom},
    {"tiles_left", &AnimObject::mTilesLeft},
    {"tiles_right", &AnimObject::mTilesRight},
    {"tiles_up", &AnimObject::mTilesUp},
    {"tiles_down", &AnimObject::mTilesDown},
};

void WriteIfNonZero(std::string& out, const char* name, int value)
{
    if (value != 0)
        WriteXmlIntAttribute(out, name, value);
}

} // namespace

void AnimObject::ReadXmlAttributes(const ObjectXmlElement& element)
{
    GameState& game = Game();
    if (const char* image = element.GetAttribute("image")) {
        const std::string name = game.mHooks->ResolveTextKey(image);
        SetImage(name.c_str(), 0.0f, 0.0f, 1, 0.0f);
    }
    // The cache keeps particle images for the whole run.
    if (const char* particleImage = element.GetAttribute("particle_image"))
        mParticleImage = game.mImageCache.Get(particleImage);
    if (const char* name = element.GetAttribute("name"))
        element.CopyToField(mName, sizeof(mName), name, "object name");
    if (const char* z = element.GetAttribute("z_order"))
        SetZOrder(std::strcmp(z, "button") == 0 ? 7.0f : ObjectXmlElement::TextToFloat(z));
    mShadow = element.GetAttributeInt("shadow");
    mBilinear = IntOr(element, "bilinear", mParent != nullptr ? mParent->mBilinear : 1);
    mSnap = IntOr(element, "snap", 1);
    mFlipX = element.GetAttributeInt("flip_x") != 0 ? 1 : 0;
    mFlipY = element.GetAttributeInt("flip_y") != 0 ? 1 : 0;
    for (const IntField& field : kPlainIntFields)
        this->*field.field = element.GetAttributeInt(field.name);
    mBlitStyle = element.GetAttributeInt("blit_style");
    mSelectable = IntOr(element, "selectable", 1);
}

void AnimObject::WriteXml(std::string& out, int depth)
{
    if (mSelectable == 0 || !WriteObjectOpening(out, depth))
        return;
    WriteXmlStringAttribute(out, "name", mName);
    if (mImage != nullptr)
        WriteXmlStringAttribute(out, "image", mImage->mName);
    if (mParticleImage != nullptr)
        WriteXmlStringAttribute(out, "particle_image", mParticleImage->mName);
    if (mZOrder != 0.0f)
        WriteXmlFloatAttribute(out, "z_order", mZOrder);
    WriteXmlIntAttribute(out, "shadow", mShadow);
    if (mBilinear == 0)
        WriteXmlIntAttribute(out, "bilinear", 0);
    if (mSnap == 0)
        WriteXmlIntAttribute(out, "snap", 0);
    for (const IntField& field : kPlainIntFields)
        WriteIfNonZero(out, field.name, this->*field.field);
    WriteIfNonZero(out, "flip_x", mFlipX);
    WriteIfNonZero(out, "flip_y", mFlipY);
    WriteIfNonZero(out, "blit_style", mBlitStyle);
    out += ">\n";
    for (const Stage* stage = mStages.Head(); stage != nullptr; stage = stage->mNext)
        stage->WriteXml(out, depth + 1);
    for (AnimObject* child = mChildren.Head(); child != nullptr; child = child->mNext)
        child->WriteXml(out, depth + 1);
    WriteOwnElements(out, depth + 1);
    WriteXmlIndent(out, depth);
    out += "</object>\n";
}

bool AnimObject::WriteObjectOpening(std::string& out, int depth)
{
    XmlSaveCheck::SetObject(mName);
    WriteXmlIndent(out, depth);
    if (!mFileName.empty()) {
        out += "<load_object_from_file";
        WriteXmlStringAttribute(out, "file", mFileName.c_str());
        out += ">\n";
        return false;
    }
    out += "<object";
    WriteTypeAttributes(out);
    return true;
}

void AnimObject::WriteTypeAttributes(std::string&) {}

void AnimObject::ReadStageElement(const ObjectXmlElement& element)
{
    const char* name = element.GetAttribute("name");
    if (name != nullptr && std::strlen(name) > 23)
        element.Report(std::string("stage name \"") + name + "\" cut to 23 characters");
    AddStage(element.GetAttributeFloat("ms"), element.GetAttributeInt("loop_start"), element.GetAttributeInt("loop_end"),
             IntOr(element, "visible", 1), name);
}

void AnimObject::ReadAttributeElement(const ObjectXmlElement& element)
{
    SetStageAttribute(AttributeCodeFromName(element.GetAttribute("type")), element.GetAttributeFloat("start"),
                      element.GetAttributeFloat("end"));
}

void AnimObject::ReadFilterElement(const ObjectXmlElement& element)
{
    AddFilter(EasingKindFromName(element.GetAttribute("type")), AttributeCodeFromName(element.GetAttribute("attribute")),
              element.GetAttributeFloat("amplitude"), element.GetAttributeFloat("period"),
              element.GetAttributeFloat("offset"));
}

void AnimObject::ReadEventElement(const ObjectXmlElement& element)
{
    const ObjectEvent* event =
        AddEventByName(element.GetAttribute("type"), element.GetAttribute("action"), element.GetAttribute("parm1"),
                       element.GetAttribute("parm2"), element.GetAttribute("parm3"), element.GetAttribute("parm4"),
                       element.GetAttribute("alt_key"));
    if (event == nullptr)
        return;
    for (int i = 0; i < 4; ++i) {
        if ((event->GetCutParameters() & (1 << i)) != 0)
            element.Report("event parm" + std::to_string(i + 1) + " cut to 63 characters");
    }
}

void AnimObject::ReadOwnElement(const ObjectXmlElement&) {}

void AnimObject::WriteOwnElements(std::string&, int) {}

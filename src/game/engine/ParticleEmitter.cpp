#include "game/engine/ParticleEmitter.h"

#include "game/engine/AttributeCode.h"
#include "game/engine/EasingKind.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/ObjectKind.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/Stage.h"

#include <cstdint>

namespace {

// The template's numbers as the element carries them, in one table so that
// reading and writing cannot drift apart.
struct TemplateField {
    const char* name;
    float ParticleTemplate::*field;
};

constexpr TemplateField kTemplateFields[] = {
    {"min_duration", &ParticleTemplate::mMinDuration},
    {"max_duration", &ParticleTemplate::mMaxDuration},
    {"min_start_alpha", &ParticleTemplate::mMinStartAlpha},
    {"max_start_alpha", &ParticleTemplate::mMaxStartAlpha},
    {"min_end_alpha", &ParticleTemplate::mMinEndAlpha},
    {"max_end_alpha", &ParticleTemplate::mMaxEndAlpha},
    {"min_start_scale", &ParticleTemplate::mMinStartScale},
    {"max_start_scale", &ParticleTemplate::mMaxStartScale},
    {"min_end_scale", &ParticleTemplate::mMinEndScale},
    {"max_end_scale", &ParticleTemplate::mMaxEndScale},
    {"min_start_rotation", &ParticleTemplate::mMinStartRotation},
    {"max_start_rotation", &ParticleTemplate::mMaxStartRotation},
    {"min_end_rotation", &ParticleTemplate::mMinEndRotation},
    {"max_end_rotation", &ParticleTemplate::mMaxEndRotation},
    {"min_x_speed", &ParticleTemplate::mMinXSpeed},
    {"max_x_speed", &ParticleTemplate::mMaxXSpeed},
    {"min_y_speed", &ParticleTemplate::mMinYSpeed},
    {"max_y_speed", &ParticleTemplate::mMaxYSpeed},
    {"decay", &ParticleTemplate::mDecay},
    {"gravity", &ParticleTemplate::mGravity},
};

// The emitter's own numbers, read and written from the same table.
struct EmitterField {
    const char* name;
    float ParticleEmitter::*field;
};

constexpr EmitterField kEmitterFields[] = {
    {"frequency", &ParticleEmitter::mFrequency},
    {"random", &ParticleEmitter::mRandom},
    {"min_x", &ParticleEmitter::mMinX},
    {"max_x", &ParticleEmitter::mMaxX},
    {"min_y", &ParticleEmitter::mMinY},
    {"max_y", &ParticleEmitter::mMaxY},
};

} // namespace

ParticleEmitter::ParticleEmitter()
{
    mKind = kKindParticleEmitter;
    // Particles glow unless the data asks for normal drawing.
    mBlitStyle = 1;
}

ParticleEmitter::~ParticleEmitter()
{
    // The list only links its records: each template goes with the emitter.
    mTemplates.RemoveAll();
}

ParticleTemplate* ParticleEmitter::AddParticleTemplate() { return mTemplates.Append(new ParticleTemplate); }

int ParticleEmitter::Period() const
{
    // Below one tick, not a number or beyond int there is no period to emit on.
    if (!(mFrequency >= 1.0f) || mFrequency >= 2147483648.0f)
        return 0;
    return static_cast<int>(mFrequency);
}

int ParticleEmitter::Update()
{
    // The tick is counted by its frame counter as it stood when the tick began.
    const float tick = mFrameCounter;
    const int result = AnimObject::Update();
    if (result == 0)
        return result;
    if (mParent != nullptr && mParent->mVisible == 0)
        return result;
    if (mCurrentStage == nullptr || mCurrentStage->mVisible == 0)
        return result;
    const int period = Period();
    if (period == 0)
        return result;
    GameState* game = GameState::TryCurrent();
    if (game == nullptr)
        return result;
    const int k = mRandom != 0.0f ? static_cast<int>(game->mRandom.RandomInt(static_cast<uint32_t>(period)))
                                  : SaturateToInt(tick) % period;
    if (k == 0 && !mTemplates.IsEmpty())
        Emit();
    return result;
}

void ParticleEmitter::Emit()
{
    if (mTemplates.IsEmpty() || mCurrentStage == nullptr)
        return;
    for (int i = 0; i < mParticlesPerEmit; ++i) {
        // A pool ran dry: the rest of this emission is skipped.
        if (!MakeParticle())
            return;
    }
}

bool ParticleEmitter::MakeParticle()
{
    GameState& game = Game();
    GameRandom& random = game.mRandom;
    AnimObject* particle = AddChild(nullptr);
    if (particle == nullptr)
        return false;
    particle->mLocal[kAttrX] = random.RandomFloatRange(mMinX, mMaxX);
    particle->mLocal[kAttrY] = random.RandomFloatRange(mMinY, mMaxY);
    particle->mBlitStyle = mBlitStyle;
    // Without a picture (or frames) the particle shows frame 0; the draw is
    // made either way so that the sequence does not depend on loading.
    const ImageRecord* firstImage = mTemplates.Head()->GetImage();
    const int frames = firstImage != nullptr && firstImage->mFrameCount > 1 ? firstImage->mFrameCount : 1;
    const float frame = static_cast<float>(random.RandomInt(static_cast<uint32_t>(frames)));
    const Stage* own = mCurrentStage;

    for (const ParticleTemplate* t = mTemplates.Head(); t != nullptr; t = t->mNext) {
        particle->SetImageRecord(t->GetImage());
        Stage* stage = particle->AddStage(random.RandomFloatRange(t->mMinDuration, t->mMaxDuration), 0, 0, 1, nullptr);
        if (stage == nullptr) {
            mChildren.Remove(particle);
            return false;
        }
        float end = random.RandomFloatRange(t->mMinEndAlpha, t->mMaxEndAlpha);
        particle->SetStageAttribute(kAttrAlpha, random.RandomFloatRange(t->mMinStartAlpha, t->mMaxStartAlpha), end);
        end = random.RandomFloatRange(t->mMinEndScale, t->mMaxEndScale);
        particle->SetStageAttribute(kAttrXScale, random.RandomFloatRange(t->mMinStartScale, t->mMaxStartScale), end);
        end = random.RandomFloatRange(t->mMinEndScale, t->mMaxEndScale);
        particle->SetStageAttribute(kAttrYScale, random.RandomFloatRange(t->mMinStartScale, t->mMaxStartScale), end);
        end = random.RandomFloatRange(t->mMinEndRotation, t->mMaxEndRotation);
        particle->SetStageAttribute(kAttrRotation,
                                    random.RandomFloatRange(t->mMinStartRotation, t->mMaxStartRotation), end);
        // The stage's scale takes over from its first step.
        particle->mLocal[kAttrXScale] = 0.0f;
        particle->mLocal[kAttrYScale] = 0.0f;
        // The emitter's colour at the start of its stage, for the channels it sets.
        for (int code : {kAttrR, kAttrG, kAttrB}) {
            if ((own->mMask & (1u << code)) != 0)
                particle->SetStageAttribute(code, own->mStart[code], own->mStart[code]);
        }
        particle->SetStageAttribute(kAttrFrameNumber, frame, frame);
        if (t == mTemplates.Head()) {
            const float vx = random.RandomFloatRange(t->mMinXSpeed, t->mMaxXSpeed);
            bool complete = particle->AddFilter(kEasingVelocity, kAttrX, vx, 0.0f, t->mDecay) != nullptr;
            const float vy = random.RandomFloatRange(t->mMinYSpeed, t->mMaxYSpeed);
            complete = particle->AddFilter(kEasingVelocity, kAttrY, vy, t->mGravity, t->mDecay) != nullptr && complete;
            // A negative kind does nothing, so it takes no filter record.
            if (t->mFilterType >= 0)
                complete = particle->AddFilter(t->mFilterType, kAttrAll, 1.0f, 0.0f, 0.0f) != nullptr && complete;
            if (!complete) {
                mChildren.Remove(particle);
                return false;
            }
        } else {
            // The motion of the first stage goes on.
            stage->mCarryFilters = 1;
        }
        if (mKeepLocal != 0)
            particle->RefreshWorld();
    }
    // Loose particles stay where they were made while the emitter moves on;
    // with no effects object they stay under the emitter.
    if (mKeepLocal == 0 && game.mEffects != nullptr)
        game.mEffects->Reparent(particle, 0);
    return true;
}

void ParticleEmitter::DrawSelf() {}

void ParticleEmitter::ReadXmlAttributes(const ObjectXmlElement& element)
{
    for (const EmitterField& field : kEmitterFields)
        this->*field.field = element.GetAttributeFloat(field.name);
    mKeepLocal = element.GetAttributeInt("keep_local");
    mParticlesPerEmit = element.GetAttributeInt("num_particles_per_emit");
    AnimObject::ReadXmlAttributes(element);
    // Any "blit_style" means normal drawing; without one particles glow.
    mBlitStyle = element.HasAttribute("blit_style") != 0 ? 0 : 1;
}

void ParticleEmitter::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "emitter");
    for (const EmitterField& field : kEmitterFields)
        WriteXmlFloatAttribute(out, field.name, this->*field.field);
    WriteXmlIntAttribute(out, "keep_local", mKeepLocal);
    WriteXmlIntAttribute(out, "num_particles_per_emit", mParticlesPerEmit);
}

void ParticleEmitter::WriteXml(std::string& out, int depth)
{
    // The reader takes any "blit_style" for normal drawing and none for
    // additive, so the object writer is given the flag it must write.
    const int blitStyle = mBlitStyle;
    mBlitStyle = blitStyle != 0 ? 0 : 1;
    AnimObject::WriteXml(out, depth);
    mBlitStyle = blitStyle;
}

void ParticleEmitter::WriteOwnElements(std::string& out, int depth)
{
    for (const ParticleTemplate* t = mTemplates.Head(); t != nullptr; t = t->mNext) {
        WriteXmlIndent(out, depth);
        out += "<emitter_stage";
        for (const TemplateField& field : kTemplateFields)
            WriteXmlFloatAttribute(out, field.name, t->*field.field);
        if (const ImageRecord* image = t->GetImage())
            WriteXmlStringAttribute(out, "image", image->mName);
        out += ">\n";
    }
}

void ParticleEmitter::ReadOwnElement(const ObjectXmlElement& element)
{
    if (!element.IsTag("emitter_stage"))
        return;
    ParticleTemplate* t = AddParticleTemplate();
    for (const TemplateField& field : kTemplateFields)
        t->*field.field = element.GetAttributeFloat(field.name);
    if (const char* image = element.GetAttribute("image"))
        t->SetImage(image);
}

// An object that, while its current stage is visible, sends out short-lived
// pooled particles every `frequency` ticks (or with a chance of one in
// `frequency` per tick), each placed at random in its spawn area and given
// one stage per template with the template's random alpha, scale, rotation
// and motion. Particles leave for the level's effects object unless they are
// kept local. It draws nothing of its own.
#pragma once

#include "game/engine/AnimObject.h"
#include "game/engine/ObjectList.h"
#include "game/engine/ParticleTemplate.h"

class ParticleEmitter : public AnimObject {
public:
    ParticleEmitter();
    ~ParticleEmitter() override;

    // A new template at the end of the list, for the caller to fill.
    ParticleTemplate* AddParticleTemplate();

    int Update() override;
    void DrawSelf() override;
    void ReadXmlAttributes(const ObjectXmlElement& element) override;
    void WriteXml(std::string& out, int depth) override;
    void WriteTypeAttributes(std::string& out) override;
    // "emitter_stage": one more template.
    void ReadOwnElement(const ObjectXmlElement& element) override;
    void WriteOwnElements(std::string& out, int depth) override;

    // Emission period in ticks; below 1 (or not a number) nothing is sent.
    float mFrequency = 0.0f;
    // Nonzero: each tick emits with a chance of one in `frequency`.
    float mRandom = 0.0f;
    // Spawn area in the emitter's own coordinates.
    float mMinX = 0.0f;
    float mMaxX = 0.0f;
    float mMinY = 0.0f;
    float mMaxY = 0.0f;
    // Zero: particles move under the level's effects object once made.
    int mKeepLocal = 0;
    int mParticlesPerEmit = 1;
    ObjectList<ParticleTemplate> mTemplates;

private:
    // The period as a whole number of ticks, or 0 when there is none.
    int Period() const;
    // One emission: num_particles_per_emit particles.
    void Emit();
    // One particle; false when a pool refused (the emission stops there).
    bool MakeParticle();
};

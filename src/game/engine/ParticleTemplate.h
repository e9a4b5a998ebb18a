// One way a particle of an emitter lives: how long, how its alpha, scale and
// rotation run from start to end, how fast it moves and falls, and its
// picture. Each of an emitter's templates gives a particle one more stage.
#pragma once

#include "game/engine/ListNode.h"

class ImageRecord;

class ParticleTemplate : public ListNode<ParticleTemplate> {
public:
    ParticleTemplate() = default;
    ~ParticleTemplate();
    ParticleTemplate(const ParticleTemplate&) = delete;
    ParticleTemplate& operator=(const ParticleTemplate&) = delete;

    static void DisposeRecord(ParticleTemplate* record) { delete record; }

    // Takes the picture of that name from the game's image cache (none when
    // it cannot be loaded), letting go of the one held before.
    void SetImage(const char* name);
    // Holds the record (its use count is raised) in place of the one before.
    void SetImageRecord(ImageRecord* record);
    ImageRecord* GetImage() const { return mImage; }

    // Milliseconds.
    float mMinDuration = 0.0f;
    float mMaxDuration = 0.0f;
    float mMinStartAlpha = 0.0f;
    float mMaxStartAlpha = 0.0f;
    float mMinEndAlpha = 0.0f;
    float mMaxEndAlpha = 0.0f;
    float mMinStartScale = 0.0f;
    float mMaxStartScale = 0.0f;
    float mMinEndScale = 0.0f;
    float mMaxEndScale = 0.0f;
    float mMinStartRotation = 0.0f;
    float mMaxStartRotation = 0.0f;
    float mMinEndRotation = 0.0f;
    float mMaxEndRotation = 0.0f;
    // Pixels per tick.
    float mMinXSpeed = 0.0f;
    float mMaxXSpeed = 0.0f;
    float mMinYSpeed = 0.0f;
    float mMaxYSpeed = 0.0f;
    // Factor on both speeds every tick (0: none), and what the y speed gains every tick.
    float mDecay = 0.0f;
    float mGravity = 0.0f;
    // A filter on the whole stage given to every particle (negative: none).
    int mFilterType = -1;

private:
    ImageRecord* mImage = nullptr;
};

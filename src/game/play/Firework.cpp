#include "game/play/Firework.h"

#include "game/engine/EasingKind.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/GameRandom.h"
#include "game/engine/GameState.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/play/RuleOperations.h"

#include <cmath>

namespace {

struct Colour {
    float r, g, b;
};

// The six colours of a rise, by a roll of 1 to 6.
constexpr Colour kColours[6] = {
    {1.0f, 0.1f, 0.1f}, {0.1f, 1.0f, 0.1f}, {0.1f, 0.1f, 1.0f},
    {0.1f, 1.0f, 1.0f}, {0.5f, 0.1f, 1.0f}, {1.0f, 0.5f, 0.1f},
};

constexpr float kDegreesToRadians = 3.14159265358979323846f / 180.0f;

} // namespace

Firework::Firework()
{
    mBlitStyle = 1;
    OnFirstUpdate();
}

void Firework::ReadXmlAttributes(const ObjectXmlElement& element)
{
    AnimObject::ReadXmlAttributes(element);
    if (!element.HasAttribute("blit_style"))
        mBlitStyle = 1;
}

void Firework::WriteTypeAttributes(std::string& out)
{
    WriteXmlStringAttribute(out, "type", "firework");
}

void Firework::OnFirstUpdate()
{
    mStages.RemoveAll();
    mCurrentStage = nullptr;
    if (mImage == nullptr)
        SetImage("gfx\\white_particle.png", 0.0f, 0.0f, 1, 0.0f);

    AddStage(float(RandomIntBetween(100, 600)), 0, 0, 1, nullptr);

    AddStage(1000.0f, 0, 0, 1, "rise");
    const Colour& colour = kColours[RandomIntBetween(1, 6) - 1];
    SetStageAttribute(kAttrR, colour.r, colour.r);
    SetStageAttribute(kAttrG, colour.g, colour.g);
    SetStageAttribute(kAttrB, colour.b, colour.b);
    SetStageAttribute(kAttrXScale, 0.5f, 0.5f);
    SetStageAttribute(kAttrYScale, 0.5f, 0.5f);
    SetStageAttribute(kAttrAlpha, 0.3f, 0.3f);
    const float x = float(RandomIntBetween(-370, 370));
    SetStageAttribute(kAttrX, x, x);
    SetStageAttribute(kAttrY, 320.0f, float(RandomIntBetween(-270, 0)));
    AddEventByName("end", "custom", nullptr, nullptr, nullptr, nullptr, nullptr);
}

void Firework::OnCustomAction(const char*)
{
    Burst(RandomIntBetween(20, 90));
    mRestart = true;
}

int Firework::Update()
{
    const int alive = AnimObject::Update();
    if (!mRestart)
        return alive;
    mRestart = false;
    OnFirstUpdate();
    return mCurrentStage != nullptr ? 1 : 0;
}

void Firework::Burst(int n)
{
    if (n < 1)
        return;
    GameState& game = Game();
    AnimObject* home = mParent != nullptr ? mParent : this;
    const int step = 360 / n;
    if (step < 1)
        return;
    for (int a = 0; a < 360; a += step) {
        AnimObject* particle = AnimObject::TakeFromPool();
        if (particle == nullptr)
            return;
        particle->CopyImageFrom(*this);
        particle->mBlitStyle = 1;
        particle->AddStage(float(RandomIntBetween(500, 1000)), 0, 0, 1, nullptr);
        const float r = float(RandomIntBetween(8, 20));
        const float angle = float(a) * kDegreesToRadians;
        particle->AddFilter(kEasingVelocity, kAttrX, float(std::cos(angle)) * r / 8.0f, 0.0f, 0.97f);
        particle->AddFilter(kEasingVelocity, kAttrY, float(std::sin(angle)) * r / 8.0f, 0.002f, 0.97f);
        particle->AddFilter(kEasingVelocity, kAttrRotation, game.mRandom.RandomFloatRange(-0.57f, 0.57f), 0.0f, 0.0f);
        // Born where the firework is, among its siblings, drawn above them.
        particle->mLocal[kAttrX] = mLocal[kAttrX];
        particle->mLocal[kAttrY] = mLocal[kAttrY];
        if (home == this) {
            particle->mLocal[kAttrX] = 0.0f;
            particle->mLocal[kAttrY] = 0.0f;
        }
        particle->mZOrder = 6.0f;
        home->AddChild(particle);
    }
}

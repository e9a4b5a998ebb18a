// A firework of a screen: it waits, rises in one of six colours and bursts
// into a ring of glowing particles, again and again for as long as it lives.
#pragma once

#include "game/engine/AnimObject.h"

class Firework : public AnimObject {
public:
    // Runs the first-update set-up at once, so a new firework has its stages.
    Firework();

    // Additive unless the element says otherwise.
    void ReadXmlAttributes(const ObjectXmlElement& element) override;
    void WriteTypeAttributes(std::string& out) override;
    // Every stage goes; a wait and a "rise" that bursts at its end.
    void OnFirstUpdate() override;
    // The burst: a ring of particles; a new wait and rise follow.
    void OnCustomAction(const char* parameter) override;
    int Update() override;

    // The burst of n particles, one every 360 / n whole degrees.
    void Burst(int n);

private:
    // Set by the burst: the stages are rebuilt after the step that ran it,
    // not under the stage that is still stepping.
    bool mRestart = false;
};

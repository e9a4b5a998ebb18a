// What a filter does to its attribute (or, on "all", to the stage's progress).
#pragma once

enum EasingKind : int {
    kEasingSuperCos = 0,     // t := (1 - cos(180 t)) / 2 when amplitude > 0
    kEasingSquared = 1,      // t := t^2
    kEasingCubed = 2,        // t := t^3
    kEasingSquareRoot = 3,   // nothing
    kEasingSined = 4,        // v += a sin(360 t p + o)
    kEasingCosined = 5,      // v += a cos(360 t p + o)
    kEasingDecaySined = 6,   // v += (1 - t) a sin(360 t p + o)
    kEasingDecayCosined = 7, // v += (1 - t) a cos(360 t p + o)
    kEasingLoopAnim = 8,     // every p ticks v += 1, wrapping to 0 above a
    kEasingPingPongAnim = 9, // every p ticks v += o, turning back outside 0..a
    kEasingHotSpot = 10,     // v := 1 while the object is hovered, else 0
    kEasingVelocity = 11,    // v += a; a += p; a *= o when o != 0, ending once |a| < 0.00005
    kEasingVelocityForever = 12, // as velocity, never ending by itself
};

constexpr int kEasingKindCount = 13;

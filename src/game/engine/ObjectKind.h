// Kind ids of objects (an AnimObject field), as the data and the gameplay know them.
#pragma once

enum ObjectKind : int {
    kKindDefault = 0, // screens and levels
    kKindLayer = 1,
    kKindCursorObject = 2,
    kKindGeneric = 6,
    kKindEffects = 7, // the level's effects emitter
    kKindTextObject = 9,
    kKindEditor = 10,
    kKindInputBox = 12,
    kKindParticleEmitter = 14,
    kKindTextBlock = 15,
    kKindShooter = 16,
    kKindPlate = 17,
    kKindJewel = 18,
    kKindSlot = 19,
    kKindProgressBar = 20,
    kKindPanel = 21,
    kKindEndlessPanel = 22,
    kKindPigeon = 23,
    kKindPowerUp = 24,
    kKindBumper = 25,
    kKindTurret = 26,
    kKindSlotLabel = 27,
    kKindShooterPath = 28,
    kKindScrollPoint = 29,
    kKindLevelSelect = 30,
    kKindCupid = 31,
    kKindTutorial = 32,
    kKindWarp = 33,
    kKindCloud = 34,
    kKindShooterCursor = 35,
};

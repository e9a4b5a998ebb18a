// The twelve animatable attributes of an object: the index into its local and
// world blocks and into a stage's start and end values.
#pragma once

enum AttributeCode : int {
    kAttrXScale = 0,
    kAttrYScale = 1,
    kAttrX = 2,
    kAttrY = 3,
    kAttrZ = 4,
    kAttrRotation = 5, // degrees
    kAttrR = 6,        // 0..1
    kAttrG = 7,
    kAttrB = 8,
    kAttrAlpha = 9,
    kAttrFrameNumber = 10,
    kAttrAll = 11, // the stage's whole progress; its slot is storage only
};

constexpr int kAttributeCount = 12;

// A fresh object's attribute values.
constexpr float kAttributeDefaults[kAttributeCount] = {1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f,
                                                       1.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f};

// Marker start value: re-read the object's local value on every entry of the
// stage. As an end value: read it on the first entry only.
constexpr float kValueFromObject = 99999.0f;
// Marker start value: the previous stage's end value.
constexpr float kValueFromPreviousStage = 999999.0f;

constexpr bool IsAttributeCode(int code) { return code >= 0 && code < kAttributeCount; }

// A tooltip: a block of word-wrapped text lines that fades in while the
// mouse is over its parent and fades out after.
#pragma once

#include "game/engine/AnimObject.h"

#include <string>
#include <vector>

class StripFont;

class TextBlock : public AnimObject {
public:
    static constexpr int kTextSize = 512;
    static constexpr int kFontSize = 64;
    // The most characters a line holds.
    static constexpr int kMaxLine = 127;

    TextBlock();

    void ReadXmlAttributes(const ObjectXmlElement& element) override;
    void WriteTypeAttributes(std::string& out) override;
    // The loader calls it once the element is complete.
    void InitAfterLoad() override;
    int Update() override;

    // Wraps the text into one text object per line.
    void LayoutLines();
    // The lines of a text at a line width: a '^' ends a line early, a line
    // ends at the last blank that fits, a word longer than a line is split.
    static std::vector<std::string> WrapLines(const char* text, int lineWidth);

    char mText[kTextSize] = {};
    char mFont[kFontSize] = {};
    int mLineWidth = 0;
    int mJustification = 0;
};

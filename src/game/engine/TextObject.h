// A text shown in a strip font: one pooled child object per character, each
// drawing its glyph's box out of the font image. Stages, attribute targets and
// filters given to the text are handed on to every character, each character
// waiting its turn (the stagger) and placed by justification, kerning and the
// stage's x scale.
#pragma once

#include "game/engine/AnimObject.h"
#include "game/engine/StripFont.h"

#include <string>
#include <vector>

class TextObject : public AnimObject {
public:
    // Where the characters lie, relative to the text object.
    struct Bounds {
        float width = 0.0f;
        float height = 0.0f;
        float centreX = 0.0f;
        float centreY = 0.0f;
    };

    static constexpr float kDefaultZOrder = 10.0f;

    TextObject();
    ~TextObject() override;

    // Rebuilds the characters: every child and every stage goes, the text
    // (or text key) is resolved, and the font is looked up (never loaded).
    // Without a font or with an empty text there are no characters. With a
    // stagger, character i first waits i x stagger ms unseen. Set the text
    // before giving the object its stages.
    void SetText(const char* text, const char* fontName, float spacing = 0.0f, unsigned staggerMs = 0,
                 int justification = StripFont::kJustifyCentre);

    Stage* AddStage(float ms, int loopStart, int loopEnd, int visible, const char* name) override;
    int UpdateHover() override;
    Stage* GoToStage(const char* name) override;
    void ReadXmlAttributes(const ObjectXmlElement& element) override;
    void WriteXml(std::string& out, int depth) override;
    void WriteTypeAttributes(std::string& out) override;
    void SetStageAttribute(int code, float start, float end) override;
    Filter* AddFilter(int type, int attribute, float amplitude, float period, float offset) override;
    // The spawn action: each character spawns its share of the count.
    void MakeSparkles(int count, int ignored, float r, float g, float b, float alphaScale) override;
    void InitAfterLoad() override;
    // The characters draw; the text object itself shows nothing.
    void DrawSelf() override;

    Bounds GetBounds() const;
    const std::string& GetText() const { return mText; }
    const std::string& GetFontName() const { return mFontName; }
    StripFont* GetFont() const { return mFont; }
    int GetLength() const { return static_cast<int>(mText.size()); }
    int GetJustification() const { return mJustification; }
    float GetSpacing() const { return mSpacing; }
    unsigned GetStagger() const { return mStagger; }

private:
    // Offsets of every character's x from the text's anchor at one scale.
    void PlaceAt(float scale, std::vector<float>& offsets) const;
    // The scale the characters' newest stage starts (or ends) at for x.
    float NewestStageScale(bool end) const;
    void Sweep();

    // What the object was given, for writing it back: the stage lengths
    // before the stagger was added, and the attribute targets and filters
    // that went to the characters.
    struct GivenAttribute {
        int stage;
        int code;
        float start;
        float end;
    };
    struct GivenFilter {
        int stage;
        int type;
        int attribute;
        float amplitude;
        float period;
        float offset;
    };

    std::string mKey;  // the text or text key as given
    std::string mText; // after the key was resolved
    std::string mFontName;
    StripFont* mFont = nullptr;
    int mJustification = StripFont::kJustifyCentre;
    unsigned mStagger = 0;
    float mSpacing = 0.0f;
    // Read from object XML: written back when the level is saved.
    bool mFromXml = false;
    std::vector<float> mGivenMs;
    std::vector<GivenAttribute> mGivenAttributes;
    std::vector<GivenFilter> mGivenFilters;
    // Scratch for placing x, kept to spare an allocation per call.
    std::vector<float> mPlaceStart;
    std::vector<float> mPlaceEnd;
};

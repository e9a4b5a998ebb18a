// One tag of object XML, as the tag reader finds it: its name, its
// attributes (fixed 384-character names and values) and the text after it.
// The reader is deliberately minimal: tags one after another, values in
// double quotes, no escapes, comments or nesting; callers give tags meaning
// by name.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class ObjectXmlReader;

class ObjectXmlElement {
public:
    // Room for a name or value, the terminating NUL included.
    static constexpr int kTextSize = 384;
    // More attributes than this in one tag is taken as a broken file.
    static constexpr int kMaxAttributes = 256;

    struct Attribute {
        char name[kTextSize];
        char value[kTextSize];
    };

    ObjectXmlElement() = default;

    // Empties the tag; the attribute storage is kept for the next read.
    void Clear();

    // The value of the first attribute named exactly so, or null.
    const char* GetAttribute(const char* name) const;
    // The leading whole number of the value (saturated); 0 when absent.
    int GetAttributeInt(const char* name) const;
    // The value as a number read in the C locale; 0 when absent or not finite.
    float GetAttributeFloat(const char* name) const;
    int HasAttribute(const char* name) const;

    const char* GetTagName() const { return mTagName; }
    bool IsTag(const char* name) const;
    bool IsClosing() const { return mClosing; }
    bool IsSelfClosing() const { return mSelfClosing; }
    // Text after an opening tag up to the next '<' (not NUL-terminated).
    const char* GetContent() const { return mContent; }
    int GetContentLength() const { return mContentLength; }

    int GetAttributeCount() const { return mCount; }
    const Attribute& GetAttributeAt(int index) const { return mAttributes[size_t(index)]; }

    // Where the tag's '<' stands in the text; null when no tag was found
    // (the end of the text, or a broken tag).
    const char* GetTagStart() const { return mTagStart; }
    // Set when the text is broken at this tag; the reader then gives the end
    // of the text, so every walk stops here.
    const std::string& GetError() const { return mError; }
    bool HasError() const { return !mError.empty(); }
    // Names and values that were too long and were cut.
    const std::vector<std::string>& GetWarnings() const { return mWarnings; }

    // Tells a problem with this tag at its place in the text (through the
    // reader that read it, when there is one).
    void Report(const std::string& what) const;
    void SetReader(const ObjectXmlReader* reader) { mReader = reader; }
    // Puts a value into a fixed field (see CopyToField), telling when it had
    // to be cut; `what` names the value in the message.
    void CopyToField(char* field, size_t size, const char* text, const char* what) const;

    // The text's number readers, shared with the other readers of object
    // data: C locale, saturating, and a non-finite number reads as 0.
    static int TextToInt(const char* text);
    static float TextToFloat(const char* text);

private:
    friend const char* ReadNextXmlTag(const char* position, ObjectXmlElement& element);

    std::vector<Attribute> mAttributes; // grows, never shrinks
    int mCount = 0;
    char mTagName[kTextSize] = {};
    const char* mContent = nullptr;
    int mContentLength = 0;
    bool mClosing = false;
    bool mSelfClosing = false;
    const char* mTagStart = nullptr;
    std::string mError;
    std::vector<std::string> mWarnings;
    const ObjectXmlReader* mReader = nullptr;
};

// Reads the tag at or after the position into the element and returns the
// position after it. At the end of the text it returns the terminating NUL
// with an empty element; a tag cut off by the end of the text, or one with
// more than 256 attributes, sets the element's error and also returns the
// end of the text.
const char* ReadNextXmlTag(const char* position, ObjectXmlElement& element);

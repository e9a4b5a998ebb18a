// Walks one text of object XML tag by tag, keeping the line of the tag read
// last so that every problem is told with its place.
#pragma once

#include "game/engine/ObjectXmlElement.h"

#include <string>

class ObjectXmlReader {
public:
    // The text must end with a NUL and outlive the reader; the file name is
    // only used in messages.
    ObjectXmlReader(const char* text, std::string fileName);

    // Reads the next tag. False at the end of the text, and when the text
    // is broken there (reported; Failed() is then true). Cut names and
    // values are reported and the tag is still given.
    bool Next(ObjectXmlElement& element);

    bool Failed() const { return mFailed; }
    // Line of the tag read last (1 before the first).
    int GetLine() const { return mLine; }
    const std::string& GetFileName() const { return mFileName; }
    const char* GetPosition() const { return mPosition; }

    // Tells a problem at the line of the tag read last.
    void Report(const std::string& what) const;
    // Tells a problem and marks the text as refused.
    void Fail(const std::string& what);

private:
    void CountLinesUpTo(const char* position);

    const char* mPosition;
    const char* mCounted; // lines are counted up to here
    int mLine = 1;
    bool mFailed = false;
    std::string mFileName;
};

// Guards saves of object XML: the reader has no escapes, so a value holding a
// double quote would make the saved file unreadable. The attribute writer
// leaves such a value out and tells the check running on its thread; the save
// then refuses to write the file and names the object and attribute.
#pragma once

#include <string>
#include <vector>

class AnimObject;

class XmlSaveCheck {
public:
    // Starts checking what this thread writes, until the check goes away.
    XmlSaveCheck();
    ~XmlSaveCheck();
    XmlSaveCheck(const XmlSaveCheck&) = delete;
    XmlSaveCheck& operator=(const XmlSaveCheck&) = delete;

    // True when the text may hold the value as it is.
    static bool IsWritable(const char* value);
    // The object whose attributes are being written.
    static void SetObject(const char* name);
    // A value that was left out.
    static void RefuseValue(const char* attribute, const char* value);

    bool Passed() const { return mProblems.empty(); }
    // One line per refused value: object "name": attribute "parm1" ...
    const std::vector<std::string>& GetProblems() const { return mProblems; }

private:
    XmlSaveCheck* mOuter;
    std::string mObject;
    std::vector<std::string> mProblems;
};

// Writes the object (and what it holds) as object XML to the file, replacing
// it only once the whole text is in place. Refused, with each reason told
// through LoadMessages, when a value cannot be written.
bool SaveObjectXml(AnimObject& object, const char* path);

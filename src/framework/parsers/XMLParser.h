// The framework's small pull parser for XML-like text: given a whole document
// (or a UTF-8 file), it hands out one element at a time and stops at the
// first error with one short message.
#pragma once

#include "framework/parsers/XMLElement.h"

#include <string>
#include <vector>

struct PakFile;

namespace Lumo {

class XMLParser {
public:
    // Reads the next character of an attached file. False at the end of the
    // file, or with badSequence set when the bytes are not a character.
    using CharReader = bool (*)(XMLParser& parser, char16_t& character, bool& badSequence);

    XMLParser();
    virtual ~XMLParser();
    XMLParser(const XMLParser&) = delete;
    XMLParser& operator=(const XMLParser&) = delete;

    // Attaches a UTF-8 file read through the pak layer as the source; a
    // leading U+FEFF is dropped. False when it cannot be opened.
    bool OpenFile(const std::string& fileName);
    // Makes the text the source and starts over at line 1.
    void SetString(const std::u16string& text);
    // Comments are skipped unless allowed.
    void AllowComments(bool allow) { mAllowComments = allow; }
    void SetCharReader(CharReader reader) { mCharReader = reader; }

    // Reads one element. False at the end of the input or on an error;
    // HasFailed tells which. A failed parser gives nothing more.
    bool NextElement(XMLElement& element);

    bool HasFailed() const { return mHasFailed; }
    const std::string& GetErrorText() const { return mErrorText; }
    const std::string& GetFileName() const { return mFileName; }
    int GetCurrentLineNum() const { return mLineNum; }

    // Entity decoding (&lt; &amp; &gt; &quot; &apos; &nbsp; &cr; &#N; &#xN;).
    static std::string DecodeEntities(const std::string& text);
    static std::u16string DecodeEntities(const std::u16string& text);

    // The parser's narrowing of wide text: Latin-1 where the character fits,
    // "?" where it does not.
    static std::string WideToNarrow(const std::u16string& text);

    // The default reader: UTF-8 from the attached file.
    static bool ReadUTF8FileChar(XMLParser& parser, char16_t& character, bool& badSequence);

private:
    bool ReadChar(char16_t& character);
    void PushBack(const std::string& text);
    void Fail(const std::string& message);
    void CloseFile();

    std::string mFileName;
    std::string mErrorText;
    int mLineNum = 0;
    PakFile* mFile = nullptr;
    bool mHasFailed = false;
    bool mAllowComments = false;
    // Characters still to be read; the next one is at the back.
    std::vector<char16_t> mBufferedText;
    // The open start tags, joined by "/".
    std::string mSection;
    CharReader mCharReader;
    bool mBomPending = false;
};

} // namespace Lumo

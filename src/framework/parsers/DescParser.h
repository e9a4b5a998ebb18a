// Reader of descriptor files: commands of words, numbers, quoted strings,
// lists in parentheses and name=value pairs, with defined names standing for
// values. What a command means is left to the derived class.
#pragma once

#include "framework/parsers/DataElement.h"
#include "framework/parsers/ListDataElement.h"
#include "framework/parsers/SingleDataElement.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Lumo {

class DescSource;

class DescParser {
public:
    // Bits of mCmdSep: what ends a command.
    enum {
        CMDSEP_SEMICOLON = 1, // ";" outside quotes
        CMDSEP_NO_INDENT = 2  // a line that does not begin with white space
    };

    // Deepest nesting of lists and name=value pairs in one argument.
    static constexpr int kMaxNesting = 64;
    // Most elements one dereferenced list may hold (defines of defines
    // would otherwise double it with every command).
    static constexpr int kMaxListElements = 1 << 16;

    DescParser();
    DescParser(const DescParser&) = delete;
    DescParser& operator=(const DescParser&) = delete;

    // Keeps the first message; always false, so callers can return it.
    virtual bool Error(const std::string& message);
    // The element defined under the name (case-insensitive), or null.
    virtual DataElement* GetDefine(const std::string& name);
    // Runs one command; its first element is the command word. False stops
    // the parse.
    virtual bool HandleCommand(const ListDataElement& params) = 0;
    virtual ~DescParser();
    // Reads and runs the whole file; true when no command failed.
    virtual bool LoadDescriptor(const std::string& fileName);

    // The same reading over text already in memory.
    bool LoadDescriptorText(const std::string& text);

    const std::string& GetErrorText() const { return mError; }

    // True for a text beginning with a digit, "-", "+" or a quote.
    static bool IsImmediate(const std::string& text);
    // Removes the quotes of a quoted text and its backslash escapes; a text
    // without a leading quote comes back unchanged.
    static std::string Unquote(const std::string& text);

protected:
    // A single element's text (a define's, when it names one), unquoted.
    // False for a list, a name=value element or a define that is a list.
    bool DataToString(const DataElement& source, std::string& text);
    // A new list with every name replaced by a copy of its define and every
    // quoted text unquoted.
    bool Dereference(const ListDataElement& source, ListDataElement& dest);
    // A list, dereferenced, or a name whose define is a list, copied.
    bool GetListArgument(const DataElement& source, ListDataElement& dest);
    // The texts of a list's items (dereferenced), or of a list define's.
    bool DataToList(const DataElement& source, std::vector<std::string>& texts);
    bool DataToIntVector(const DataElement& source, std::vector<int>& numbers);
    bool DataToDoubleVector(const DataElement& source, std::vector<double>& numbers);

    int mCmdSep = CMDSEP_SEMICOLON;
    std::string mError;
    // Line (from 1) on which the command being read or handled began; 0
    // outside a load.
    int mCurrentLineNum = 0;
    // Text of the command being read or handled.
    std::string mCurrentLine;
    // Upper-cased name -> value; filled by the derived class.
    std::map<std::string, std::unique_ptr<DataElement>> mDefineMap;

private:
    bool RunCommands(DescSource& source);
    bool ParseCommand(const std::string& text);
    bool ParseToList(const std::string& text, size_t& pos, ListDataElement& list, bool inParens,
                     int level);
    bool DereferenceInto(const ListDataElement& source, ListDataElement& dest, int level, int& budget);
};

// A single element's text, then "=" and its value when it has one; a list as
// "(" + its children joined by ", " + ")".
std::string DataElementToString(const DataElement& element);

} // namespace Lumo

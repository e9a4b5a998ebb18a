// Descriptor reading: splitting the file into commands, tokenising a command
// into element trees, and the lookups and dereferencing of defined names.
#include "framework/parsers/DescParser.h"

#include "framework/core/PakClient.h"
#include "framework/core/StringUtils.h"

#include <algorithm>
#include <cstdint>

namespace Lumo {

// The bytes of a descriptor: a file read through the pak layer in blocks, or
// a text in memory.
class DescSource {
public:
    explicit DescSource(PakFile* file) : mFile(file) {}
    explicit DescSource(const std::string& text) : mText(&text) {}

    // The next byte, or -1 at the end.
    int Next()
    {
        if (mText != nullptr)
            return mPos < mText->size() ? static_cast<unsigned char>((*mText)[mPos++]) : -1;
        if (mPos == mLength) {
            mLength = PakRead(mBlock, 1, sizeof(mBlock), mFile);
            mPos = 0;
            if (mLength == 0)
                return -1;
        }
        return mBlock[mPos++];
    }

private:
    PakFile* mFile = nullptr;
    const std::string* mText = nullptr;
    size_t mPos = 0;
    size_t mLength = 0;
    uint8_t mBlock[4096];
};

namespace {

// Levels below an element: 0 for a plain word.
int Height(const DataElement& element)
{
    if (element.mIsList) {
        int height = 0;
        for (const auto& child : static_cast<const ListDataElement&>(element).mElementVector)
            height = std::max(height, Height(*child));
        return height + 1;
    }
    const auto& single = static_cast<const SingleDataElement&>(element);
    return single.mValue ? Height(*single.mValue) + 1 : 0;
}

int CountElements(const DataElement& element)
{
    if (element.mIsList) {
        int count = 1;
        for (const auto& child : static_cast<const ListDataElement&>(element).mElementVector)
            count += CountElements(*child);
        return count;
    }
    const auto& single = static_cast<const SingleDataElement&>(element);
    return single.mValue ? CountElements(*single.mValue) + 1 : 1;
}

bool IsQuote(char c)
{
    return c == '\'' || c == '"';
}

const char* const kTooDeep = "List Nesting Too Deep";
const char* const kTooLarge = "List Too Large";

} // namespace

DescParser::DescParser() = default;

DescParser::~DescParser()
{
    mDefineMap.clear();
}

bool DescParser::Error(const std::string& message)
{
    if (mError.empty())
        mError = message;
    return false;
}

DataElement* DescParser::GetDefine(const std::string& name)
{
    const auto it = mDefineMap.find(StringToUpper(name));
    return it == mDefineMap.end() ? nullptr : it->second.get();
}

bool DescParser::LoadDescriptor(const std::string& fileName)
{
    mError.clear();
    mCurrentLine.clear();
    mCurrentLineNum = 0;
    PakFile* file = PakOpen(fileName.c_str(), "r");
    if (file == nullptr)
        return Error("Unable to open file: " + fileName);
    DescSource source(file);
    const bool ok = RunCommands(source);
    PakClose(file);
    return ok;
}

bool DescParser::LoadDescriptorText(const std::string& text)
{
    mError.clear();
    mCurrentLine.clear();
    mCurrentLineNum = 0;
    DescSource source(text);
    return RunCommands(source);
}

bool DescParser::RunCommands(DescSource& source)
{
    int lineNum = 1;
    bool atLineStart = true;
    bool indented = false;
    bool inSingleQuotes = false;
    bool inDoubleQuotes = false;
    bool heldBackslash = false;
    bool inComment = false;

    auto add = [&](char c) {
        if (mCurrentLine.empty())
            mCurrentLineNum = lineNum;
        mCurrentLine += c;
    };
    auto newLine = [&]() {
        ++lineNum;
        atLineStart = true;
        indented = false;
    };
    // Runs the command read so far and resets the reading state.
    auto finishCommand = [&]() {
        bool ok = true;
        if (!mCurrentLine.empty())
            ok = ParseCommand(mCurrentLine);
        mCurrentLine.clear();
        atLineStart = true;
        indented = false;
        inSingleQuotes = false;
        inDoubleQuotes = false;
        heldBackslash = false;
        inComment = false;
        return ok;
    };

    bool ok = true;
    for (int next = source.Next(); ok && next >= 0; next = source.Next()) {
        const char c = static_cast<char>(next);
        if (c == '\r')
            continue;
        if (inComment) {
            if (c == '\n') {
                inComment = false;
                newLine();
            }
            continue;
        }
        if (heldBackslash) {
            heldBackslash = false;
            add(c);
            if (c == '\n')
                newLine();
            continue;
        }
        if (atLineStart) {
            if (c == ' ' || c == '\t') {
                indented = true;
                continue;
            }
            if (c == '\n') {
                newLine();
                continue;
            }
            atLineStart = false;
            if ((mCmdSep & CMDSEP_NO_INDENT) != 0 && !indented && !mCurrentLine.empty()) {
                ok = finishCommand();
                if (!ok)
                    break;
                atLineStart = false;
            }
            if (c == '#') {
                inComment = true;
                continue;
            }
        }
        if (c == '\n') {
            add(c); // line feeds separate arguments
            newLine();
            continue;
        }
        if (c == '\\') {
            add(c);
            heldBackslash = inSingleQuotes || inDoubleQuotes;
            continue;
        }
        if (c == '\'' && !inDoubleQuotes) {
            inSingleQuotes = !inSingleQuotes;
            add(c);
            continue;
        }
        if (c == '"' && !inSingleQuotes) {
            inDoubleQuotes = !inDoubleQuotes;
            add(c);
            continue;
        }
        if (c == ';' && (mCmdSep & CMDSEP_SEMICOLON) != 0 && !inSingleQuotes && !inDoubleQuotes) {
            ok = finishCommand();
            continue;
        }
        add(c);
    }
    if (ok)
        ok = finishCommand();
    mCurrentLine.clear();
    mCurrentLineNum = 0;
    return ok;
}

bool DescParser::ParseCommand(const std::string& text)
{
    ListDataElement params;
    size_t pos = 0;
    if (!ParseToList(text, pos, params, false, 0))
        return false;
    if (params.mElementVector.empty())
        return true;
    if (params.mElementVector[0]->mIsList)
        return Error("Missing Command");
    return HandleCommand(params);
}

// Fills the list from the text at pos; inside parentheses it returns after
// the closing ")". Items of the list sit at level + 1.
bool DescParser::ParseToList(const std::string& text, size_t& pos, ListDataElement& list, bool inParens,
                             int level)
{
    bool inSingleQuotes = false;
    bool inDoubleQuotes = false;
    bool escaped = false;
    SingleDataElement* word = nullptr;     // the word being written
    SingleDataElement* lastWord = nullptr; // the word an "=" makes a name
    int lastWordLevel = 0;
    SingleDataElement* pendingName = nullptr;
    int pendingLevel = 0;

    // Places a new element as the pending name's value or as the next item;
    // gives its level, or 0 when that would nest too deep.
    auto place = [&](std::unique_ptr<DataElement> element) -> int {
        const int elementLevel = pendingName != nullptr ? pendingLevel + 1 : level + 1;
        if (elementLevel > kMaxNesting) {
            Error(kTooDeep);
            return 0;
        }
        if (pendingName != nullptr) {
            pendingName->mValue = std::move(element);
            pendingName = nullptr;
        } else {
            list.mElementVector.push_back(std::move(element));
        }
        return elementLevel;
    };

    while (pos < text.size()) {
        const char c = text[pos++];
        bool ordinary = true;
        if (escaped) {
            escaped = false;
        } else if (c == '\\') {
            escaped = true;
        } else if (c == '\'' && !inDoubleQuotes) {
            inSingleQuotes = !inSingleQuotes;
        } else if (c == '"' && !inSingleQuotes) {
            inDoubleQuotes = !inDoubleQuotes;
        } else if (!inSingleQuotes && !inDoubleQuotes) {
            ordinary = false;
            if (c == ')') {
                if (inParens)
                    return true;
                return Error("Unexpected List End");
            } else if (c == '(') {
                if (word != nullptr)
                    return Error("Unexpected List Start");
                auto nested = std::make_unique<ListDataElement>();
                ListDataElement* nestedList = nested.get();
                const int nestedLevel = place(std::move(nested));
                if (nestedLevel == 0)
                    return false;
                if (!ParseToList(text, pos, *nestedList, true, nestedLevel))
                    return false;
                lastWord = nullptr;
            } else if (c == '=') {
                if (lastWord != nullptr) {
                    pendingName = lastWord;
                    pendingLevel = lastWordLevel;
                }
                word = nullptr;
            } else if (c == ' ' || c == '\t' || c == '\n' || c == ',') {
                word = nullptr;
            } else {
                ordinary = true;
            }
        }
        if (!ordinary)
            continue;
        if (word == nullptr) {
            auto single = std::make_unique<SingleDataElement>();
            SingleDataElement* newWord = single.get();
            const int wordLevel = place(std::move(single));
            if (wordLevel == 0)
                return false;
            word = newWord;
            lastWord = newWord;
            lastWordLevel = wordLevel;
        }
        word->mString += c;
    }

    if (inSingleQuotes)
        return Error("Unterminated Single Quotes");
    if (inDoubleQuotes)
        return Error("Unterminated Double Quotes");
    if (inParens)
        return Error("Unterminated List");
    return true;
}

bool DescParser::IsImmediate(const std::string& text)
{
    if (text.empty())
        return false;
    const char c = text[0];
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || IsQuote(c);
}

std::string DescParser::Unquote(const std::string& text)
{
    if (text.empty() || !IsQuote(text[0]))
        return text;
    const char quote = text[0];
    // The last character is taken as the closing quote.
    const size_t end = text.size() >= 2 ? text.size() - 1 : 1;
    std::string out;
    for (size_t i = 1; i < end; ++i) {
        const char c = text[i];
        if (c == '\\') {
            if (i + 1 < end)
                out += text[++i];
        } else if (c == quote) {
            // Doubled quotes give one.
            if (text[i - 1] == quote)
                out += c;
        } else {
            out += c;
        }
    }
    return out;
}

bool DescParser::DataToString(const DataElement& source, std::string& text)
{
    text.clear();
    if (source.mIsList)
        return false;
    const auto* single = static_cast<const SingleDataElement*>(&source);
    if (single->mValue)
        return false;
    if (const DataElement* define = GetDefine(single->mString)) {
        if (define->mIsList)
            return false;
        single = static_cast<const SingleDataElement*>(define);
    }
    text = Unquote(single->mString);
    return true;
}

bool DescParser::Dereference(const ListDataElement& source, ListDataElement& dest)
{
    // Built aside: the source may be the destination or lie inside it.
    ListDataElement result;
    int budget = kMaxListElements;
    if (!DereferenceInto(source, result, 1, budget)) {
        dest.mElementVector.clear();
        return false;
    }
    dest.mElementVector = std::move(result.mElementVector);
    return true;
}

bool DescParser::DereferenceInto(const ListDataElement& source, ListDataElement& dest, int level, int& budget)
{
    for (const auto& child : source.mElementVector) {
        std::unique_ptr<DataElement> element;
        if (child->mIsList) {
            auto list = std::make_unique<ListDataElement>();
            if (!DereferenceInto(static_cast<const ListDataElement&>(*child), *list, level + 1, budget))
                return false;
            element = std::move(list);
            --budget;
        } else {
            const auto& single = static_cast<const SingleDataElement&>(*child);
            const std::string& name = single.mString;
            if (name.empty())
                continue;
            const DataElement* original = nullptr;
            if (IsQuote(name[0])) {
                element = std::make_unique<SingleDataElement>(Unquote(name));
            } else if (IsImmediate(name)) {
                original = &single;
            } else {
                original = GetDefine(name);
                if (original == nullptr)
                    return Error("Unable to Dereference \"" + name + "\"");
            }
            if (original != nullptr) {
                if (level + Height(*original) > kMaxNesting)
                    return Error(kTooDeep);
                const int count = CountElements(*original);
                if (count > budget)
                    return Error(kTooLarge);
                budget -= count;
                element = original->Duplicate();
            } else {
                --budget;
            }
        }
        if (budget < 0)
            return Error(kTooLarge);
        dest.mElementVector.push_back(std::move(element));
    }
    return true;
}

bool DescParser::GetListArgument(const DataElement& source, ListDataElement& dest)
{
    if (source.mIsList)
        return Dereference(static_cast<const ListDataElement&>(source), dest);
    const DataElement* define = GetDefine(static_cast<const SingleDataElement&>(source).mString);
    if (define == nullptr || !define->mIsList)
        return false;
    dest = static_cast<const ListDataElement&>(*define);
    return true;
}

bool DescParser::DataToList(const DataElement& source, std::vector<std::string>& texts)
{
    texts.clear();
    ListDataElement list;
    if (source.mIsList) {
        if (!Dereference(static_cast<const ListDataElement&>(source), list))
            return false;
    } else {
        const std::string& name = static_cast<const SingleDataElement&>(source).mString;
        const DataElement* define = GetDefine(name);
        if (define == nullptr || !define->mIsList)
            return Error("Unable to Dereference \"" + name + "\"");
        list = static_cast<const ListDataElement&>(*define);
    }
    for (const auto& item : list.mElementVector) {
        if (item->mIsList) {
            texts.clear();
            return false;
        }
        texts.push_back(static_cast<const SingleDataElement&>(*item).mString);
    }
    return true;
}

bool DescParser::DataToIntVector(const DataElement& source, std::vector<int>& numbers)
{
    numbers.clear();
    std::vector<std::string> texts;
    if (!DataToList(source, texts))
        return false;
    for (const std::string& text : texts) {
        int number = 0;
        if (!StringToInt(text, &number)) {
            numbers.clear();
            return false;
        }
        numbers.push_back(number);
    }
    return true;
}

bool DescParser::DataToDoubleVector(const DataElement& source, std::vector<double>& numbers)
{
    numbers.clear();
    std::vector<std::string> texts;
    if (!DataToList(source, texts))
        return false;
    for (const std::string& text : texts) {
        double number = 0.0;
        if (!StringToDouble(text, &number)) {
            numbers.clear();
            return false;
        }
        numbers.push_back(number);
    }
    return true;
}

std::string DataElementToString(const DataElement& element)
{
    if (element.mIsList) {
        std::string text = "(";
        const auto& children = static_cast<const ListDataElement&>(element).mElementVector;
        for (size_t i = 0; i < children.size(); ++i) {
            if (i > 0)
                text += ", ";
            text += DataElementToString(*children[i]);
        }
        return text + ")";
    }
    const auto& single = static_cast<const SingleDataElement&>(element);
    if (single.mValue)
        return single.mString + "=" + DataElementToString(*single.mValue);
    return single.mString;
}

} // namespace Lumo

// The pull parser's state machine, its UTF-8 file reader and entity decoding.
#include "framework/parsers/XMLParser.h"

#include "framework/core/PakClient.h"
#include "framework/core/StringUtils.h"

#include <cstdint>

namespace Lumo {

namespace {

// isspace of the C locale; only Latin-1 characters can be white space, so a
// wide character never counts by its low byte alone.
bool IsSpace(char16_t c)
{
    return c == ' ' || (c >= 9 && c <= 13);
}

char NarrowChar(char16_t c)
{
    return c < 256 ? static_cast<char>(c) : '?';
}

char NarrowFromCode(int code)
{
    return NarrowChar(static_cast<char16_t>(code));
}

char16_t WideFromCode(int code)
{
    return static_cast<char16_t>(code);
}

template <typename Str>
bool NameIs(const Str& name, const char* ascii)
{
    size_t i = 0;
    for (; ascii[i] != 0; ++i) {
        if (i >= name.size() || name[i] != static_cast<typename Str::value_type>(ascii[i]))
            return false;
    }
    return i == name.size();
}

// The character an entity name stands for; "&" for a name it does not know.
template <typename Str>
typename Str::value_type EntityChar(const Str& name, typename Str::value_type (*fromCode)(int))
{
    using Ch = typename Str::value_type;
    if (NameIs(name, "lt"))
        return Ch('<');
    if (NameIs(name, "amp"))
        return Ch('&');
    if (NameIs(name, "gt"))
        return Ch('>');
    if (NameIs(name, "quot"))
        return Ch('"');
    if (NameIs(name, "apos"))
        return Ch('\'');
    if (NameIs(name, "nbsp"))
        return Ch(' ');
    if (NameIs(name, "cr"))
        return Ch('\n');
    if (name.size() >= 2 && name[0] == Ch('#')) {
        std::string number;
        size_t start = 1;
        if (name[1] == Ch('x')) {
            number = "0x";
            start = 2;
        }
        for (size_t i = start; i < name.size(); ++i) {
            // Anything outside ASCII cannot be a digit; "?" makes the number fail.
            const auto c = static_cast<unsigned>(name[i]);
            number += c < 128 ? static_cast<char>(c) : '?';
        }
        int code = 0;
        if (StringToInt(number, &code))
            return fromCode(code);
    }
    return Ch('&');
}

template <typename Str>
Str DecodeEntitiesImpl(const Str& text, typename Str::value_type (*fromCode)(int))
{
    using Ch = typename Str::value_type;
    Str out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] != Ch('&')) {
            out += text[i];
            ++i;
            continue;
        }
        const size_t semicolon = text.find(Ch(';'), i);
        if (semicolon == Str::npos) {
            // No ";" anywhere further: every "&" left stays as written.
            out.append(text, i, Str::npos);
            break;
        }
        out += EntityChar(text.substr(i + 1, semicolon - i - 1), fromCode);
        i = semicolon + 1;
    }
    return out;
}

// Stores one attribute in both maps; a new name other than "/" joins the
// order lists. Returns the decoded and the raw key.
std::pair<std::string, std::string> StoreAttribute(XMLElement& element, const std::u16string& name,
                                                   const std::u16string& value)
{
    const std::string key = XMLParser::WideToNarrow(XMLParser::DecodeEntities(name));
    const std::string rawKey = XMLParser::WideToNarrow(name);
    const bool isNew = element.mAttributes.insert_or_assign(
        key, XMLParser::WideToNarrow(XMLParser::DecodeEntities(value))).second;
    if (isNew && key != "/")
        element.mAttributeOrder.push_back(key);
    const bool rawIsNew = element.mRawAttributes.insert_or_assign(rawKey, XMLParser::WideToNarrow(value)).second;
    if (rawIsNew && rawKey != "/")
        element.mRawAttributeOrder.push_back(rawKey);
    return {key, rawKey};
}

bool DropTrailingSlash(std::string& text)
{
    if (text.empty() || text.back() != '/')
        return false;
    text.pop_back();
    return true;
}

} // namespace

XMLParser::XMLParser() : mCharReader(&XMLParser::ReadUTF8FileChar) {}

XMLParser::~XMLParser()
{
    CloseFile();
}

void XMLParser::CloseFile()
{
    if (mFile != nullptr) {
        PakClose(mFile);
        mFile = nullptr;
    }
}

bool XMLParser::OpenFile(const std::string& fileName)
{
    CloseFile();
    mBufferedText.clear();
    mSection.clear();
    mErrorText.clear();
    mHasFailed = false;
    mFileName = fileName;
    mFile = PakOpen(fileName.c_str(), "rb");
    if (mFile == nullptr)
        return false;
    mLineNum = 1;
    mBomPending = true;
    return true;
}

void XMLParser::SetString(const std::u16string& text)
{
    mSection.clear();
    mErrorText.clear();
    mLineNum = 1;
    mHasFailed = false;
    mBomPending = true;
    mBufferedText.assign(text.rbegin(), text.rend());
}

std::string XMLParser::DecodeEntities(const std::string& text)
{
    return DecodeEntitiesImpl(text, &NarrowFromCode);
}

std::u16string XMLParser::DecodeEntities(const std::u16string& text)
{
    return DecodeEntitiesImpl(text, &WideFromCode);
}

std::string XMLParser::WideToNarrow(const std::u16string& text)
{
    std::string out;
    out.reserve(text.size());
    for (const char16_t c : text)
        out += NarrowChar(c);
    return out;
}

bool XMLParser::ReadUTF8FileChar(XMLParser& parser, char16_t& character, bool& badSequence)
{
    badSequence = false;
    for (;;) {
        uint8_t bytes[6];
        if (PakRead(bytes, 1, 1, parser.mFile) != 1)
            return false;
        int length = 1;
        if (bytes[0] >= 0x80) {
            if ((bytes[0] & 0xE0) == 0xC0)
                length = 2;
            else if ((bytes[0] & 0xF0) == 0xE0)
                length = 3;
            else if ((bytes[0] & 0xF8) == 0xF0)
                length = 4;
            else if ((bytes[0] & 0xFC) == 0xF8)
                length = 5;
            else {
                badSequence = true;
                return false;
            }
            if (PakRead(bytes + 1, 1, static_cast<size_t>(length - 1), parser.mFile) !=
                static_cast<size_t>(length - 1)) {
                badSequence = true;
                return false;
            }
        }
        const uint8_t* data = bytes;
        if (ReadUTF8Char(&data, length, &character) != length) {
            badSequence = true;
            return false;
        }
        // Only a mark at the very start of the file is dropped.
        const bool wasFirst = parser.mBomPending;
        parser.mBomPending = false;
        if (wasFirst && character == 0xFEFF)
            continue;
        return true;
    }
}

bool XMLParser::ReadChar(char16_t& character)
{
    if (!mBufferedText.empty()) {
        character = mBufferedText.back();
        mBufferedText.pop_back();
    } else if (mFile != nullptr) {
        bool badSequence = false;
        if (!mCharReader(*this, character, badSequence)) {
            if (badSequence)
                Fail("Illegal Character");
            return false;
        }
    } else {
        return false;
    }
    if (character == 10)
        ++mLineNum;
    return true;
}

void XMLParser::PushBack(const std::string& text)
{
    for (auto it = text.rbegin(); it != text.rend(); ++it)
        mBufferedText.push_back(static_cast<unsigned char>(*it));
}

void XMLParser::Fail(const std::string& message)
{
    mHasFailed = true;
    mErrorText = message;
}

bool XMLParser::NextElement(XMLElement& element)
{
    if (mHasFailed)
        return false;

    // One pass per element; a skipped comment starts a fresh pass.
    for (;;) {
        element.Clear(mSection);
        std::u16string attributeName;
        std::u16string attributeValue;
        bool inQuotes = false;
        bool pendingSpace = false;
        bool inAttributes = false;
        bool afterEquals = false;
        bool valueClosed = false;
        // The wide character last appended to the instruction target / body,
        // so that a "?" standing in for a wide character never ends one.
        char16_t lastValueChar = 0;
        char16_t lastInstructionChar = 0;
        bool finished = false;

        while (!finished) {
            char16_t c = 0;
            if (!ReadChar(c)) {
                if (element.mType == XMLElement::TYPE_NONE)
                    return false;
                Fail("Unexpected End of File");
                return false;
            }

            if (element.mType == XMLElement::TYPE_COMMENT) {
                std::string& body = element.mInstruction;
                body += NarrowChar(c);
                const size_t n = body.size();
                if (c == '>' && n >= 3 && body[n - 2] == '-' && body[n - 3] == '-') {
                    body.resize(n - 3);
                    finished = true;
                }
                continue;
            }

            if (element.mType == XMLElement::TYPE_INSTRUCTION) {
                const bool toTarget = element.mInstruction.empty() && !IsSpace(c);
                std::string& text = toTarget ? element.mValue : element.mInstruction;
                char16_t& lastChar = toTarget ? lastValueChar : lastInstructionChar;
                const char16_t before = lastChar;
                text += NarrowChar(c);
                lastChar = c;
                if (c == '>' && text.size() >= 2 && before == '?') {
                    text.resize(text.size() - 2);
                    finished = true;
                }
                continue;
            }

            if (c == '"') {
                inQuotes = !inQuotes;
                if (!inQuotes)
                    valueClosed = true;
                if (element.mType == XMLElement::TYPE_START || element.mType == XMLElement::TYPE_END)
                    continue;
                // In text a quote is an ordinary character.
            } else if (!inQuotes) {
                if (c == '<') {
                    if (element.mType == XMLElement::TYPE_TEXT) {
                        mBufferedText.push_back(c);
                        finished = true;
                    } else if (element.mType == XMLElement::TYPE_NONE) {
                        element.mType = XMLElement::TYPE_START;
                    } else {
                        Fail("Unexpected '<'");
                        return false;
                    }
                    continue;
                }

                if (c == '>') {
                    if (element.mType == XMLElement::TYPE_NONE || element.mType == XMLElement::TYPE_TEXT) {
                        Fail("Unexpected '>'");
                        return false;
                    }
                    if (element.mType == XMLElement::TYPE_END) {
                        if (mSection.empty()) {
                            Fail("Unexpected End");
                            return false;
                        }
                        const size_t slash = mSection.rfind('/');
                        const std::string openTag =
                            slash == std::string::npos ? mSection : mSection.substr(slash + 1);
                        if (element.mValue != openTag) {
                            Fail("End '" + element.mValue + "' Doesn't Match Start '" + openTag + "'");
                            return false;
                        }
                        mSection.resize(slash == std::string::npos ? 0 : slash);
                        finished = true;
                        continue;
                    }

                    // End of a start tag.
                    valueClosed = false;
                    bool selfClosing = false;
                    if (attributeName == u"/") {
                        // "<tag />": the "/" is stored when the element finishes.
                        selfClosing = true;
                    } else {
                        bool stored = false;
                        std::pair<std::string, std::string> keys;
                        if (!attributeName.empty()) {
                            keys = StoreAttribute(element, attributeName, attributeValue);
                            stored = true;
                            attributeName.clear();
                            attributeValue.clear();
                        }
                        if (!stored) {
                            selfClosing = DropTrailingSlash(element.mValue);
                        } else {
                            // A last value ending in "/" closes the tag, quoted or not.
                            std::string& value = element.mAttributes[keys.first];
                            std::string& rawValue = element.mRawAttributes[keys.second];
                            const bool valueSlash = DropTrailingSlash(value);
                            const bool rawSlash = DropTrailingSlash(rawValue);
                            if (valueSlash || rawSlash) {
                                value = DecodeEntities(value);
                                selfClosing = true;
                            }
                        }
                    }
                    if (selfClosing)
                        PushBack("</" + element.mValue + ">");
                    if (!mSection.empty())
                        mSection += '/';
                    mSection += element.mValue;
                    finished = true;
                    continue;
                }

                if (element.mType == XMLElement::TYPE_START && element.mValue.empty()) {
                    if (c == '/') {
                        element.mType = XMLElement::TYPE_END;
                        continue;
                    }
                    if (c == '?') {
                        element.mType = XMLElement::TYPE_INSTRUCTION;
                        continue;
                    }
                }

                if (IsSpace(c)) {
                    if (!element.mValue.empty())
                        pendingSpace = true;
                    if (element.mType == XMLElement::TYPE_START && element.mValue == "!--")
                        element.mType = XMLElement::TYPE_COMMENT;
                    continue;
                }

                if (c <= 32) {
                    Fail("Illegal Character");
                    return false;
                }
            }

            // An ordinary character.
            switch (element.mType) {
            case XMLElement::TYPE_NONE:
            case XMLElement::TYPE_END:
            case XMLElement::TYPE_TEXT:
                if (element.mType == XMLElement::TYPE_NONE)
                    element.mType = XMLElement::TYPE_TEXT;
                if (pendingSpace) {
                    element.mValue += ' ';
                    pendingSpace = false;
                }
                element.mValue += NarrowChar(c);
                break;
            case XMLElement::TYPE_START: {
                const bool isEquals = c == '=' && !inQuotes;
                if (pendingSpace) {
                    if (!inAttributes) {
                        inAttributes = true; // the tag name is complete
                    } else if ((isEquals && !afterEquals) ||
                               (afterEquals && attributeValue.empty() && !valueClosed)) {
                        // white space around "=" is not a separator
                    } else {
                        StoreAttribute(element, attributeName, attributeValue);
                        attributeName.clear();
                        attributeValue.clear();
                        afterEquals = false;
                    }
                    pendingSpace = false;
                }
                if (!inAttributes) {
                    element.mValue += NarrowChar(c);
                } else if (isEquals) {
                    afterEquals = true;
                    valueClosed = false;
                } else if (afterEquals) {
                    attributeValue += c;
                } else {
                    attributeName += c;
                }
                break;
            }
            default:
                break;
            }
        }

        if (!attributeName.empty())
            StoreAttribute(element, attributeName, attributeValue);
        element.mRawValue = element.mValue;
        element.mValue = DecodeEntities(element.mValue);
        if (element.mType == XMLElement::TYPE_COMMENT && !mAllowComments)
            continue;
        return true;
    }
}

} // namespace Lumo

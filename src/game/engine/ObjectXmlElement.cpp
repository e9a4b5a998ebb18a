#include "game/engine/ObjectXmlElement.h"

#include "framework/core/StringUtils.h"
#include "game/engine/EngineUtilities.h"
#include "game/engine/LoadMessages.h"
#include "game/engine/ObjectXmlReader.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

const char* SkipBlanks(const char* p)
{
    while (IsBlank(*p))
        ++p;
    return p;
}

// Copies [begin, end) into a fixed field, cutting what does not fit.
void CopyField(char (&field)[ObjectXmlElement::kTextSize], const char* begin, const char* end, bool& cut)
{
    size_t length = size_t(end - begin);
    cut = length > size_t(ObjectXmlElement::kTextSize - 1);
    if (cut)
        length = ObjectXmlElement::kTextSize - 1;
    std::memcpy(field, begin, length);
    field[length] = '\0';
}

const char* EndOfText(const char* p)
{
    return p + std::strlen(p);
}

} // namespace

void ObjectXmlElement::Clear()
{
    mCount = 0;
    mTagName[0] = '\0';
    mContent = nullptr;
    mContentLength = 0;
    mClosing = false;
    mSelfClosing = false;
    mTagStart = nullptr;
    mError.clear();
    mWarnings.clear();
}

const char* ObjectXmlElement::GetAttribute(const char* name) const
{
    for (int i = 0; i < mCount; ++i) {
        if (std::strcmp(mAttributes[size_t(i)].name, name) == 0)
            return mAttributes[size_t(i)].value;
    }
    return nullptr;
}

int ObjectXmlElement::GetAttributeInt(const char* name) const
{
    const char* value = GetAttribute(name);
    return value != nullptr ? TextToInt(value) : 0;
}

float ObjectXmlElement::GetAttributeFloat(const char* name) const
{
    const char* value = GetAttribute(name);
    return value != nullptr ? TextToFloat(value) : 0.0f;
}

int ObjectXmlElement::HasAttribute(const char* name) const
{
    return GetAttribute(name) != nullptr ? 1 : 0;
}

bool ObjectXmlElement::IsTag(const char* name) const
{
    return std::strcmp(mTagName, name) == 0;
}

void ObjectXmlElement::Report(const std::string& what) const
{
    if (mReader != nullptr)
        mReader->Report(what);
    else
        LoadMessages::Report("object xml", 0, what);
}

void ObjectXmlElement::CopyToField(char* field, size_t size, const char* text, const char* what) const
{
    if (::CopyToField(field, size, text))
        Report(std::string(what) + " \"" + text + "\" cut to " + std::to_string(size - 1) + " characters");
}

int ObjectXmlElement::TextToInt(const char* text)
{
    return text != nullptr ? Lumo::LeadingInt(text) : 0;
}

float ObjectXmlElement::TextToFloat(const char* text)
{
    if (text == nullptr)
        return 0.0f;
    // As atof, but never in the process's locale: a decimal comma locale
    // must not turn "0.5" into 0.
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    if (*p == '+') {
        ++p;
        if (*p == '-')
            return 0.0f;
    }
    double value = 0.0;
    const auto result = std::from_chars(p, EndOfText(p), value, std::chars_format::general);
    if (result.ec != std::errc() || !std::isfinite(value) || std::fabs(value) > double(FLT_MAX))
        return 0.0f;
    return float(value);
}

const char* ReadNextXmlTag(const char* position, ObjectXmlElement& element)
{
    element.Clear();
    const char* p = std::strchr(position, '<');
    if (p == nullptr)
        return EndOfText(position);
    const char* const tagStart = p;
    p = SkipBlanks(p + 1);

    bool cut = false;
    const char* nameStart = p;
    while (*p != '\0' && *p != ' ' && *p != '>' && *p != '\t' && *p != '\r' && *p != '\n')
        ++p;
    CopyField(element.mTagName, nameStart, p, cut);
    if (cut)
        element.mWarnings.push_back("tag name cut to 383 characters");
    element.mClosing = element.mTagName[0] == '/';

    p = SkipBlanks(p);
    while (*p != '/' && *p != '>') {
        if (*p == '\0')
            break;
        if (element.mCount == ObjectXmlElement::kMaxAttributes) {
            element.Clear();
            element.mError = "more than 256 attributes in one tag";
            return EndOfText(p);
        }
        if (size_t(element.mCount) == element.mAttributes.size()) {
            const size_t capacity = element.mAttributes.empty() ? 1 : element.mAttributes.size() * 2;
            element.mAttributes.resize(capacity);
        }
        ObjectXmlElement::Attribute& attribute = element.mAttributes[size_t(element.mCount)];
        ++element.mCount;

        const char* attributeName = p;
        while (*p != '\0' && *p != ' ' && *p != '=' && *p != '\t' && *p != '\r' && *p != '\n')
            ++p;
        CopyField(attribute.name, attributeName, p, cut);
        if (cut)
            element.mWarnings.push_back("attribute name cut to 383 characters");
        p = SkipBlanks(p);
        if (*p == '=')
            ++p;
        p = SkipBlanks(p);
        if (*p == '"')
            ++p;
        const char* value = p;
        while (*p != '\0' && *p != '"')
            ++p;
        if (*p == '\0')
            break;
        CopyField(attribute.value, value, p, cut);
        if (cut)
            element.mWarnings.push_back(std::string("value of \"") + attribute.name + "\" cut to 383 characters");
        p = SkipBlanks(p + 1);
    }
    if (*p == '/') {
        element.mSelfClosing = true;
        ++p;
    }
    if (*p != '>') {
        // The text ends inside the tag (or a stray '/' stands in it).
        if (*p == '\0' || *SkipBlanks(p) == '\0') {
            element.Clear();
            element.mError = "the text ends inside a tag";
            return EndOfText(p);
        }
    } else {
        ++p;
    }
    element.mTagStart = tagStart;

    if (!element.mClosing && !element.mSelfClosing) {
        element.mContent = p;
        const char* next = std::strchr(p, '<');
        element.mContentLength = int((next != nullptr ? next : EndOfText(p)) - p);
    }
    return p;
}

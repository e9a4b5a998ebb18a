// The properties document: "Properties" sections of "String", "StringArray",
// "Boolean", "Integer" and "Double" elements keyed by their "id".
#include "framework/parsers/PropertiesParser.h"

#include "framework/app/LumoAppBase.h"
#include "framework/core/Buffer.h"
#include "framework/core/StringUtils.h"

namespace Lumo {

namespace {

std::string IdOf(const XMLElement& element)
{
    const std::string* id = element.FindAttribute("id");
    return id != nullptr ? *id : std::string();
}

} // namespace

PropertiesParser::PropertiesParser(LumoAppBase* app) : mApp(app) {}

PropertiesParser::~PropertiesParser() = default;

bool PropertiesParser::ParsePropertiesBuffer(const Buffer& buffer)
{
    mXMLParser = std::make_unique<XMLParser>();
    mXMLParser->SetString(buffer.UTF8ToWideString());
    return DoParse();
}

bool PropertiesParser::Fail(const std::string& message)
{
    if (mHasFailed)
        return false;
    mHasFailed = true;
    mError = message;
    if (mXMLParser) {
        if (mXMLParser->GetCurrentLineNum() > 0)
            mError += StrFormat(" on Line %d", mXMLParser->GetCurrentLineNum());
        if (!mXMLParser->GetFileName().empty())
            mError += " in File '" + mXMLParser->GetFileName() + "'";
    }
    return false;
}

bool PropertiesParser::NextInnerElement(XMLElement& element)
{
    if (mXMLParser->NextElement(element))
        return true;
    // A document cut off inside a section is not a whole one.
    if (!mXMLParser->HasFailed())
        Fail("Unexpected End of File");
    return false;
}

bool PropertiesParser::DoParse()
{
    if (!mXMLParser->HasFailed()) {
        XMLElement element;
        while (mXMLParser->NextElement(element)) {
            if (element.mType == XMLElement::TYPE_START) {
                if (element.mValue != "Properties") {
                    Fail("Invalid Section '" + element.mValue + "'");
                    break;
                }
                if (!ParseSection())
                    break;
            } else if (element.mType == XMLElement::TYPE_TEXT) {
                Fail("Element Not Expected '" + element.mValue + "'");
                break;
            }
        }
    }
    if (mXMLParser->HasFailed())
        Fail(mXMLParser->GetErrorText());
    mXMLParser.reset();
    return !mHasFailed;
}

bool PropertiesParser::ParseSection()
{
    XMLElement element;
    for (;;) {
        if (!NextInnerElement(element))
            return false;

        if (element.mType == XMLElement::TYPE_START) {
            const std::string& name = element.mValue;
            if (name == "String") {
                std::string text;
                if (!ReadText(text))
                    return false;
                mApp->SetString(IdOf(element), StringToWString(text));
            } else if (name == "StringArray") {
                std::vector<std::string> strings;
                if (!ParseStringArray(strings))
                    return false;
                std::vector<std::u16string> wide;
                wide.reserve(strings.size());
                for (const std::string& text : strings)
                    wide.push_back(StringToWString(text));
                // An id already present keeps its list.
                mApp->stringVectorTable.insert({ IdOf(element), std::move(wide) });
            } else if (name == "Boolean") {
                std::string text;
                if (!ReadText(text))
                    return false;
                text = StringToUpper(text);
                bool value = false;
                if (text == "1" || text == "YES" || text == "ON" || text == "TRUE")
                    value = true;
                else if (text == "0" || text == "NO" || text == "OFF" || text == "FALSE")
                    value = false;
                else
                    return Fail("Invalid Boolean Value: '" + text + "'");
                mApp->SetBoolean(IdOf(element), value);
            } else if (name == "Integer") {
                std::string text;
                if (!ReadText(text))
                    return false;
                int value = 0;
                if (!StringToInt(text, &value))
                    return Fail("Invalid Integer Value: '" + text + "'");
                mApp->SetInteger(IdOf(element), value);
            } else if (name == "Double") {
                std::string text;
                if (!ReadText(text))
                    return false;
                double value = 0.0;
                if (!StringToDouble(text, &value))
                    return Fail("Invalid Double Value: '" + text + "'");
                mApp->SetDouble(IdOf(element), value);
            } else {
                return Fail("Invalid Section '" + name + "'");
            }
        } else if (element.mType == XMLElement::TYPE_END) {
            return true;
        } else if (element.mType == XMLElement::TYPE_TEXT) {
            return Fail("Element Not Expected '" + element.mValue + "'");
        }
    }
}

bool PropertiesParser::ParseStringArray(std::vector<std::string>& strings)
{
    strings.clear();
    XMLElement element;
    for (;;) {
        if (!NextInnerElement(element))
            return false;
        if (element.mType == XMLElement::TYPE_START) {
            if (element.mValue != "String")
                return Fail("Invalid Section '" + element.mValue + "'");
            std::string text;
            if (!ReadText(text))
                return false;
            strings.push_back(text);
        } else if (element.mType == XMLElement::TYPE_TEXT) {
            return Fail("Element Not Expected '" + element.mValue + "'");
        } else if (element.mType == XMLElement::TYPE_END) {
            return true;
        }
    }
}

bool PropertiesParser::ReadText(std::string& text)
{
    text.clear();
    XMLElement element;
    for (;;) {
        if (!NextInnerElement(element))
            return false;
        if (element.mType == XMLElement::TYPE_TEXT)
            text = element.mValue;
        else if (element.mType == XMLElement::TYPE_END)
            return true;
        else if (element.mType == XMLElement::TYPE_START)
            return Fail("Unexpected Section: '" + element.mValue + "'");
    }
}

} // namespace Lumo

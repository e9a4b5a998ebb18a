#include "game/engine/XmlSaveCheck.h"

#include "game/engine/AnimObject.h"
#include "game/engine/GameFile.h"
#include "game/engine/LoadMessages.h"

#include <cstring>

namespace {

thread_local XmlSaveCheck* tActiveCheck = nullptr;

} // namespace

XmlSaveCheck::XmlSaveCheck() : mOuter(tActiveCheck)
{
    tActiveCheck = this;
}

XmlSaveCheck::~XmlSaveCheck()
{
    tActiveCheck = mOuter;
}

bool XmlSaveCheck::IsWritable(const char* value)
{
    return value == nullptr || std::strchr(value, '"') == nullptr;
}

void XmlSaveCheck::SetObject(const char* name)
{
    if (tActiveCheck != nullptr)
        tActiveCheck->mObject = name != nullptr ? name : "";
}

void XmlSaveCheck::RefuseValue(const char* attribute, const char* value)
{
    if (tActiveCheck == nullptr)
        return;
    (void)value;
    tActiveCheck->mProblems.push_back("object \"" + tActiveCheck->mObject + "\": attribute \"" +
                                      (attribute != nullptr ? attribute : "") + "\" holds a double quote");
}

bool SaveObjectXml(AnimObject& object, const char* path)
{
    std::string text;
    XmlSaveCheck check;
    object.WriteXml(text, 0);
    const std::string file = path != nullptr ? path : "";
    if (!check.Passed()) {
        for (const std::string& problem : check.GetProblems())
            LoadMessages::Report(file, 0, problem + "; not saved");
        return false;
    }
    if (WriteWholeFile(file.c_str(), text.data(), text.size()) != 1) {
        LoadMessages::Report(file, 0, "cannot be written; the file is unchanged");
        return false;
    }
    return true;
}

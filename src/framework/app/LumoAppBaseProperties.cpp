// Lookups in the property tables and the loading of a properties file.
#include "framework/app/LumoAppBase.h"

#include "framework/parsers/PropertiesParser.h"
#include "framework/core/StringUtils.h"

namespace Lumo {

std::string LumoAppBase::GetString(const std::string& id, const std::string& defaultValue)
{
    const auto entry = stringTable.find(id);
    if (entry == stringTable.end())
        return defaultValue;
    return WStringToString(entry->second);
}

bool LumoAppBase::GetBoolean(const std::string& id, bool defaultValue)
{
    const auto entry = booleanTable.find(id);
    return entry == booleanTable.end() ? defaultValue : entry->second;
}

bool LumoAppBase::CheckSignature(const Buffer& /*buffer*/, const std::string& /*fileName*/)
{
    return false;
}

bool LumoAppBase::LoadProperties(const std::string& fileName, bool required, bool checkSignature)
{
    Buffer buffer;
    if (!ReadBufferFromFile(fileName, buffer)) {
        if (!required)
            return true;
        FatalErrorPopup(GetString("UNABLE_OPEN_PROPERTIES", "Unable to open properties file ") + fileName);
        return false;
    }

    // A file that fails its check gives nothing at all to the tables.
    if (checkSignature && !CheckSignature(buffer, fileName)) {
        FatalErrorPopup(GetString("PROPERTIES_SIG_FAILED", "Signature check failed on ") + fileName + "'");
        return false;
    }

    PropertiesParser parser(this);
    if (!parser.ParsePropertiesBuffer(buffer)) {
        FatalErrorPopup(parser.GetErrorText());
        return false;
    }
    return true;
}

} // namespace Lumo

#include "game/engine/PartnerProperties.h"

#include "game/engine/GameFile.h"
#include "game/engine/ObjectXmlElement.h"
#include "game/engine/ObjectXmlReader.h"

#include <cstring>

std::vector<PartnerProperty> ParsePartnerProperties(const char* text, const char* fileName)
{
    std::vector<PartnerProperty> properties;
    if (text == nullptr) {
        return properties;
    }
    ObjectXmlReader reader(text, fileName);
    ObjectXmlElement element;
    while (reader.Next(element) && !element.IsTag("/Properties")) {
        const char* id = element.GetAttribute("id");
        if (id == nullptr || element.IsClosing()) {
            continue;
        }
        PartnerProperty property;
        property.mId = id;
        if (element.GetContent() != nullptr && element.GetContentLength() > 0) {
            property.mText.assign(element.GetContent(), static_cast<size_t>(element.GetContentLength()));
        }
        properties.push_back(std::move(property));
    }
    return properties;
}

std::vector<PartnerProperty> ReadPartnerProperties(const char* path)
{
    size_t size = 0;
    const std::unique_ptr<char[]> text = ReadWholeFile(path, size);
    return ParsePartnerProperties(text.get(), path);
}

bool PartnerFlagIsTrue(const std::string& text)
{
    return text.size() <= 4 && std::strncmp(text.c_str(), "true", text.size()) == 0;
}

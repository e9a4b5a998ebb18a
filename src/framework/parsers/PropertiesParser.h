// Reads a properties document (XML of typed, named values) into the
// application's string, boolean, integer, double and string-array tables.
#pragma once

#include "framework/parsers/XMLElement.h"
#include "framework/parsers/XMLParser.h"

#include <memory>
#include <string>
#include <vector>

namespace Lumo {

class Buffer;
class LumoAppBase;

class PropertiesParser {
public:
    explicit PropertiesParser(LumoAppBase* app);
    virtual ~PropertiesParser();
    PropertiesParser(const PropertiesParser&) = delete;
    PropertiesParser& operator=(const PropertiesParser&) = delete;

    // Parses the buffer's UTF-8 text; true when nothing failed. Values set
    // before a failure stay set.
    bool ParsePropertiesBuffer(const Buffer& buffer);
    // The first failure, with " on Line %d" (and " in File '%s'" for a file).
    const std::string& GetErrorText() const { return mError; }

private:
    bool DoParse();
    bool ParseSection();
    bool ParseStringArray(std::vector<std::string>& strings);
    bool ReadText(std::string& text);
    // Next element inside an open element: the end of the input there is an
    // error too.
    bool NextInnerElement(XMLElement& element);
    // Keeps the first message only; always false.
    bool Fail(const std::string& message);

    LumoAppBase* mApp;
    std::unique_ptr<XMLParser> mXMLParser; // only while a parse runs
    std::string mError;
    bool mHasFailed = false;
};

} // namespace Lumo

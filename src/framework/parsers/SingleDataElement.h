// A word of a descriptor command, kept as written (quotes and backslashes
// included), with the value that follows it when written as name=value.
#pragma once

#include "framework/parsers/DataElement.h"

#include <memory>
#include <string>

namespace Lumo {

class SingleDataElement : public DataElement {
public:
    SingleDataElement();
    explicit SingleDataElement(const std::string& text);
    SingleDataElement(const SingleDataElement& other);
    SingleDataElement& operator=(const SingleDataElement& other);
    ~SingleDataElement() override;

    std::unique_ptr<DataElement> Duplicate() const override;

    std::string mString;
    // Null unless the word was written as name=value.
    std::unique_ptr<DataElement> mValue;
};

} // namespace Lumo

// A parenthesised list of a descriptor command; it owns its children.
#pragma once

#include "framework/parsers/DataElement.h"

#include <memory>
#include <vector>

namespace Lumo {

class ListDataElement : public DataElement {
public:
    ListDataElement();
    ListDataElement(const ListDataElement& other);
    ListDataElement& operator=(const ListDataElement& other);
    ~ListDataElement() override;

    std::unique_ptr<DataElement> Duplicate() const override;

    std::vector<std::unique_ptr<DataElement>> mElementVector;
};

} // namespace Lumo

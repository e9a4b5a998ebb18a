// An argument of a descriptor command: a single word (possibly name=value)
// or a list in parentheses. Elements own what they hold.
#pragma once

#include <memory>

namespace Lumo {

class DataElement {
public:
    explicit DataElement(bool isList) : mIsList(isList) {}
    virtual ~DataElement() = default;

    // A deep copy owned by the caller.
    virtual std::unique_ptr<DataElement> Duplicate() const = 0;

    bool mIsList;

protected:
    DataElement(const DataElement&) = default;
    DataElement& operator=(const DataElement&) = default;
};

} // namespace Lumo

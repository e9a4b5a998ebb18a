// Descriptor lists: copying duplicates every child.
#include "framework/parsers/ListDataElement.h"

namespace Lumo {

ListDataElement::ListDataElement() : DataElement(true) {}

ListDataElement::ListDataElement(const ListDataElement& other) : DataElement(true)
{
    mElementVector.reserve(other.mElementVector.size());
    for (const auto& child : other.mElementVector)
        mElementVector.push_back(child->Duplicate());
}

ListDataElement& ListDataElement::operator=(const ListDataElement& other)
{
    if (this != &other) {
        // Copy first: the other list may be held inside this one.
        std::vector<std::unique_ptr<DataElement>> copy;
        copy.reserve(other.mElementVector.size());
        for (const auto& child : other.mElementVector)
            copy.push_back(child->Duplicate());
        mElementVector = std::move(copy);
    }
    return *this;
}

ListDataElement::~ListDataElement() = default;

std::unique_ptr<DataElement> ListDataElement::Duplicate() const
{
    return std::make_unique<ListDataElement>(*this);
}

} // namespace Lumo

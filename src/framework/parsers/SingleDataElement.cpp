// Single descriptor words: copying duplicates the value.
#include "framework/parsers/SingleDataElement.h"

namespace Lumo {

SingleDataElement::SingleDataElement() : DataElement(false) {}

SingleDataElement::SingleDataElement(const std::string& text) : DataElement(false), mString(text) {}

SingleDataElement::SingleDataElement(const SingleDataElement& other)
    : DataElement(false), mString(other.mString), mValue(other.mValue ? other.mValue->Duplicate() : nullptr)
{
}

SingleDataElement& SingleDataElement::operator=(const SingleDataElement& other)
{
    if (this != &other) {
        mString = other.mString;
        mValue = other.mValue ? other.mValue->Duplicate() : nullptr;
    }
    return *this;
}

SingleDataElement::~SingleDataElement() = default;

std::unique_ptr<DataElement> SingleDataElement::Duplicate() const
{
    return std::make_unique<SingleDataElement>(*this);
}

} // namespace Lumo

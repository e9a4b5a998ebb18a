// One item read by the XML parser: a start tag with its attributes, an end
// tag, a run of text, a processing instruction or a comment, together with
// the path of the tags open when it began.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace Lumo {

class XMLElement {
public:
    enum Type {
        TYPE_NONE = 0,
        TYPE_START = 1,
        TYPE_END = 2,
        TYPE_TEXT = 3,
        TYPE_INSTRUCTION = 4,
        TYPE_COMMENT = 5
    };

    // Back to an empty element of type none under the given section.
    void Clear(const std::string& section)
    {
        mType = TYPE_NONE;
        mSection = section;
        mValue.clear();
        mRawValue.clear();
        mInstruction.clear();
        mAttributes.clear();
        mRawAttributes.clear();
        mAttributeOrder.clear();
        mRawAttributeOrder.clear();
    }

    // Value of the decoded attribute, or null when the tag has none of that name.
    const std::string* FindAttribute(const std::string& name) const
    {
        const auto it = mAttributes.find(name);
        return it == mAttributes.end() ? nullptr : &it->second;
    }

    int mType = TYPE_NONE;
    // Open tags when the element began, joined by "/"; for a start tag the
    // path of its parent.
    std::string mSection;
    // Tag name, text or instruction target, entities decoded.
    std::string mValue;
    // The same as written.
    std::string mRawValue;
    // Body of an instruction or comment.
    std::string mInstruction;
    std::map<std::string, std::string> mAttributes;
    std::map<std::string, std::string> mRawAttributes;
    // Names of mAttributes / mRawAttributes in first-insertion order; a
    // name "/" (the mark of "<tag />") is in the maps but not here.
    std::vector<std::string> mAttributeOrder;
    std::vector<std::string> mRawAttributeOrder;
};

} // namespace Lumo

// The product's partner file "properties\partner.xml": tags with an "id"
// and a text, read up to "/Properties". A missing file has no properties.
#pragma once

#include <string>
#include <vector>

struct PartnerProperty {
    std::string mId;
    std::string mText;
};

// The tags of the file that carry an "id", in file order.
std::vector<PartnerProperty> ReadPartnerProperties(const char* path = "properties\\partner.xml");
// The same over a text in memory.
std::vector<PartnerProperty> ParsePartnerProperties(const char* text, const char* fileName);
// The "DefaultWindowed" test: the value is compared with "true" over the
// value's own length, case-sensitively ("t" counts, "TRUE" does not, an
// empty value counts).
bool PartnerFlagIsTrue(const std::string& text);

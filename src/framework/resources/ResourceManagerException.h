// The exception thrown by the resource manager's lookups by id when a
// resource is missing or not loaded; it carries the manager's error text.
#pragma once

#include <exception>
#include <string>

namespace Lumo {

class ResourceManagerException : public std::exception {
public:
    explicit ResourceManagerException(const std::string& text) : mText(text) {}

    const char* what() const noexcept override { return mText.c_str(); }

    std::string mText;
};

} // namespace Lumo

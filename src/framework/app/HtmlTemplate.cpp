#include "framework/app/HtmlTemplate.h"

namespace Lumo {

std::string SubstituteVariables(const std::string& text, const std::map<std::string, std::string>& variables)
{
    std::string result = text;
    for (int done = 0; done < kMaxSubstitutions; ++done) {
        const size_t open = result.find('%');
        if (open == std::string::npos)
            break;
        const size_t close = result.find('%', open + 1);
        if (close == std::string::npos)
            break;
        const auto found = variables.find(result.substr(open + 1, close - open - 1));
        const std::string& value = found != variables.end() ? found->second : std::string();
        if (result.size() - (close - open + 1) + value.size() > kMaxSubstitutedLine)
            break;
        result.replace(open, close - open + 1, value);
    }
    return result;
}

} // namespace Lumo

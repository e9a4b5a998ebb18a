// The product's command-line option.
#include "framework/app/LumoApp.h"

#include "platform/system/MessageBox.h"

namespace Lumo {

void LumoApp::ParseCommandParam(const std::string& name, const std::string& value)
{
    if (name != "-version") {
        LumoAppBase::ParseCommandParam(name, value);
        return;
    }
    const std::string text = "Product: " + productName + "\r\n" + "Version: " + productVersion + "\r\n" +
                             "Build Num: " + std::to_string(buildNumber) + "\r\n" + "Build Date: " + buildDate;
    Plat::GetMessageBoxes().Show(nullptr, text, "Version Info", Plat::kMbOk | Plat::kMbIconInformation);
    DoExit(0);
}

} // namespace Lumo

// What the product application asks of the ad list without depending on
// the network side: the internet manager answers these.
#pragma once

#include <string>

namespace Lumo {

class AdPages {
public:
    virtual ~AdPages() = default;
    // The second line of the fetched catalogue's URL text; empty when none.
    virtual std::string GetResultURL() = 0;
    // Re-checks which entries have all their files.
    virtual void RefreshAdFiles() = 0;
    // Refreshes, then: some entry of the kind is present and not shown yet
    // (and, unless includeExcluded, not put back by the choice).
    virtual bool HasAdOfKind(int kind, bool includeExcluded) = 0;
    // Opens one present pop-up page in the browser (none while a demo plays)
    // and counts it as shown.
    virtual void ShowPopupAd() = 0;
};

} // namespace Lumo

// The demo playback prompts: pick one of the played demo's markers, or type
// a time counted back from the end of the recording. They read and write
// the typed time in the settings store directly, never through the
// demo-aware settings, so opening one consumes no record of the demo.
#include "framework/app/LumoAppBase.h"

#include "platform/files/SettingsStore.h"
#include "platform/system/Clock.h"
#include "platform/window/ModalPrompt.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace Lumo {

namespace {

const char kJumpTimeValue[] = "DemoJumpTime";
constexpr size_t kMaxJumpText = 500;
constexpr size_t kMaxStoredJumpText = 1000;
// Far beyond any recording, and small enough that milliseconds of it fit
// in 64 bits.
constexpr int64_t kMaxJumpSeconds = 1000000000000;

// The leading integer of a part: blanks, a sign, digits; anything else
// ends it (no digits: 0). Saturates instead of overflowing.
int64_t LeadingInteger(const std::string& part)
{
    size_t pos = 0;
    while (pos < part.size() && (part[pos] == ' ' || part[pos] == '\t'))
        ++pos;
    bool negative = false;
    if (pos < part.size() && (part[pos] == '-' || part[pos] == '+'))
        negative = part[pos++] == '-';
    int64_t value = 0;
    for (; pos < part.size() && part[pos] >= '0' && part[pos] <= '9'; ++pos)
        value = std::min<int64_t>(value * 10 + (part[pos] - '0'), kMaxJumpSeconds);
    return negative ? -value : value;
}

// Seconds of a typed time: the parts between ':' fold as total * 60 + part,
// so "s", "m:s" and "h:m:s" all give seconds.
int64_t JumpSeconds(const std::string& text)
{
    int64_t total = 0;
    size_t start = 0;
    while (true) {
        const size_t colon = text.find(':', start);
        const std::string part = text.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        total = std::clamp(total * 60 + LeadingInteger(part), -kMaxJumpSeconds, kMaxJumpSeconds);
        if (colon == std::string::npos)
            return total;
        start = colon + 1;
    }
}

std::unique_ptr<Plat::SettingsStore> OpenUserSettings(const std::string& registryKey)
{
    if (registryKey.empty())
        return nullptr;
    return Plat::OpenSettingsStore(Plat::SettingsRoot::User, registryKey);
}

} // namespace

int LumoAppBase::ShowJumpToTimeDialog()
{
    Plat::PromptRequest request;
    request.kind = Plat::PromptRequest::Kind::EditLine;
    request.title = "Jump To Time";
    request.maxLength = kMaxJumpText;
    const std::unique_ptr<Plat::SettingsStore> store = OpenUserSettings(registryKey);
    uint32_t type = 0;
    std::vector<uint8_t> stored;
    if (store != nullptr && store->GetValue("", kJumpTimeValue, type, stored) && type == Plat::kSettingsString) {
        stored.resize(std::min(stored.size(), kMaxStoredJumpText));
        request.text.assign(stored.begin(), std::find(stored.begin(), stored.end(), 0));
    }

    const Plat::PromptAnswer answer = Plat::GetModalPrompts().Ask(mainWindow, request);
    displayChangeTime = Plat::GetClock().TickCount();
    if (!answer.accepted)
        return 0;
    const std::string text = answer.text.substr(0, kMaxJumpText);
    if (store != nullptr)
        store->SetValue("", kJumpTimeValue, Plat::kSettingsString, reinterpret_cast<const uint8_t*>(text.data()),
                        text.size());
    if (frameTime <= 0)
        return 0;
    // A negative time would lie past the end: the end is as far as a
    // recording goes.
    const int64_t target = demoTotalUpdates - (JumpSeconds(text) + 1) * 1000 / frameTime;
    demoTargetUpdate = std::min<int64_t>(target, demoTotalUpdates);
    return 0;
}

int LumoAppBase::ShowMarkerListDialog()
{
    Plat::PromptRequest request;
    request.kind = Plat::PromptRequest::Kind::PickLine;
    request.title = "Marker List";
    std::vector<int32_t> updates;
    for (const DemoMarker& marker : demoMarkers) {
        if (marker.update <= updateCount)
            continue;
        // The time left at the marker, as the playback overlay counts it.
        const int64_t seconds =
            frameTime > 0 ? std::max<int64_t>(0, (int64_t{demoTotalUpdates} - marker.update) * frameTime / 1000) : 0;
        char time[64];
        std::snprintf(time, sizeof(time), " (%02" PRId64 ":%02d:%02d)", seconds / 3600,
                      static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
        request.lines.push_back(marker.name + time);
        updates.push_back(marker.update);
    }

    const Plat::PromptAnswer answer = Plat::GetModalPrompts().Ask(mainWindow, request);
    displayChangeTime = Plat::GetClock().TickCount();
    // The loop stood still while the prompt was open, so a listed marker is
    // still ahead; checked all the same.
    if (answer.accepted && answer.line >= 0 && answer.line < static_cast<int>(updates.size()) &&
        updates[answer.line] > updateCount)
        demoTargetUpdate = updates[answer.line];
    return 0;
}

} // namespace Lumo

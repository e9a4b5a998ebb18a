#include "framework/sound/BassInstance.h"

#include <atomic>

#include "platform/system/MessageBox.h"
#include "platform/system/ProcessControl.h"

namespace Lumo {

namespace {

BASS_INSTANCE* gBassInstance = nullptr;
std::atomic<int> gBassInstanceCount{0};

constexpr uint32_t kErrorIcon = 0x10;
// A missing library function leaves the program unable to go on: a failure
// exit, not a clean one.
constexpr int kMissingExitCode = 1;

[[noreturn]] void FailMissing(const std::string& text)
{
    Plat::GetMessageBoxes().Show(nullptr, text, std::string("Error"), kErrorIcon);
    Plat::ExitProcess(kMissingExitCode);
}

template <typename T>
void Fetch(const Plat::BassLibrary* module, const char* name, T& field)
{
    field = reinterpret_cast<T>(module->Find(name));
}

// Fetches a function the player cannot do without.
template <typename T>
void CheckBassFunction(const Plat::BassLibrary* module, const char* name, T& field)
{
    Fetch(module, name, field);
    if (field == nullptr)
        FailMissing(std::string(name) + " function not found in bass.dll");
}

} // namespace

BASS_INSTANCE::BASS_INSTANCE(const std::string& path)
{
    mModule = Plat::LoadBassLibrary(path);
    if (mModule == nullptr)
        return;
    const Plat::BassLibrary* m = mModule;

    CheckBassFunction(m, "BASS_Init", BASS_Init);
    CheckBassFunction(m, "BASS_Free", BASS_Free);
    CheckBassFunction(m, "BASS_Stop", BASS_Stop);
    CheckBassFunction(m, "BASS_Start", BASS_Start);
    Fetch(m, "BASS_SetGlobalVolumes", BASS_SetGlobalVolumes);
    Fetch(m, "BASS_SetVolume", BASS_SetVolume);
    if (BASS_SetGlobalVolumes == nullptr && BASS_SetVolume == nullptr)
        FailMissing("Neither BASS_SetGlobalVolumes or BASS_SetVolume found in bass.dll");
    Fetch(m, "BASS_SetConfig", BASS_SetConfig);
    Fetch(m, "BASS_GetConfig", BASS_GetConfig);

    CheckBassFunction(m, "BASS_GetVolume", BASS_GetVolume);
    CheckBassFunction(m, "BASS_GetInfo", BASS_GetInfo);
    CheckBassFunction(m, "BASS_GetVersion", BASS_GetVersion);
    CheckBassFunction(m, "BASS_ChannelStop", BASS_ChannelStop);
    CheckBassFunction(m, "BASS_ChannelPlay", BASS_ChannelPlay);
    CheckBassFunction(m, "BASS_ChannelPause", BASS_ChannelPause);
    CheckBassFunction(m, "BASS_ChannelSetAttributes", BASS_ChannelSetAttributes);
    CheckBassFunction(m, "BASS_ChannelGetAttributes", BASS_ChannelGetAttributes);
    CheckBassFunction(m, "BASS_ChannelSetPosition", BASS_ChannelSetPosition);
    CheckBassFunction(m, "BASS_ChannelGetPosition", BASS_ChannelGetPosition);
    CheckBassFunction(m, "BASS_ChannelIsActive", BASS_ChannelIsActive);
    CheckBassFunction(m, "BASS_ChannelSetFlags", BASS_ChannelSetFlags);
    CheckBassFunction(m, "BASS_ChannelSlideAttributes", BASS_ChannelSlideAttributes);
    CheckBassFunction(m, "BASS_ChannelIsSliding", BASS_ChannelIsSliding);
    CheckBassFunction(m, "BASS_ChannelGetLevel", BASS_ChannelGetLevel);
    CheckBassFunction(m, "BASS_ChannelSetSync", BASS_ChannelSetSync);
    CheckBassFunction(m, "BASS_ChannelRemoveSync", BASS_ChannelRemoveSync);
    CheckBassFunction(m, "BASS_ChannelGetData", BASS_ChannelGetData);
    CheckBassFunction(m, "BASS_FXSetParameters", BASS_FXSetParameters);
    CheckBassFunction(m, "BASS_FXGetParameters", BASS_FXGetParameters);
    CheckBassFunction(m, "BASS_ChannelSetFX", BASS_ChannelSetFX);
    CheckBassFunction(m, "BASS_ChannelRemoveFX", BASS_ChannelRemoveFX);
    CheckBassFunction(m, "BASS_MusicLoad", BASS_MusicLoad);
    CheckBassFunction(m, "BASS_MusicFree", BASS_MusicFree);
    CheckBassFunction(m, "BASS_MusicGetAttribute", BASS_MusicGetAttribute);
    CheckBassFunction(m, "BASS_MusicSetAttribute", BASS_MusicSetAttribute);
    CheckBassFunction(m, "BASS_StreamCreateFile", BASS_StreamCreateFile);
    CheckBassFunction(m, "BASS_StreamFree", BASS_StreamFree);
    CheckBassFunction(m, "BASS_MusicGetOrders", BASS_MusicGetOrders);
    CheckBassFunction(m, "BASS_MusicGetOrderPosition", BASS_MusicGetOrderPosition);
    CheckBassFunction(m, "BASS_SampleLoad", BASS_SampleLoad);
    CheckBassFunction(m, "BASS_SampleFree", BASS_SampleFree);
    CheckBassFunction(m, "BASS_SampleSetInfo", BASS_SampleSetInfo);
    CheckBassFunction(m, "BASS_SampleGetInfo", BASS_SampleGetInfo);
    CheckBassFunction(m, "BASS_SampleGetChannel", BASS_SampleGetChannel);
    CheckBassFunction(m, "BASS_SampleStop", BASS_SampleStop);
    CheckBassFunction(m, "BASS_ErrorGetCode", BASS_ErrorGetCode);

    mVersion2 = BASS_SetConfig != nullptr;
    if (mVersion2) {
        // The newer library has the same names with the longer shapes.
        BASS_Init2 = reinterpret_cast<Plat::BASS_Init_New_t>(reinterpret_cast<Plat::BassProc>(BASS_Init));
        BASS_Init = nullptr;
        BASS_MusicLoad2 = reinterpret_cast<Plat::BASS_MusicLoad_New_t>(reinterpret_cast<Plat::BassProc>(BASS_MusicLoad));
        BASS_MusicLoad = nullptr;
        Fetch(m, "BASS_PluginLoad", BASS_PluginLoad);
        Fetch(m, "BASS_ChannelGetLength", BASS_ChannelGetLength);
        Fetch(m, "BASS_ChannelPreBuf", BASS_ChannelPreBuf);
    }
}

BASS_INSTANCE::~BASS_INSTANCE() = default;

void BASS_INSTANCE::PlayFromOrder(uint32_t music, int order, uint32_t flags)
{
    BASS_ChannelStop(music);
    const uint64_t position = (0xFFFFFFFFull << 32) | 0x80000000ull | (uint32_t(order) & 0xFFFFu);
    BASS_ChannelSetPosition(music, position);
    BASS_ChannelSetFlags(music, flags);
    BASS_ChannelPlay(music, 0);
}

BASS_INSTANCE* GetBassInstance()
{
    if (gBassInstance == nullptr) {
        gBassInstance = new BASS_INSTANCE(".\\bass.dll");
        if (gBassInstance->mModule == nullptr) {
            delete gBassInstance;
            gBassInstance = nullptr;
            gBassInstanceCount = 0;
            Plat::GetMessageBoxes().Show(nullptr, std::string("Can't find bass.dll."), std::string("Error"), kErrorIcon);
            Plat::ExitProcess(kMissingExitCode);
        }
    }
    ++gBassInstanceCount;
    return gBassInstance;
}

void ReleaseBassInstance()
{
    if (gBassInstance == nullptr)
        return;
    if (--gBassInstanceCount <= 0) {
        delete gBassInstance;
        gBassInstance = nullptr;
    }
}

} // namespace Lumo

// The module player over libopenmpt. The library reports failures as
// exceptions; they stop here and become results.
#include "platform/audio/AudioDecoder.h"

#include <libopenmpt/libopenmpt.hpp>

#include <algorithm>
#include <cmath>
#include <exception>
#include <ostream>
#include <streambuf>

namespace Plat {

namespace {

// Where libopenmpt's load messages go: nowhere.
class NullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return c; }
};

std::ostream& NullLog()
{
    static NullBuffer buffer;
    static std::ostream log(&buffer);
    return log;
}

} // namespace

struct ModulePlayer::Impl {
    Impl(const uint8_t* data, size_t size, uint32_t rate) : module(data, size, NullLog()), outputRate(rate) {}

    openmpt::module module;
    const uint32_t outputRate;
    float gain = 1.0f;
    int repeat = 0;
    bool ended = false;
};

ModulePlayer::ModulePlayer(std::unique_ptr<Impl> impl) : mImpl(std::move(impl)) {}

ModulePlayer::~ModulePlayer() = default;

std::unique_ptr<ModulePlayer> ModulePlayer::Load(const uint8_t* data, size_t size, uint32_t outputRate,
                                                 std::string* error)
{
    if (data == nullptr || size == 0) {
        if (error != nullptr)
            *error = "no module data";
        return nullptr;
    }
    try {
        auto impl = std::make_unique<Impl>(data, size, outputRate == 0 ? kMixRate : outputRate);
        impl->module.set_repeat_count(0);
        return std::unique_ptr<ModulePlayer>(new ModulePlayer(std::move(impl)));
    } catch (const std::exception& failure) {
        if (error != nullptr)
            *error = std::string("module not loaded: ") + failure.what();
        return nullptr;
    }
}

size_t ModulePlayer::Read(float* stereo, size_t frames)
{
    std::lock_guard<std::mutex> guard(mLock);
    if (mImpl->ended || frames == 0)
        return 0;
    size_t written = 0;
    try {
        // libopenmpt renders in parts; ask until the song ends or all is there.
        while (written < frames) {
            const size_t got = mImpl->module.read_interleaved_stereo(int32_t(mImpl->outputRate), frames - written,
                                                                     stereo + 2 * written);
            if (got == 0) {
                mImpl->ended = true;
                break;
            }
            written += got;
        }
    } catch (const std::exception&) {
        mImpl->ended = true;
    }
    const float gain = mImpl->gain;
    if (gain != 1.0f) {
        for (size_t i = 0; i < 2 * written; ++i)
            stereo[i] *= gain;
    }
    return written;
}

int ModulePlayer::OrderCount() const
{
    std::lock_guard<std::mutex> guard(mLock);
    return int(mImpl->module.get_num_orders());
}

int ModulePlayer::Order() const
{
    std::lock_guard<std::mutex> guard(mLock);
    return int(mImpl->module.get_current_order());
}

int ModulePlayer::Row() const
{
    std::lock_guard<std::mutex> guard(mLock);
    return int(mImpl->module.get_current_row());
}

bool ModulePlayer::SetOrder(int order, int row)
{
    std::lock_guard<std::mutex> guard(mLock);
    if (order < 0 || order >= int(mImpl->module.get_num_orders()) || row < 0)
        return false;
    try {
        mImpl->module.set_position_order_row(order, row);
    } catch (const std::exception&) {
        return false;
    }
    mImpl->ended = false;
    return true;
}

void ModulePlayer::SetRepeatCount(int count)
{
    std::lock_guard<std::mutex> guard(mLock);
    mImpl->repeat = count < 0 ? -1 : count;
    mImpl->module.set_repeat_count(mImpl->repeat);
}

int ModulePlayer::RepeatCount() const
{
    std::lock_guard<std::mutex> guard(mLock);
    return mImpl->repeat;
}

void ModulePlayer::SetGain(float gain)
{
    std::lock_guard<std::mutex> guard(mLock);
    mImpl->gain = gain < 0.0f ? 0.0f : gain;
}

float ModulePlayer::Gain() const
{
    std::lock_guard<std::mutex> guard(mLock);
    return mImpl->gain;
}

void ModulePlayer::SetRamping(bool on)
{
    std::lock_guard<std::mutex> guard(mLock);
    // -1 is the library's default ramp, 0 none.
    mImpl->module.set_render_param(openmpt::module::RENDER_VOLUMERAMPING_STRENGTH, on ? -1 : 0);
}

double ModulePlayer::PositionSeconds() const
{
    std::lock_guard<std::mutex> guard(mLock);
    return mImpl->module.get_position_seconds();
}

double ModulePlayer::LengthSeconds() const
{
    std::lock_guard<std::mutex> guard(mLock);
    return mImpl->module.get_duration_seconds();
}

bool ModulePlayer::Ended() const
{
    std::lock_guard<std::mutex> guard(mLock);
    return mImpl->ended;
}

void ModulePlayer::Restart()
{
    std::lock_guard<std::mutex> guard(mLock);
    try {
        mImpl->module.set_position_order_row(0, 0);
    } catch (const std::exception&) {
    }
    mImpl->ended = false;
}

bool RenderModulePass(const uint8_t* data, size_t size, uint32_t rate, PcmBlock& out, std::string* error,
                      size_t maxFrames)
{
    out = PcmBlock();
    auto fail = [error](const char* why) {
        if (error != nullptr)
            *error = why;
        return false;
    };
    if (rate < 1000 || rate > 192000)
        return fail("module render rate out of range");
    std::unique_ptr<ModulePlayer> player = ModulePlayer::Load(data, size, rate, error);
    if (player == nullptr)
        return false;
    player->SetRepeatCount(0);
    const double seconds = player->LengthSeconds();
    constexpr uint32_t kFrameBytes = 4; // 16-bit stereo
    if (!std::isfinite(seconds) || seconds <= 0.0)
        return fail("module has no length");
    const double wanted = std::round(seconds * double(rate));
    if (wanted < 1.0 || wanted > double(std::min(maxFrames, kMaxModulePassFrames)))
        return fail("module too long to render whole");
    const size_t frames = size_t(wanted);

    out.channels = 2;
    out.bits = 16;
    out.rate = rate;
    out.bytes.assign(frames * kFrameBytes, 0);
    int16_t* pcm = reinterpret_cast<int16_t*>(out.bytes.data());
    constexpr size_t kChunkFrames = 4096;
    std::vector<float> chunk(2 * kChunkFrames);
    size_t done = 0;
    while (done < frames) {
        const size_t ask = std::min(kChunkFrames, frames - done);
        const size_t got = player->Read(chunk.data(), ask);
        for (size_t i = 0; i < 2 * got; ++i) {
            const float v = std::clamp(chunk[i] * 32768.0f, -32768.0f, 32767.0f);
            pcm[2 * done + i] = int16_t(std::lrint(v));
        }
        done += got;
        if (got < ask)
            break; // the rest stays silent
    }
    return true;
}

} // namespace Plat

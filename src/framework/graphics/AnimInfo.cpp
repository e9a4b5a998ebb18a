// Completion of an animation record from the cell count.
#include "framework/graphics/AnimInfo.h"

#include <cstddef>

namespace Lumo {

AnimInfo::AnimInfo() : mKind(KIND_NONE), mFrameDelay(1), mFrameCount(1), mTotalTime(0) {}

void AnimInfo::Compute(int cels, int beginDelay, int endDelay)
{
    mFrameCount = cels < 1 ? 1 : cels;
    if (mFrameDelay < 1) {
        mFrameDelay = 1;
    }

    if (mKind == KIND_PING_PONG && mFrameCount >= 2) {
        mFrameMap.clear();
        for (int i = 0; i < cels; ++i) {
            mFrameMap.push_back(i);
        }
        for (int i = cels - 2; i >= 1; --i) {
            mFrameMap.push_back(i);
        }
    }

    if (!mFrameMap.empty()) {
        mFrameCount = static_cast<int>(mFrameMap.size());
    }

    if (beginDelay >= 1) {
        if (mPerFrameTimes.empty()) {
            mPerFrameTimes.resize(1);
        }
        mPerFrameTimes[0] = beginDelay;
    }

    if (endDelay > 0) {
        if (mPerFrameTimes.size() < static_cast<size_t>(mFrameCount)) {
            mPerFrameTimes.resize(static_cast<size_t>(mFrameCount), 0);
        }
        mPerFrameTimes[static_cast<size_t>(mFrameCount) - 1] = endDelay;
    }

    if (!mPerFrameTimes.empty()) {
        mPerFrameTimes.resize(static_cast<size_t>(mFrameCount), 0);
        mTotalTime = 0;
        for (int& time : mPerFrameTimes) {
            if (time < 1) {
                time = mFrameDelay;
            }
            mTotalTime += time;
        }
    } else {
        mTotalTime = mFrameCount * mFrameDelay;
    }

    if (!mFrameMap.empty()) {
        mFrameMap.resize(static_cast<size_t>(mFrameCount), 0);
    }
}

} // namespace Lumo

// How the cells of an image strip are played: kind, delays and frame order.
// An image owns its AnimInfo.
#pragma once

#include <vector>

namespace Lumo {

class AnimInfo {
public:
    enum Kind {
        KIND_NONE = 0,
        KIND_ONCE = 1,
        KIND_PING_PONG = 2,
        KIND_LOOP = 3,
    };

    AnimInfo();
    AnimInfo(const AnimInfo&) = default;
    AnimInfo& operator=(const AnimInfo&) = default;

    // Completes the record for an image of `cels` cells once kind, frame
    // delay, per-frame times and frame map are set: frame count, ping-pong
    // map, first and last frame times and total time.
    void Compute(int cels, int beginDelay, int endDelay);

    int mKind;                       // Kind
    int mFrameDelay;                 // ms per frame when no per-frame time says otherwise
    int mFrameCount;
    std::vector<int> mPerFrameTimes; // ms, one per frame when present
    std::vector<int> mFrameMap;      // the cell shown at each frame, when present
    int mTotalTime;                  // ms
};

} // namespace Lumo

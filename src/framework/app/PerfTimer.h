// A high-resolution stopwatch on the clock's performance counter, for the
// debug overlays and keys.
#pragma once

#include <cstdint>

namespace Lumo {

class PerfTimer {
public:
    PerfTimer() = default;

    void Start();
    // Keeps the time of the first stop; a second stop changes nothing.
    void Stop();
    // Milliseconds from the start to now while running, else to the stop.
    double GetDuration();

    int64_t start = 0;
    double duration = 0.0;
    bool running = false;

private:
    void Update();
};

} // namespace Lumo

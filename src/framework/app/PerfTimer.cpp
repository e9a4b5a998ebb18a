#include "framework/app/PerfTimer.h"

#include "platform/system/Clock.h"

namespace Lumo {

void PerfTimer::Start()
{
    running = true;
    start = Plat::GetClock().PerformanceCounter();
}

void PerfTimer::Update()
{
    Plat::Clock& clock = Plat::GetClock();
    const int64_t now = clock.PerformanceCounter();
    const int64_t frequency = clock.PerformanceFrequency();
    if (frequency <= 0)
        return;
    duration = static_cast<double>((now - start) * 1000) / static_cast<double>(frequency);
}

void PerfTimer::Stop()
{
    if (!running)
        return;
    Update();
    running = false;
}

double PerfTimer::GetDuration()
{
    if (running)
        Update();
    return duration;
}

} // namespace Lumo

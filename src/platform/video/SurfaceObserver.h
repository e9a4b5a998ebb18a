// Told when a display surface's memory is about to be read or has been
// written by the CPU, and when the surface goes: the GPU device keeps copies
// of its render target and textures in video memory and keeps them in step.
#pragma once

namespace Plat {

class DisplaySurface;

class SurfaceObserver {
public:
    // Before the CPU reads or partly rewrites the surface's memory (a lock, a
    // blit to or from it, a flip): whatever the GPU drew must be there now.
    virtual void SurfaceReading(DisplaySurface& surface) = 0;
    // After the CPU wrote the surface's memory.
    virtual void SurfaceWritten(DisplaySurface& surface) = 0;
    // The surface is being destroyed; forget it.
    virtual void SurfaceGone(DisplaySurface& surface) = 0;

protected:
    ~SurfaceObserver() = default;
};

} // namespace Plat

// The 3-D object of the display stand-in.
#include "platform/video/D3DObject.h"

#include "platform/video/D3DDevice.h"
#include "platform/video/D3DReferenceRasterizer.h"
#include "platform/video/DisplayHost.h"
#include "platform/video/DisplayResults.h"
#include "platform/video/DisplaySurface.h"

namespace Plat {

HResult D3DObject::CreateDevice(DisplaySurface* target, D3DDevice** device)
{
    if (device == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    *device = nullptr;
    const HResult fault = GetDisplayHost().CheckFault(DisplayCall::CreateDevice);
    if (Failed(fault)) {
        return fault;
    }
    if (target == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    if ((target->Caps() & kDdscaps3DDevice) == 0) {
        return DDERR_INVALIDCAPS;
    }
    D3DReferenceRasterizer::TargetKind kind;
    if (!D3DReferenceRasterizer::TargetKindOf(target->PixelFormat(), kind)) {
        return DDERR_INVALIDPIXELFORMAT;
    }
    std::unique_ptr<D3DGpuRenderer> gpu;
    if (GetDisplayHost().D3D().kind == D3DDeviceKind::kGpu) {
        gpu = D3DGpuRenderer::Create(target);
        if (gpu == nullptr) {
            return D3DERR_INITFAILED;
        }
    }
    *device = new D3DDevice(target, std::move(gpu));
    return DD_OK;
}

HResult QueryAdapterIdentity(D3DIdentity* identity)
{
    if (identity == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    DisplayHost& host = GetDisplayHost();
    const HResult fault = host.CheckFault(DisplayCall::AdapterIdentity);
    if (Failed(fault)) {
        return fault;
    }
    const D3DHostInfo& d3d = host.D3D();
    if (!d3d.hasAdapterIdentity) {
        return E_FAIL;
    }
    *identity = d3d.adapterIdentity;
    return DD_OK;
}

} // namespace Plat

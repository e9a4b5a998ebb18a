// The process-wide presenter choice.
#include "platform/video/FramePresenter.h"

#include <atomic>

namespace Plat {

namespace {
std::atomic<FramePresenter*> gPresenter{nullptr};
}

HeadlessPresenter& GetHeadlessPresenter()
{
    static HeadlessPresenter presenter;
    return presenter;
}

FramePresenter& GetFramePresenter()
{
    FramePresenter* presenter = gPresenter.load();
    return presenter != nullptr ? *presenter : GetHeadlessPresenter();
}

FramePresenter* SetFramePresenter(FramePresenter* presenter)
{
    return gPresenter.exchange(presenter);
}

} // namespace Plat

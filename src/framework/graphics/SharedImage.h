// One entry of the application's table of shared images: the image and the
// number of SharedImageRef holding it. The table owns both.
#pragma once

namespace Lumo {

class Image;

class SharedImage {
public:
    Image* mImage = nullptr;
    int mRefCount = 0;
    // Set while the first caller of GetSharedImage is still loading mImage;
    // read and written under the application's shared-load mutex.
    bool mLoading = false;
};

} // namespace Lumo

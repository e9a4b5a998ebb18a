// Counting of shared-image references and ownership of unshared images.
#include "framework/graphics/SharedImageRef.h"

#include "framework/app/LumoAppBase.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SharedImage.h"

namespace Lumo {

SharedImageRef::SharedImageRef()
    : mSharedImage(nullptr), mUnsharedImage(nullptr), mOwnsUnshared(false), mUnsharedHolders(nullptr)
{
}

SharedImageRef::SharedImageRef(const SharedImageRef& other)
    : mSharedImage(other.mSharedImage),
      mUnsharedImage(other.mUnsharedImage),
      mOwnsUnshared(false),
      mUnsharedHolders(nullptr)
{
    if (mSharedImage != nullptr) {
        ++mSharedImage->mRefCount;
    }
    // A copy of an owned image would dangle once the owner deletes it, so
    // the owner and its copies count their holders and the last one deletes.
    if (mUnsharedImage != nullptr) {
        if (other.mUnsharedHolders == nullptr && other.mOwnsUnshared) {
            other.mUnsharedHolders = new int(1);
        }
        if (other.mUnsharedHolders != nullptr) {
            mUnsharedHolders = other.mUnsharedHolders;
            ++*mUnsharedHolders;
        }
    }
}

SharedImageRef::SharedImageRef(SharedImage* record)
    : mSharedImage(record), mUnsharedImage(nullptr), mOwnsUnshared(false), mUnsharedHolders(nullptr)
{
    if (mSharedImage != nullptr) {
        ++mSharedImage->mRefCount;
    }
}

SharedImageRef::~SharedImageRef()
{
    Release();
}

SharedImageRef& SharedImageRef::operator=(const SharedImageRef& other)
{
    if (&other == this) {
        return *this;
    }
    // Take the count first: releasing may drop the last count of the same record.
    SharedImage* record = other.mSharedImage;
    if (record != nullptr) {
        ++record->mRefCount;
    }
    Release();
    mSharedImage = record;
    return *this;
}

SharedImageRef& SharedImageRef::operator=(SharedImage* record)
{
    if (record != nullptr) {
        ++record->mRefCount;
    }
    Release();
    mSharedImage = record;
    return *this;
}

SharedImageRef& SharedImageRef::operator=(Image* image)
{
    Release();
    mUnsharedImage = image;
    return *this;
}

void SharedImageRef::Release()
{
    if (mUnsharedHolders != nullptr) {
        if (--*mUnsharedHolders == 0) {
            delete mUnsharedImage;
            delete mUnsharedHolders;
        }
    } else if (mOwnsUnshared && mUnsharedImage != nullptr) {
        delete mUnsharedImage;
    }
    mUnsharedImage = nullptr;
    mUnsharedHolders = nullptr;

    if (mSharedImage != nullptr) {
        if (--mSharedImage->mRefCount == 0 && gLumoAppBase != nullptr) {
            gLumoAppBase->sharedImagesDirty = true;
        }
        mSharedImage = nullptr;
    }
}

SharedImageRef::operator Image*()
{
    return mSharedImage != nullptr ? mSharedImage->mImage : nullptr;
}

SharedImageRef::operator MemoryImage*()
{
    if (mUnsharedImage != nullptr) {
        return dynamic_cast<MemoryImage*>(mUnsharedImage);
    }
    if (mSharedImage != nullptr) {
        return dynamic_cast<MemoryImage*>(mSharedImage->mImage);
    }
    return nullptr;
}

} // namespace Lumo

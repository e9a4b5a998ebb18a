// Reference counting of shared images, unshared and owned images behind the
// same handle, and the copies of an owned image.
#include "framework/graphics/SharedImageRef.h"

#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SharedImage.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

using Lumo::Image;
using Lumo::MemoryImage;
using Lumo::SharedImage;
using Lumo::SharedImageRef;

namespace {

class SharedImageRefTest : public testing::Test {
protected:
    bool Alive(MemoryImage* image) const { return mApp.memoryImageSet.count(image) != 0; }

    TestApp mApp;
};

} // namespace

TEST_F(SharedImageRefTest, CopiesCountAndTheLastReleaseMarksTheTable)
{
    MemoryImage image;
    SharedImage record;
    record.mImage = &image;
    {
        SharedImageRef first(&record);
        EXPECT_EQ(record.mRefCount, 1);
        SharedImageRef second(first);
        EXPECT_EQ(record.mRefCount, 2);
        SharedImageRef third;
        third = second;
        EXPECT_EQ(record.mRefCount, 3);
        third = third; // self-assignment keeps the count
        EXPECT_EQ(record.mRefCount, 3);

        third.Release();
        second.Release();
        EXPECT_EQ(record.mRefCount, 1);
        EXPECT_FALSE(mApp.sharedImagesDirty);
        EXPECT_EQ(static_cast<Image*>(first), &image);
        EXPECT_EQ(static_cast<MemoryImage*>(first), &image);
    }
    EXPECT_EQ(record.mRefCount, 0);
    EXPECT_TRUE(mApp.sharedImagesDirty);
    // A count of 0 only marks the table: the image lives on.
    EXPECT_TRUE(Alive(&image));
}

TEST_F(SharedImageRefTest, AssigningARecordReleasesTheOldOne)
{
    SharedImage a;
    SharedImage b;
    SharedImageRef ref(&a);
    ref = &b;
    EXPECT_EQ(a.mRefCount, 0);
    EXPECT_EQ(b.mRefCount, 1);
    EXPECT_TRUE(mApp.sharedImagesDirty);
    ref = static_cast<SharedImage*>(nullptr);
    EXPECT_EQ(b.mRefCount, 0);
    EXPECT_EQ(ref.mSharedImage, nullptr);

    // Re-assigning the same record keeps it.
    SharedImageRef same(&a);
    same = &a;
    EXPECT_EQ(a.mRefCount, 1);
}

TEST_F(SharedImageRefTest, UnsharedImagesTravelOnlyByCopyConstruction)
{
    MemoryImage image;
    SharedImageRef holder;
    holder = static_cast<Image*>(&image);
    EXPECT_EQ(static_cast<Image*>(holder), nullptr); // the record's image only
    EXPECT_EQ(static_cast<MemoryImage*>(holder), &image);

    SharedImageRef assigned;
    assigned = holder;
    EXPECT_EQ(assigned.mUnsharedImage, nullptr);
    EXPECT_EQ(assigned.mSharedImage, nullptr);

    SharedImageRef copied(holder);
    EXPECT_EQ(copied.mUnsharedImage, &image);
    EXPECT_FALSE(copied.mOwnsUnshared);

    // Not owned: releasing leaves the image alone.
    holder.Release();
    copied.Release();
    EXPECT_TRUE(Alive(&image));
}

TEST_F(SharedImageRefTest, AnOwnedImageIsDeletedOnRelease)
{
    MemoryImage* first = new MemoryImage;
    MemoryImage* second = new MemoryImage;
    SharedImageRef ref;
    ref.mOwnsUnshared = true;
    ref = static_cast<Image*>(first);
    // A new image keeps the owns flag, so the first one is deleted.
    ref = static_cast<Image*>(second);
    EXPECT_FALSE(Alive(first));
    EXPECT_TRUE(ref.mOwnsUnshared);
    ref.Release();
    EXPECT_FALSE(Alive(second));
    EXPECT_EQ(ref.mUnsharedImage, nullptr);
    EXPECT_TRUE(ref.mOwnsUnshared);
}

// A copy of a reference that owns its image used to keep a bare pointer
// that dangled once the owner deleted the image. The owner and its copies
// now count together; the last one to let go deletes the image.
TEST_F(SharedImageRefTest, CopiesOfAnOwnedImageKeepItAlive)
{
    for (int ownerFirst = 0; ownerFirst < 2; ++ownerFirst) {
        SCOPED_TRACE(ownerFirst);
        MemoryImage* image = new MemoryImage;
        SharedImageRef* owner = new SharedImageRef;
        owner->mOwnsUnshared = true;
        *owner = static_cast<Image*>(image);
        SharedImageRef* copy = new SharedImageRef(*owner);
        SharedImageRef* copyOfCopy = new SharedImageRef(*copy);

        if (ownerFirst != 0) {
            delete owner;
            delete copy;
        } else {
            delete copy;
            delete owner;
        }
        EXPECT_TRUE(Alive(image));
        EXPECT_EQ(static_cast<MemoryImage*>(*copyOfCopy), image);
        image->Create(2, 2);
        EXPECT_EQ(image->GetBits()[3], 0U); // still usable
        delete copyOfCopy;
        EXPECT_FALSE(Alive(image));
    }
}

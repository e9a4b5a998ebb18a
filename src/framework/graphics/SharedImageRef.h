// A handle on an image: either a counted reference to an entry of the
// application's shared-image table, or an image that is not shared at all
// (optionally owned, then deleted on release).
#pragma once

namespace Lumo {

class Image;
class MemoryImage;
class SharedImage;

class SharedImageRef {
public:
    SharedImageRef();
    // Takes the other's record (count + 1) and its unshared image without
    // owning it; when the other owns its unshared image, the copy keeps it
    // alive until the last holder releases it.
    SharedImageRef(const SharedImageRef& other);
    // Takes the record (count + 1 when not null).
    SharedImageRef(SharedImage* record);
    ~SharedImageRef();

    // Release, then the other's record (count + 1); its unshared image is not
    // taken over.
    SharedImageRef& operator=(const SharedImageRef& other);
    // Release, then the record (count + 1); a null record leaves the reference empty.
    SharedImageRef& operator=(SharedImage* record);
    // Release, then holds the image unshared; the owns flag keeps its value.
    SharedImageRef& operator=(Image* image);

    // Drops the unshared image (deleting it when owned) and one count of the
    // record; a count reaching 0 marks the application's table for clean-up.
    void Release();

    // The record's image; the unshared image is not consulted.
    operator Image*();
    // The unshared image when held, else the record's image.
    operator MemoryImage*();

    SharedImage* mSharedImage;
    Image* mUnsharedImage;
    bool mOwnsUnshared; // releasing deletes the unshared image

private:
    // Holders of one owned unshared image; shared by the owner and its copies.
    mutable int* mUnsharedHolders;
};

} // namespace Lumo

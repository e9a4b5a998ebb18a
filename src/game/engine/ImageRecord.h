// One named game picture with its size, an optional cut into equal frames
// and the use count its holders keep.
#pragma once

#include <cstdint>
#include <memory>

class PlatformImage;

// A frame's rectangle in picture pixels: left, top, right, bottom.
struct ImageFrame {
    float mX0;
    float mY0;
    float mX1;
    float mY1;
};

class ImageRecord {
public:
    // Frame tables beyond this many frames are refused: a data file's count
    // must not decide how much memory is taken.
    static constexpr int kMaxFrames = 65536;

    ImageRecord();
    ~ImageRecord();
    ImageRecord(const ImageRecord&) = delete;
    ImageRecord& operator=(const ImageRecord&) = delete;

    // Cuts the picture row by row into count frames of fw x fh; frames that
    // do not fit stay empty. With fps not 0 the frame duration becomes
    // 250 / fps ticks. A count below 1 (or above kMaxFrames) or a size of no
    // pixels makes no table: the record keeps one whole-picture frame.
    bool SetFrames(float frameWidth, float frameHeight, int count, float framesPerSecond);
    // Fills mBits and mRowPitch from the picture; false without pixels.
    bool GetBits();

    char mName[256] = {};           // empty for a blank record
    float mWidth = 0.0f;
    float mHeight = 0.0f;
    float mFrameDuration = 0.0f;    // ticks of 4 ms; 0 without a rate
    int mFrameCount = 1;
    float mFrameWidth = 0.0f;
    float mFrameHeight = 0.0f;
    std::unique_ptr<PlatformImage> mImage;
    std::unique_ptr<ImageFrame[]> mFrames; // null without a frame layout
    int mRowPitch = 0;
    int mUseCount = 1;
    uint32_t* mBits = nullptr;
};

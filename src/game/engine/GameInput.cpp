#include "game/engine/GameInput.h"

void GameInput::Push(unsigned code)
{
    if (mQueued == kRingSize) {
        // Full: the oldest code gives way.
        mFirst = (mFirst + 1) % kRingSize;
        --mQueued;
    }
    mRing[(mFirst + mQueued) % kRingSize] = code;
    ++mQueued;
}

unsigned GameInput::PopInputRing()
{
    if (mQueued == 0) {
        return 0;
    }
    const unsigned code = mRing[mFirst];
    mRing[mFirst] = 0;
    mFirst = (mFirst + 1) % kRingSize;
    --mQueued;
    return code;
}

void GameInput::ClearInputRing()
{
    mRing.fill(0);
    mFirst = 0;
    mQueued = 0;
}

void GameInput::Press(int code)
{
    // Down again after a release the tick has not seen: a new press when the
    // old one was reported, one press still when it was not.
    if (mKeys[code] == kUp || mReleaseAtTickEnd[code]) {
        mKeys[code] = kDown;
        mReleaseAtTickEnd[code] = false;
        mDownSinceTick[code] = true;
        mAnyDownSinceTick = true;
    }
}

void GameInput::Release(int code)
{
    // A key let go before any tick ran since its press (a tap within one
    // frame) stays down through the next tick, or no tick would see it; a
    // key some tick saw down goes up at once.
    if (mDownSinceTick[code]) {
        mReleaseAtTickEnd[code] = true;
        mAnyReleasePending = true;
    } else {
        mKeys[code] = kUp;
        mReleaseAtTickEnd[code] = false;
    }
}

void GameInput::KeyDown(int code)
{
    if (!InTable(code)) {
        return;
    }
    Push(static_cast<unsigned>(code));
    Press(code);
}

void GameInput::KeyUp(int code)
{
    if (InTable(code)) {
        Release(code);
    }
}

void GameInput::MouseDown(int clickCount)
{
    if (clickCount >= 1 && clickCount != 3) {
        Push(kLeftButton);
        Press(kLeftButton);
        mLeftLatched = true;
    } else if (clickCount < 0) {
        Push(kRightButton);
        Press(kRightButton);
    }
}

void GameInput::MouseUp(int clickCount)
{
    if (clickCount >= 1 && clickCount != 3) {
        Release(kLeftButton);
    } else if (clickCount < 0) {
        Release(kRightButton);
    }
}

void GameInput::Wheel(int delta, int upCode, int downCode)
{
    if (delta == 0) {
        return;
    }
    const int code = delta > 0 ? upCode : downCode;
    // A held key gets no extra press from the wheel.
    if (InTable(code) && mKeys[code] == kUp) {
        Press(code);
        Release(code);
    }
}

void GameInput::EndTick()
{
    if (mAnyDownSinceTick) {
        mDownSinceTick.fill(false);
        mAnyDownSinceTick = false;
    }
    if (!mAnyReleasePending) {
        return;
    }
    for (int code = 0; code < kKeyCount; ++code) {
        if (mReleaseAtTickEnd[code]) {
            mKeys[code] = kUp;
            mReleaseAtTickEnd[code] = false;
        }
    }
    mAnyReleasePending = false;
}

bool GameInput::IsKeyStateSet(int code) const
{
    return InTable(code) && (mKeys[code] == kDown || mKeys[code] == kReported);
}

bool GameInput::TestKeyPressOnce(int code)
{
    if (!InTable(code)) {
        return false;
    }
    if (mKeys[code] == kDown) {
        mKeys[code] = kReported;
        return true;
    }
    return false;
}

bool GameInput::WasLeftPressed(bool downNow)
{
    const bool pressed = (mLeftLatched || (downNow && !mPreviousLeft)) && mSwallowNextClick == 0;
    mLeftLatched = false;
    mPreviousLeft = downNow;
    mSwallowNextClick = 0;
    return pressed;
}

void GameInput::ClearKeyStates()
{
    mKeys.fill(kUp);
    mReleaseAtTickEnd.fill(false);
    mAnyReleasePending = false;
    mDownSinceTick.fill(false);
    mAnyDownSinceTick = false;
    mLeftLatched = false;
}

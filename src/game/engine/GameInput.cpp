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

void GameInput::KeyDown(int code)
{
    if (!InTable(code)) {
        return;
    }
    Push(static_cast<unsigned>(code));
    if (mKeys[code] == kUp || mKeys[code] == kWheelPress) {
        mKeys[code] = kDown;
    }
}

void GameInput::KeyUp(int code)
{
    if (InTable(code)) {
        mKeys[code] = kUp;
    }
}

void GameInput::MouseDown(int clickCount)
{
    if (clickCount >= 1 && clickCount != 3) {
        Push(kLeftButton);
        if (mKeys[kLeftButton] == kUp) {
            mKeys[kLeftButton] = kDown;
        }
        mLeftLatched = true;
    } else if (clickCount < 0) {
        Push(kRightButton);
        if (mKeys[kRightButton] == kUp) {
            mKeys[kRightButton] = kDown;
        }
    }
}

void GameInput::MouseUp(int clickCount)
{
    if (clickCount >= 1 && clickCount != 3) {
        mKeys[kLeftButton] = kUp;
    } else if (clickCount < 0) {
        mKeys[kRightButton] = kUp;
    }
}

void GameInput::Wheel(int delta, int upCode, int downCode)
{
    if (delta == 0) {
        return;
    }
    const int code = delta > 0 ? upCode : downCode;
    if (InTable(code) && mKeys[code] == kUp) {
        mKeys[code] = kWheelPress;
    }
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
    if (mKeys[code] == kWheelPress) {
        mKeys[code] = kUp;
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
    mLeftLatched = false;
}

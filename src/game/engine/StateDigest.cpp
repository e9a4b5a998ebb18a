#include "game/engine/StateDigest.h"

#include "game/engine/AnimObject.h"
#include "game/engine/GameState.h"
#include "game/engine/Stage.h"

#include <cstring>

namespace {

constexpr uint64_t kOffsetBasis = 14695981039346656037ull;
constexpr uint64_t kPrime = 1099511628211ull;

class Hasher {
public:
    void Bytes(const void* data, size_t size)
    {
        const auto* bytes = static_cast<const uint8_t*>(data);
        for (size_t i = 0; i < size; ++i)
            mValue = (mValue ^ bytes[i]) * kPrime;
    }
    void Int(int64_t value) { Bytes(&value, sizeof(value)); }
    void Float(float value)
    {
        // Bits, not the value: -0 and 0, or two NaNs, are told apart.
        uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof(bits));
        Int(bits);
    }
    void Text(const char* text)
    {
        Bytes(text, std::strlen(text));
        Int(-1); // so "ab","c" differs from "a","bc"
    }
    uint64_t Value() const { return mValue; }

private:
    uint64_t mValue = kOffsetBasis;
};

void HashTree(Hasher& hash, const AnimObject& object)
{
    hash.Int(object.mKind);
    hash.Text(object.mName);
    hash.Float(object.mWorld[kAttrX]);
    hash.Float(object.mWorld[kAttrY]);
    const Stage* stage = object.CurrentStage();
    hash.Text(stage != nullptr ? stage->mName : "");
    hash.Float(stage != nullptr ? stage->mTicks : -1.0f);
    hash.Int(object.mRemove);
    for (const AnimObject* child = object.mChildren.Head(); child != nullptr; child = child->mNext)
        HashTree(hash, *child);
    hash.Int(-2); // end of the children
}

} // namespace

uint64_t StateDigest(const GameState& game)
{
    Hasher hash;
    for (const AnimObject* screen = game.mLiveObjects.Head(); screen != nullptr; screen = screen->mNext)
        HashTree(hash, *screen);
    hash.Int(game.mRandom.GetState());
    hash.Int(game.mProfiles.Current().mScore);
    return hash.Value();
}

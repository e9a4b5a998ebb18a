// A level or screen file named by the game data index, kept whole in memory
// so that the screen can be built again whenever it is opened.
#pragma once

#include "game/engine/ListNode.h"

#include <cstddef>
#include <memory>
#include <string>

class LevelRecord : public ListNode<LevelRecord> {
public:
    static constexpr int kTextSize = 64;

    LevelRecord() = default;
    LevelRecord(const LevelRecord&) = delete;
    LevelRecord& operator=(const LevelRecord&) = delete;

    static void DisposeRecord(LevelRecord* record) { delete record; }

    int mKeep = 0;
    // The whole file with a closing NUL; null when it could not be read.
    std::unique_ptr<char[]> mText;
    char mName[kTextSize] = {};
    char mTitle[kTextSize] = {};
    int mNumber = 0;
    int mTextLength = 0;
    // Where the text came from, for messages.
    std::string mFileName;
};

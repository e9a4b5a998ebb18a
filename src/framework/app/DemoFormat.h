// The demo file's layout: its header values and limits, and the commands of
// the stream's records. The recorders and the replay both use these.
#pragma once

#include <cstdint>

namespace Lumo {

constexpr uint32_t kDemoMagic = 0x42BEEF78;
constexpr uint32_t kDemoVersion = 2;
// Bit positions are ints: the stream stops growing well before they overflow.
constexpr int kMaxDemoStreamBytes = 1 << 28;
// No record is shorter: a 10-bit long-form header without data.
constexpr int kDemoShortestRecordBits = 10;

// Short-form commands (1 bit).
constexpr int kDemoShortMouseMove = 0;
constexpr int kDemoShortMouseButton = 1;

// Long-form commands (5 bits).
constexpr int kDemoMouseMove = 0;
constexpr int kDemoActivate = 1;
constexpr int kDemoSize = 2;
constexpr int kDemoKeyDown = 3;
constexpr int kDemoKeyUp = 4;
constexpr int kDemoChar = 5;
constexpr int kDemoClose = 6;
constexpr int kDemoMouseEnter = 7;
constexpr int kDemoMouseLeave = 8;
constexpr int kDemoLoadingCompleted = 9;
constexpr int kDemoRegistryRead = 11;
constexpr int kDemoRegistryWrite = 12;
constexpr int kDemoFileExists = 14;
constexpr int kDemoFileRead = 15;
constexpr int kDemoFileWrite = 16;
constexpr int kDemoHttpStatus = 17;
constexpr int kDemoSyncBuffer = 18;
constexpr int kDemoMouseWheel = 21;
constexpr int kDemoDisplaySetup = 23;
constexpr int kDemoFiller = 31;

} // namespace Lumo

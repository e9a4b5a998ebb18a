// The settings store kept in one file. Every operation reads the file anew,
// so stores of the same file stay in step; a change is written to a
// temporary file beside it, flushed and renamed over it, so the file on disk
// is always either the old one or the new one. A file that is unreadable or
// fails its checks reads as empty.
#pragma once

#include "platform/files/SettingsStore.h"

#include <map>

namespace Plat {

class FileSettingsStore : public SettingsStore {
public:
    // A read-only store refuses every change.
    explicit FileSettingsStore(const std::string& filePath, bool readOnly = false);
    ~FileSettingsStore() override = default;

    bool HasKey(const std::string& keyPath) override;
    bool CreateKey(const std::string& keyPath) override;
    bool SetValue(const std::string& keyPath, const std::string& name, uint32_t type, const uint8_t* data,
                  size_t size) override;
    bool GetValue(const std::string& keyPath, const std::string& name, uint32_t& type,
                  std::vector<uint8_t>& data) override;
    bool DeleteValue(const std::string& keyPath, const std::string& name) override;

    const std::string& FilePath() const { return mFilePath; }
    // True when the last read found a file that failed its checks.
    bool LastReadWasCorrupt() const { return mLastReadCorrupt; }

protected:
    // Writes all bytes to the open temporary file; false when it could not.
    // Tests override it to cut a save short.
    virtual bool WriteBytes(int descriptor, const uint8_t* data, size_t size);

private:
    struct Value {
        std::string name;
        uint32_t type = 0;
        std::vector<uint8_t> data;
    };
    struct Key {
        std::string path;
        std::map<std::string, Value> values; // by lower-case name
    };
    using Tree = std::map<std::string, Key>;  // by lower-case path

    // The file's keys; empty when it is absent or corrupt.
    Tree Read();
    bool Write(const Tree& tree);
    // Adds the key and the keys above it; returns the key.
    static Key& AddKey(Tree& tree, const std::string& path);

    static std::vector<uint8_t> Encode(const Tree& tree);
    static bool Decode(const uint8_t* bytes, size_t size, Tree& tree);

    std::string mFilePath;
    bool mReadOnly;
    bool mLastReadCorrupt = false;
};

} // namespace Plat

// Typed settings under keys and sub-keys, standing in for the registry: one
// store per product, kept in one file per user (read-write) and one
// machine-wide file (read-only, usually absent).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Plat {

// Value types, with the numbers the registry callers pass. Any other number
// is stored and returned as it is.
constexpr uint32_t kSettingsString = 1;  // text bytes, no terminator
constexpr uint32_t kSettingsBinary = 3;  // raw bytes
constexpr uint32_t kSettingsInteger = 4; // 4 bytes, little-endian

// Limits of what a store accepts.
constexpr size_t kSettingsMaxNameLength = 16383;    // bytes of a value or key name
constexpr size_t kSettingsMaxValueSize = 1u << 20;  // bytes of one value

// The per-user root and the machine-wide one.
enum class SettingsRoot { User, Machine };

// Key paths are names joined by '\\' ("" is the product key itself, "Test3D"
// a sub-key of it); key and value names compare without regard to ASCII case
// and keep the case they were first written with.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    virtual bool HasKey(const std::string& keyPath) = 0;
    // Creates the key and every key above it; true once that is saved (or
    // the key existed).
    virtual bool CreateKey(const std::string& keyPath) = 0;
    // Stores the value, creating its key; true only once the change is saved.
    virtual bool SetValue(const std::string& keyPath, const std::string& name, uint32_t type, const uint8_t* data,
                          size_t size) = 0;
    // The value's type and bytes; false when its key or the value is absent.
    virtual bool GetValue(const std::string& keyPath, const std::string& name, uint32_t& type,
                          std::vector<uint8_t>& data) = 0;
    // True once the value is gone and that is saved; false when it was absent
    // or the change could not be saved.
    virtual bool DeleteValue(const std::string& keyPath, const std::string& name) = 0;
};

// The file of a product's settings: for the user under $XDG_CONFIG_HOME
// (else ~/.config), for the machine under the first folder of
// $XDG_CONFIG_DIRS (else /etc/xdg) that holds one; then the product key's
// names as folders ('\\' or '/' between them; empty, "." and ".." names
// dropped), then "settings.dat". Empty when the product key names nothing.
std::string SettingsFilePath(SettingsRoot root, const std::string& productKey);

// The store of a product key: read-write for the user, read-only for the
// machine. Null when the key names nothing.
std::unique_ptr<SettingsStore> OpenSettingsStore(SettingsRoot root, const std::string& productKey);

} // namespace Plat

// A file of the fuzz input in the temporary folder, for readers that open
// files by name. One name per process, removed at exit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

class FuzzTempFile {
public:
    explicit FuzzTempFile(const char* suffix)
    {
        std::random_device random;
        mPath = (std::filesystem::temp_directory_path() /
                 ("lumo-fuzz-" + std::to_string(random()) + std::to_string(random()) + suffix))
                    .string();
    }
    ~FuzzTempFile()
    {
        std::error_code ignored;
        std::filesystem::remove(mPath, ignored);
    }
    FuzzTempFile(const FuzzTempFile&) = delete;
    FuzzTempFile& operator=(const FuzzTempFile&) = delete;

    const std::string& Path() const { return mPath; }

    // Replaces the file's content; false when it cannot be written.
    bool Write(const uint8_t* data, size_t size) const
    {
        FILE* file = std::fopen(mPath.c_str(), "wb");
        if (file == nullptr)
            return false;
        const bool ok = size == 0 || std::fwrite(data, 1, size, file) == size;
        return std::fclose(file) == 0 && ok;
    }

private:
    std::string mPath;
};

// A folder of its own for one test, under the system's temporary folder,
// filled from (path, content) pairs and removed with everything in it when
// the object goes. Paths handed out are absolute.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Where the folder lives: on disk under the system's temporary folder, or in
// memory (/dev/shm where there is one) for tests that write many thousands of
// files, which a disk file system makes slow to create and remove.
enum class TempStorage { kDisk, kMemory };

class TempFolder {
public:
    explicit TempFolder(TempStorage storage = TempStorage::kDisk);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder itself, and the absolute path of a name inside it.
    [[nodiscard]] const std::filesystem::path& Path() const { return m_path; }
    [[nodiscard]] std::filesystem::path PathOf(std::string_view relative) const;
    // The same paths as wide texts, the way the engine takes them.
    [[nodiscard]] std::wstring WidePath() const;
    [[nodiscard]] std::wstring WidePathOf(std::string_view relative) const;

    // Writes bytes to relative (binary), creating the folders on the way;
    // returns the file's absolute path.
    std::filesystem::path Put(std::string_view relative, std::string_view bytes) const;
    // The file's bytes; empty when it cannot be read.
    [[nodiscard]] std::string Read(std::string_view relative) const;
    [[nodiscard]] bool Exists(std::string_view relative) const;

private:
    std::filesystem::path m_path;
};

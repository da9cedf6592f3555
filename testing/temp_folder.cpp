// The per-test temporary folder.
#include "testing/temp_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/text_codec.h"

namespace {

// Unique across the tests of one process and across processes run in
// parallel by CTest (the random seed differs per run, the counter per object,
// and the folder is created exclusively).
std::filesystem::path BaseFolder(TempStorage storage) {
    std::error_code error;
    if (storage == TempStorage::kMemory && std::filesystem::is_directory("/dev/shm", error)) {
        return "/dev/shm";
    }
    return std::filesystem::temp_directory_path();
}

std::filesystem::path NewFolderPath(TempStorage storage) {
    static std::atomic<unsigned> counter{0};
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = "skarnel_";
    name += test != nullptr ? test->name() : "test";
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    const std::filesystem::path base = BaseFolder(storage);
    for (;;) {
        std::filesystem::path candidate =
            base /
            (name + "_" + std::to_string(std::random_device{}()) + "_" + std::to_string(counter++));
        if (std::filesystem::create_directory(candidate)) return candidate;
    }
}

}  // namespace

TempFolder::TempFolder(TempStorage storage) : m_path(NewFolderPath(storage)) {}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::filesystem::path TempFolder::PathOf(std::string_view relative) const {
    return m_path / std::filesystem::path(relative);
}

std::wstring TempFolder::WidePath() const { return FromUtf8(m_path.string()); }

std::wstring TempFolder::WidePathOf(std::string_view relative) const {
    return FromUtf8(PathOf(relative).string());
}

std::filesystem::path TempFolder::Put(std::string_view relative, std::string_view bytes) const {
    const std::filesystem::path path = PathOf(relative);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::ssize(bytes));
    return path;
}

std::string TempFolder::Read(std::string_view relative) const {
    std::ifstream file(PathOf(relative), std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

bool TempFolder::Exists(std::string_view relative) const {
    return std::filesystem::exists(PathOf(relative));
}

// A stand-in for an editor in tests: it appends its arguments, one per line,
// then a line "--" and the bytes of the file named by its first argument, to
// the file that SKARNEL_RECORD names. When SKARNEL_HOLD names a file, it then
// stays open until that file exists (at most 10 s), as an editor the user has
// not closed yet. It exits with status 0.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace {

void WaitForRelease(const char* releasePath) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!std::filesystem::exists(releasePath) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace

int main(int argc, char** argv) {
    const char* recordPath = std::getenv("SKARNEL_RECORD");
    if (recordPath == nullptr) return 2;
    {
        std::ofstream record(recordPath, std::ios::binary | std::ios::app);
        for (int i = 1; i < argc; ++i) record << argv[i] << '\n';
        record << "--\n";
        if (argc > 1) {
            std::ifstream file(argv[1], std::ios::binary);
            record << std::string(std::istreambuf_iterator<char>(file), {});
        }
    }
    if (const char* releasePath = std::getenv("SKARNEL_HOLD")) WaitForRelease(releasePath);
    return 0;
}

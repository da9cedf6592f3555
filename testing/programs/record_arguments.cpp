// A stand-in for an editor in tests: it appends its arguments, one per line,
// then a line "--" and the bytes of the file named by its first argument, to
// the file that SKARNEL_RECORD names. It exits with status 0.
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
    const char* recordPath = std::getenv("SKARNEL_RECORD");
    if (recordPath == nullptr) return 2;
    std::ofstream record(recordPath, std::ios::binary | std::ios::app);
    for (int i = 1; i < argc; ++i) record << argv[i] << '\n';
    record << "--\n";
    if (argc > 1) {
        std::ifstream file(argv[1], std::ios::binary);
        record << std::string(std::istreambuf_iterator<char>(file), {});
    }
    return 0;
}

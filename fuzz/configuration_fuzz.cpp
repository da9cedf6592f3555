// The configuration file over any options and any file text. Options saved
// and loaded back through a real file are the options saved, whatever the
// editor command holds, and the extra options leave what older builds read
// as they would write it; any file text loads without fault, and what it
// loads as saves and loads back the same again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>

#include "engine/configuration.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_input.h"
#include "platform/environment.h"
#include "platform/file.h"
#include "platform/text_codec.h"

namespace {

std::filesystem::path& Folder() {
    static std::filesystem::path folder;
    return folder;
}

void RemoveFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(Folder(), ignored);
}

// Mostly the values a dialog writes, sometimes any int.
int FlagFrom(FuzzInput& input) {
    return input.Flag() ? input.Integer<int>(-1, 2) : input.Integer<int>();
}

// Characters across the whole range a wide string can hold, biased toward
// the ones the file format treats specially.
std::wstring CommandFrom(FuzzInput& input) {
    static constexpr wchar_t kSpecial[] = {L' ', L'#', L'\r', L'\n', L'\t', L'\0', L'%', L';'};
    std::wstring command;
    const auto length = input.Integer<std::size_t>(0, 800);
    for (std::size_t i = 0; i < length && input.Remaining() > 0; ++i) {
        switch (input.Integer<int>(0, 3)) {
            case 0:
                command += kSpecial[input.Integer<std::size_t>(0, 7)];
                break;
            case 1:
                command += static_cast<wchar_t>(input.Integer<std::uint8_t>());
                break;
            case 2:
                command += static_cast<wchar_t>(input.Integer<std::uint32_t>());
                break;
            default:
                command += static_cast<wchar_t>(input.Integer<int>(0x21, 0x7E));
        }
    }
    return command;
}

ScanOptions LoadedFromFile() {
    ScanOptions options;
    LoadConfiguration(options);
    return options;
}

std::string Replaced(std::string_view text, std::string_view from, std::string_view to) {
    std::string replaced;
    for (std::size_t at = 0; at < text.size();) {
        if (text.substr(at).starts_with(from)) {
            replaced += to;
            at += from.size();
        } else {
            replaced += text[at++];
        }
    }
    return replaced;
}

// The text a text-mode reader hands over for the text a text-mode writer
// was given, without touching the disk.
ScanOptions LoadedFromText(std::string_view written) {
    ScanOptions options;
    ParseConfigurationText(Replaced(Replaced(written, "\n", "\r\n"), "\r\n", "\n"), options);
    return options;
}

// Saved and loaded back, through the real file only now and then: the disk
// is slow and its text mode has tests of its own.
ScanOptions SavedAndLoaded(const ScanOptions& options, bool throughFile) {
    if (!throughFile) return LoadedFromText(FormatConfigurationText(options));
    SaveConfiguration(options);
    return LoadedFromFile();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::random_device random;
    Folder() = std::filesystem::temp_directory_path() /
               ("skarnel-configuration-fuzz-" + std::to_string(random()));
    std::filesystem::create_directories(Folder());
    std::atexit(RemoveFolder);
    FUZZ_CHECK(SetEnvironmentText("APPDATA", FromUtf8(Folder().string())));
    (void)LoadedFromFile();  // creates the configuration folder
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const auto mode = input.Integer<std::uint8_t>();
    const bool throughFile = (mode & 2) != 0;
    if (mode & 1) {
        ScanOptions saved;
        saved.checkImages = FlagFrom(input);
        saved.checkAllTags = FlagFrom(input);
        saved.checkExternalUrls = FlagFrom(input);
        saved.useExternalEditor = FlagFrom(input);
        saved.scanPageOnly = FlagFrom(input);
        saved.checkHttpsLinks = FlagFrom(input);
        saved.fastChecking = FlagFrom(input);
        saved.connectionsPerHost = input.Integer<std::int32_t>();
        saved.editorCommand = CommandFrom(input);
        FUZZ_CHECK(SavedAndLoaded(saved, throughFile) == saved);
        // The extra options only add a line after the ones an older build
        // reads: everything before it is what that build would write.
        ScanOptions withoutExtras = saved;
        withoutExtras.checkHttpsLinks = 0;
        withoutExtras.fastChecking = 0;
        withoutExtras.connectionsPerHost = kDefaultConnectionsPerHost;
        FUZZ_CHECK(
            FormatConfigurationText(saved).starts_with(FormatConfigurationText(withoutExtras)));
        return 0;
    }
    // Any bytes as the file, as another program or a hand may have left it.
    const std::string text = input.Rest();
    ScanOptions first;
    if (throughFile) {
        OutputFile file;
        FUZZ_CHECK(file.Create(ConfigurationFilePath(), FileMode::kBinary));
        FUZZ_CHECK(file.Write(text));
        FUZZ_CHECK(file.Close());
        first = LoadedFromFile();
    } else {
        ParseConfigurationText(text, first);
    }
    FUZZ_CHECK(SavedAndLoaded(first, throughFile) == first);
    return 0;
}

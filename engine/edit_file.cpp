// "Edit file": location parsing, the temporary copy of a web page, the
// editor's command line and the run of the editor.
#include "engine/edit_file.h"

#include "engine/http_exchange.h"
#include "engine/results_table.h"
#include "engine/text_limits.h"
#include "engine/url_functions.h"
#include "platform/child_process.h"
#include "platform/command_line.h"
#include "platform/file.h"
#include "platform/text_codec.h"

namespace {

// Index 0 to 5 are never taken, so "http:" and a drive letter's colon are
// not mistaken for the separator.
constexpr std::size_t kFirstSeparatorIndex = 6;

// The line number after the separator, read as atoi reads a number.
int LineNumberOf(std::wstring_view text) {
    std::string bytes;
    for (const wchar_t c : text) bytes.push_back(c < 128 ? static_cast<char>(c) : '?');
    return LeadingDecimal(bytes);
}

void ShowError(const EditFileServices& services, const std::wstring& text) {
    services.showMessage(text, kErrorCaption, EditMessageIcon::kError);
}

// The private folder's name starts with this; its last characters are chosen
// at random.
constexpr wchar_t kPrivateFolderPrefix[] = L"skarnel-";

// The downloaded copy of a web page, in a folder made for it alone: in a
// temporary folder that every user may write to, no one else can have put a
// file or a link under its name beforehand. The copy and its folder go when
// this object does, whether the editor ran or not.
class TemporaryPageCopy {
public:
    TemporaryPageCopy() = default;
    ~TemporaryPageCopy() {
        if (!m_path.empty()) (void)DeleteFile(m_path);
        if (!m_folder.empty()) (void)DeleteFolder(m_folder);
    }
    TemporaryPageCopy(const TemporaryPageCopy&) = delete;
    TemporaryPageCopy& operator=(const TemporaryPageCopy&) = delete;

    // Makes the copy and writes the page into it; false once a message has
    // said why not.
    bool Download(const std::wstring& pageAddress, const EditFileServices& services) {
        const std::optional<std::wstring> folder =
            CreatePrivateFolder(services.temporaryFolder, kPrivateFolderPrefix);
        if (!folder) return CannotCreate(services);
        m_folder = *folder;
        const std::wstring path = TemporaryPageFilePath(m_folder, pageAddress);
        OutputFile file;
        if (!file.CreateNew(path, FileMode::kBinary)) return CannotCreate(services);
        m_path = path;
        if (!DownloadForEditing(pageAddress, file, services)) return false;
        (void)file.Close();
        return true;
    }

    [[nodiscard]] const std::wstring& Path() const { return m_path; }

private:
    static bool CannotCreate(const EditFileServices& services) {
        ShowError(services, kCantCreateTemporaryFileText);
        return false;
    }

    std::wstring m_folder;
    std::wstring m_path;
};

}  // namespace

ParsedLocation ParseLocation(std::wstring_view location) {
    const std::size_t colon = location.rfind(L':');
    if (colon == std::wstring_view::npos || colon < kFirstSeparatorIndex) {
        return {std::wstring(location), 0};
    }
    return {std::wstring(location.substr(0, colon)), LineNumberOf(location.substr(colon + 1))};
}

std::wstring TemporaryPageFilePath(const std::wstring& folder, std::wstring_view pageAddress) {
    std::wstring path = folder;
    if (!path.ends_with(L'/')) path.push_back(L'/');
    return path + GetUrlFileNameW(pageAddress) + kTemporaryFileSuffix;
}

std::wstring BuildEditorCommandLine(const std::wstring& file, int line, const ScanOptions& options,
                                    const std::wstring& runningProgramPath) {
    // Here a blank is a common part of a folder's name, and the program is
    // not found from the pieces of a path split at one: quote what needs it.
    const std::wstring quotedFile = QuoteCommandLineArgument(file);
    if (options.useExternalEditor) return options.editorCommand + L" " + quotedFile;
    return QuoteCommandLineProgram(GetUrlFolderW(runningProgramPath) + kLineEditorName) + L" " +
           quotedFile + L" " + std::to_wstring(line);
}

std::wstring ApplicationName(std::wstring_view runningProgramPath) {
    std::wstring name = GetUrlFileNameW(runningProgramPath);
    const std::size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos && dot > 0) name.resize(dot);
    return name;
}

bool DownloadForEditing(const std::wstring& pageAddress, OutputFile& file,
                        const EditFileServices& services) {
    std::string address = Narrow(pageAddress);
    if (address.size() > kMaxAddressLength + 1) address.resize(kMaxAddressLength + 1);
    // Only pages the scan reached are downloaded, and an https page was
    // reached only while https links were checked.
    FirstBlockResult result =
        FetchFirstBlock(address, kEditFirstRead, kEditFirstTimeoutMs, HttpsLinks::kChecked);
    switch (result.outcome) {
        case FetchOutcome::kNoSocket:
            ShowError(services, kCantCreateSocketText);
            return false;
        case FetchOutcome::kNoConnection:
            ShowError(services, kCantConnectToHostText);
            return false;
        case FetchOutcome::kNoSecureChannel:
            ShowError(services, Widen(result.failure));
            return false;
        case FetchOutcome::kNoResponse:
            return true;
        case FetchOutcome::kFirstBlock:
            break;
    }
    const std::string body = ReadTextBody(result.firstBlock, *result.connection);
    result.connection->Close();
    // The bytes as they arrived: the scan counted the lines by their line
    // feeds, so a page with CR LF line ends keeps them, and its line numbers.
    // A write that fails leaves a shorter copy; the editor shows what is there.
    (void)file.Write(body);
    return true;
}

void EditFileAtLocation(const std::optional<std::wstring>& location, const ScanOptions& options,
                        const EditFileServices& services) {
    if (!location) {
        services.showMessage(kSelectItemFirstText, ApplicationName(services.runningProgramPath),
                             EditMessageIcon::kNone);
        return;
    }
    const ParsedLocation parsed = ParseLocation(*location);
    const bool webPage = IsWebLink(Narrow(parsed.page), HttpsLinksOf(options));
    TemporaryPageCopy copy;
    std::wstring file = parsed.page;
    if (webPage) {
        if (!copy.Download(parsed.page, services)) return;
        file = copy.Path();
    }
    std::wstring error;
    if (!services.runAndWait(
            BuildEditorCommandLine(file, parsed.line, options, services.runningProgramPath),
            &error)) {
        ShowError(services, error);
    }
}

std::unique_ptr<ChildProcess> StartProgram(const std::wstring& commandLine, std::wstring* error) {
    std::vector<std::string> arguments;
    for (const std::wstring& argument : SplitCommandLine(commandLine)) {
        arguments.push_back(ToUtf8(argument));
    }
    auto program = std::make_unique<ChildProcess>();
    std::string detail;
    if (!program->Start(arguments, &detail)) {
        *error = FromUtf8(SystemErrorText(program->StartError()));
        return nullptr;
    }
    return program;
}

std::function<bool(const std::wstring&, std::wstring*)> RunProgramAndWait() {
    return [](const std::wstring& commandLine, std::wstring* error) {
        const std::unique_ptr<ChildProcess> editor = StartProgram(commandLine, error);
        if (!editor) return false;
        editor->WaitUntilExit();
        return true;
    };
}

// Reading and writing conf01.dat. The first line is the format older readers
// know; the exact-record line after it is written only when that line alone
// would read back as something else than what was saved, and the extra
// options come last, on a line older readers pass over.
#include "engine/configuration.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/hex_digit.h"
#include "platform/environment.h"
#include "platform/file.h"
#include "platform/text_codec.h"

namespace {

// A file larger than this is read only this far: the options never need it.
constexpr std::size_t kMaxConfigurationBytes = 16 * 1024 * 1024;

bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::string_view TrimTrailingSpace(std::string_view text) {
    while (!text.empty() && IsCSpace(text.back())) text.remove_suffix(1);
    return text;
}

// The items of a formatted scan ("%d", "%s") over a C string.
class FormattedScan {
public:
    explicit FormattedScan(std::string_view text) : m_text(text.substr(0, text.find('\0'))) {}

    // "%d": white space, an optional sign, at least one digit. A number out
    // of the int range is held at the nearest end of it.
    bool ReadInt(int& value) {
        SkipSpace();
        std::size_t i = m_position;
        const bool negative = i < m_text.size() && m_text[i] == '-';
        if (i < m_text.size() && (m_text[i] == '+' || m_text[i] == '-')) ++i;
        const std::size_t digitsStart = i;
        long long magnitude = 0;
        for (; i < m_text.size() && m_text[i] >= '0' && m_text[i] <= '9'; ++i) {
            magnitude = std::min(magnitude * 10 + (m_text[i] - '0'), 1LL + INT_MAX);
        }
        if (i == digitsStart) return false;
        m_position = i;
        const long long signedValue = negative ? -magnitude : magnitude;
        value = static_cast<int>(std::clamp<long long>(signedValue, INT_MIN, INT_MAX));
        return true;
    }

    // "%s": white space, then every character up to the next white space.
    bool ReadWord(std::string_view& word) {
        SkipSpace();
        const std::size_t start = m_position;
        while (m_position < m_text.size() && !IsCSpace(m_text[m_position])) ++m_position;
        word = m_text.substr(start, m_position - start);
        return !word.empty();
    }

private:
    void SkipSpace() {
        while (m_position < m_text.size() && IsCSpace(m_text[m_position])) ++m_position;
    }

    std::string_view m_text;
    std::size_t m_position = 0;
};

// Exact-record escapes: printable ASCII other than "%" stands for itself;
// every other character is "%", its code in hexadecimal, and ";". The line
// then holds no white space inside a value and any wide character survives.
std::string EscapeExactText(const std::wstring& text) {
    std::string escaped;
    for (wchar_t c : text) {
        const auto code = static_cast<std::uint32_t>(c);
        if (code > 0x20 && code < 0x7F && c != L'%') {
            escaped += static_cast<char>(code);
            continue;
        }
        char digits[8];
        const auto end = std::to_chars(std::begin(digits), std::end(digits), code, 16).ptr;
        escaped += '%';
        escaped.append(digits, end);
        escaped += ';';
    }
    return escaped;
}

bool UnescapeExactText(std::string_view escaped, std::wstring& text) {
    text.clear();
    while (!escaped.empty()) {
        const char c = escaped.front();
        if (c != '%') {
            if (c <= 0x20 || c >= 0x7F) return false;
            text += static_cast<wchar_t>(c);
            escaped.remove_prefix(1);
            continue;
        }
        const std::size_t semicolon = escaped.find(';');
        if (semicolon == std::string_view::npos || semicolon < 2 || semicolon > 9) return false;
        std::uint32_t code = 0;
        const auto [end, error] =
            std::from_chars(escaped.data() + 1, escaped.data() + semicolon, code, 16);
        if (error != std::errc() || end != escaped.data() + semicolon) return false;
        text += static_cast<wchar_t>(code);
        escaped.remove_prefix(semicolon + 1);
    }
    return true;
}

bool ParseExactInt(std::string_view text, int& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

std::string FormatExactRecordLine(const ScanOptions& options) {
    std::string line(kExactRecordMarker);
    for (const int flag : {options.checkImages.load(), options.checkAllTags.load()}) {
        line += ' ' + std::to_string(flag);
    }
    line += ' ' + EscapeExactText(options.editorCommand);
    for (const int flag : {options.checkExternalUrls.load(), options.useExternalEditor.load(),
                           options.scanPageOnly.load()}) {
        line += ' ' + std::to_string(flag);
    }
    return line + "\r\n";
}

// The seven fields "exact d d command d d d", separated by single blanks.
bool ParseExactRecordLine(std::string_view line, ScanOptions& options) {
    line = TrimTrailingSpace(line);
    std::string_view fields[7];
    for (std::size_t i = 0; i < 7; ++i) {
        const std::size_t blank = line.find(' ');
        if ((blank == std::string_view::npos) != (i == 6)) return false;
        fields[i] = line.substr(0, blank);
        line.remove_prefix(i == 6 ? line.size() : blank + 1);
    }
    int flags[5];
    const std::string_view flagFields[5] = {fields[1], fields[2], fields[4], fields[5], fields[6]};
    for (std::size_t i = 0; i < 5; ++i) {
        if (!ParseExactInt(flagFields[i], flags[i])) return false;
    }
    std::wstring command;
    if (fields[0] != kExactRecordMarker || !UnescapeExactText(fields[3], command)) return false;
    options.checkImages = flags[0];
    options.checkAllTags = flags[1];
    options.editorCommand = std::move(command);
    options.checkExternalUrls = flags[2];
    options.useExternalEditor = flags[3];
    options.scanPageOnly = flags[4];
    return true;
}

// The options of the extra line, by the names they are written with.
struct ExtraOption {
    std::string_view name;
    std::atomic<int> ScanOptions::*value;
};
constexpr ExtraOption kExtraOptions[] = {
    {"https", &ScanOptions::checkHttpsLinks},
    {"fast", &ScanOptions::fastChecking},
    {"connections", &ScanOptions::connectionsPerHost},
    {"anchors", &ScanOptions::checkAnchors},
    {"redirects", &ScanOptions::followRedirects},
    {"retries", &ScanOptions::retries},
    {"robots", &ScanOptions::obeyRobots},
};
// The text options of the extra line, by the names they are written with.
struct ExtraText {
    std::string_view name;
    std::wstring ScanOptions::*value;
};
constexpr ExtraText kExtraTexts[] = {
    {"root", &ScanOptions::siteRoot},
    {"agent", &ScanOptions::userAgent},
    {"accept", &ScanOptions::acceptedStatuses},
};
// The pattern lists: one item per pattern, in order, so that a pattern may
// hold anything, blanks included.
struct ExtraList {
    std::string_view name;
    std::vector<std::wstring> ScanOptions::*value;
};
constexpr ExtraList kExtraLists[] = {
    {"exclude", &ScanOptions::excludePatterns},
    {"nofollow", &ScanOptions::noFollowPatterns},
};
// requestHeaders stay off the file: they may hold a token.

// A text value: its UTF-8 with every byte that is not a printable character
// other than "%" written as "%XX", so the line keeps one word per item and
// one byte per character.
std::string EncodedText(const std::wstring& text) {
    std::string encoded;
    for (const char c : ToUtf8(text)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte > 0x20 && byte < 0x7F && c != '%') {
            encoded += c;
            continue;
        }
        constexpr char kDigits[] = "0123456789ABCDEF";
        encoded += '%';
        encoded += kDigits[byte >> 4];
        encoded += kDigits[byte & 15];
    }
    return encoded;
}

std::wstring DecodedText(std::string_view encoded) {
    std::string bytes;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] == '%' && i + 2 < encoded.size() && HexDigitValue(encoded[i + 1]) >= 0 &&
            HexDigitValue(encoded[i + 2]) >= 0) {
            bytes += static_cast<char>(HexDigitValue(encoded[i + 1]) * 16 +
                                       HexDigitValue(encoded[i + 2]));
            i += 2;
        } else {
            bytes += encoded[i];
        }
    }
    return FromUtf8(bytes);
}

void AppendItem(std::string& line, std::string_view name, std::string_view value) {
    line.append(" ").append(name).append("=").append(value);
}

// "extra https=1 fast=1": each option not at its default, by name; nothing
// when every one is.
std::string FormatExtraOptionsLine(const ScanOptions& options) {
    const ScanOptions defaults;
    std::string line;
    for (const ExtraOption& option : kExtraOptions) {
        const int value = options.*option.value;
        if (value == defaults.*option.value) continue;
        AppendItem(line, option.name, std::to_string(value));
    }
    for (const ExtraText& option : kExtraTexts) {
        const std::wstring& value = options.*option.value;
        if (!value.empty()) AppendItem(line, option.name, EncodedText(value));
    }
    for (const ExtraList& option : kExtraLists) {
        for (const std::wstring& pattern : options.*option.value) {
            AppendItem(line, option.name, EncodedText(pattern));
        }
    }
    if (line.empty()) return {};
    return std::string(kExtraOptionsMarker) + line + "\r\n";
}

// Reads one "name=value" item; true when name is one of the text options.
bool ParseExtraTextItem(std::string_view name, std::string_view value, ScanOptions& options) {
    for (const ExtraText& option : kExtraTexts) {
        if (name != option.name) continue;
        options.*option.value = DecodedText(value);
        return true;
    }
    for (const ExtraList& option : kExtraLists) {
        if (name != option.name) continue;
        (options.*option.value).push_back(DecodedText(value));
        return true;
    }
    return false;
}

void ParseExtraOptionsLine(std::string_view line, ScanOptions& options) {
    line = TrimTrailingSpace(line);
    line.remove_prefix(kExtraOptionsMarker.size());
    while (!line.empty()) {
        line.remove_prefix(1);  // the blank before each item
        const std::string_view item = line.substr(0, line.find(' '));
        line.remove_prefix(item.size());
        const std::size_t equals = item.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view name = item.substr(0, equals);
        const std::string_view value = item.substr(equals + 1);
        int number = 0;
        if (ParseExtraTextItem(name, value, options) || !ParseExactInt(value, number)) continue;
        for (const ExtraOption& option : kExtraOptions) {
            if (name == option.name) options.*option.value = number;
        }
    }
}

bool IsExtraOptionsLine(std::string_view line) {
    return line.starts_with(kExtraOptionsMarker) &&
           line.substr(kExtraOptionsMarker.size()).starts_with(' ');
}

// True when the first line alone reads back as the six options it was
// formatted from. Every other option is taken over as it is, so only those
// six decide.
bool FirstLineCarries(std::string_view firstLine, const ScanOptions& options) {
    const ScanOptions defaults;
    ScanOptions readBack = options;
    readBack.checkImages = defaults.checkImages.load();
    readBack.checkAllTags = defaults.checkAllTags.load();
    readBack.editorCommand = defaults.editorCommand;
    readBack.checkExternalUrls = defaults.checkExternalUrls.load();
    readBack.useExternalEditor = defaults.useExternalEditor.load();
    readBack.scanPageOnly = defaults.scanPageOnly.load();
    ParseConfigurationLine(firstLine, readBack);
    return readBack == options;
}

// Creates folder and every missing folder above it; failures are ignored
// (most of them already exist).
void CreateFolderWithParents(const std::wstring& folder) {
    for (std::size_t slash = folder.find(L'/', 1); slash != std::wstring::npos;
         slash = folder.find(L'/', slash + 1)) {
        (void)CreateFolder(folder.substr(0, slash));
    }
    (void)CreateFolder(folder);
}

std::string ReadConfigurationText(const std::wstring& path) {
    InputFile file;
    std::string text;
    if (!file.Open(path, FileMode::kText)) return text;
    char buffer[64 * 1024];
    while (text.size() < kMaxConfigurationBytes) {
        const std::size_t count = file.Read(buffer, sizeof buffer);
        if (count == 0) break;
        text.append(buffer, count);
    }
    return text;
}

}  // namespace

std::wstring ConfigurationFolder() {
    for (const char* name : {"APPDATA", "XDG_CONFIG_HOME"}) {
        const std::optional<std::wstring> value = GetEnvironmentText(name);
        if (value && !value->empty()) return *value + L"/" + kConfigurationFolderName;
    }
    return GetEnvironmentText("HOME").value_or(L"") + L"/.config/" + kConfigurationFolderName;
}

std::wstring ConfigurationFilePath() {
    return ConfigurationFolder() + L"/" + kConfigurationFileName;
}

void SwapSpaceAndHash(std::wstring& text) {
    for (wchar_t& c : text) {
        if (c == L' ') {
            c = L'#';
        } else if (c == L'#') {
            c = L' ';
        }
    }
}

std::string FormatConfigurationLine(const ScanOptions& options) {
    std::wstring command = options.editorCommand;
    SwapSpaceAndHash(command);
    std::string bytes = Narrow(command);
    // A line feed would end the line early and a NUL the C string: both are
    // left to the exact record, as characters above 255 are.
    std::replace_if(
        bytes.begin(), bytes.end(), [](char c) { return c == '\n' || c == '\0'; }, '?');
    return std::to_string(options.checkImages) + ' ' + std::to_string(options.checkAllTags) + ' ' +
           bytes + ' ' + std::to_string(options.checkExternalUrls) + ' ' +
           std::to_string(options.useExternalEditor) + ' ' + std::to_string(options.scanPageOnly) +
           "\r\n";
}

void ParseConfigurationLine(std::string_view line, ScanOptions& options) {
    FormattedScan scan(line);
    int value = 0;
    std::string_view word;
    if (!scan.ReadInt(value)) return;
    options.checkImages = value;
    if (!scan.ReadInt(value)) return;
    options.checkAllTags = value;
    if (!scan.ReadWord(word)) return;
    options.editorCommand = Widen(word);
    SwapSpaceAndHash(options.editorCommand);
    if (!scan.ReadInt(value)) return;
    options.checkExternalUrls = value;
    if (!scan.ReadInt(value)) return;
    options.useExternalEditor = value;
    if (!scan.ReadInt(value)) return;
    options.scanPageOnly = value;
}

std::string FormatConfigurationText(const ScanOptions& options) {
    std::string text = FormatConfigurationLine(options);
    if (!FirstLineCarries(text.substr(0, kConfigurationLineLimit), options)) {
        text += FormatExactRecordLine(options);
    }
    return text + FormatExtraOptionsLine(options);
}

void ParseConfigurationText(std::string_view text, ScanOptions& options) {
    const std::size_t firstEnd = text.find('\n');
    const std::string_view firstLine =
        firstEnd == std::string_view::npos ? text : text.substr(0, firstEnd + 1);
    ParseConfigurationLine(firstLine.substr(0, kConfigurationLineLimit), options);
    if (firstEnd == std::string_view::npos) return;
    std::string_view rest = text.substr(firstEnd + 1);
    const std::string_view secondLine = rest.substr(0, rest.find('\n'));
    // The exact record counts only beside the very line it was written with:
    // a first line edited by hand, or rewritten by an older program, wins.
    ScanOptions exact;
    if (ParseExactRecordLine(secondLine, exact) &&
        TrimTrailingSpace(FormatConfigurationLine(exact)) == TrimTrailingSpace(firstLine)) {
        options = exact;
    }
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        if (IsExtraOptionsLine(line)) {
            ParseExtraOptionsLine(line, options);
            return;
        }
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }
}

void LoadConfiguration(ScanOptions& options) {
    options = ScanOptions{};
    CreateFolderWithParents(ConfigurationFolder());
    ParseConfigurationText(ReadConfigurationText(ConfigurationFilePath()), options);
}

void SaveConfiguration(const ScanOptions& options) {
    OutputFile file;
    if (!file.Create(ConfigurationFilePath(), FileMode::kText)) return;
    (void)file.Write(FormatConfigurationText(options));
    (void)file.Close();
}

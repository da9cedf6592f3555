// The command line of skarnel-cli: its options and the one PATH, read into a
// plain record. Parsing never touches the file system or the scan.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/scan_options.h"

enum class OutputFormat { kTsv, kCsv, kJson, kJunit, kGithub, kMarkdown, kSarif };

// The programs' version, as --version and the SARIF log give it.
inline constexpr std::string_view kProgramVersion = "1.2";

enum class CliAction { kScan, kShowHelp, kShowVersion };

// Options given on the command line; an unset one keeps the value of the
// configuration file.
struct CliOptionOverrides {
    std::optional<int> checkImages;
    std::optional<int> checkAllTags;
    std::optional<int> checkExternalUrls;
    std::optional<int> scanPageOnly;
    std::optional<int> checkHttpsLinks;
    std::optional<int> fastChecking;
    std::optional<int> connectionsPerHost;
    std::optional<int> checkAnchors;
    std::optional<std::wstring> siteRoot;
    std::optional<int> followRedirects;
    std::optional<int> retries;
    std::optional<int> obeyRobots;
    // A list given at all replaces the saved one, even when it is empty.
    std::optional<std::vector<std::wstring>> excludePatterns;
    std::optional<std::vector<std::wstring>> noFollowPatterns;
    std::optional<std::wstring> userAgent;
    std::optional<std::vector<std::string>> requestHeaders;
    std::optional<std::wstring> acceptedStatuses;
};

struct CommandLine {
    CliAction action = CliAction::kScan;
    // The start path as typed into the Path field; empty is a valid path.
    std::wstring path;
    OutputFormat format = OutputFormat::kTsv;
    CliOptionOverrides overrides;
    // --save FILE, when given.
    std::optional<std::wstring> savePath;
    // --progress / --no-progress; unset: on when standard error is a terminal.
    std::optional<bool> progress;
};

struct CommandLineResult {
    CommandLine commandLine;
    // Empty when the command line is valid; else what is wrong with it.
    std::string usageError;
};

// Reads the arguments after the program name (UTF-8, as the system passes them).
[[nodiscard]] CommandLineResult ParseCommandLine(const std::vector<std::string>& arguments);

// Puts the overrides over options loaded from the configuration file.
void ApplyOverrides(const CliOptionOverrides& overrides, ScanOptions& options);

[[nodiscard]] std::string_view HelpText();
[[nodiscard]] std::string_view VersionText();

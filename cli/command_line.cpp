// Parsing skarnel-cli's arguments.
#include "cli/command_line.h"

#include <array>
#include <charconv>
#include <optional>
#include <utility>

#include "engine/link_patterns.h"
#include "engine/request_headers.h"
#include "engine/status_list.h"
#include "platform/text_codec.h"

namespace {

// An on/off option pair such as --images / --no-images and the override it sets.
struct FlagOption {
    std::string_view name;
    std::optional<int> CliOptionOverrides::*field;
};

constexpr std::array<FlagOption, 9> kFlagOptions = {{
    {"images", &CliOptionOverrides::checkImages},
    {"all-tags", &CliOptionOverrides::checkAllTags},
    {"external", &CliOptionOverrides::checkExternalUrls},
    {"page-only", &CliOptionOverrides::scanPageOnly},
    {"https", &CliOptionOverrides::checkHttpsLinks},
    {"fast", &CliOptionOverrides::fastChecking},
    {"anchors", &CliOptionOverrides::checkAnchors},
    {"follow-redirects", &CliOptionOverrides::followRedirects},
    {"robots", &CliOptionOverrides::obeyRobots},
}};

// A whole decimal number from low to high; nothing for anything else.
std::optional<int> NumberFrom(const std::string& text, int low, int high) {
    int number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || number < low || number > high) {
        return std::nullopt;
    }
    return number;
}

std::optional<OutputFormat> FormatNamed(std::string_view name) {
    if (name == "tsv") return OutputFormat::kTsv;
    if (name == "csv") return OutputFormat::kCsv;
    if (name == "json") return OutputFormat::kJson;
    if (name == "junit") return OutputFormat::kJunit;
    if (name == "github") return OutputFormat::kGithub;
    if (name == "markdown") return OutputFormat::kMarkdown;
    if (name == "sarif") return OutputFormat::kSarif;
    return std::nullopt;
}

// Walks the arguments once, filling the result; stops at the first error.
class Parser {
public:
    explicit Parser(const std::vector<std::string>& arguments) : m_arguments(arguments) {}

    CommandLineResult Parse() {
        bool optionsEnded = false;
        for (m_index = 0; m_index < m_arguments.size() && Ok(); ++m_index) {
            const std::string& argument = m_arguments[m_index];
            if (!optionsEnded && argument == "--") {
                optionsEnded = true;
            } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
                ParseOption(argument);
            } else {
                AddPath(argument);
            }
        }
        if (Ok() && m_result.commandLine.action == CliAction::kScan && !m_pathSeen) {
            Fail("no PATH given");
        }
        return m_result;
    }

private:
    bool Ok() const { return m_result.usageError.empty(); }
    void Fail(std::string message) { m_result.usageError = std::move(message); }

    void AddPath(const std::string& argument) {
        if (m_pathSeen) {
            Fail("more than one PATH given: \"" + argument + "\"");
            return;
        }
        m_pathSeen = true;
        m_result.commandLine.path = FromUtf8(argument);
    }

    void ParseOption(const std::string& argument) {
        std::string_view name = argument;
        std::optional<std::string> attachedValue;
        if (const std::size_t equals = name.find('='); equals != std::string_view::npos) {
            attachedValue = std::string(name.substr(equals + 1));
            name = name.substr(0, equals);
        }
        CommandLine& line = m_result.commandLine;
        if (name == "--connections") {
            const std::optional<std::string> value = ValueOf(name, attachedValue);
            if (value) SetConnections(*value);
            return;
        }
        if (name == "--root") {
            const std::optional<std::string> value = ValueOf(name, attachedValue);
            if (!value) return;
            if (value->empty()) {
                Fail("option --root needs a folder");
            } else {
                line.overrides.siteRoot = FromUtf8(*value);
            }
            return;
        }
        if (name == "--format" || name == "--save") {
            const std::optional<std::string> value = ValueOf(name, attachedValue);
            if (!value) return;
            if (name == "--save") {
                SetSavePath(*value);
            } else if (const std::optional<OutputFormat> format = FormatNamed(*value)) {
                line.format = *format;
            } else {
                Fail("unknown format \"" + *value +
                     "\" (use tsv, csv, json, junit, github, markdown or sarif)");
            }
            return;
        }
        if (ParseWebValueOption(name, attachedValue)) return;
        if (attachedValue) {
            Fail("option " + std::string(name) + " takes no value");
        } else if (name == "--help" || name == "-h") {
            line.action = CliAction::kShowHelp;
        } else if (name == "--version") {
            if (line.action != CliAction::kShowHelp) line.action = CliAction::kShowVersion;
        } else if (name == "--progress" || name == "--no-progress") {
            line.progress = name == "--progress";
        } else if (!SetFlag(name)) {
            Fail("unknown option " + std::string(name));
        }
    }

    // The value of an option that takes one, attached with "=" or in the next argument.
    std::optional<std::string> ValueOf(std::string_view name,
                                       const std::optional<std::string>& attachedValue) {
        if (attachedValue) return attachedValue;
        if (m_index + 1 >= m_arguments.size()) {
            Fail("option " + std::string(name) + " needs a value");
            return std::nullopt;
        }
        return m_arguments[++m_index];
    }

    void SetConnections(const std::string& value) {
        const std::optional<int> count = NumberFrom(value, 1, kMaxConnectionsPerHost);
        if (!count) {
            Fail("option --connections needs a number from 1 to " +
                 std::to_string(kMaxConnectionsPerHost) + ", not \"" + value + "\"");
            return;
        }
        m_result.commandLine.overrides.connectionsPerHost = *count;
    }

    // The options of the web checks that take a value; false for any other name.
    bool ParseWebValueOption(std::string_view name,
                             const std::optional<std::string>& attachedValue) {
        using Setter = void (Parser::*)(const std::string&);
        static constexpr std::pair<std::string_view, Setter> kOptions[] = {
            {"--retries", &Parser::SetRetries},
            {"--exclude", &Parser::AddExcludePattern},
            {"--no-follow", &Parser::AddNoFollowPattern},
            {"--user-agent", &Parser::SetUserAgent},
            {"--header", &Parser::AddRequestHeader},
            {"--accept", &Parser::SetAcceptedStatuses},
        };
        for (const auto& [optionName, set] : kOptions) {
            if (name != optionName) continue;
            if (const std::optional<std::string> value = ValueOf(name, attachedValue)) {
                (this->*set)(*value);
            }
            return true;
        }
        return false;
    }

    void SetRetries(const std::string& value) {
        const std::optional<int> retries = NumberFrom(value, 0, kMaxRetries);
        if (!retries) {
            Fail("option --retries needs a number from 0 to " + std::to_string(kMaxRetries) +
                 ", not \"" + value + "\"");
            return;
        }
        m_result.commandLine.overrides.retries = *retries;
    }

    void AddExcludePattern(const std::string& value) {
        AddPattern("--exclude", value, m_result.commandLine.overrides.excludePatterns);
    }
    void AddNoFollowPattern(const std::string& value) {
        AddPattern("--no-follow", value, m_result.commandLine.overrides.noFollowPatterns);
    }

    // The first pattern given replaces the saved list, the next ones join it.
    // An empty one joins nothing: as a pattern it would match every link.
    void AddPattern(std::string_view option, const std::string& value,
                    std::optional<std::vector<std::wstring>>& patterns) {
        std::vector<std::wstring>& list = patterns ? *patterns : patterns.emplace();
        if (value.empty()) return;
        const std::wstring pattern = FromUtf8(value);
        std::string error;
        if (!LinkPatterns::Compile({pattern}, &error)) {
            Fail("option " + std::string(option) + ": " + error);
            return;
        }
        list.push_back(pattern);
    }

    void SetUserAgent(const std::string& value) {
        // The agent goes out as a header line, so it obeys the same rules.
        if (!value.empty() && !IsWellFormedHeaderLine("User-Agent: " + value)) {
            Fail("option --user-agent needs visible characters and blanks, not \"" + value + "\"");
            return;
        }
        m_result.commandLine.overrides.userAgent = FromUtf8(value);
    }

    void AddRequestHeader(const std::string& value) {
        if (!IsWellFormedHeaderLine(value)) {
            Fail("malformed header \"" + value +
                 "\" (use 'Name: value'; Host, Content-Length and Transfer-Encoding are not "
                 "allowed)");
            return;
        }
        auto& headers = m_result.commandLine.overrides.requestHeaders;
        (headers ? *headers : headers.emplace()).push_back(value);
    }

    void SetAcceptedStatuses(const std::string& value) {
        const std::wstring list = FromUtf8(value);
        if (!ParseStatusList(list)) {
            Fail("option --accept needs status codes and ranges such as 200-299,403, not \"" +
                 value + "\"");
            return;
        }
        m_result.commandLine.overrides.acceptedStatuses = list;
    }

    void SetSavePath(const std::string& value) {
        if (value.empty()) {
            Fail("option --save needs a file name");
            return;
        }
        m_result.commandLine.savePath = FromUtf8(value);
    }

    bool SetFlag(std::string_view name) {
        for (const FlagOption& option : kFlagOptions) {
            const std::string on = "--" + std::string(option.name);
            const std::string off = "--no-" + std::string(option.name);
            if (name == on || name == off) {
                m_result.commandLine.overrides.*option.field = name == on ? 1 : 0;
                return true;
            }
        }
        return false;
    }

    const std::vector<std::string>& m_arguments;
    std::size_t m_index = 0;
    bool m_pathSeen = false;
    CommandLineResult m_result;
};

}  // namespace

CommandLineResult ParseCommandLine(const std::vector<std::string>& arguments) {
    return Parser(arguments).Parse();
}

void ApplyOverrides(const CliOptionOverrides& overrides, ScanOptions& options) {
    if (overrides.checkImages) options.checkImages = *overrides.checkImages;
    if (overrides.checkAllTags) options.checkAllTags = *overrides.checkAllTags;
    if (overrides.checkExternalUrls) options.checkExternalUrls = *overrides.checkExternalUrls;
    if (overrides.scanPageOnly) options.scanPageOnly = *overrides.scanPageOnly;
    if (overrides.checkHttpsLinks) options.checkHttpsLinks = *overrides.checkHttpsLinks;
    if (overrides.fastChecking) options.fastChecking = *overrides.fastChecking;
    if (overrides.connectionsPerHost) options.connectionsPerHost = *overrides.connectionsPerHost;
    if (overrides.checkAnchors) options.checkAnchors = *overrides.checkAnchors;
    if (overrides.siteRoot) options.siteRoot = *overrides.siteRoot;
    if (overrides.followRedirects) options.followRedirects = *overrides.followRedirects;
    if (overrides.retries) options.retries = *overrides.retries;
    if (overrides.obeyRobots) options.obeyRobots = *overrides.obeyRobots;
    if (overrides.excludePatterns) options.excludePatterns = *overrides.excludePatterns;
    if (overrides.noFollowPatterns) options.noFollowPatterns = *overrides.noFollowPatterns;
    if (overrides.userAgent) options.userAgent = *overrides.userAgent;
    if (overrides.requestHeaders) options.requestHeaders = *overrides.requestHeaders;
    if (overrides.acceptedStatuses) options.acceptedStatuses = *overrides.acceptedStatuses;
}

std::string_view HelpText() {
    return R"(Usage: skarnel-cli [OPTIONS] PATH

Checks the links of a web site (PATH begins with "http") or of a site copy on
disk (PATH is a local page, or a folder: every page under it), and lists every
link with its state and the page:line where it was found. Options override the
saved options for this run only; the options file is never written.

Options:
  --images, --no-images          also check image sources (or not)
  --all-tags, --no-all-tags      also check style sheets, other link tags,
                                 scripts and form actions (implies images)
  --external, --no-external      check absolute web links of a local site over
                                 HTTP instead of skipping them
  --page-only, --no-page-only    scan the start page only for links; the pages
                                 it reaches are checked but not scanned
  --https, --no-https            check https links and crawl https sites over
                                 TLS as http ones are (or ignore https links);
                                 certificates must chain to the system's trust
                                 store, or to the CA bundle SSL_CERT_FILE names
  --fast, --no-fast              fast checking of web sites: kept-alive
                                 connections and no pauses between checks (or
                                 the polite pacing, one connection per link)
  --connections N                with --fast, at most N connections to one
                                 server at a time (1 to 64, default 8)
  --anchors, --no-anchors        check that a link's #fragment names an id or
                                 <a name> on the site's page it leads to (or
                                 do not look at fragments)
  --root DIR                     resolve a local site's root-relative links
                                 ("/about/") against DIR (default: the start
                                 folder, or the start page's folder)
  --follow-redirects, --no-follow-redirects
                                 follow a link's redirects (at most 10) and
                                 judge it by where they end (or count a
                                 redirect as fine)
  --retries N                    try a check that failed transiently again, up
                                 to N times (0 to 10, default 0)
  --robots, --no-robots          read a server's robots.txt before crawling it
                                 and leave the pages it disallows unrequested
                                 (or ignore robots.txt)
  --exclude REGEX                leave links whose address or path matches
                                 REGEX (PCRE2) unchecked; repeatable, and the
                                 list given replaces the saved one (an empty
                                 REGEX adds none)
  --no-follow REGEX              check the pages that match REGEX but do not
                                 read their links; repeatable, replacing the
                                 saved list as --exclude does
  --user-agent TEXT              send TEXT as the User-Agent header (empty:
                                 the usual one)
  --header 'NAME: VALUE'         add this header to every request; repeatable,
                                 never saved
  --accept LIST                  the statuses that count as fine, as
                                 200-299,403 (empty: the usual ones); the
                                 redirects stay fine
  --format FORMAT                output format: tsv (default), csv, json,
                                 junit, github, markdown or sarif (see below)
  --save FILE                    also save the results as CSV, as the window's
                                 "Save results..." does, whatever the format
  --progress, --no-progress      show "Checking ..." on standard error (default:
                                 on when standard error is a terminal)
  --help                         show this help and exit
  --version                      show the version and exit
  --                             end of options (for a PATH beginning with "-")

Output (standard output):
  tsv       Link, State, Location and Icon (ok, error or skipped) separated by
            tabs, one line per link as it is checked; backslash, tab, CR and LF
            inside a text are written \\ \t \r \n. Then "Total links found:
            N, errors: M".
  csv       a header line, then one RFC 4180 record per link; no totals.
  json      one JSON object per line per link, then {"total":N,"errors":M}.
  junit     JUnit XML, written at the end: a testsuite per linking page, a
            testcase per link (a failure when in error, skipped when skipped)
            with its file, line and location.
  github    a GitHub Actions "::error file=PAGE,line=N::LINK: STATE" command
            per link in error, as it is checked; then the totals line.
  markdown  a table of the links in error (or "No broken links"), then the
            totals line, written at the end: for a job summary.
  sarif     SARIF 2.1.0, written at the end: a result per link in error, at
            its page and line, for code scanning.
  junit's file attribute, github and sarif name a local page relative to the
  current folder.

Exit status:
  0    no link is in error
  1    one or more links are in error
  2    usage error, a scan that could not start, or results that could not be
       written or saved
  130  stopped with Ctrl-C (the totals so far are printed first)
)";
}

std::string_view VersionText() {
    static const std::string text = "skarnel-cli " + std::string(kProgramVersion) + "\n";
    return text;
}

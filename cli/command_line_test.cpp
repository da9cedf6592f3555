// Reading skarnel-cli's arguments.
#include "cli/command_line.h"

#include <gtest/gtest.h>

namespace {

CommandLine Parsed(const std::vector<std::string>& arguments) {
    const CommandLineResult result = ParseCommandLine(arguments);
    EXPECT_EQ(result.usageError, "");
    return result.commandLine;
}

std::string UsageError(const std::vector<std::string>& arguments) {
    return ParseCommandLine(arguments).usageError;
}

}  // namespace

TEST(CommandLine, PathAloneTakesTheDefaults) {
    const CommandLine line = Parsed({"site/index.html"});
    EXPECT_EQ(line.action, CliAction::kScan);
    EXPECT_EQ(line.path, L"site/index.html");
    EXPECT_EQ(line.format, OutputFormat::kTsv);
    EXPECT_FALSE(line.savePath);
    EXPECT_FALSE(line.progress);
    EXPECT_FALSE(line.overrides.checkImages || line.overrides.checkAllTags ||
                 line.overrides.checkExternalUrls || line.overrides.scanPageOnly);
}

TEST(CommandLine, EmptyArgumentIsAPath) {
    const CommandLine line = Parsed({"--no-images", ""});
    EXPECT_EQ(line.action, CliAction::kScan);
    EXPECT_EQ(line.path, L"");
}

TEST(CommandLine, PathIsDecodedFromUtf8) {
    EXPECT_EQ(Parsed({"caf\xc3\xa9/index.html"}).path, L"caf\u00e9/index.html");
}

TEST(CommandLine, FlagPairsSetOverridesAndTheLastOneWins) {
    const CommandLine line =
        Parsed({"--images", "--no-all-tags", "--external", "--page-only", "--no-images", "p"});
    EXPECT_EQ(line.overrides.checkImages, 0);
    EXPECT_EQ(line.overrides.checkAllTags, 0);
    EXPECT_EQ(line.overrides.checkExternalUrls, 1);
    EXPECT_EQ(line.overrides.scanPageOnly, 1);
    EXPECT_EQ(line.overrides.checkHttpsLinks, std::nullopt);
    EXPECT_EQ(Parsed({"--https", "p"}).overrides.checkHttpsLinks, 1);
    EXPECT_EQ(Parsed({"--https", "--no-https", "p"}).overrides.checkHttpsLinks, 0);
    EXPECT_EQ(Parsed({"--fast", "p"}).overrides.fastChecking, 1);
    EXPECT_EQ(Parsed({"--fast", "--no-fast", "p"}).overrides.fastChecking, 0);
    EXPECT_EQ(Parsed({"--anchors", "p"}).overrides.checkAnchors, 1);
    EXPECT_EQ(Parsed({"--no-anchors", "p"}).overrides.checkAnchors, 0);
    EXPECT_EQ(Parsed({"--root", "public", "p"}).overrides.siteRoot, L"public");
    EXPECT_EQ(Parsed({"--root=caf\xc3\xa9/", "p"}).overrides.siteRoot, L"caf\u00e9/");
}

TEST(CommandLine, ConnectionsTakeANumberFromOneTo64) {
    EXPECT_EQ(Parsed({"--connections", "3", "p"}).overrides.connectionsPerHost, 3);
    EXPECT_EQ(Parsed({"--connections=64", "p"}).overrides.connectionsPerHost, 64);
    EXPECT_EQ(Parsed({"p"}).overrides.connectionsPerHost, std::nullopt);
    for (const char* wrong : {"0", "65", "-1", "2x", ""}) {
        EXPECT_EQ(
            ParseCommandLine({"--connections", wrong, "p"}).usageError,
            std::string("option --connections needs a number from 1 to 64, not \"") + wrong + "\"")
            << wrong;
    }
}

TEST(CommandLine, OptionsMayFollowThePath) {
    const CommandLine line = Parsed({"p", "--format", "json", "--all-tags"});
    EXPECT_EQ(line.path, L"p");
    EXPECT_EQ(line.format, OutputFormat::kJson);
    EXPECT_EQ(line.overrides.checkAllTags, 1);
}

TEST(CommandLine, ValuesSeparateOrAttached) {
    const CommandLine line = Parsed({"--format=csv", "--save", "out file.csv", "p"});
    EXPECT_EQ(line.format, OutputFormat::kCsv);
    EXPECT_EQ(line.savePath, L"out file.csv");
    EXPECT_EQ(Parsed({"--save=r.csv", "p"}).savePath, L"r.csv");
    EXPECT_EQ(Parsed({"--format", "tsv", "p"}).format, OutputFormat::kTsv);
}

TEST(CommandLine, ProgressChoice) {
    EXPECT_EQ(Parsed({"--progress", "p"}).progress, true);
    EXPECT_EQ(Parsed({"--progress", "--no-progress", "p"}).progress, false);
}

TEST(CommandLine, DoubleDashEndsOptions) {
    EXPECT_EQ(Parsed({"--", "--images"}).path, L"--images");
    EXPECT_EQ(Parsed({"-"}).path, L"-");
}

TEST(CommandLine, HelpAndVersionNeedNoPath) {
    EXPECT_EQ(Parsed({"--version"}).action, CliAction::kShowVersion);
    EXPECT_EQ(Parsed({"--help"}).action, CliAction::kShowHelp);
    EXPECT_EQ(Parsed({"--version", "-h", "p"}).action, CliAction::kShowHelp);
}

TEST(CommandLine, UsageErrorsSayWhatIsWrong) {
    EXPECT_EQ(UsageError({}), "no PATH given");
    EXPECT_EQ(UsageError({"--images"}), "no PATH given");
    EXPECT_EQ(UsageError({"a", "b"}), "more than one PATH given: \"b\"");
    EXPECT_EQ(UsageError({"--bogus", "p"}), "unknown option --bogus");
    EXPECT_EQ(UsageError({"-x", "p"}), "unknown option -x");
    EXPECT_EQ(UsageError({"--format", "xml", "p"}),
              "unknown format \"xml\" (use tsv, csv, json, junit, github, markdown or sarif)");
    EXPECT_EQ(UsageError({"p", "--format"}), "option --format needs a value");
    EXPECT_EQ(UsageError({"p", "--save"}), "option --save needs a value");
    EXPECT_EQ(UsageError({"p", "--save="}), "option --save needs a file name");
    EXPECT_EQ(UsageError({"p", "--root="}), "option --root needs a folder");
    EXPECT_EQ(UsageError({"--images=1", "p"}), "option --images takes no value");
}

TEST(CommandLine, OverridesReplaceOnlyTheOptionsGiven) {
    ScanOptions options;
    options.checkImages = 0;
    options.checkAllTags = 5;
    options.editorCommand = L"vi";
    CliOptionOverrides overrides;
    overrides.checkImages = 1;
    overrides.scanPageOnly = 1;
    ApplyOverrides(overrides, options);
    EXPECT_EQ(options.checkImages, 1);
    EXPECT_EQ(options.checkAllTags, 5);
    EXPECT_EQ(options.checkExternalUrls, 0);
    EXPECT_EQ(options.scanPageOnly, 1);
    EXPECT_EQ(options.editorCommand, L"vi");
}

TEST(CommandLine, WebCheckOptionsInBothForms) {
    const CommandLine line =
        Parsed({"--follow-redirects", "--no-robots", "--retries", "10", "--exclude", "\\.pdf$",
                "--no-follow=^/archive/", "--exclude=caf\xc3\xa9 x", "--user-agent",
                "MyBot/1.0 (+x)", "--header", "Authorization: Bearer a=b",
                "--header=X-Trace:", "--accept=200-299, 403", "p"});
    EXPECT_EQ(line.overrides.followRedirects, 1);
    EXPECT_EQ(line.overrides.obeyRobots, 0);
    EXPECT_EQ(line.overrides.retries, 10);
    EXPECT_EQ(line.overrides.excludePatterns,
              (std::vector<std::wstring>{L"\\.pdf$", L"caf\u00e9 x"}));
    EXPECT_EQ(line.overrides.noFollowPatterns, std::vector<std::wstring>{L"^/archive/"});
    EXPECT_EQ(line.overrides.userAgent, L"MyBot/1.0 (+x)");
    EXPECT_EQ(line.overrides.requestHeaders,
              (std::vector<std::string>{"Authorization: Bearer a=b", "X-Trace:"}));
    EXPECT_EQ(line.overrides.acceptedStatuses, L"200-299, 403");
    // Empty values: no pattern at all (one would match every link), the
    // usual agent and the usual fine statuses.
    const CommandLine empty = Parsed({"--exclude=", "--user-agent=", "--accept", "", "p"});
    EXPECT_EQ(empty.overrides.excludePatterns, std::vector<std::wstring>{});
    EXPECT_EQ(empty.overrides.userAgent, L"");
    EXPECT_EQ(empty.overrides.acceptedStatuses, L"");
}

TEST(CommandLine, WebCheckValuesThatCannotBeUsedAreUsageErrors) {
    for (const char* wrong : {"11", "-1", "3x", ""}) {
        EXPECT_EQ(
            UsageError({"--retries", wrong, "p"}),
            std::string("option --retries needs a number from 0 to 10, not \"") + wrong + "\"");
    }
    EXPECT_EQ(UsageError({"--exclude", "ok", "--no-follow=a(b", "p"}),
              "option --no-follow: pattern \"a(b\": missing closing parenthesis at offset 3");
    EXPECT_EQ(UsageError({"--user-agent", "Bot\r\nX-Injected: 1", "p"}),
              "option --user-agent needs visible characters and blanks, not \"Bot\r\nX-Injected: "
              "1\"");
    for (const char* wrong : {"NoColon", "Bad Name: x", "content-length: 0", "X-A: 1\r\nX-B: 2"}) {
        EXPECT_EQ(UsageError({"--header", wrong, "p"}),
                  std::string("malformed header \"") + wrong +
                      "\" (use 'Name: value'; Host, Content-Length and Transfer-Encoding are not "
                      "allowed)");
    }
    for (const char* wrong : {"99", "300-200", "2xx"}) {
        EXPECT_EQ(UsageError({"--accept", wrong, "p"}),
                  std::string("option --accept needs status codes and ranges such as "
                              "200-299,403, not \"") +
                      wrong + "\"");
    }
}

TEST(CommandLine, WebOverridesReplaceTheSavedValuesOnlyWhenGiven) {
    ScanOptions options;
    options.excludePatterns = {L"saved"};
    options.noFollowPatterns = {L"kept"};
    options.retries = 4;
    ApplyOverrides(ParseCommandLine({"--exclude=", "--header", "A: 1", "p"}).commandLine.overrides,
                   options);
    EXPECT_EQ(options.excludePatterns, std::vector<std::wstring>{});
    EXPECT_EQ(options.noFollowPatterns, std::vector<std::wstring>{L"kept"});
    EXPECT_EQ(options.requestHeaders, std::vector<std::string>{"A: 1"});
    EXPECT_EQ(options.retries, 4);
}

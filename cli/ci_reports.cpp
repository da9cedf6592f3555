// JUnit XML, workflow commands, the Markdown summary and SARIF from the rows.
#include "cli/ci_reports.h"

#include <limits>
#include <unordered_map>

#include "cli/report_escaping.h"
#include "engine/ascii_case.h"
#include "engine/scan_control.h"
#include "engine/url_functions.h"
#include "platform/text_codec.h"

namespace {

// The one SARIF rule, and the type of a JUnit failure.
constexpr std::string_view kBrokenLinkId = "broken-link";
// What SARIF's relative artifact addresses are relative to: the current folder.
constexpr std::string_view kSarifSourceRoot = "%SRCROOT%";

bool IsWebAddress(std::wstring_view text) {
    const std::string start = Narrow(text.substr(0, 8));
    return StartsWithIgnoringCase(start, "http://") || StartsWithIgnoringCase(start, "https://");
}

// True when a web address ends inside its authority ("http://host:8080"),
// where a colon starts a port.
bool EndsInAuthority(std::wstring_view address) {
    const std::size_t authority = address.find(L"://");
    return authority != std::wstring_view::npos &&
           address.find(L'/', authority + 3) == std::wstring_view::npos;
}

// The decimal number that is the whole text; nothing for anything else.
std::optional<unsigned> WholeNumber(std::wstring_view text) {
    if (text.empty()) return std::nullopt;
    unsigned number = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
        if (number > (std::numeric_limits<unsigned>::max() - 9) / 10) return std::nullopt;
        number = number * 10 + static_cast<unsigned>(c - L'0');
    }
    return number;
}

// The names along a path, without dot segments, "." or empty names.
std::vector<std::wstring> PathNames(std::wstring_view path) {
    const std::wstring clean = RemoveDotSegmentsW(path);
    std::vector<std::wstring> names;
    for (std::size_t start = 0; start <= clean.size();) {
        std::size_t end = clean.find(L'/', start);
        if (end == std::wstring::npos) end = clean.size();
        const std::wstring_view name = std::wstring_view(clean).substr(start, end - start);
        if (!name.empty() && name != L".") names.emplace_back(name);
        start = end + 1;
    }
    return names;
}

std::wstring JoinedPath(const std::vector<std::wstring>& names, std::size_t first) {
    std::wstring path;
    for (std::size_t i = first; i < names.size(); ++i) {
        if (!path.empty()) path += L'/';
        path += names[i];
    }
    return path;
}

// The page of a row and its path for tools that open files.
struct RowPlace {
    PageLocation location;
    std::wstring path;
};

RowPlace PlaceOf(const ResultRow& row, std::wstring_view currentFolder) {
    RowPlace place{SplitLocation(row.location), L""};
    place.path = ReportPagePath(place.location.page, currentFolder);
    return place;
}

// Built by appending: GCC 12 at -O3 takes "\"" + string for an overlapping
// copy (-Wrestrict) and a Release build would stop there.
std::string AttributeText(std::wstring_view text) {
    std::string quoted(1, '"');
    quoted += XmlText(text);
    quoted += '"';
    return quoted;
}

// The pages in the order they first appear, each with its rows.
struct PageRows {
    std::wstring page;
    std::vector<const ResultRow*> rows;
    unsigned failures = 0;
    unsigned skipped = 0;
};

std::vector<PageRows> RowsByPage(const std::vector<ResultRow>& rows) {
    std::vector<PageRows> pages;
    std::unordered_map<std::wstring, std::size_t> indexOfPage;
    for (const ResultRow& row : rows) {
        std::wstring page = SplitLocation(row.location).page;
        const auto [entry, added] = indexOfPage.try_emplace(page, pages.size());
        if (added) pages.push_back({std::move(page), {}, 0, 0});
        PageRows& group = pages[entry->second];
        group.rows.push_back(&row);
        if (row.icon == ResultIcon::kError) ++group.failures;
        if (row.icon == ResultIcon::kSkipped) ++group.skipped;
    }
    return pages;
}

// tests="N" failures="F" errors="0" skipped="S": broken links fail; none is
// an error of the test run itself.
std::string JunitCounts(std::size_t tests, unsigned failures, unsigned skipped) {
    return " tests=\"" + std::to_string(tests) + "\" failures=\"" + std::to_string(failures) +
           "\" errors=\"0\" skipped=\"" + std::to_string(skipped) + "\"";
}

void AppendTestCase(std::string& xml, const ResultRow& row, std::wstring_view currentFolder) {
    const RowPlace place = PlaceOf(row, currentFolder);
    xml += "    <testcase name=" + AttributeText(row.link) +
           " classname=" + AttributeText(place.location.page);
    if (!place.path.empty()) xml += " file=" + AttributeText(place.path);
    if (place.location.line) xml += " line=\"" + std::to_string(*place.location.line) + "\"";
    xml += ">\n";
    if (row.icon == ResultIcon::kError) {
        xml += "      <failure message=" + AttributeText(row.state) + " type=\"" +
               std::string(kBrokenLinkId) + "\"/>\n";
    } else if (row.icon == ResultIcon::kSkipped) {
        xml += "      <skipped message=" + AttributeText(row.state) + "/>\n";
    }
    xml += "      <system-out>" + XmlText(row.location) + "</system-out>\n    </testcase>\n";
}

std::string Quoted(std::string_view text) { return JsonString(Widen(text)); }

std::string SarifRule() {
    return "{\"id\": " + Quoted(kBrokenLinkId) +
           ", \"name\": \"BrokenLink\", \"shortDescription\": {\"text\": \"Broken link\"}, "
           "\"fullDescription\": {\"text\": \"A link leads to a page, file or anchor that "
           "cannot be reached.\"}, \"defaultConfiguration\": {\"level\": \"error\"}}";
}

// file:///the/folder/ for SARIF's source root; nothing without a folder.
std::string FolderUri(std::wstring_view folder) {
    if (folder.empty() || folder.front() != L'/') return "";
    const std::wstring path = JoinedPath(PathNames(folder), 0);
    return "file:///" + PathAsUriReference(path) + (path.empty() ? "" : "/");
}

std::string SarifArtifactLocation(const RowPlace& place, bool hasSourceRoot) {
    if (IsWebAddress(place.path)) {
        return "{\"uri\": " + Quoted(AddressAsUri(place.path)) + "}";
    }
    std::string location = "{\"uri\": " + Quoted(PathAsUriReference(place.path));
    if (hasSourceRoot && place.path.front() != L'/') {
        location += ", \"uriBaseId\": " + Quoted(kSarifSourceRoot);
    }
    return location + "}";
}

std::string SarifResult(const ResultRow& row, std::wstring_view currentFolder, bool hasSourceRoot) {
    const RowPlace place = PlaceOf(row, currentFolder);
    std::string result = "{\"ruleId\": " + Quoted(kBrokenLinkId) +
                         ", \"ruleIndex\": 0, \"level\": \"error\", \"message\": {\"text\": " +
                         JsonString(row.link + L": " + row.state) + "}";
    if (!place.path.empty()) {
        result += ", \"locations\": [{\"physicalLocation\": {\"artifactLocation\": " +
                  SarifArtifactLocation(place, hasSourceRoot);
        if (place.location.line) {
            result += ", \"region\": {\"startLine\": " + std::to_string(*place.location.line) + "}";
        }
        result += "}}]";
    }
    return result + "}";
}

}  // namespace

PageLocation SplitLocation(std::wstring_view location) {
    const std::size_t colon = location.rfind(L':');
    if (colon == std::wstring_view::npos) return {std::wstring(location), std::nullopt};
    const std::wstring_view page = location.substr(0, colon);
    const std::optional<unsigned> line = WholeNumber(location.substr(colon + 1));
    if (!line || (IsWebAddress(page) && EndsInAuthority(page))) {
        return {std::wstring(location), std::nullopt};
    }
    return {std::wstring(page), line};
}

std::wstring ReportPagePath(std::wstring_view page, std::wstring_view folder) {
    if (page.empty() || IsWebAddress(page)) return std::wstring(page);
    const std::vector<std::wstring> names = PathNames(page);
    const bool absolute = page.front() == L'/';
    if (!absolute || folder.empty() || folder.front() != L'/') {
        return (absolute ? L"/" : L"") + JoinedPath(names, 0);
    }
    const std::vector<std::wstring> folderNames = PathNames(folder);
    std::size_t shared = 0;
    while (shared < names.size() && shared < folderNames.size() &&
           names[shared] == folderNames[shared]) {
        ++shared;
    }
    std::wstring path;
    for (std::size_t i = shared; i < folderNames.size(); ++i) path += L"../";
    return path + JoinedPath(names, shared);
}

std::string WorkflowErrorCommand(const ResultRow& row, std::wstring_view currentFolder) {
    if (row.icon != ResultIcon::kError) return "";
    const RowPlace place = PlaceOf(row, currentFolder);
    std::string properties;
    if (!place.path.empty()) properties = " file=" + WorkflowCommandProperty(place.path);
    if (place.location.line) {
        properties +=
            (properties.empty() ? " " : ",") + ("line=" + std::to_string(*place.location.line));
    }
    return "::error" + properties + "::" + WorkflowCommandMessage(row.link + L": " + row.state) +
           "\n";
}

std::string JunitReport(const std::vector<ResultRow>& rows, std::wstring_view currentFolder) {
    const std::vector<PageRows> pages = RowsByPage(rows);
    unsigned failures = 0;
    unsigned skipped = 0;
    for (const PageRows& page : pages) {
        failures += page.failures;
        skipped += page.skipped;
    }
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites name=\"Skarnel\"" +
                      JunitCounts(rows.size(), failures, skipped) + ">\n";
    for (const PageRows& page : pages) {
        xml += "  <testsuite name=" + AttributeText(page.page) +
               JunitCounts(page.rows.size(), page.failures, page.skipped) + ">\n";
        for (const ResultRow* row : page.rows) AppendTestCase(xml, *row, currentFolder);
        xml += "  </testsuite>\n";
    }
    return xml + "</testsuites>\n";
}

std::string MarkdownSummary(const std::vector<ResultRow>& rows, const ScanTotals& totals) {
    std::string table;
    for (const ResultRow& row : rows) {
        if (row.icon != ResultIcon::kError) continue;
        table += "| " + MarkdownCell(row.link) + " | " + MarkdownCell(row.state) + " | " +
                 MarkdownCell(row.location) + " |\n";
    }
    const std::string totalsLine = ToUtf8(ScanTotalsText(totals.rows, totals.errors)) + "\n";
    if (table.empty()) return "No broken links\n\n" + totalsLine;
    return "| Link | State | Location |\n| --- | --- | --- |\n" + table + "\n" + totalsLine;
}

std::string SarifLog(const std::vector<ResultRow>& rows, std::wstring_view currentFolder) {
    const std::string sourceRoot = FolderUri(currentFolder);
    std::string log =
        "{\n  \"$schema\": \"https://json.schemastore.org/sarif-2.1.0.json\",\n"
        "  \"version\": \"2.1.0\",\n  \"runs\": [{\n    \"tool\": {\"driver\": {\"name\": "
        "\"Skarnel\", \"version\": " +
        Quoted(kProgramVersion) + ", \"rules\": [" + SarifRule() + "]}},\n";
    if (!sourceRoot.empty()) {
        log += "    \"originalUriBaseIds\": {" + Quoted(kSarifSourceRoot) +
               ": {\"uri\": " + Quoted(sourceRoot) + "}},\n";
    }
    log += "    \"results\": [";
    const char* separator = "\n      ";
    for (const ResultRow& row : rows) {
        if (row.icon != ResultIcon::kError) continue;
        log += separator + SarifResult(row, currentFolder, !sourceRoot.empty());
        separator = ",\n      ";
    }
    return log + "\n    ]\n  }]\n}\n";
}

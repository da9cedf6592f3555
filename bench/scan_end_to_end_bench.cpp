// Whole runs of skarnel-cli on generated sites: local scans of 1,000 to
// 100,000 pages and of one page of 5,000 links (wall time and the child's
// peak memory) and web crawls of 100
// and 1,000 pages served by nginx on loopback, next to the floor that the
// dispatcher's pacing imposes on each crawl.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bench/crawl_floor.h"
#include "bench/site_generator.h"
#include "engine/link_classification.h"
#include "engine/url_functions.h"
#include "platform/child_process.h"
#include "platform/environment.h"
#include "platform/process_memory.h"
#include "testing/nginx_server.h"
#include "testing/temp_folder.h"

namespace {

std::filesystem::path cliProgram;

// One generated site per size, written on first use and kept for the run.
struct GeneratedSite {
    SitePlan plan;
    TempFolder folder;
    bool written = false;
};

const GeneratedSite& SiteOf(std::size_t pages) {
    static std::map<std::size_t, std::unique_ptr<GeneratedSite>> sites;
    std::unique_ptr<GeneratedSite>& site = sites[pages];
    if (!site) {
        site = std::make_unique<GeneratedSite>();
        site->plan = PlanSite(SiteShape{pages});
        site->written = WriteSite(site->plan, site->folder.Path());
    }
    return *site;
}

struct CliRun {
    double seconds = 0;
    std::size_t peakResidentBytes = 0;
    std::size_t rows = 0;
    int exitStatus = -1;
    std::string error;
};

std::size_t LinesOf(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::size_t lines = 0;
    for (std::string line; std::getline(in, line);) ++lines;
    return lines;
}

// The peak that /usr/bin/time wrote, in KiB: its last line, after the
// line that tells of a non-zero exit status.
std::size_t PeakKibWritten(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string last;
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) last = line;
    return std::strtoull(last.c_str(), nullptr, 10);
}

// Runs command under /usr/bin/time, its output to a scratch folder. Its peak
// memory comes from /usr/bin/time: a child spawned straight from this large
// process would have this process's peak counted as its own.
CliRun RunProgram(std::vector<std::string> command) {
    const TempFolder scratch;
    const std::filesystem::path output = scratch.Path() / "rows.tsv";
    const std::filesystem::path peak = scratch.Path() / "peak.txt";
    ChildProcessSetup setup;
    setup.outputPath = output.string();
    setup.errorPath = (scratch.Path() / "errors.txt").string();
    setup.environment = {{"HOME", scratch.Path().string()}};
    setup.workingFolder = scratch.Path().string();
    command.insert(command.begin(), {"/usr/bin/time", "-f", "%M", "-o", peak.string()});
    CliRun run;
    ChildProcess child;
    const auto started = std::chrono::steady_clock::now();
    if (!child.Start(command, setup, &run.error)) return run;
    run.exitStatus = child.WaitUntilExit();
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    run.peakResidentBytes = PeakKibWritten(peak) * 1024;
    if (run.peakResidentBytes == 0) run.error = "/usr/bin/time wrote no peak memory";
    // Every row, then the totals line.
    const std::size_t lines = LinesOf(output);
    run.rows = lines == 0 ? 0 : lines - 1;
    return run;
}

// Runs skarnel-cli on target with the default options spelt out, so that a
// saved options file cannot change what is measured; extra options first.
CliRun RunCli(const std::string& target, std::vector<std::string> extra = {}) {
    std::vector<std::string> command = {cliProgram.string(), "--no-progress", "--no-images",
                                        "--no-all-tags",     "--no-external", "--no-page-only",
                                        "--no-https",        "--no-fast"};
    command.insert(command.end(), extra.begin(), extra.end());
    command.push_back(target);
    return RunProgram(std::move(command));
}

// Times one run and checks that it gave the expected rows; its seconds when
// it did.
std::optional<double> MeasureRun(benchmark::State& state, const std::string& target,
                                 std::size_t expectedRows, std::vector<std::string> extra = {}) {
    const CliRun run = RunCli(target, std::move(extra));
    if (!run.error.empty()) {
        state.SkipWithError(run.error.c_str());
        return std::nullopt;
    }
    // Status 1: the generated sites have broken links, as they should.
    if (run.exitStatus != 1 || run.rows != expectedRows) {
        const std::string why = "exit status " + std::to_string(run.exitStatus) + " with " +
                                std::to_string(run.rows) + " rows, expected 1 with " +
                                std::to_string(expectedRows);
        state.SkipWithError(why.c_str());
        return std::nullopt;
    }
    state.SetIterationTime(run.seconds);
    state.counters["peak_RSS_MiB"] = static_cast<double>(run.peakResidentBytes) / (1024 * 1024);
    state.counters["rows"] = static_cast<double>(run.rows);
    return run.seconds;
}

// Each repetition is one whole run of skarnel-cli, timed from its start to
// its end.
void WholeRuns(benchmark::internal::Benchmark* runs) {
    runs->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
}

void BM_LocalScan(benchmark::State& state) {
    const GeneratedSite& site = SiteOf(static_cast<std::size_t>(state.range(0)));
    if (!site.written) {
        state.SkipWithError("could not write the site");
        return;
    }
    const std::string start = (site.folder.Path() / site.plan.pages[0].path).string();
    // A local scan reports each page once and each folder's broken links once.
    const std::size_t rows = site.plan.pages.size() + site.plan.brokenTargets;
    for (auto _ : state)
        if (!MeasureRun(state, start, rows)) return;
}
BENCHMARK(BM_LocalScan)->Apply(WholeRuns)->Arg(1000)->Repetitions(5);
BENCHMARK(BM_LocalScan)->Apply(WholeRuns)->Arg(10000)->Repetitions(3);
BENCHMARK(BM_LocalScan)->Apply(WholeRuns)->Arg(100000)->Repetitions(3);

// One page of 5,000 links and the files it names, half of them missing. Its
// links are written without quotes (as minified pages write them), or each
// with a query of 4,000 characters: a page of 20 MB whose values are most of
// it.
enum class ManyLinks { kUnquoted, kLongValues };
constexpr int kManyLinks = 5000;

std::string PageOfManyLinks(ManyLinks kind) {
    std::string page = "<html><body>\n";
    for (int i = 0; i < kManyLinks; ++i) {
        const std::string target = "p" + std::to_string(i) + ".html";
        page += kind == ManyLinks::kUnquoted
                    ? "<a href=" + target + ">link " + target + "</a>\n"
                    : "<a href='" + target + "?" + std::string(4000, 'q') + "'>link</a>\n";
    }
    return page + "</body></html>\n";
}

void BM_LocalPageOfManyLinks(benchmark::State& state) {
    const auto kind = static_cast<ManyLinks>(state.range(0));
    const TempFolder site;
    site.Put("index.html", PageOfManyLinks(kind));
    for (int i = 0; i < kManyLinks; i += 2) site.Put("p" + std::to_string(i) + ".html", "x");
    state.SetLabel(kind == ManyLinks::kUnquoted ? "unquoted" : "long values");
    for (auto _ : state)
        if (!MeasureRun(state, site.PathOf("index.html").string(), kManyLinks + 1)) return;
}
BENCHMARK(BM_LocalPageOfManyLinks)->Apply(WholeRuns)->Arg(0)->Arg(1)->Repetitions(3);

// The generated site as the crawl sees it: every response is text (pages
// and nginx's error pages alike), and a page queues each of its links,
// resolved against its folder as the crawl resolves them.
CrawlFloor FloorOf(const SitePlan& plan, const NginxServer& server, bool keptAlive) {
    std::map<std::string, const PlannedPage*> pages;
    for (const PlannedPage& page : plan.pages) pages[server.Url("/" + page.path)] = &page;
    const double cost = ExchangeFloorMs(keptAlive);
    return CrawlFloorOf(server.Url("/" + plan.pages[0].path), [&](const std::string& url) {
        CrawlStep step{cost, {}};
        const auto page = pages.find(url);
        if (page == pages.end()) return step;
        const std::string base = GetUrlFolder(url);
        for (const std::string& link : page->second->links)
            step.queuedLinks.push_back(ResolveWebLink(link, KindOfLink(link), base));
        return step;
    });
}

// nginx serving a generated site on an address of its own per connection
// mode. Its responses carry the header with which a server tells Debian's
// linkchecker that it may be checked without a pause between requests.
std::unique_ptr<NginxServer> ServeSite(const GeneratedSite& site, bool keptAlive) {
    NginxSetup setup;
    setup.connections = keptAlive ? NginxConnections::kKeepAlive : NginxConnections::kCloseEach;
    setup.headers = {"LinkChecker skarnel-bench"};
    return std::make_unique<NginxServer>(keptAlive ? "127.81.0.1" : "127.81.0.2",
                                         site.folder.Path(), setup);
}

// What share of a run's wall time went to nginx's processor time, on the
// same two cores as the checker.
class ServerShare {
public:
    explicit ServerShare(const NginxServer& server)
        : m_server(server), m_before(ProcessCpuSeconds(server.ProcessId())) {}
    void Report(benchmark::State& state, double seconds) const {
        const double used = ProcessCpuSeconds(m_server.ProcessId()) - m_before;
        if (m_before >= 0 && seconds > 0) state.counters["server_cpu_%"] = used / seconds * 100;
    }

private:
    const NginxServer& m_server;
    double m_before;
};

bool SiteServed(benchmark::State& state, const GeneratedSite& site, const NginxServer& server) {
    if (site.written && server.IsListening()) return true;
    state.SkipWithError(site.written ? server.Failure().c_str() : "could not write the site");
    return false;
}

void BM_WebCrawl(benchmark::State& state) {
    const GeneratedSite& site = SiteOf(static_cast<std::size_t>(state.range(0)));
    const bool keptAlive = state.range(1) == 0;
    const std::unique_ptr<NginxServer> served = ServeSite(site, keptAlive);
    const NginxServer& server = *served;
    if (!SiteServed(state, site, server)) return;
    const CrawlFloor floor = FloorOf(site.plan, server, keptAlive);
    const double floorSeconds = floor.milliseconds / 1000;
    state.SetLabel(keptAlive ? "keep-alive" : "close-each");
    for (auto _ : state) {
        const auto seconds =
            MeasureRun(state, server.Url("/" + site.plan.pages[0].path), floor.fetches);
        if (!seconds) return;
        state.counters["floor_s"] = floorSeconds;
        state.counters["over_floor_%"] = (*seconds / floorSeconds - 1) * 100;
    }
}
// Fast checking on the same sites: every check a row, as in the classic
// crawl, and how much of the time nginx used.
void BM_FastWebCrawl(benchmark::State& state) {
    const GeneratedSite& site = SiteOf(static_cast<std::size_t>(state.range(0)));
    const bool keptAlive = state.range(1) == 0;
    const std::unique_ptr<NginxServer> served = ServeSite(site, keptAlive);
    if (!SiteServed(state, site, *served)) return;
    const CrawlFloor floor = FloorOf(site.plan, *served, keptAlive);
    state.SetLabel(keptAlive ? "fast, keep-alive" : "fast, close-each");
    for (auto _ : state) {
        const ServerShare share(*served);
        const auto seconds = MeasureRun(state, served->Url("/" + site.plan.pages[0].path),
                                        floor.fetches, {"--fast"});
        if (!seconds) return;
        share.Report(state, *seconds);
    }
}
BENCHMARK(BM_FastWebCrawl)->Apply(WholeRuns)->ArgsProduct({{1000, 10000}, {0, 1}})->Repetitions(3);

// What the options for today's web cost on top of fast checking: robots.txt
// read first, every status check's whole head read for its Location, and
// the retry bookkeeping. Same rows; beside BM_FastWebCrawl's keep-alive run.
void BM_FastWebCrawlTodaysWeb(benchmark::State& state) {
    const GeneratedSite& site = SiteOf(static_cast<std::size_t>(state.range(0)));
    const std::unique_ptr<NginxServer> served = ServeSite(site, true);
    if (!SiteServed(state, site, *served)) return;
    const CrawlFloor floor = FloorOf(site.plan, *served, true);
    state.SetLabel("fast, keep-alive, --follow-redirects --retries 2 --robots");
    for (auto _ : state) {
        if (!MeasureRun(state, served->Url("/" + site.plan.pages[0].path), floor.fetches,
                        {"--fast", "--follow-redirects", "--retries", "2", "--robots"})) {
            return;
        }
    }
}
BENCHMARK(BM_FastWebCrawlTodaysWeb)->Apply(WholeRuns)->Arg(10000)->Repetitions(3);

// Other checkers, run by this program on the same sites when they are
// installed: wget's spider and Debian's linkchecker, its pause between
// requests lifted (maxrequestspersecond, and the header nginx sends).
enum class Peer { kWget, kLinkchecker };

std::vector<std::string> PeerCommand(Peer peer, const std::string& start,
                                     const std::filesystem::path& folder) {
    if (peer == Peer::kWget) {
        return {"/usr/bin/wget", "--spider", "-r", "-l", "inf", "-e", "robots=off", "-nv", "-P",
                folder.string(), start};
    }
    const std::filesystem::path settings = folder / "linkcheckerrc";
    std::ofstream(settings) << "[checking]\nthreads=10\nmaxrequestspersecond=1000000\n";
    return {"/usr/bin/linkchecker",
            "-f",
            settings.string(),
            "--no-status",
            "--no-warnings",
            "-o",
            "none",
            start};
}

void BM_PeerCrawl(benchmark::State& state) {
    const GeneratedSite& site = SiteOf(static_cast<std::size_t>(state.range(0)));
    const bool keptAlive = state.range(1) == 0;
    const auto peer = static_cast<Peer>(state.range(2));
    const char* name = peer == Peer::kWget ? "wget" : "linkchecker";
    state.SetLabel(std::string(name) + (keptAlive ? ", keep-alive" : ", close-each"));
    if (!std::filesystem::exists(peer == Peer::kWget ? "/usr/bin/wget" : "/usr/bin/linkchecker")) {
        state.SkipWithError((std::string(name) + " is not installed").c_str());
        return;
    }
    const std::unique_ptr<NginxServer> served = ServeSite(site, keptAlive);
    if (!SiteServed(state, site, *served)) return;
    const CrawlFloor floor = FloorOf(site.plan, *served, keptAlive);
    for (auto _ : state) {
        const TempFolder scratch;
        const ServerShare share(*served);
        const std::size_t servedBefore = served->RequestsServed();
        const CliRun run = RunProgram(
            PeerCommand(peer, served->Url("/" + site.plan.pages[0].path), scratch.Path()));
        const std::size_t requests = served->RequestsServed() - servedBefore;
        // Both ask for every page; wget asks for some twice (HEAD, then GET).
        if (!run.error.empty() || requests < floor.fetches) {
            const std::string why = run.error.empty() ? std::string(name) + " made " +
                                                            std::to_string(requests) + " requests"
                                                      : run.error;
            state.SkipWithError(why.c_str());
            return;
        }
        state.SetIterationTime(run.seconds);
        state.counters["peak_RSS_MiB"] = static_cast<double>(run.peakResidentBytes) / (1024 * 1024);
        state.counters["requests"] = static_cast<double>(requests);
        share.Report(state, run.seconds);
    }
}
BENCHMARK(BM_PeerCrawl)
    ->Apply(WholeRuns)
    ->ArgsProduct({{1000, 10000}, {0, 1}, {0}})
    ->Repetitions(3);
// linkchecker takes minutes on 10,000 pages: one run each there.
BENCHMARK(BM_PeerCrawl)->Apply(WholeRuns)->ArgsProduct({{1000}, {0, 1}, {1}})->Repetitions(3);
BENCHMARK(BM_PeerCrawl)->Apply(WholeRuns)->ArgsProduct({{10000}, {0, 1}, {1}})->Repetitions(1);

// A crawl of 1,000 pages with kept-alive connections takes over a minute, so
// it gets the fewest runs that still give a median; the close-each crawls,
// six seconds each and the most sensitive to a loaded machine, get five.
BENCHMARK(BM_WebCrawl)->Apply(WholeRuns)->ArgsProduct({{100}, {0, 1}})->Repetitions(3);
BENCHMARK(BM_WebCrawl)->Apply(WholeRuns)->Args({1000, 0})->Repetitions(3);
BENCHMARK(BM_WebCrawl)->Apply(WholeRuns)->Args({1000, 1})->Repetitions(5);

}  // namespace

int main(int argc, char** argv) {
    // skarnel-cli sits in bin/ beside this program's bench/ folder.
    cliProgram = std::filesystem::path(RunningProgramPath()).parent_path().parent_path() / "bin" /
                 "skarnel-cli";
    // Writing and removing 100,000 pages on disk takes minutes; in memory,
    // seconds. The scans read from the page cache either way.
    if (!GetEnvironmentText("TMPDIR") && std::filesystem::is_directory("/dev/shm"))
        SetEnvironmentText("TMPDIR", L"/dev/shm");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// skarnel-cli: checks a site's links from a terminal or a CI pipeline.
#include <cstdio>
#include <cstdlib>

#include "cli/cli_run.h"

int main(int argc, char** argv) {
    const CliRunResult result = RunCli({argv + 1, argv + argc});
    if (result.scanStillRunning) {
        // Checks in flight still use the window and the scan state: end now,
        // without running destructors under them.
        std::fflush(nullptr);
        std::_Exit(result.exitStatus);
    }
    return result.exitStatus;
}

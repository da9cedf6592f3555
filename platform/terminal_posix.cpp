// Terminal queries through isatty and the TIOCGWINSZ request.
#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/terminal.h"

namespace {

int DescriptorOf(StandardStream stream) {
    return stream == StandardStream::kOutput ? STDOUT_FILENO : STDERR_FILENO;
}

}  // namespace

bool IsTerminal(StandardStream stream) { return ::isatty(DescriptorOf(stream)) == 1; }

int TerminalColumns(StandardStream stream) {
    if (!IsTerminal(stream)) return 0;
    struct winsize size = {};
    if (::ioctl(DescriptorOf(stream), TIOCGWINSZ, &size) != 0) return 0;
    return size.ws_col;
}

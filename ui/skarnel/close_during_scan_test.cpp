// Closing Skarnel during a busy web crawl: the window goes at once and the
// process ends at once and cleanly, with ten workers still in flight and
// pages still queued. Run in a child process, since the test ends it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "resources/skarnel/skarnel_ids.h"
#include "testing/loopback_address.h"
#include "testing/scripted_http_server.h"
#include "ui/skarnel/checker_app.h"
#include "ui/skarnel/dlg_main.h"
#include "ui/skarnel/main_window_fixture.h"

namespace {

using CloseDuringScan = MainWindowFixture;

// Runs the program's own steps (the window, then the end) against a crawl
// that is still busy when Exit comes.
[[noreturn]] void CloseTheWindowDuringABusyCrawl() {
    ScriptedHttpServer server(LoopbackAddressForTest());
    std::string index = " ";
    for (int i = 0; i < 300; ++i) index += "<a href=\"p" + std::to_string(i) + ".html\">x</a>\n";
    server.SetResponse("/", HtmlPage("200 OK", index));
    ScriptedResponse slow = HtmlPage("200 OK", " <a href=\"/\">home</a> ");
    slow.chunks.front().pauseBefore = std::chrono::milliseconds(50);
    server.SetDefaultResponse(slow);

    CCheckerApp app([] { return true; });
    app.onWindowCreated = [&server](CDlgMain&) {
        WhenModalDialogOpens([&server](QWidget* dialog) {
            auto* window = static_cast<CDlgMain*>(dialog);
            window->Item<QLineEdit>(kIdPathField)->setText(QString::fromStdString(server.Url("/")));
            window->SendCommand(kIdStartCommand);
            if (!ServeEventsUntil([&server] { return server.Requests().size() >= 40; })) {
                std::fprintf(stderr, "the crawl never got busy\n");
                std::_Exit(4);
            }
            window->SendCommand(kIdExit);
        });
    };
    (void)app.InitInstance();
    EndAtOnceIfScanRunning();
    std::fprintf(stderr, "the scan had ended before the window closed\n");
    std::_Exit(3);
}

}  // namespace

TEST_F(CloseDuringScan, EndsTheProcessAtOnceAndCleanly) {
    {
        // The crawl's server lives in the child; here we only learn whether it can.
        const ScriptedHttpServer probe(LoopbackAddressForTest());
        SKIP_WITHOUT_PORT_80(probe);
    }
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(CloseTheWindowDuringABusyCrawl(), ::testing::ExitedWithCode(0),
                ::testing::Not(::testing::HasSubstr("Sanitizer")));
}

// The exact reading of the GET exchange against the scripted server: each
// response ends exactly where its framing says, so one connection carries
// them all, and what cannot be kept ends the connection.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "engine/http_exchange.h"
#include "testing/loopback_address.h"
#include "testing/scripted_http_server.h"

namespace {

class ExactExchange : public ::testing::Test {
protected:
    // The response to path over m_connection, opened first when it is not.
    WebResponse Get(const std::string& path, ResponseUse use = ResponseUse::kPage) {
        const WebRequestTarget target = RequestTargetOf(m_server.Url(path), HttpsLinks::kIgnored);
        return Exchange(ReadingStyle::kExact, m_connection, target, use, &m_lookups, m_keepGoing);
    }

    ScriptedHttpServer m_server{LoopbackAddressForTest()};
    HttpConnection m_connection;
    HostLookups m_lookups;
    std::atomic<bool> m_keepGoing{true};
};

ScriptedResponse KeptReply(const std::string& bytes) {
    return Reply(bytes, ScriptedEnd::kServeNext);
}

TEST_F(ExactExchange, OneConnectionCarriesResponsesOfEveryFraming) {
    SKIP_WITHOUT_PORT_80(m_server);
    m_server.SetResponse("/length", KeptAlivePage("200 OK", "<a href=\"x\">"));
    m_server.SetResponse("/chunked", KeptReply("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"
                                               "Transfer-Encoding: chunked\r\n\r\n"
                                               "4;name=value\r\nabcd\r\n3\r\nefg\r\n"
                                               "0\r\nX-Trailer: t\r\n\r\n"));
    m_server.SetResponse("/unchanged", KeptReply("HTTP/1.1 304 Not Modified\r\n"
                                                 "Content-Type: text/html\r\n\r\n"));
    m_server.SetResponse("/picture", KeptReply("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\n"
                                               "Content-Length: 5000\r\n\r\n" +
                                               std::string(5000, 'p')));
    m_server.SetResponse("/moved", KeptReply("HTTP/1.1 301 Moved Permanently\r\nLocation: /x\r\n"
                                             "Content-Length: 0\r\n\r\n"));
    const struct {
        const char* path;
        const char* status;
        const char* body;
    } expected[] = {
        {"/length", "200 OK", "<a href=\"x\">"}, {"/chunked", "200 OK", "abcdefg"},
        {"/unchanged", "304 Not Modified", ""},  {"/picture", "200 OK", ""},
        {"/moved", "301 Moved Permanently", ""}, {"/length", "200 OK", "<a href=\"x\">"}};
    for (const auto& response : expected) {
        const WebResponse got = Get(response.path);
        EXPECT_EQ(got.outcome, FetchOutcome::kFirstBlock) << response.path;
        EXPECT_EQ(StatusTextOf(got.firstBlock), response.status) << response.path;
        EXPECT_EQ(got.body, response.body) << response.path;
        EXPECT_TRUE(got.reusable) << response.path;
    }
    EXPECT_EQ(m_server.ConnectionsAccepted(), 1u);
    EXPECT_EQ(m_server.Requests().size(), 6u);
}

TEST_F(ExactExchange, WhatCannotBeKeptEndsTheConnection) {
    SKIP_WITHOUT_PORT_80(m_server);
    // No length: the body runs to the close.
    m_server.SetResponse("/close", HtmlPage("200 OK", "<p>until the close</p>"));
    m_server.SetResponse("/said", KeptReply("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"
                                            "Connection: close\r\nContent-Length: 2\r\n\r\nhi"));
    m_server.SetResponse("/old", KeptReply("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n"
                                           "Content-Length: 2\r\n\r\nho"));
    // Too long to read for nothing: the picture is not read at all.
    m_server.SetResponse("/huge", KeptReply("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\n"
                                            "Content-Length: 100000000\r\n\r\npng"));
    m_server.SetResponse("/broken", KeptReply("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"
                                              "Transfer-Encoding: chunked\r\n\r\n3\r\nabcXX"));
    const struct {
        const char* path;
        const char* body;
    } expected[] = {{"/close", "<p>until the close</p>"},
                    {"/said", "hi"},
                    {"/old", "ho"},
                    {"/huge", ""},
                    {"/broken", "abc"}};
    for (const auto& response : expected) {
        m_connection.Close();
        const WebResponse got = Get(response.path);
        EXPECT_EQ(StatusTextOf(got.firstBlock), "200 OK") << response.path;
        EXPECT_EQ(got.body, response.body) << response.path;
        EXPECT_FALSE(got.reusable) << response.path;
    }
    // A status check reads the status line, no more, and keeps nothing.
    m_connection.Close();
    const WebResponse status = Get("/said", ResponseUse::kStatusOnly);
    EXPECT_EQ(StatusTextOf(status.firstBlock), "200 OK");
    EXPECT_LE(status.firstBlock.size(), kExternalFirstRead);
    EXPECT_FALSE(status.reusable);
}

}  // namespace

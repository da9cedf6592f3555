// The small rules a user sets for web scans: lists of statuses that count
// as fine, and request headers added to every request.
#include <gtest/gtest.h>

#include <string>

#include "engine/request_headers.h"
#include "engine/status_list.h"

namespace {

using Ranges = std::vector<std::pair<int, int>>;

Ranges AsPairs(const std::vector<StatusRange>& list) {
    Ranges pairs;
    for (const StatusRange& range : list) pairs.emplace_back(range.low, range.high);
    return pairs;
}

TEST(StatusList, ReadsCodesAndRangesWithBlanksAroundEach) {
    struct Case {
        std::wstring_view text;
        Ranges ranges;
    };
    const Case cases[] = {
        {L"", {}},
        {L" \t", {}},
        {L"403", {{403, 403}}},
        {L"200-299,403", {{200, 299}, {403, 403}}},
        {L" 200 - 299 ,\t403 ,999", {{200, 299}, {403, 403}, {999, 999}}},
        {L"100-100,500-599", {{100, 100}, {500, 599}}},
    };
    for (const Case& c : cases) {
        const auto list = ParseStatusList(c.text);
        ASSERT_TRUE(list) << std::wstring(c.text);
        EXPECT_EQ(AsPairs(*list), c.ranges) << std::wstring(c.text);
    }
}

TEST(StatusList, RefusesAMalformedListWhole) {
    for (const std::wstring_view text :
         {L"200,", L",200", L"200,,300", L"200, ,300", L"99", L"1000", L"0200-", L"-200",
          L"300-200", L"200-299-300", L"2 00", L"200;300", L"20x", L"+200", L"\u0662\u0660\u0660",
          L"99999999999999999999", L"200-99999999999999999999"}) {
        EXPECT_FALSE(ParseStatusList(text)) << std::wstring(text);
    }
}

TEST(StatusList, HoldsTheCodesOfItsRangesOnly) {
    const std::vector<StatusRange> list = *ParseStatusList(L"200-299,403");
    for (const auto& [status, held] : {std::pair{199, false},
                                       {200, true},
                                       {250, true},
                                       {299, true},
                                       {300, false},
                                       {403, true},
                                       {404, false}}) {
        EXPECT_EQ(StatusListHolds(list, status), held) << status;
    }
    EXPECT_FALSE(StatusListHolds({}, 200));
}

TEST(RequestHeaders, AcceptsNameColonValueLines) {
    for (const std::string_view line :
         {"X-Token: abc123", "Accept:text/html", "Authorization: Bearer a.b-c_d~e+f/g=", "X-Empty:",
          "X-Blanks: \t a b \t", "X!#$%&'*+-.^_`|~: v", "X-Name: caf\xc3\xa9 \xff",
          "Cookie: a=1; b=\"x:y\"", "Hosts: fine", "X-Host: fine"}) {
        EXPECT_TRUE(IsWellFormedHeaderLine(line)) << line;
    }
}

TEST(RequestHeaders, RefusesLinesThatCouldBreakTheRequest) {
    using namespace std::string_literals;
    for (const std::string& line :
         {""s, "X-Token"s, ": value"s, "X Token: v"s, "X-Token : v"s, " X-Token: v"s,
          "X-Caf\xc3\xa9: v"s, "X(1): v"s, "X-A: v\r\nX-B: w"s, "X-A: v\n"s, "X-A: v\r"s,
          "X-A: a\0b"s, "X-A\0: b"s, "X-A: \x01"s, "X-A: \x7f"s, "Host: evil"s, "host:x"s,
          "CONTENT-LENGTH: 0"s, "Transfer-encoding: chunked"s}) {
        EXPECT_FALSE(IsWellFormedHeaderLine(line)) << line;
    }
}

}  // namespace

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "list/ProxyListPage.h"

using Entries = std::vector<std::string>;

namespace {

// A list page shaped like the provider's: a heading row naming the hour of
// the last check, one row per proxy whose anchor class ends in the kind
// letter, and a footer comment.
const std::string kExample =
    "<html><body><table>\n"
    "<tr><th>No.</th><th>Proxy</th><th>Checked (hour)</th></tr>\n"
    "<tr><td>1</td><td><a href=\"#\" class=\"A\">10.0.0.1:8080</a></td><td>03</td></tr>\n"
    "<tr><td>2</td><td><a href=\"#\" class=\"B\">10.0.0.2:3128</a></td><td>04</td></tr>\n"
    "</table>\n"
    "<!-- <a class=\"A\">10.9.9.9:1</a> -->\n"
    "</body></html>\n";

}  // namespace

TEST(ProxyListPage, WorkedExampleForEachKindAndForAll) {
    EXPECT_EQ(ParseProxyList(kExample, 1), Entries({"10.0.0.1:8080"}));
    EXPECT_EQ(ParseProxyList(kExample, 2), Entries({"10.0.0.2:3128"}));
    EXPECT_EQ(ParseProxyList(kExample, 3), Entries());
    // Option 0 also takes the text after the other quoted tags of the region:
    // the href of each anchor is followed by its class, so only the class
    // ends in the marker here.
    EXPECT_EQ(ParseProxyList(kExample, 0), Entries({"10.0.0.1:8080", "10.0.0.2:3128"}));
}

TEST(ProxyListPage, OptionZeroTakesTextAfterAnyQuotedTag) {
    const std::string page = "hour<td align=\"right\">12</td><a class=\"C\">192.0.2.1:80</a><!--";
    EXPECT_EQ(ParseProxyList(page, 0), Entries({"12", "192.0.2.1:80"}));
    EXPECT_EQ(ParseProxyList(page, 3), Entries({"192.0.2.1:80"}));
}

TEST(ProxyListPage, RegionRunsFromHourToTheFirstCommentAfterIt) {
    // Markers before "hour" are never seen, and a comment before "hour" does
    // not shorten the region.
    const std::string page =
        "<!-- head --><a class=\"A\">10.0.0.9:1</a> hour "
        "<a class=\"A\">10.0.0.1:8080</a><a class=\"A\">10.0.0.3:80</a>"
        "<!-- <a class=\"A\">10.0.0.4:80</a> -->";
    EXPECT_EQ(ParseProxyList(page, 1), Entries({"10.0.0.1:8080", "10.0.0.3:80"}));
    // Without any comment after "hour" the region runs to the end.
    EXPECT_EQ(ParseProxyList("hour A\">1.2.3.4:5< A\">6.7.8.9:10<", 1), Entries({"1.2.3.4:5", "6.7.8.9:10"}));
    // A marker cut by the comment is no marker.
    EXPECT_EQ(ParseProxyList("hour A\"!-->1.2.3.4:5<", 1), Entries());
}

TEST(ProxyListPage, BodyEndsAtItsFirstNul) {
    std::string page = "hour A\">10.0.0.1:8080<";
    page += '\0';
    page += " A\">10.0.0.2:8080<";
    EXPECT_EQ(ParseProxyList(page, 1), Entries({"10.0.0.1:8080"}));

    std::string hidden = "<html>";
    hidden += '\0';
    hidden += "hour A\">10.0.0.1:8080<";
    EXPECT_THROW(ParseProxyList(hidden, 1), EListPageError);

    // A NUL inside the last entry takes its terminator away.
    std::string cut = "hour A\">10.0.0.1";
    cut += '\0';
    cut += ":8080<";
    EXPECT_THROW(ParseProxyList(cut, 1), EListPageError);
}

TEST(ProxyListPage, PagesWithoutHourFail) {
    EXPECT_THROW(ParseProxyList("", 0), EListPageError);
    EXPECT_THROW(ParseProxyList("<html><title>401 Unauthorized</title>A\">1.2.3.4:5<", 1), EListPageError);
    // The start word is matched exactly, case and all.
    EXPECT_THROW(ParseProxyList("Hour A\">1.2.3.4:5<", 1), EListPageError);
    EXPECT_EQ(ParseProxyList("hours A\">1.2.3.4:5<", 1), Entries({"1.2.3.4:5"}));
}

TEST(ProxyListPage, EntriesAreKeptAsTheyStand) {
    // Empty entries, blanks and duplicates stay, in page order.
    EXPECT_EQ(ParseProxyList("hour A\"><td>A\"> 10.0.0.1:80 <A\">x<A\"> 10.0.0.1:80 <", 1),
              Entries({"", " 10.0.0.1:80 ", "x", " 10.0.0.1:80 "}));
    // The scan goes on after the "<" that ended an entry, so a marker inside
    // an entry is part of it, not the start of another.
    EXPECT_EQ(ParseProxyList("hour \">a\">b<\">c<", 0), Entries({"a\">b", "c"}));
    // Up to 255 bytes; a longer entry is skipped, and the scan goes on after it.
    const std::string longest(255, 'x');
    EXPECT_EQ(ParseProxyList("hour A\">" + longest + "<A\">" + longest + "y<A\">z<", 1),
              Entries({longest, "z"}));
}

TEST(ProxyListPage, MarkersOfAnotherKindOnlyGiveNoEntries) {
    const std::string page = "hour <a class=\"B\">10.0.0.2:3128</a><a class=\"B\">10.0.0.5:80</a>";
    EXPECT_EQ(ParseProxyList(page, 3), Entries());
    EXPECT_EQ(ParseProxyList(page, 2), Entries({"10.0.0.2:3128", "10.0.0.5:80"}));
}

TEST(ProxyListPage, MarkerWithoutTerminatorFails) {
    EXPECT_THROW(ParseProxyList("hour A\">10.0.0.1:8080<A\">10.0.0.2:8080", 1), EListPageError);
    // The terminator must lie inside the region: the comment's own "<" is
    // before "!--", but one after it is not seen.
    EXPECT_EQ(ParseProxyList("hour A\">10.0.0.1:8080<!--", 1), Entries({"10.0.0.1:8080"}));
    EXPECT_THROW(ParseProxyList("hour A\">10.0.0.1:8080!--<", 1), EListPageError);
    // An entry of another kind without a terminator fails only the options
    // that reach it.
    EXPECT_EQ(ParseProxyList("hour B\">10.0.0.1:8080", 1), Entries());
    EXPECT_THROW(ParseProxyList("hour B\">10.0.0.1:8080", 0), EListPageError);
}

TEST(ProxyListPage, OptionsOutsideTheTableFail) {
    for (int option : {-1, 4, 1000, -2147483647 - 1})
        EXPECT_THROW(ParseProxyList(kExample, option), EListPageError) << option;
}

TEST(ProxyListPage, FiveThousandRowsReachTheTenThousandEntryCap) {
    std::string page = "<table><tr><th>Proxy</th><th>hour</th></tr>\n";
    for (int i = 0; i < 5000; ++i) {
        page += "<tr><td align=\"right\">" + std::to_string(i + 1) + "</td><td><a class=\"" + "ABC"[i % 3] +
                "\">198.51." + std::to_string(i / 250) + "." + std::to_string(i % 250) + ":" +
                std::to_string(1024 + i) + "</a></td></tr>\n";
    }
    // Entries beyond 10,000 are never looked at, not even a broken one.
    const Entries capped = ParseProxyList(page + "<tr><td align=\"right\">5001</td></tr>\">no end", 0);
    ASSERT_EQ(capped.size(), 10000u);
    EXPECT_EQ(capped.back(), "198.51.19.249:6023");
    page += "</table><!-- end -->";

    const Entries all = ParseProxyList(page, 0);
    const Entries kindA = ParseProxyList(page, 1);
    ASSERT_EQ(all.size(), 10000u);  // the row number after each quoted alignment, and the address
    EXPECT_EQ(all[0], "1");
    EXPECT_EQ(all[1], "198.51.0.0:1024");
    ASSERT_EQ(kindA.size(), 1667u);
    EXPECT_EQ(kindA.back(), "198.51.19.248:6022");
}

// The sample provider seen through the program's own HTTP client and parsers:
// the credentials step, the list fetch with the credentials it yields, and the
// provider's refusals, stalls and missing pages.
#include <gtest/gtest.h>

#include "list/CredentialsPage.h"
#include "list/ProxyListPage.h"
#include "net/HttpClient.h"
#include "support/SampleProvider.h"
#include "base/Error.h"

using qbtest::SampleProvider;

namespace {

struct Client : net::TNMHTTP {
    explicit Client(const std::string& userId = "0", const std::string& password = "0") {
        TimeOut = 5000;
        HeaderInfo.UserId = userId;
        HeaderInfo.Password = password;
    }
    void Fetch(const SampleProvider& provider, const std::string& path) {
        Get("http://" + provider.Address(path));
    }
};

const char* const kListPaths[] = {"/pla5.html", "/pld5.html", "/plr5.html"};

}  // namespace

TEST(SampleProvider, PublishedCredentialsOpenTheListPages) {
    SampleProvider provider;
    Client http;
    http.Fetch(provider, "/idpass.html");
    const auto chosen = ChooseCredentials(ParseCredentialsPage(http.Body), "", "0");
    EXPECT_EQ(chosen, Credentials({SampleProvider::kDefaultUserId, SampleProvider::kDefaultPassword}));

    http.HeaderInfo.UserId = chosen.userId;
    http.HeaderInfo.Password = chosen.password;
    for (const char* path : kListPaths) {
        http.Fetch(provider, path);
        EXPECT_EQ(http.StatusCode, 200) << path;
        for (int option = 0; option < 4; ++option)
            EXPECT_EQ(ParseProxyList(http.Body, option),
                      SampleProvider::ListEntries(path, SampleProvider::kDefaultEntries, option))
                << path << " option " << option;
    }

    const auto requests = provider.Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].path, "/idpass.html");
    EXPECT_EQ(requests[0].authorization, SampleProvider::BasicAuthorization("0", "0"));
    EXPECT_EQ(requests[0].raw.substr(0, requests[0].raw.find("\r\n")), "GET /idpass.html HTTP/1.0");
    EXPECT_EQ(requests[1].path, "/pla5.html");
    EXPECT_EQ(requests[1].authorization, SampleProvider::BasicAuthorization("reader42", "pl5open"));
    for (const auto& r : requests) EXPECT_EQ(r.status, 200) << r.path;
}

TEST(SampleProvider, PasswordEqualToUserIdIsPublishedAsSame) {
    SampleProvider provider;
    provider.SetCredentials("guest", "guest");
    Client http;
    http.Fetch(provider, "/idpass.html");
    EXPECT_NE(http.Body.find("\x93\xAF\x82\xB6"), std::string::npos);
    EXPECT_EQ(http.Body.find("</p>\n<p>guest"), std::string::npos);  // not spelt out
    EXPECT_EQ(ParseCredentialsPage(http.Body), Credentials({"guest", "guest"}));
}

TEST(SampleProvider, WrongCredentialsGetAnErrorPageThatDoesNotParse) {
    SampleProvider provider;
    for (auto [user, password] : {std::pair{"0", "0"}, {"reader42", "wrong"}, {"", ""}}) {
        Client http(user, password);
        http.Fetch(provider, "/pla5.html");
        EXPECT_EQ(http.StatusCode, 401) << user;
        EXPECT_THROW(ParseProxyList(http.Body, 0), EListPageError) << user;
    }
    // With no credentials demanded, "0"/"0" is enough.
    provider.SetCredentials("", "");
    Client http;
    http.Fetch(provider, "/plr5.html");
    EXPECT_EQ(http.StatusCode, 200);
    EXPECT_EQ(ParseProxyList(http.Body, 3).size(), 4u);
}

TEST(SampleProvider, MissingPagesAndStalls) {
    SampleProvider provider;
    provider.SetBehaviour(SampleProvider::Behaviour::NotFound, "/pld5.html");
    provider.SetBehaviour(SampleProvider::Behaviour::Stall, "/plr5.html");
    Client http(SampleProvider::kDefaultUserId, SampleProvider::kDefaultPassword);
    http.Fetch(provider, "/pld5.html");
    EXPECT_EQ(http.StatusCode, 404);
    EXPECT_THROW(ParseProxyList(http.Body, 0), EListPageError);
    http.Fetch(provider, "/nothing-here.html");
    EXPECT_EQ(http.StatusCode, 404);

    http.TimeOut = 300;
    EXPECT_THROW(http.Fetch(provider, "/plr5.html"), Exception);
    EXPECT_TRUE(http.IsTimedOut());
    ASSERT_TRUE(provider.WaitRequests(3, 10000));
    EXPECT_EQ(provider.Requests()[2].path, "/plr5.html");
    EXPECT_EQ(provider.Requests()[2].status, 0);

    // Other pages are still served while one connection stalls.
    http.TimeOut = 5000;
    http.Fetch(provider, "/pla5.html");
    EXPECT_EQ(http.StatusCode, 200);
}

TEST(SampleProvider, FiveThousandEntryPageParsesWhole) {
    SampleProvider provider;
    provider.SetEntries(5000);
    Client http(SampleProvider::kDefaultUserId, SampleProvider::kDefaultPassword);
    http.Fetch(provider, "/pla5.html");
    EXPECT_EQ(ParseProxyList(http.Body, 0), SampleProvider::ListEntries("/pla5.html", 5000, 0));
}

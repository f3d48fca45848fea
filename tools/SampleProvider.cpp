// The sample list provider as a program of its own, for the demo: serves on
// 127.0.0.1 until it is killed. Prints the port on the first line of its
// output, then one line per request answered.
//
//   SampleProvider.exe [--port N] [--user ID] [--password PW] [--open] [--entries N] [--proxies]
//
// --open serves the list pages without checking credentials. --proxies lists
// three stand-ins on 127.0.0.1 instead of the usual addresses, for the check
// of the listed proxies: one that answers, a port nobody listens on, and one
// that never answers.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "base/Text.h"
#include "support/LoopbackServer.h"
#include "support/SampleProvider.h"
#include "support/StandInProxy.h"

int wmain(int argc, wchar_t** argv) {
    int port = 0;
    int entries = qbtest::SampleProvider::kDefaultEntries;
    std::string userId = qbtest::SampleProvider::kDefaultUserId;
    std::string password = qbtest::SampleProvider::kDefaultPassword;
    bool proxies = false;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == L"--port" && hasValue) {
            port = _wtoi(argv[++i]);
        } else if (arg == L"--entries" && hasValue) {
            entries = _wtoi(argv[++i]);
        } else if (arg == L"--user" && hasValue) {
            userId = base::Narrow(argv[++i]);
        } else if (arg == L"--password" && hasValue) {
            password = base::Narrow(argv[++i]);
        } else if (arg == L"--open") {
            userId.clear();
        } else if (arg == L"--proxies") {
            proxies = true;
        } else {
            std::fprintf(stderr,
                         "usage: SampleProvider [--port N] [--user ID] [--password PW] [--open] "
                         "[--entries N] [--proxies]\n");
            return 2;
        }
    }
    if (port < 0 || port > 65535) return 2;

    try {
        qbtest::SampleProvider provider(static_cast<uint16_t>(port));
        provider.SetCredentials(userId, password);
        provider.SetEntries(entries);
        std::unique_ptr<qbtest::StandInProxy> working, silent;
        if (proxies) {
            // The working one takes a moment, as a proxy fetching a page would.
            working = std::make_unique<qbtest::StandInProxy>(qbtest::StandInProxy::Kind::Answers, 120);
            silent = std::make_unique<qbtest::StandInProxy>(qbtest::StandInProxy::Kind::Silent);
            provider.SetListEntries({working->Entry(),
                                     "127.0.0.1:" + std::to_string(qbtest::LoopbackServer::UnusedPort()),
                                     silent->Entry()});
        }
        std::printf("%u\n", provider.Port());
        std::fflush(stdout);
        for (size_t shown = 0;; Sleep(200)) {
            const auto requests = provider.Requests();
            for (; shown < requests.size() && (requests[shown].status != 0); ++shown) {
                std::printf("%d %s\n", requests[shown].status, requests[shown].path.c_str());
                std::fflush(stdout);
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "SampleProvider: %s\n", e.what());
        return 1;
    }
}

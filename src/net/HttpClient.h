#pragma once
// TNMHTTP: the HTTP/1.0 client. Get sends one request per connection, reads
// the reply until the server closes, follows redirections and leaves the reply
// in Header and Body. Every failure to obtain a reply is an exception; an error
// status is not (it fires OnFailure and Get returns normally).
#include <cstdint>
#include <functional>
#include <string>

#include "net/Powersock.h"
#include "net/RequestHeader.h"

namespace net {

// Command codes passed to OnSuccess and OnFailure; Get uses 0.
using CmdType = uint8_t;
constexpr CmdType kCmdGet = 0;

class TNMHTTP : public TPowersock {
public:
    // Passes a Get may make before it gives up on a chain of redirections.
    static constexpr int kMaxPasses = 20;

    TNMHTTP();
    ~TNMHTTP() override;

    std::string Body = "Default.htm";  // after Get: the body of the last response
    std::string Header = "Head.txt";   // after Get: its header block, empty line included
    std::string Path;
    TExStringList HeaderLines;
    std::string Location;  // the last Location value seen; kept between responses
    THeaderInfo HeaderInfo;
    std::string SetCookieValue;
    bool InputFileMode = false;
    bool OutputFileMode = false;
    std::string Url;
    CmdType CurrentCmd = kCmdGet;

    std::function<void(CmdType cmd)> OnSuccess;  // status below 299
    std::function<void(CmdType cmd)> OnFailure;  // status above 399
    std::function<void()> OnAboutToSend;
    std::function<void(bool& handled)> OnRedirect;  // 300-398; handled stops the following
    std::function<void()> OnAuthenticationNeeded;   // 401

    // Runs one GET transaction and returns when it is over. A second Get while
    // one is under way raises ESockError "Already connected".
    virtual void Get(const std::string& address);
    void Abort() override;

protected:
    virtual void RunRequest();
    virtual void ParseUrl();
    virtual void BuildRequestHeader();
    virtual void ReadResponseHeader();
    virtual void SendRequest();

private:
    bool inRequest_ = false;
    bool locationSeen_ = false;  // the current response carried a Location line
    bool badLocation_ = false;   // ...and its last one held a byte below 0x21
    // The host and port of the request the caller made: credentials go to no other.
    std::string originHost_;
    int32_t originPort_ = 0;
    // The host a cookie belongs to: the one that set it, or the caller's own
    // target for a cookie the caller put in HeaderInfo.
    std::string cookieHost_;
    std::string carriedCookie_;
};

}  // namespace net

#pragma once
// Errors raised by the socket transport and the HTTP client. No Win32 types:
// this header is shared with the pure text helpers.
#include "base/Error.h"

// A Winsock failure or a refused step of the transport; the text is shown as is.
class ESockError : public Exception {
public:
    using Exception::Exception;
};

// A wait ended by Abort or by the time-out (TimedOut tells the two apart).
class EAbortError : public ESockError {
public:
    using ESockError::ESockError;
};

// The runtime's conversion error: a text that is not an integer.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// The runtime's range error: a value outside what the operation accepts.
class ERangeError : public Exception {
public:
    ERangeError() : Exception("Range check error") {}
};

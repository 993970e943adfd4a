// HTTP client over libcurl: synchronous GET and form POST returning the body bytes, with
// connect and total time-outs. Any failure raises EHttpError carrying libcurl's text or
// the server's status line, so callers decide whether to show or swallow it.
#pragma once

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

class TStrings;

QH_DECLARE_EXCEPTION(EHttpError, Exception);

class THttpClient : public TObject {
public:
  // Time-outs in milliseconds.
  static constexpr Integer DefaultConnectTimeout = 15000;
  static constexpr Integer DefaultTotalTimeout = 60000;
  static constexpr Int64 DefaultMaxResponseSize = 64 * 1024 * 1024;

  Integer ConnectTimeout() const { return FConnectTimeout; }
  void SetConnectTimeout(Integer Value) { FConnectTimeout = Value; }
  Integer TotalTimeout() const { return FTotalTimeout; }
  void SetTotalTimeout(Integer Value) { FTotalTimeout = Value; }
  // Reply bodies longer than this many bytes are refused with EHttpError "Response too
  // large" rather than held in memory.
  Int64 MaxResponseSize() const { return FMaxResponseSize; }
  void SetMaxResponseSize(Int64 Value) { FMaxResponseSize = Value; }

  // The status code of the last completed exchange (0 before any, or when none came back).
  Integer ResponseCode() const { return FResponseCode; }

  // Sends a GET and returns the body as it came (no conversion). The URL is taken as
  // bytes; only http and https are allowed.
  AnsiString Get(const AnsiString& Url);
  // Sends Fields (name=value lines) as an application/x-www-form-urlencoded body made of
  // the texts' GBK bytes and returns the reply body.
  AnsiString Post(const AnsiString& Url, const TStrings* Fields);

private:
  AnsiString Perform(const AnsiString& Url, const AnsiString* PostBody);

  Integer FConnectTimeout = DefaultConnectTimeout;
  Integer FTotalTimeout = DefaultTotalTimeout;
  Int64 FMaxResponseSize = DefaultMaxResponseSize;
  Integer FResponseCode = 0;
};

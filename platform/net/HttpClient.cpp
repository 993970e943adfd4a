#include "platform/net/HttpClient.h"

#include <cstdlib>
#include <memory>

#include <curl/curl.h>

#include "platform/net/UrlUtils.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/NumFormat.h"

namespace {

struct TCurlDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct TSListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// What the callbacks collect during one exchange.
struct TExchange {
  AnsiString Body;
  AnsiString StatusLine; // the last status line, e.g. "HTTP/1.1 404 Not Found"
  Int64 Limit = 0;       // the longest body taken
  bool TooLarge = false;
};

size_t WriteBody(char* data, size_t size, size_t count, void* user)
{
  auto* exchange = static_cast<TExchange*>(user);
  const size_t bytes = size * count;
  if (static_cast<Int64>(exchange->Body.size() + bytes) > exchange->Limit) {
    exchange->TooLarge = true;
    return 0; // makes libcurl stop with a write error
  }
  exchange->Body.append(data, bytes);
  return bytes;
}

size_t ReadHeader(char* data, size_t size, size_t count, void* user)
{
  auto* exchange = static_cast<TExchange*>(user);
  const size_t bytes = size * count;
  AnsiString line(data, bytes);
  if (line.rfind("HTTP/", 0) == 0) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
      line.pop_back();
    exchange->StatusLine = line;
  }
  return bytes;
}

// "404 Not Found" from "HTTP/1.1 404 Not Found"; the code alone when the line is unusable.
AnsiString StatusText(const AnsiString& statusLine, long code)
{
  const auto space = statusLine.find(' ');
  if (space == AnsiString::npos || space + 1 >= statusLine.size())
    return IntToStr(static_cast<Integer>(code));
  return statusLine.substr(space + 1);
}

// Loopback never goes through a proxy; the user's own exclusions stay in force.
AnsiString NoProxyList()
{
  AnsiString list = "localhost,127.0.0.1,::1";
  for (const char* name : {"no_proxy", "NO_PROXY"}) {
    const char* value = std::getenv(name);
    if (value && *value) {
      list += ',';
      list += value;
      break;
    }
  }
  return list;
}

void Check(CURLcode code, const char* errorBuffer)
{
  if (code == CURLE_OK)
    return;
  throw EHttpError(errorBuffer && *errorBuffer ? AnsiString(errorBuffer)
                                               : AnsiString(curl_easy_strerror(code)));
}

} // namespace

AnsiString THttpClient::Get(const AnsiString& Url)
{
  return Perform(Url, nullptr);
}

AnsiString THttpClient::Post(const AnsiString& Url, const TStrings* Fields)
{
  const AnsiString body = UrlEncodeForm(Fields);
  return Perform(Url, &body);
}

// One exchange on a fresh handle: the client is used rarely (a connection lookup, a
// feedback post), so nothing is kept between calls.
AnsiString THttpClient::Perform(const AnsiString& Url, const AnsiString* PostBody)
{
  FResponseCode = 0;
  std::unique_ptr<CURL, TCurlDeleter> curl(curl_easy_init());
  if (!curl)
    throw EHttpError("Out of memory");
  CURL* h = curl.get();
  char errorBuffer[CURL_ERROR_SIZE] = {};
  TExchange exchange;
  exchange.Limit = FMaxResponseSize;
  const AnsiString noProxy = NoProxyList();
  std::unique_ptr<curl_slist, TSListDeleter> headers;

  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorBuffer);
  Check(curl_easy_setopt(h, CURLOPT_URL, Url.c_str()), errorBuffer);
  Check(curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https"), errorBuffer);
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_NOPROXY, noProxy.c_str());
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(FConnectTimeout));
  curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(FTotalTimeout));
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, WriteBody);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &exchange);
  curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, ReadHeader);
  curl_easy_setopt(h, CURLOPT_HEADERDATA, &exchange);
  if (PostBody) {
    headers.reset(curl_slist_append(nullptr, "Content-Type: application/x-www-form-urlencoded"));
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(PostBody->size()));
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, PostBody->data());
  }

  const CURLcode result = curl_easy_perform(h);
  long code = 0;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &code);
  FResponseCode = static_cast<Integer>(code);
  if (exchange.TooLarge)
    throw EHttpError("Response too large");
  Check(result, errorBuffer);
  if (code < 200 || code > 299)
    throw EHttpError(StatusText(exchange.StatusLine, code));
  return exchange.Body;
}

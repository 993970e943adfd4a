// The network library's units in the system's unit order.
#include <curl/curl.h>

#include "platform/rtl/Units.h"

namespace {

// libcurl's global set-up is not thread-safe and must precede every handle, so it runs
// once at start-up instead of on first use.
void HttpClientInitialization()
{
  curl_global_init(CURL_GLOBAL_DEFAULT);
}

void HttpClientFinalization()
{
  curl_global_cleanup();
}

} // namespace

void RegisterNetUnits()
{
  RegisterUnit("HttpClient", HttpClientInitialization, HttpClientFinalization);
}

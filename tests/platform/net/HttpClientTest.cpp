#include "platform/net/HttpClient.h"

#include <gtest/gtest.h>

#include "platform/net/UrlUtils.h"
#include "platform/rtl/Lists.h"
#include "tests/platform/net/LoopbackServer.h"

TEST(HttpClient, GetReturnsBodyBytesUnconverted)
{
  const std::string body = std::string("line1\r\n快递\rx\n", 13) + std::string(1, '\0') + "end";
  TLoopbackServer server(1, TLoopbackServer::Answer(body));
  THttpClient client;
  EXPECT_EQ(client.Get(server.Url("/dip?user=%BF%EC")), body);
  EXPECT_EQ(client.ResponseCode(), 200);
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].Method, "GET");
  EXPECT_EQ(requests[0].Target, "/dip?user=%BF%EC");
}

TEST(HttpClient, PostSendsUrlEncodedFormOfGbkBytes)
{
  TLoopbackServer server(1, TLoopbackServer::Answer("ok"));
  THttpClient client;
  TStringList fields;
  fields.Add("Data=青禾\t1.0\r\n");
  EXPECT_EQ(client.Post(server.Url("/back.asp"), &fields), "ok");
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].Method, "POST");
  EXPECT_EQ(requests[0].Target, "/back.asp");
  EXPECT_NE(requests[0].Headers.find("Content-Type: application/x-www-form-urlencoded"),
            std::string::npos);
  EXPECT_EQ(requests[0].Body, "Data=" + UrlEncode("青禾\t1.0\r\n"));
  EXPECT_EQ(requests[0].Body, "Data=%C7%E0%BA%CC%091.0%0D%0A");
}

TEST(HttpClient, StatusOutside2xxRaisesWithStatusText)
{
  struct {
    int Code;
    const char* Reason;
    const char* Message;
  } cases[] = {
      {404, "Not Found", "404 Not Found"},
      {500, "Internal Server Error", "500 Internal Server Error"},
      {302, "Found", "302 Found"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Code);
    TLoopbackServer server(1, [&](const TLoopbackServer::TRequest&) {
      return std::optional<std::string>(TLoopbackServer::Reply(c.Code, c.Reason, "body"));
    });
    THttpClient client;
    try {
      client.Get(server.Url("/"));
      ADD_FAILURE() << "no exception";
    } catch (const EHttpError& e) {
      EXPECT_EQ(e.Message(), c.Message);
    }
    EXPECT_EQ(client.ResponseCode(), c.Code);
  }
}

TEST(HttpClient, ConnectionFailuresRaiseWithLibraryText)
{
  int port = 0;
  {
    TLoopbackServer server(0, TLoopbackServer::Answer(""));
    port = server.Port();
  } // closed: nothing listens there any more
  THttpClient client;
  try {
    client.Get("http://127.0.0.1:" + std::to_string(port) + "/");
    ADD_FAILURE() << "no exception";
  } catch (const EHttpError& e) {
    EXPECT_NE(e.Message().find("onnect"), AnsiString::npos) << e.Message();
  }
  EXPECT_THROW(client.Get("ftp://127.0.0.1/x"), EHttpError); // only http and https
  EXPECT_THROW(client.Get("not a url"), EHttpError);
}

TEST(HttpClient, TotalTimeoutEndsAStalledReply)
{
  TLoopbackServer server(1, [](const TLoopbackServer::TRequest&) {
    return std::optional<std::string>(); // never answers
  });
  THttpClient client;
  EXPECT_EQ(client.ConnectTimeout(), 15000);
  EXPECT_EQ(client.TotalTimeout(), 60000);
  client.SetTotalTimeout(300);
  try {
    client.Get(server.Url("/slow"));
    ADD_FAILURE() << "no exception";
  } catch (const EHttpError& e) {
    EXPECT_NE(e.Message().find("imed out"), AnsiString::npos) << e.Message();
  }
}

TEST(HttpClient, BodyLongerThanTheLimitIsRefused)
{
  THttpClient defaults;
  EXPECT_EQ(defaults.MaxResponseSize(), 64 * 1024 * 1024);
  struct {
    const char* Name;
    Int64 Limit;
    size_t BodySize;
    bool Refused;
  } cases[] = {
      {"exactly the limit", 100, 100, false},
      {"one byte over", 99, 100, true},
      {"empty body, zero limit", 0, 0, false},
      {"over the limit across many writes", 300000, 1000000, true},
      {"under the limit across many writes", 1000000, 1000000, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string body(c.BodySize, 'x');
    TLoopbackServer server(1, TLoopbackServer::Answer(body));
    THttpClient client;
    client.SetMaxResponseSize(c.Limit);
    if (!c.Refused) {
      EXPECT_EQ(client.Get(server.Url("/big")).size(), c.BodySize);
      continue;
    }
    try {
      client.Get(server.Url("/big"));
      ADD_FAILURE() << "no exception";
    } catch (const EHttpError& e) {
      EXPECT_EQ(e.Message(), "Response too large");
    }
    EXPECT_EQ(client.ResponseCode(), 200); // the status came before the body was refused
  }
}

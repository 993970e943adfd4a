#include "app/Http.h"

#include <stdlib.h>

#include <gtest/gtest.h>

#include "platform/rtl/Codec.h"
#include "platform/rtl/Lists.h"
#include "tests/platform/net/LoopbackServer.h"

TEST(Httper, PostTellsWhetherTheReplyIsOk)
{
  struct {
    const char* Name;
    std::string Body;
    bool Result;
  } cases[] = {{"ok", "ok", true},
               {"upper case", "OK", false},
               {"with break", "ok\r\n", false},
               {"Chinese", "失败", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TLoopbackServer server(1, TLoopbackServer::Answer(c.Body));
    THttper http;
    http.Params()->Add("Data=青禾\t1.0\r\n");
    WideString reply;
    EXPECT_EQ(http.Post(reply, GbkToWide(server.Url("/back.asp"))), c.Result);
    EXPECT_EQ(WideToGbk(reply), c.Body);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].Body, "Data=%C7%E0%BA%CC%091.0%0D%0A");
  }
}

TEST(Httper, FailureIsSwallowedAndKeepsTheReply)
{
  TLoopbackServer server(1, [](const TLoopbackServer::TRequest&) {
    return std::optional<std::string>(TLoopbackServer::Reply(404, "Not Found", "ok"));
  });
  THttper http;
  WideString reply = u"before";
  EXPECT_FALSE(http.Post(reply, GbkToWide(server.Url("/back.asp"))));
  EXPECT_EQ(reply, u"before");
}

TEST(Httper, EmptyAddressGoesToTheFeedbackEndpoint)
{
  TLoopbackServer server(1, TLoopbackServer::Answer("ok"));
  setenv("QHWBP_FEEDBACK_URL", server.Url("/back.asp").c_str(), 1);
  THttper http;
  WideString reply;
  EXPECT_TRUE(http.Post(reply, u""));
  unsetenv("QHWBP_FEEDBACK_URL");
  EXPECT_EQ(server.Requests().at(0).Target, "/back.asp");
  EXPECT_EQ(FeedbackUrl(), "http://www.qhwbp.example.com/back.asp");
}

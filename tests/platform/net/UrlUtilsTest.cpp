#include "platform/net/UrlUtils.h"

#include <gtest/gtest.h>

#include "platform/rtl/Lists.h"

TEST(UrlEncode, Bytes)
{
  struct {
    const char* Name;
    AnsiString In;
    AnsiString Out;
  } cases[] = {
      {"empty", "", ""},
      {"unreserved unchanged", "AZaz09-._~", "AZaz09-._~"},
      {"reserved and blank", "a b&c=d/e?f+g%", "a%20b%26c%3Dd%2Fe%3Ff%2Bg%25"},
      {"GBK bytes upper-case hex", "快递", "%BF%EC%B5%DD"},
      {"control and high bytes", AnsiString("\x00\x1f\x7f\xff", 4), "%00%1F%7F%FF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(UrlEncode(c.In), c.Out);
  }
}

TEST(UrlEncodeForm, JoinsEncodedPairs)
{
  TStringList fields;
  fields.Add("Data=a b\r\n快");
  fields.Add("x=1=2"); // only the first '=' separates
  fields.Add("flag");
  EXPECT_EQ(UrlEncodeForm(&fields), "Data=a%20b%0D%0A%BF%EC&x=1%3D2&flag=");
  TStringList none;
  EXPECT_EQ(UrlEncodeForm(&none), "");
}

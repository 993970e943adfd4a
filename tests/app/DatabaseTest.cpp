#include <gtest/gtest.h>

#include "app/Database.h"

TEST(ConnectionString, ValueOfKey)
{
  struct {
    const char* Name;
    AnsiString Text;
    AnsiString Key;
    AnsiString Value;
  } cases[] = {
      {"middle item", "Provider=P;Data Source=/a/b.mdb;X=1", "Data Source", "/a/b.mdb"},
      {"first item", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=x;", "Provider",
       "Microsoft.Jet.OLEDB.4.0"},
      {"last item without ';'", "Provider=P;Data Source=x", "Data Source", ""},
      {"missing key", "Provider=P;", "Data Source", ""},
      {"case matters", "provider=P;", "Provider", ""},
      {"empty value", "Provider=;X=1", "Provider", ""},
      {"quoted ';'", "Password=\"a;b\";Data Source=s;", "Password", "a;b"},
      {"doubled quotes", "Password=\"say \"\"hi\"\"\";X=1", "Password", "say \"hi\""},
      {"single quotes", "Password='it''s';X=1", "Password", "it's"},
      {"key inside a quoted value", "Password=\"Data Source=evil;\";Data Source=good;", "Data Source",
       "good"},
      {"quoted last item", "Data Source=\"x;y\"", "Data Source", ""},
      {"GBK value", "Data Source=快递.mdb;", "Data Source", "快递.mdb"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(ConnectionStringValue(c.Text, c.Key), c.Value);
  }
}

TEST(ConnectionString, QuoteOnlyWhatNeedsIt)
{
  struct {
    AnsiString Value;
    AnsiString Quoted;
  } cases[] = {
      {"", ""},
      {"plain value", "plain value"},
      {"a\"b", "a\"b"}, // an inner quote alone does not break the string
      {"a;b", "\"a;b\""},
      {"\"ab", "\"\"\"ab\""},
      {"'ab", "\"'ab\""},
      {"x;\"y\"", "\"x;\"\"y\"\"\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Value);
    EXPECT_EQ(QuoteConnectionValue(c.Value), c.Quoted);
    EXPECT_EQ(ConnectionStringValue("K=" + QuoteConnectionValue(c.Value) + ";", "K"), c.Value);
  }
}

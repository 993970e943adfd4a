// The scanner: token tables per language setting, comments, line ends, position texts,
// GBK double-byte characters and the lexical limits.
#include "report/script/fsParser.h"

#include <gtest/gtest.h>

namespace {

enum TLexSetting { lsPascal, lsCpp, lsBasic };

void Configure(TfsParser& p, TLexSetting setting)
{
  p.Clear();
  if (setting == lsCpp) {
    p.SetCommentBlock1("/*,*/");
    p.SetCommentBlock2("/*,*/");
    p.SetStringQuotes("\"");
    p.SetHexSequence("0x");
  } else if (setting == lsBasic) {
    p.SetCommentLine1("'");
    p.SetCommentLine2("rem");
    p.SetCommentBlock1("/\\,/\\");
    p.SetCommentBlock2("/\\,/\\");
    p.SetStringQuotes("\"");
    p.SetHexSequence("0x");
    p.SetSkipEOL(false);
    p.SetSkipChar("_");
  }
}

enum TReader { rdNumber, rdString, rdWord, rdIdent, rdFRString };

struct TLexCase {
  const char* Name;
  TLexSetting Setting;
  TReader Reader;
  const char* Text;
  const char* Expected;
  Integer PositionAfter; // 1-based position after the read
};

AnsiString Read(TfsParser& p, TReader reader)
{
  switch (reader) {
  case rdNumber:
    return p.ReadNumber();
  case rdString:
    return p.ReadStringLiteral();
  case rdWord:
    return p.ReadWord();
  case rdIdent:
    return p.ReadIdent();
  case rdFRString:
    return p.ReadFRString();
  }
  return AnsiString();
}

} // namespace

TEST(fsParser, TokenTable)
{
  const TLexCase cases[] = {
      {"pascal quote pair", lsPascal, rdString, "'It''s'", "'It's'", 8},
      {"char code then piece", lsPascal, rdString, "#65'B'", "'AB'", 7},
      {"hex char code", lsPascal, rdString, "#$41#66", "'AB'", 8},
      {"unclosed at line end", lsPascal, rdString, "'abc\r\nx'", "", 1},
      {"unclosed at text end", lsPascal, rdString, "'abc", "", 1},
      {"char code without digits", lsPascal, rdString, "#x", "", 1},
      {"tab kept in literal", lsPascal, rdString, "'a\tb'", "'a\tb'", 6},
      {"blanks before literal", lsPascal, rdString, "  'a'", "'a'", 6},
      {"hex dollar", lsPascal, rdNumber, "$FF", "$FF", 4},
      {"float with exponent", lsPascal, rdNumber, "1.5e-3", "1.5e-3", 7},
      {"exponent without digits", lsPascal, rdNumber, "1e", "1", 2},
      {"range dots", lsPascal, rdNumber, "1..5", "1", 2},
      {"dot without digits", lsPascal, rdNumber, "3.", "3", 2},
      {"not a number", lsPascal, rdNumber, "x1", "", 1},
      {"cpp hex", lsCpp, rdNumber, "0xff", "$ff", 5},
      {"cpp hex prefix without digits", lsCpp, rdNumber, "0xg", "", 1},
      {"cpp escapes", lsCpp, rdString, "\"a\\x41\\n\"", "'aA\n'", 10},
      {"cpp unknown escape", lsCpp, rdString, "\"\\q\"", "'q'", 5},
      {"cpp escaped quote", lsCpp, rdString, "\"a\\\"b\"", "'a\"b'", 7},
      {"cpp line break in literal", lsCpp, rdString, "\"ab\ncd\"", "", 1},
      {"cpp quotes of other kind", lsCpp, rdString, "\"it's\"", "'it's'", 7},
      {"word with underscore", lsPascal, rdWord, "_a1+", "_a1", 4},
      {"word never starts with digit", lsPascal, rdWord, "1a", "", 1},
      {"keyword is a word", lsPascal, rdWord, "Begin", "Begin", 6},
      {"bracketed expression", lsPascal, rdFRString, "a<b>c>rest", "a<b>c", 6},
      {"quoted '>' inside brackets", lsPascal, rdFRString, "'>'x>", "'>'x", 5},
      {"bracket broken by line end", lsPascal, rdFRString, "ab\r\n>", "", 1},
  };
  TfsParser p;
  for (const TLexCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Configure(p, c.Setting);
    p.SetText(c.Text);
    EXPECT_EQ(Read(p, c.Reader), c.Expected);
    EXPECT_EQ(p.Position(), c.PositionAfter);
  }
}

TEST(fsParser, KeywordsAreNotIdentifiers)
{
  TfsParser p;
  p.AddKeyword("BEGIN");
  p.SetText("begin beginx");
  EXPECT_TRUE(p.IsKeyword("Begin"));
  EXPECT_EQ(p.ReadIdent(), "");
  EXPECT_EQ(p.Position(), 6); // stays after the keyword; the caller restores it
  EXPECT_EQ(p.ReadIdent(), "beginx");
}

TEST(fsParser, IdentCharsReplaceAndAdd)
{
  TfsParser p;
  p.SetIdentChars("ab");
  p.SetText("abc");
  EXPECT_EQ(p.ReadWord(), "ab");
  p.AddIdentChars("c");
  p.SetText("abc_");
  EXPECT_EQ(p.ReadWord(), "abc");
  EXPECT_TRUE(p.IsIdentChar('a'));
  EXPECT_FALSE(p.IsIdentChar('_'));
}

TEST(fsParser, Comments)
{
  struct {
    const char* Name;
    TLexSetting Setting;
    const char* Text;
    const char* NextWord;
  } cases[] = {
      {"block comments do not nest", lsPascal, "{ a { b } c } d", "c"},
      {"second block pair", lsPascal, "(* x *) y", "y"},
      {"line comment", lsPascal, "// x\r\ny", "y"},
      {"unclosed block runs to the end", lsPascal, "{ x y", ""},
      {"opener on the last character", lsPascal, "  {", ""},
      {"cpp block", lsCpp, "/* a */ b", "b"},
      {"basic block", lsBasic, "/\\ a /\\ b", "b"},
  };
  TfsParser p;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Configure(p, c.Setting);
    p.SetText(c.Text);
    EXPECT_EQ(p.ReadWord(), c.NextWord);
  }
}

TEST(fsParser, BasicLineEnds)
{
  TfsParser p;
  Configure(p, lsBasic);

  p.SetText("x = 1\r\ny");
  p.SetPosition(6);
  EXPECT_TRUE(p.SkipLineEnd());
  EXPECT_EQ(p.Position(), 8);

  // A line comment stops before the line end, which stays visible.
  p.SetText("x ' note\r\ny");
  p.SetPosition(2);
  EXPECT_TRUE(p.SkipLineEnd());
  EXPECT_EQ(p.ReadWord(), "y");

  // The skip character continues a line, also with a comment after it.
  for (const char* text : {"a _\r\nb", "a _ ' why\r\nb", "a _"}) {
    SCOPED_TRACE(text);
    p.SetText(text);
    EXPECT_EQ(p.ReadWord(), "a");
    EXPECT_FALSE(p.SkipLineEnd());
    EXPECT_EQ(p.ReadWord(), std::string(text) == "a _" ? "" : "b");
  }

  // Anywhere else the skip character is part of a word.
  p.SetText("_a = b_c");
  EXPECT_EQ(p.ReadWord(), "_a");
  p.SetPosition(6);
  EXPECT_EQ(p.ReadWord(), "b_c");
}

TEST(fsParser, RemIsAWholeWordInAnyCase)
{
  struct {
    const char* Text;
    const char* FirstWord;
  } cases[] = {
      {"rem note\r\nx", ""},    {"REM note\r\nx", ""},     {"Rem\r\nx", ""},
      {"remain = 5", "remain"}, {"Remark\r\nx", "Remark"},
  };
  TfsParser p;
  Configure(p, lsBasic);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    p.SetText(c.Text);
    EXPECT_EQ(p.ReadWord(), c.FirstWord);
  }
}

TEST(fsParser, PositionText)
{
  TfsParser p;
  p.SetText("ab\r\n\tcd\r\nx");
  struct {
    Integer Pos;
    const char* Text;
  } cases[] = {{1, "1:1"}, {3, "1:3"}, {4, "1:4"}, {5, "2:1"}, {6, "2:2"}, {9, "2:5"}, {10, "3:1"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Pos);
    p.SetPosition(c.Pos);
    EXPECT_EQ(p.PositionText(), c.Text);
  }
  EXPECT_EQ(p.PointToPosition(1, 2), 5);
  EXPECT_EQ(p.PointToPosition(1, 3), 10);
  EXPECT_EQ(p.PointToPosition(1, 0), -1);
  EXPECT_EQ(p.PointToPosition(1, 4), -1);
}

TEST(fsParser, ReadCharTakesPunctuationOnly)
{
  TfsParser p;
  p.SetText(":= a");
  EXPECT_EQ(p.ReadChar(), ":");
  EXPECT_EQ(p.ReadChar(), "=");
  EXPECT_EQ(p.ReadChar(), ""); // a blank: ReadChar does not skip
  p.SetText("\xB0\xA1");
  EXPECT_EQ(p.ReadChar(), "");
}

// Trail bytes of GBK characters can look like ASCII delimiters ('}' 0x7D, '\' 0x5C) or
// letters; the scanner must step over the whole character.
TEST(fsParser, DoubleByteCharacters)
{
  TfsParser p;
  p.SetText("{ \x81\x7D } x");
  EXPECT_EQ(p.ReadWord(), "x");

  Configure(p, lsCpp);
  p.SetText("\"\x95\x5C\" y");
  EXPECT_EQ(p.ReadStringLiteral(), "'\x95\x5C'");
  EXPECT_EQ(p.ReadWord(), "y");

  Configure(p, lsPascal);
  p.SetText("'\xD6\xD0\xCE\xC4'");
  EXPECT_EQ(p.ReadStringLiteral(), "'\xD6\xD0\xCE\xC4'");

  // Case folding leaves trail bytes alone: these two characters differ only in a trail byte
  // that is 'a' in one and 'A' in the other.
  p.AddKeyword("\xB0\x41");
  EXPECT_TRUE(p.IsKeyword("\xB0\x41"));
  EXPECT_FALSE(p.IsKeyword("\xB0\x61"));
}

TEST(fsParser, Limits)
{
  TfsParser p;
  p.SetText("x := " + std::string(fsMaxTokenLength + 1, 'a'));
  p.SetPosition(6);
  try {
    p.ReadWord();
    FAIL() << "no error";
  } catch (const EfsCompileError& e) {
    EXPECT_EQ(e.Message(), "Token too long");
    EXPECT_EQ(e.Position, "1:6");
    EXPECT_EQ(e.Near, std::string(20, 'a'));
  }
  p.SetText(std::string(fsMaxTokenLength, 'b'));
  EXPECT_EQ(p.ReadWord().size(), static_cast<size_t>(fsMaxTokenLength));

  p.SetText("'" + std::string(fsMaxLiteralLength + 1, 'c') + "'");
  EXPECT_THROW(p.ReadStringLiteral(), EfsCompileError);
}

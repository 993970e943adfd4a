#include "platform/rtl/Consts.h"

#include <vector>

#include <gtest/gtest.h>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/VirtualKeys.h"

TEST(ShortCuts, TextAndCodeBothWays)
{
  struct Case {
    TShortCut Code;
    const char* Text;
  } cases[] = {
      {scCtrl | 'A', "Ctrl+A"},
      {scShift | scCtrl | VK_F1, "Shift+Ctrl+F1"},
      {VK_INSERT, "Ins"},
      {VK_DELETE, "Del"},
      {16397, "Ctrl+Enter"},
      {32808, "Alt+Down"},
      {scCtrl | scAlt | 'Z', "Ctrl+Alt+Z"},
      {scShift | scAlt | VK_BACK, "Shift+Alt+BkSp"},
      {VK_F12, "F12"},
      {scCtrl | '5', "Ctrl+5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(ShortCutToText(c.Code), c.Text);
    EXPECT_EQ(TextToShortCut(c.Text), c.Code);
  }
  EXPECT_EQ(TextToShortCut("ctrl+shift+f1"), scShift | scCtrl | VK_F1); // any order and case
  EXPECT_EQ(TextToShortCut("Ctrl+"), 0);
  EXPECT_EQ(TextToShortCut("Ctrl+Nothing"), 0);
  EXPECT_EQ(TextToShortCut(""), 0);
  EXPECT_EQ(ShortCutToText(0), "");
  EXPECT_EQ(ShortCutToText(scCtrl | 0xE5), ""); // a key without a name

  EXPECT_EQ(ShortCut('A', TShiftState{ssCtrl, ssShift}), scCtrl | scShift | 'A');
  Word key = 0;
  TShiftState shift;
  ShortCutToKey(32808, key, shift);
  EXPECT_EQ(key, VK_DOWN);
  EXPECT_EQ(shift, TShiftState{ssAlt});
}

TEST(ShortCuts, StandardListHas108EntriesInOrder)
{
  const std::vector<TShortCut>& list = StandardShortCuts();
  ASSERT_EQ(list.size(), 108u);
  EXPECT_EQ(ShortCutToText(list[0]), "Ctrl+A");
  EXPECT_EQ(ShortCutToText(list[26]), "Ctrl+Alt+A");
  EXPECT_EQ(ShortCutToText(list[52]), "F1");
  EXPECT_EQ(ShortCutToText(list[64]), "Ctrl+F1");
  EXPECT_EQ(ShortCutToText(list[76]), "Shift+F1");
  EXPECT_EQ(ShortCutToText(list[88]), "Shift+Ctrl+F1");
  EXPECT_EQ(ShortCutToText(list[100]), "Ins");
  EXPECT_EQ(ShortCutToText(list[105]), "Ctrl+Del");
  EXPECT_EQ(ShortCutToText(list[107]), "Shift+Alt+BkSp");
}

TEST(IdentTables, ModalResultsAndCursors)
{
  std::vector<AnsiString> names;
  GetModalResultValues([&names](const AnsiString& s) { names.push_back(s); });
  ASSERT_EQ(names.size(), 11u);
  EXPECT_EQ(names[0], "mrNone");
  EXPECT_EQ(names[10], "mrYesToAll");
  Integer value = -1;
  EXPECT_TRUE(IdentToModalResult("MRCANCEL", value));
  EXPECT_EQ(value, mrCancel);
  EXPECT_FALSE(ModalResultToIdent(11, names[0]));

  AnsiString ident;
  EXPECT_TRUE(CursorToIdent(-22, ident));
  EXPECT_EQ(ident, "crSizeAll");
  EXPECT_TRUE(IdentToCursor("crSize", value));
  EXPECT_EQ(value, -22);
  EXPECT_EQ(CursorToString(crHandPoint), "crHandPoint");
  EXPECT_EQ(CursorToString(5), "5");
  EXPECT_EQ(StringToCursor("crhourglass"), crHourGlass);
  EXPECT_EQ(StringToCursor("-30"), -30);
  EXPECT_THROW(StringToCursor("crBogus"), EConvertError);
  int count = 0;
  GetCursorValues([&count](const AnsiString&) { ++count; });
  EXPECT_EQ(count, 22);
}

TEST(VirtualKeyIdents, NamesAndCodesBothWaysInTheirOrder)
{
  struct Case {
    const char* Name;
    Integer Code;
  } cases[] = {{"VK_RBUTTON", 2},   {"VK_RETURN", 13},  {"VK_ESCAPE", 27}, {"VK_PRIOR", 33},
               {"VK_DELETE", 46},   {"VK_HELP", 47},    {"VK_APPS", 93},   {"VK_NUMPAD0", 96},
               {"VK_NUMPAD9", 105}, {"VK_DIVIDE", 111}, {"VK_F1", 112},    {"VK_F12", 123},
               {"VK_NUMLOCK", 144}, {"VK_SCROLL", 145}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    AnsiString name;
    EXPECT_TRUE(VirtualKeyToIdent(c.Code, name));
    EXPECT_EQ(name, c.Name);
    Integer code = -1;
    EXPECT_TRUE(IdentToVirtualKey(AnsiString(c.Name), code));
    EXPECT_EQ(code, c.Code);
  }
  Integer code = 0;
  EXPECT_TRUE(IdentToVirtualKey("vk_return", code)); // case does not matter
  AnsiString name;
  EXPECT_FALSE(VirtualKeyToIdent(VK_LBUTTON, name)); // scripts have no name for it
  EXPECT_FALSE(IdentToVirtualKey("VK_NOSUCHKEY", code));

  std::vector<AnsiString> names;
  GetVirtualKeyValues([&](const AnsiString& s) { names.push_back(s); });
  ASSERT_EQ(names.size(), 57u);
  EXPECT_EQ(names.front(), "VK_RBUTTON");
  EXPECT_EQ(names[26], "VK_APPS");
  EXPECT_EQ(names.back(), "VK_SCROLL");
}

#include "app/qhLib.h"

#include <gtest/gtest.h>

#include "platform/ui/Windows.h"
#include "platform/ui/backend/headless/Headless.h"
#include "tests/app/AppTestSupport.h"

TEST(ScrambleText, KeyDigitsByPosition)
{
  struct {
    const char* Name;
    AnsiString Plain;
    AnsiString Scrambled;
  } cases[] = {
      {"empty", "", ""},
      {"password", "secret", "\x7b\x62\x62\x70\x64\x74"},
      {"leading blank results", "(abc", " fca"},
      // Byte 10 takes the key's first letter ('b' = 98, so 8), byte 11 the second again.
      {"tenth byte wraps", "00000000000", "87121095888"},
      {"GBK bytes", "\xbf\xec\xb5\xdd", "\xb7\xeb\xb4\xdf"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(ScrambleText(c.Plain), c.Scrambled);
    EXPECT_EQ(ScrambleText(c.Scrambled), c.Plain);
  }
  AnsiString all;
  for (int b = 0; b < 256; ++b)
    all += static_cast<char>(b);
  EXPECT_EQ(ScrambleText(ScrambleText(all)), all);
}

TEST(ShowInfo, InformationBoxWithFramedText)
{
  TMessageBoxRecorder boxes;
  ShowInfo("连接失败");
  ASSERT_EQ(boxes.Boxes.size(), 1u);
  EXPECT_EQ(boxes.Boxes[0].Text, "\r\n连接失败\t");
  EXPECT_EQ(boxes.Boxes[0].Caption, "信息");
  EXPECT_EQ(boxes.Boxes[0].Flags, Cardinal(MB_OK | MB_ICONINFORMATION));
}

TEST(ConfirmDelete, AnswersAndSubjects)
{
  struct {
    const char* Name;
    AnsiString Subject;
    Integer Answer;
    AnsiString Text;
    bool Result;
  } cases[] = {
      {"OK", "模板A", IDOK, "\r您确定要删除 模板A 吗?\t\t", true},
      {"cancel", "模板A", IDCANCEL, "\r您确定要删除 模板A 吗?\t\t", false},
      {"closed", "x", IDCLOSE, "\r您确定要删除 x 吗?\t\t", false},
      {"no subject", "", IDOK, "\r您确定要删除 当前记录 吗?\t\t", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TMessageBoxRecorder boxes(c.Answer);
    EXPECT_EQ(ConfirmDelete(c.Subject), c.Result);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Text, c.Text);
    EXPECT_EQ(boxes.Boxes[0].Caption, "警告");
    EXPECT_EQ(boxes.Boxes[0].Flags, Cardinal(MB_OKCANCEL | MB_ICONWARNING));
  }
}

// Without an installed handler the boxes are the application's own, answered here through
// the headless window layer.
TEST(AppMessageBox, ApplicationBoxesAnswered)
{
  TAppMessageBox previous = SetAppMessageBox(nullptr);
  Headless().Reset();
  Headless().AnswerModal("警告", "取消");
  EXPECT_FALSE(ConfirmDelete("模板A"));
  Headless().AnswerModal("警告", "确定");
  EXPECT_TRUE(ConfirmDelete(""));
  Headless().AnswerModal("信息", "确定");
  ShowInfo("完成");
  EXPECT_EQ(Headless().PendingResponders(), 0);
  Headless().Reset();
  SetAppMessageBox(previous);
}

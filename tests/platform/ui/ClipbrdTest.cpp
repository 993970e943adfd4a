// The clipboard: text, named formats, transactions.
#include "platform/ui/Clipbrd.h"

#include "platform/graphics/Pictures.h"
#include "tests/platform/ui/UiTestKit.h"

using ClipboardTest = UiTest;

TEST_F(ClipboardTest, TextAndNamedFormatsInOneTransaction)
{
  UINT csv = RegisterClipboardFormat("Csv");
  EXPECT_GE(csv, 0xC000u);
  EXPECT_EQ(RegisterClipboardFormat("CSV"), csv) << "names ignore case";
  EXPECT_NE(RegisterClipboardFormat("VCLDBIF"), csv);
  EXPECT_EQ(GetClipboardFormatName(csv), "Csv");
  EXPECT_EQ(GetClipboardFormatName(CF_TEXT), "");

  Clipboard()->SetAsText("收件人\r\n张三");
  EXPECT_EQ(Clipboard()->AsText(), "收件人\r\n张三");
  EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));
  EXPECT_FALSE(Clipboard()->HasFormat(csv));

  // Everything set inside one (nested) transaction is one content, replacing the old.
  Clipboard()->Open();
  Clipboard()->SetBuffer(csv, "a,b\r\n");
  Clipboard()->Open();
  Clipboard()->SetAsText("a\tb");
  Clipboard()->Close();
  EXPECT_TRUE(Clipboard()->HasFormat(csv)) << "visible to the transaction itself";
  Clipboard()->Close();
  EXPECT_EQ(Clipboard()->FormatCount(), 2);
  EXPECT_EQ(Clipboard()->Formats(0), csv);
  EXPECT_EQ(Clipboard()->GetBuffer(csv), "a,b\r\n");
  EXPECT_EQ(Clipboard()->AsText(), "a\tb");

  // A single set outside a transaction replaces everything.
  Clipboard()->SetAsText("x");
  EXPECT_FALSE(Clipboard()->HasFormat(csv));
  Clipboard()->Clear();
  EXPECT_EQ(Clipboard()->FormatCount(), 0);
  EXPECT_EQ(Clipboard()->AsText(), "");
}

TEST_F(ClipboardTest, UnicodeTextReadsAsGbk)
{
  const char16_t wide[] = u"中文\U0001F600";
  std::string bytes;
  for (char16_t c : std::u16string(wide)) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  Clipboard()->SetBuffer(CF_UNICODETEXT, bytes);
  EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));
  EXPECT_EQ(Clipboard()->AsText(), AnsiString("中文") + "?") << "what GBK cannot hold becomes '?'";
}

TEST_F(ClipboardTest, PicturesTravelAsBitmaps)
{
  TBitmap source(3, 2);
  source.Canvas()->Brush()->SetColor(clWhite);
  source.Canvas()->FillRect(Rect(0, 0, 3, 2));
  source.Canvas()->Brush()->SetColor(clRed);
  source.Canvas()->FillRect(Rect(1, 1, 2, 2));
  Clipboard()->SetAsText("before");
  Clipboard()->Assign(&source);
  EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  EXPECT_FALSE(Clipboard()->HasFormat(CF_TEXT)) << "a picture replaces the content";

  TPicture picture;
  picture.Assign(Clipboard());
  ASSERT_NE(picture.Graphic(), nullptr);
  EXPECT_EQ(picture.Width(), 3);
  TBitmap copy;
  copy.Assign(Clipboard());
  EXPECT_EQ(copy.Pixel(1, 1), ColorToRGB(clRed));
  EXPECT_EQ(copy.Pixel(0, 0), ColorToRGB(clWhite));

  // A picture goes in through its graphic.
  TPicture fromPicture;
  fromPicture.Assign(&source);
  Clipboard()->Assign(&fromPicture);
  TBitmap again;
  again.Assign(Clipboard());
  EXPECT_EQ(again.Pixel(1, 1), ColorToRGB(clRed));

  Clipboard()->SetAsText("text only");
  EXPECT_THROW(again.Assign(Clipboard()), EConvertError);
}

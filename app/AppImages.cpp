// The program's own artwork; see AppImages.h. Every picture is drawn with the canvas, so
// it looks the same in every install and in tests.
#include "app/AppImages.h"

#include "platform/graphics/ImgList.h"
#include "platform/graphics/Pictures.h"

namespace {

constexpr TColor Transparent = clFuchsia;
constexpr TColor Ink = 0x404040;
constexpr TColor PaperWhite = 0xFFFFFF;
constexpr TColor Blue = 0xC06020;
constexpr TColor Red = 0x2020D0;
constexpr TColor Green = 0x30A030;
constexpr TColor Yellow = 0x40C0F0;

void Pen(TCanvas* c, TColor Color, Integer Width = 1)
{
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetColor(Color);
  c->Pen()->SetWidth(Width);
}

void Fill(TCanvas* c, TColor Color)
{
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color);
}

// A sheet of paper with a folded top-right corner.
void Sheet(TCanvas* c, Integer l, Integer t, Integer r, Integer b)
{
  Pen(c, Ink);
  Fill(c, PaperWhite);
  const TPoint outline[] = {{l, t}, {r - 7, t}, {r, t + 7}, {r, b}, {l, b}};
  c->Polygon(outline, 5);
  const TPoint fold[] = {{r - 7, t}, {r - 7, t + 7}, {r, t + 7}};
  Fill(c, clSilver);
  c->Polygon(fold, 3);
  Pen(c, clSilver);
  for (Integer y = t + 11; y < b - 3; y += 4) {
    c->MoveTo(l + 4, y);
    c->LineTo(r - 4, y);
  }
}

void Plus(TCanvas* c, Integer x, Integer y, TColor Color)
{
  Pen(c, Color, 3);
  c->MoveTo(x - 5, y);
  c->LineTo(x + 6, y);
  c->MoveTo(x, y - 5);
  c->LineTo(x, y + 6);
}

void Check(TCanvas* c, Integer x, Integer y, TColor Color)
{
  Pen(c, Color, 2);
  c->MoveTo(x, y + 3);
  c->LineTo(x + 3, y + 6);
  c->LineTo(x + 9, y - 1);
}

using TDrawIcon = void (*)(TCanvas*);

void IconNew(TCanvas* c)
{
  Sheet(c, 5, 3, 24, 29);
  Plus(c, 24, 23, Green);
}

void IconRename(TCanvas* c)
{
  Sheet(c, 4, 3, 23, 29);
  // A pencil lying across the sheet.
  Pen(c, Ink);
  Fill(c, Yellow);
  const TPoint pencil[] = {{12, 25}, {26, 6}, {30, 9}, {16, 28}};
  c->Polygon(pencil, 4);
  Fill(c, Ink);
  const TPoint tip[] = {{12, 25}, {16, 28}, {11, 30}};
  c->Polygon(tip, 3);
}

void IconDelete(TCanvas* c)
{
  Pen(c, Red, 5);
  c->MoveTo(7, 7);
  c->LineTo(25, 25);
  c->MoveTo(25, 7);
  c->LineTo(7, 25);
}

void IconItems(TCanvas* c)
{
  Pen(c, Ink);
  Fill(c, PaperWhite);
  c->Rectangle(3, 3, 29, 29);
  for (Integer i = 0; i < 3; ++i) {
    const Integer y = 7 + i * 7;
    Pen(c, Ink);
    Fill(c, PaperWhite);
    c->Rectangle(6, y, 11, y + 5);
    Check(c, 6, y, Green);
    Pen(c, Blue, 2);
    c->MoveTo(14, y + 2);
    c->LineTo(26, y + 2);
  }
}

void IconPaper(TCanvas* c)
{
  Sheet(c, 8, 8, 27, 30);
  // Width and height arrows along the top and the left.
  Pen(c, Blue);
  c->MoveTo(8, 3);
  c->LineTo(27, 3);
  c->MoveTo(3, 8);
  c->LineTo(3, 30);
  Fill(c, Blue);
  const TPoint left[] = {{8, 3}, {12, 1}, {12, 5}};
  const TPoint right[] = {{27, 3}, {23, 1}, {23, 5}};
  const TPoint up[] = {{3, 8}, {1, 12}, {5, 12}};
  const TPoint down[] = {{3, 30}, {1, 26}, {5, 26}};
  c->Polygon(left, 3);
  c->Polygon(right, 3);
  c->Polygon(up, 3);
  c->Polygon(down, 3);
}

void IconSave(TCanvas* c)
{
  Pen(c, Ink);
  Fill(c, Blue);
  c->Rectangle(4, 4, 28, 28);
  Fill(c, PaperWhite);
  c->Rectangle(8, 4, 24, 14);
  Fill(c, clSilver);
  c->Rectangle(10, 19, 22, 28);
  Fill(c, Ink);
  c->Rectangle(18, 21, 20, 26);
}

void IconCancel(TCanvas* c)
{
  // An arrow turning back.
  Pen(c, Blue, 3);
  Fill(c, Transparent);
  c->Brush()->SetStyle(bsClear);
  c->Arc(6, 8, 28, 28, 6, 18, 28, 18);
  Fill(c, Blue);
  Pen(c, Blue);
  const TPoint head[] = {{2, 16}, {12, 16}, {7, 24}};
  c->Polygon(head, 3);
}

void IconPreview(TCanvas* c)
{
  Sheet(c, 3, 2, 21, 27);
  Pen(c, Ink, 2);
  Fill(c, 0xF0E0C0);
  c->Ellipse(13, 12, 25, 24);
  Pen(c, Ink, 4);
  c->MoveTo(23, 22);
  c->LineTo(29, 28);
}

void IconExit(TCanvas* c)
{
  // A door and an arrow leaving through it.
  Pen(c, Ink);
  Fill(c, 0x3070A0);
  c->Rectangle(4, 3, 18, 29);
  Fill(c, Yellow);
  c->Ellipse(13, 15, 16, 18);
  Pen(c, Red, 3);
  c->MoveTo(15, 10);
  c->LineTo(27, 10);
  Fill(c, Red);
  Pen(c, Red);
  const TPoint head[] = {{30, 10}, {24, 5}, {24, 15}};
  c->Polygon(head, 3);
}

constexpr TDrawIcon DesignerIcons[] = {IconNew,  IconRename, IconDelete,  IconItems, IconPaper,
                                       IconSave, IconCancel, IconPreview, IconExit};

// A field of the waybill: a box with its printed caption in the top-left corner.
void Field(TCanvas* c, const TRect& r, const char* Caption)
{
  Pen(c, 0x3030A0);
  c->Brush()->SetStyle(bsClear);
  c->Rectangle(r);
  c->Font()->SetColor(0x3030A0);
  c->Font()->SetHeight(-14);
  c->TextOut(r.Left + 6, r.Top + 5, Caption);
}

} // namespace

void AddDesignerToolImages(TCustomImageList* List)
{
  TBitmap bitmap(32, 32);
  for (TDrawIcon draw : DesignerIcons) {
    TCanvas* c = bitmap.Canvas();
    Fill(c, Transparent);
    c->FillRect(Rect(0, 0, 32, 32));
    draw(c);
    List->AddMasked(&bitmap, Transparent);
  }
}

void DrawLoginOperatorPicture(TBitmap* Bitmap)
{
  Bitmap->SetSize(48, 48);
  TCanvas* c = Bitmap->Canvas();
  Fill(c, PaperWhite);
  c->FillRect(Rect(0, 0, 48, 48));
  // A head and shoulders, with a key in front.
  Pen(c, Blue);
  Fill(c, 0xE0B080);
  c->Ellipse(14, 4, 32, 22);
  c->Chord(6, 22, 40, 56, 40, 39, 6, 39);
  Pen(c, Ink);
  Fill(c, Yellow);
  c->Ellipse(24, 28, 36, 40);
  c->Rectangle(35, 32, 47, 36);
  c->Rectangle(42, 36, 45, 41);
}

void DrawLoginProductPicture(TBitmap* Bitmap)
{
  Bitmap->SetSize(64, 48);
  TCanvas* c = Bitmap->Canvas();
  Fill(c, PaperWhite);
  c->FillRect(Rect(0, 0, 64, 48));
  // Three waybills fanned out.
  for (Integer i = 0; i < 3; ++i) {
    Pen(c, Ink);
    Fill(c, i == 2 ? 0xD0F0FF : PaperWhite);
    c->Rectangle(6 + i * 8, 4 + i * 6, 42 + i * 8, 30 + i * 6);
    Pen(c, Red);
    c->MoveTo(10 + i * 8, 12 + i * 6);
    c->LineTo(36 + i * 8, 12 + i * 6);
  }
}

void DrawSplashPicture(TBitmap* Bitmap)
{
  Bitmap->SetSize(386, 200);
  TCanvas* c = Bitmap->Canvas();
  // A band of blue fading to green behind the product's name.
  for (Integer y = 0; y < 200; ++y) {
    const Integer k = y * 255 / 199;
    Fill(c, static_cast<TColor>((0x60 + k / 4) << 16 | (0x70 + k / 3) << 8 | 0x20));
    c->FillRect(Rect(0, y, 386, y + 1));
  }
  c->Brush()->SetStyle(bsClear);
  c->Font()->SetName("黑体");
  c->Font()->SetHeight(-28);
  c->Font()->SetColor(PaperWhite);
  c->TextOut(24, 70, "青禾快递单打印管理系统");
  c->Font()->SetHeight(-14);
  c->TextOut(26, 120, "单机版 1.0.131205");
}

void DrawSampleWaybill(TBitmap* Bitmap)
{
  Bitmap->SetSize(1000, 600);
  TCanvas* c = Bitmap->Canvas();
  Fill(c, 0xF4F8FF);
  c->FillRect(Rect(0, 0, 1000, 600));
  c->Font()->SetName("宋体");
  c->Brush()->SetStyle(bsClear);
  c->Font()->SetHeight(-30);
  c->Font()->SetColor(0x3030A0);
  c->TextOut(30, 20, "青禾快递 详情单");
  Pen(c, 0x3030A0, 2);
  c->Rectangle(20, 70, 980, 580);
  Field(c, Rect(20, 70, 500, 130), "寄件人姓名");
  Field(c, Rect(500, 70, 980, 130), "收件人姓名");
  Field(c, Rect(20, 130, 500, 190), "寄件人电话");
  Field(c, Rect(500, 130, 980, 190), "收件人电话");
  Field(c, Rect(20, 190, 500, 310), "寄件人地址");
  Field(c, Rect(500, 190, 980, 310), "收件人地址");
  Field(c, Rect(20, 310, 500, 370), "寄件公司");
  Field(c, Rect(500, 310, 980, 370), "收件公司");
  Field(c, Rect(20, 370, 340, 460), "内件品名");
  Field(c, Rect(340, 370, 660, 460), "件数 / 重量");
  Field(c, Rect(660, 370, 980, 460), "保价金额");
  Field(c, Rect(20, 460, 500, 580), "寄件人签名");
  Field(c, Rect(500, 460, 980, 580), "收件人签名及日期");
}

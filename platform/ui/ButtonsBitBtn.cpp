// The bitmap button (TBitBtn): a push button with a glyph that draws itself as an
// owner-drawn button, and the kinds with their captions, glyphs and modal results.
// Buttons.h describes it.
#include "platform/rtl/TypInfo.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/ButtonsPrivate.h"
#include "platform/ui/StdPaint.h"

void buttons::RegisterBitBtnClasses()
{
  RegisterEnumType<TBitBtnKind>("TBitBtnKind",
                                {"bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo",
                                 "bkClose", "bkAbort", "bkRetry", "bkIgnore", "bkAll"});
  RegisterEnumType<TButtonStyle>("TButtonStyle", {"bsAutoDetect", "bsWin31", "bsNew"});
  TClassRegistration<TBitBtn, TButton>("TBitBtn")
      .Property("Glyph", &TBitBtn::Glyph, &TBitBtn::SetGlyph)
      .Property("Kind", &TBitBtn::Kind, &TBitBtn::SetKind)
      .Default(bkCustom)
      .Property("Layout", &TBitBtn::Layout, &TBitBtn::SetLayout)
      .Default(blGlyphLeft)
      .Property("Margin", &TBitBtn::Margin, &TBitBtn::SetMargin)
      .Default(-1)
      .Property("NumGlyphs", &TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs)
      .Default(1)
      .Property("Spacing", &TBitBtn::Spacing, &TBitBtn::SetSpacing)
      .Default(4)
      .Property("Style", &TBitBtn::Style, &TBitBtn::SetStyle)
      .Default(bsAutoDetect);
}

namespace {

struct TKindInfo {
  const char* Caption;
  TModalResult Result;
};
// grep ORDER TBitBtnKind
const TKindInfo kKinds[] = {
    {"", mrNone},      {"确定", mrOk},     {"取消", mrCancel}, {"帮助", mrNone},
    {"是(&Y)", mrYes}, {"否(&N)", mrNo},   {"关闭", mrNone},   {"中止", mrAbort},
    {"重试", mrRetry}, {"忽略", mrIgnore}, {"全部", mrAll},
};
static_assert(sizeof(kKinds) / sizeof(kKinds[0]) == bkAll + 1, "one entry per TBitBtnKind");

constexpr Integer kGlyphSize = 16;
constexpr TColor kGlyphBack = clOlive; // the transparent colour (bottom-left pixel)

// The kinds' glyphs, our own artwork: drawn once on a 16 x 16 bitmap.
void DrawKindGlyph(TBitBtnKind Kind, TBitmap& Glyph)
{
  Glyph.SetWidth(kGlyphSize);
  Glyph.SetHeight(kGlyphSize);
  TCanvas* c = Glyph.Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(kGlyphBack);
  c->FillRect(Rect(0, 0, kGlyphSize, kGlyphSize));
  c->Pen()->SetWidth(1);
  auto thick = [c](TColor color, std::initializer_list<TPoint> points) {
    c->Pen()->SetColor(color);
    for (Integer d = 0; d < 3; ++d) {
      const TPoint* p = points.begin();
      c->MoveTo(p->X, p->Y + d);
      for (++p; p != points.end(); ++p)
        c->LineTo(p->X, p->Y + d);
    }
  };
  auto letter = [c](TColor color, const char* text) {
    c->Font()->SetColor(color);
    c->Font()->SetStyle(TFontStyles{fsBold});
    c->Font()->SetHeight(-14);
    c->Brush()->SetStyle(bsClear);
    TRect r = Rect(0, 0, kGlyphSize, kGlyphSize);
    c->DrawText(text, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  };
  switch (Kind) {
  case bkOK:
  case bkYes:
    thick(clGreen, {{2, 7}, {6, 11}, {14, 3}});
    break;
  case bkAll:
    thick(clGreen, {{0, 6}, {3, 9}, {9, 3}});
    thick(clGreen, {{5, 9}, {8, 12}, {15, 5}});
    break;
  case bkCancel:
  case bkAbort:
    thick(clRed, {{3, 2}, {13, 12}});
    thick(clRed, {{13, 2}, {3, 12}});
    break;
  case bkNo:
    c->Pen()->SetColor(clRed);
    c->Pen()->SetWidth(2);
    c->Brush()->SetStyle(bsClear);
    c->Ellipse(2, 2, 14, 14);
    c->MoveTo(4, 12);
    c->LineTo(12, 4);
    break;
  case bkHelp:
    letter(clNavy, "?");
    break;
  case bkClose:
    c->Brush()->SetColor(clTeal);
    c->FillRect(Rect(3, 2, 10, 14));
    thick(clMaroon, {{8, 6}, {14, 6}});
    break;
  case bkRetry:
    c->Pen()->SetColor(clGreen);
    c->Pen()->SetWidth(2);
    c->Arc(2, 2, 14, 14, 14, 8, 8, 2);
    thick(clGreen, {{10, 0}, {8, 2}, {10, 4}});
    break;
  case bkIgnore:
    letter(clNavy, "!");
    break;
  case bkCustom:
    break;
  }
}

} // namespace

TBitBtn::TBitBtn(TComponent* AOwner)
    : TButton(AOwner), FGlyph(std::make_unique<TBitmap>()), FDrawCanvas(std::make_unique<TCanvas>())
{
  FGlyph->OnChange = TNotifyEvent::Bind(this, &TBitBtn::GlyphChanged);
}

TBitBtn::~TBitBtn()
{
  FGlyph->OnChange = nullptr;
}

void TBitBtn::CreateParams(TCreateParams& Params)
{
  TButton::CreateParams(Params);
  Params.Style = (Params.Style & ~DWORD(BS_TYPEMASK)) | BS_OWNERDRAW;
}

// A kind holds while the button keeps what the kind gave it.
TBitBtnKind TBitBtn::Kind() const
{
  if (FKind == bkCustom)
    return bkCustom;
  bool defaultKind = FKind == bkOK || FKind == bkYes;
  bool cancelKind = FKind == bkCancel || FKind == bkNo;
  if (defaultKind != Default() || cancelKind != Cancel() || ModalResult() != kKinds[FKind].Result ||
      FModifiedGlyph)
    return bkCustom;
  return FKind;
}

void TBitBtn::SetKind(TBitBtnKind Value)
{
  if (Value == FKind && Value == Kind())
    return;
  FKind = Value;
  if (Value == bkCustom)
    return;
  SetDefault(Value == bkOK || Value == bkYes);
  SetCancel(Value == bkCancel || Value == bkNo);
  SetModalResult(kKinds[Value].Result);
  // A form being read keeps the caption it gives.
  if (!ComponentState().Contains(csLoading) || Caption().empty())
    SetCaption(kKinds[Value].Caption);
  DrawKindGlyph(Value, *FGlyph);
  FNumGlyphs = 1;
  FModifiedGlyph = false;
  Invalidate();
}

void TBitBtn::GlyphChanged(TObject*)
{
  Invalidate();
}

void TBitBtn::SetGlyph(TBitmap* Value)
{
  FGlyph->Assign(Value);
  if (Value && Value->Height() > 0 && Value->Width() % Value->Height() == 0) {
    Integer n = Value->Width() / Value->Height();
    if (n >= 1 && n <= 4)
      FNumGlyphs = n;
  }
  FModifiedGlyph = true;
  Invalidate();
}

void TBitBtn::SetNumGlyphs(Integer Value)
{
  Value = std::clamp(Value, 1, 4);
  if (Value == FNumGlyphs)
    return;
  FNumGlyphs = Value;
  Invalidate();
}

void TBitBtn::SetLayout(TButtonLayout Value)
{
  if (Value == FLayout)
    return;
  FLayout = Value;
  Invalidate();
}

void TBitBtn::SetMargin(Integer Value)
{
  if (Value == FMargin || Value < -1)
    return;
  FMargin = Value;
  Invalidate();
}

void TBitBtn::SetSpacing(Integer Value)
{
  if (Value == FSpacing)
    return;
  FSpacing = Value;
  Invalidate();
}

// A Close button closes its form; the others act as push buttons.
void TBitBtn::Click()
{
  if (FKind == bkClose && Kind() == bkClose) {
    if (TCustomForm* form = GetParentForm(this)) {
      form->Close();
      return;
    }
  }
  TButton::Click();
}

void TBitBtn::Dispatch(TMessage& Message)
{
  if (Message.Msg == CN_DRAWITEM) {
    DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(Message.LParam));
    Message.Result = 1;
    return;
  }
  TButton::Dispatch(Message);
}

void TBitBtn::DrawItem(const DRAWITEMSTRUCT& Item)
{
  BindCanvasToDC(*FDrawCanvas, Item.hDC);
  TCanvas* c = FDrawCanvas.get();
  bool down = Item.itemState & ODS_SELECTED;
  bool disabled = Item.itemState & ODS_DISABLED;
  TPaintState state;
  if (down)
    state.Include(psPushed);
  if (DefaultLook())
    state.Include(psDefault);
  TRect content = PaintButtonFace(c, Item.rcItem, state);
  c->SetFont(Font());
  c->Font()->SetColor(clBtnText);
  TButtonState glyphState = disabled ? bsDisabled : down ? bsDown : bsUp;
  DrawButtonGlyphAndCaption(c, content, FGlyph.get(), FNumGlyphs, glyphState, Caption(), FLayout,
                            FMargin, FSpacing);
  if (Item.itemState & ODS_FOCUS) {
    TRect focus = Item.rcItem;
    InflateRect(focus, -4, -4);
    c->Brush()->SetStyle(bsSolid);
    c->DrawFocusRect(focus);
  }
  BindCanvasToDC(*FDrawCanvas, 0);
}

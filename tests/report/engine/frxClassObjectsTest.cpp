// The report object classes: every class through the serializer with its published
// properties, creation defaults, difference texts, frames and formats, bands, pages,
// datasets, and a waybill definition as the program's generator writes it.
#include <cmath>
#include <functional>
#include <map>

#include <gtest/gtest.h>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/TypInfo.h"
#include "platform/rtl/Variants.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxDMPClass.h"
#include "report/engine/frxDrawText.h"
#include "report/engine/frxDsgnIntf.h"
#include "report/engine/frxXMLSerializer.h"

namespace {

AnsiString SaveReport(TfrxReport* Report)
{
  TStringStream out;
  Report->SaveToStream(&out);
  return out.DataString();
}

std::unique_ptr<TfrxReport> LoadReport(const AnsiString& Text)
{
  auto loaded = std::make_unique<TfrxReport>(nullptr);
  TStringStream in(Text);
  loaded->LoadFromStream(&in);
  return loaded;
}

AnsiString Attributes(TPersistent* Obj)
{
  TfrxXMLSerializer serializer(nullptr);
  return serializer.ObjToXML(Obj);
}

bool Has(const AnsiString& Text, const AnsiString& Part)
{
  return Text.find(Part) != AnsiString::npos;
}

// Gives every writable published property a value other than its default (or, without
// one, other than its current value), walking into frames, highlights and formats.
void FillProperties(TObject* Obj)
{
  for (PPropInfo prop : GetPropInfos(Obj->ClassType())) {
    if (prop->ReadOnly() || SameText(prop->Name, "Name"))
      continue;
    PTypeInfo type = prop->PropType;
    switch (prop->Kind()) {
    case tkEnumeration: {
      const NativeInt base = prop->HasDefault ? prop->Default : GetOrdProp(Obj, prop);
      SetOrdProp(Obj, prop, base == type->MaxValue ? type->MinValue : type->MaxValue);
      break;
    }
    case tkInteger:
      SetOrdProp(Obj, prop, (prop->HasDefault ? prop->Default : GetOrdProp(Obj, prop)) + 3);
      break;
    case tkSet:
      SetOrdProp(Obj, prop, 1 | (NativeInt(1) << type->CompType->MaxValue));
      break;
    case tkFloat:
      SetFloatProp(Obj, prop, GetFloatProp(Obj, prop) + 12.5);
      break;
    case tkString:
    case tkLString:
      SetStrProp(Obj, prop, "v \"1\" <" + prop->Name + ">");
      break;
    case tkClass: {
      TObject* value = GetObjectProp(Obj, prop);
      if (auto* strings = dynamic_cast<TStrings*>(value))
        strings->SetText("first\r\n\xB5\xDA\xB6\xFE line");
      else if (auto* font = dynamic_cast<TFont*>(value))
        font->SetName("Courier New");
      else if (dynamic_cast<TfrxFrame*>(value) || dynamic_cast<TfrxHighlight*>(value) ||
               dynamic_cast<TfrxFormat*>(value))
        FillProperties(value);
      break;
    }
    default:
      break;
    }
  }
}

// Every report object class a file can name, with the parent it is created under.
struct TClassCase {
  const char* Name;
  bool OnReport; // a page: a child of the report, not of the first page
};

const TClassCase ClassCases[] = {
    {"TfrxMemoView", false},      {"TfrxSysMemoView", false},    {"TfrxCustomMemoView", false},
    {"TfrxLineView", false},      {"TfrxCustomLineView", false}, {"TfrxPictureView", false},
    {"TfrxShapeView", false},     {"TfrxSubreport", false},      {"TfrxReportTitle", false},
    {"TfrxReportSummary", false}, {"TfrxPageHeader", false},     {"TfrxPageFooter", false},
    {"TfrxHeader", false},        {"TfrxFooter", false},         {"TfrxMasterData", false},
    {"TfrxDetailData", false},    {"TfrxSubdetailData", false},  {"TfrxDataBand4", false},
    {"TfrxDataBand5", false},     {"TfrxDataBand6", false},      {"TfrxGroupHeader", false},
    {"TfrxGroupFooter", false},   {"TfrxChild", false},          {"TfrxColumnHeader", false},
    {"TfrxColumnFooter", false},  {"TfrxOverlay", false},        {"TfrxNullBand", false},
    {"TfrxDMPMemoView", false},   {"TfrxDMPLineView", false},    {"TfrxReportPage", true},
    {"TfrxDialogPage", true},     {"TfrxDMPPage", true},
};

} // namespace

TEST(frxObjects, EveryClassRoundTripsWithItsPublishedProperties)
{
  for (const TClassCase& c : ClassCases) {
    SCOPED_TRACE(c.Name);
    TClass cls = GetClass(c.Name);
    ASSERT_NE(cls, nullptr);
    TfrxReport report(nullptr);
    auto* page = new TfrxReportPage(&report);
    page->SetName("Page1");
    auto* obj = static_cast<TfrxComponent*>(
        cls->Create(c.OnReport ? static_cast<TComponent*>(&report) : page));
    obj->SetName("Obj");
    FillProperties(obj);
    const AnsiString written = Attributes(obj);
    // Every ordinal, float and string property now differs from its default: all are written.
    for (PPropInfo prop : GetPropInfos(cls)) {
      const TTypeKind kind = prop->Kind();
      if (kind == tkMethod || kind == tkClass || SameText(prop->Name, "Name") || prop->ReadOnly())
        continue;
      EXPECT_TRUE(Has(written, " " + prop->Name + "=\"")) << prop->Name.c_str();
    }
    auto loaded = LoadReport(SaveReport(&report));
    auto* copy = loaded->FindObject("Obj");
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->ClassType(), cls);
    EXPECT_EQ(Attributes(copy), written);
    EXPECT_TRUE(loaded->Errors()->Count() == 0) << loaded->Errors()->Text().c_str();
  }
}

TEST(frxObjects, DefaultsAreNotWritten)
{
  struct TCase {
    const char* Class;
    const char* Expected; // the attribute text of a new object
  } cases[] = {
      {"TfrxMemoView", " Left=\"0\" Top=\"0\" Width=\"0\" Height=\"0\" Memo.Text=\"\""},
      {"TfrxLineView", " Left=\"0\" Top=\"0\" Width=\"0\" Height=\"0\""},
      {"TfrxShapeView", " Left=\"0\" Top=\"0\" Width=\"0\" Height=\"0\""},
      // Frame, colour and font are not published for subreports.
      {"TfrxSubreport", " Left=\"0\" Top=\"0\" Width=\"0\" Height=\"0\""},
      {"TfrxPageFooter", " Height=\"0\" Left=\"0\" Top=\"0\" Width=\"0\""},
      // RowCount has no default and is always written.
      {"TfrxMasterData",
       " Height=\"0\" Left=\"0\" Top=\"0\" Width=\"0\" ColumnWidth=\"0\" ColumnGap=\"0\" "
       "RowCount=\"0\""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Class);
    TfrxReport report(nullptr);
    auto* page = new TfrxReportPage(&report);
    auto* obj = static_cast<TfrxComponent*>(GetClass(c.Class)->Create(page));
    EXPECT_EQ(Attributes(obj), c.Expected);
  }

  TfrxReport report(nullptr);
  auto* page = new TfrxReportPage(&report);
  auto* footer = new TfrxPageFooter(page);
  footer->SetPrintOnLastPage(false);
  EXPECT_TRUE(Has(Attributes(footer), " PrintOnLastPage=\"False\""));
  const AnsiString pageText = Attributes(page);
  EXPECT_TRUE(Has(pageText, " PaperWidth=\"210\" PaperHeight=\"297\" PaperSize=\"9\""));
  EXPECT_FALSE(Has(pageText, "Orientation"));
  EXPECT_FALSE(Has(pageText, "Bin"));
  EXPECT_FALSE(Has(pageText, "PrintIfEmpty"));
}

TEST(frxObjects, CreationDefaults)
{
  TfrxReport report(nullptr);
  auto* page = new TfrxReportPage(&report);
  auto* memo = new TfrxMemoView(page);
  EXPECT_TRUE(memo->AllowExpressions());
  EXPECT_TRUE(memo->WordWrap());
  EXPECT_TRUE(memo->ParentFont());
  EXPECT_FALSE(memo->StoreAllProperties());
  EXPECT_EQ(memo->ExpressionDelimiters(), "[,]");
  EXPECT_EQ(memo->GapX(), 2);
  EXPECT_EQ(memo->GapY(), 1);
  EXPECT_EQ(memo->LineSpacing(), 2);
  EXPECT_EQ(memo->Color(), clNone);
  EXPECT_EQ(memo->ShiftMode(), smAlways);
  EXPECT_TRUE(memo->Printable());
  EXPECT_TRUE(VarIsNull(memo->LastValue()));
  EXPECT_EQ(memo->Frame()->Width(), 1);
  EXPECT_EQ(memo->Frame()->ShadowWidth(), 4);
  EXPECT_TRUE(memo->Frame()->Typ().Empty());
  EXPECT_EQ(memo->Highlight()->Color(), clNone);
  EXPECT_EQ(memo->Highlight()->Font()->Color(), 255);
  EXPECT_EQ(memo->Highlight()->Font()->Name(), "Arial");

  auto* shape = new TfrxShapeView(page);
  EXPECT_TRUE(shape->StoreAllProperties());
  EXPECT_EQ((new TfrxPictureView(page))->Color(), clWhite);

  auto* sub = new TfrxSubreport(page);
  EXPECT_EQ(sub->Color(), clSilver);
  EXPECT_EQ(sub->Frame()->Typ(), (TfrxFrameTypes{ftLeft, ftRight, ftTop, ftBottom}));
  EXPECT_EQ(sub->Font()->Name(), "Tahoma");
  EXPECT_EQ(sub->Font()->Size(), 8);

  EXPECT_EQ(page->PaperSize(), 9);
  EXPECT_EQ(page->PaperWidth(), 210);
  EXPECT_EQ(page->PaperHeight(), 297);
  EXPECT_EQ(page->Width(), 794);
  EXPECT_EQ(page->Bin(), 7);
  EXPECT_TRUE(page->PrintIfEmpty());
  EXPECT_TRUE(page->TitleBeforeHeader());
  EXPECT_EQ(page->Color(), clNone);

  auto* dialog = new TfrxDialogPage(&report);
  EXPECT_EQ(dialog->Color(), -16777201);
  EXPECT_EQ(dialog->Font()->Name(), "Tahoma");
  EXPECT_TRUE(Has(Attributes(dialog), " Caption") == false);
  auto* footer = new TfrxPageFooter(page);
  EXPECT_TRUE(footer->PrintOnFirstPage());
  EXPECT_TRUE(footer->PrintOnLastPage());
  EXPECT_EQ(footer->OriginalObjectsCount(), -1);

  // The palette's flags choose a line's diagonal and a shape's kind.
  auto* line = static_cast<TfrxLineView*>(
      TfrxComponent::CreateForDesign(ClassInfoOf<TfrxLineView>(), page, 1));
  EXPECT_TRUE(line->Diagonal());
  auto* ellipse = static_cast<TfrxShapeView*>(
      TfrxComponent::CreateForDesign(ClassInfoOf<TfrxShapeView>(), page, skEllipse));
  EXPECT_EQ(ellipse->Shape(), skEllipse);
}

TEST(frxObjects, MemoProperties)
{
  TfrxMemoView memo(nullptr);
  memo.SetRotation(450);
  EXPECT_EQ(memo.Rotation(), 90);
  memo.SetRotation(-90);
  EXPECT_EQ(memo.Rotation(), -90);

  // The highlight is written only with a condition.
  memo.Highlight()->SetColor(clYellow);
  EXPECT_FALSE(Has(Attributes(&memo), "Highlight."));
  memo.Highlight()->SetCondition("  ");
  EXPECT_FALSE(Has(Attributes(&memo), "Highlight."));
  memo.Highlight()->SetCondition("Value > 100");
  const AnsiString text = Attributes(&memo);
  EXPECT_TRUE(Has(text, " Highlight.Color=\"65535\""));
  EXPECT_TRUE(Has(text, " Highlight.Condition=\"Value &#62; 100\"") ||
              Has(text, " Highlight.Condition=\"Value > 100\""));

  // Assign copies font, colour and condition but not Active.
  TfrxHighlight other;
  other.SetActive(true);
  other.Assign(memo.Highlight());
  EXPECT_TRUE(other.Active());
  EXPECT_EQ(other.Color(), clYellow);
  EXPECT_EQ(other.Condition(), "Value > 100");
  memo.Highlight()->SetActive(true);
  TfrxHighlight fresh;
  fresh.Assign(memo.Highlight());
  EXPECT_FALSE(fresh.Active());

  TfrxFrame frame;
  frame.SetTyp(TfrxFrameTypes{ftLeft, ftBottom});
  frame.SetStyle(fsDouble);
  frame.SetShadowWidth(2);
  frame.SetDropShadow(true);
  frame.SetColor(clRed);
  frame.SetShadowColor(clBlue);
  frame.SetWidth(3);
  TfrxFrame copy;
  copy.Assign(&frame);
  EXPECT_EQ(copy.Diff(&frame), "");
  EXPECT_EQ(Attributes(&copy), Attributes(&frame));

  TfrxFormat format;
  format.SetKind(fkNumeric);
  format.SetFormatStr("%2.2f");
  format.SetDecimalSeparator(",");
  TfrxFormat formatCopy;
  formatCopy.Assign(&format);
  EXPECT_EQ(formatCopy.Kind(), fkNumeric);
  EXPECT_EQ(formatCopy.FormatStr(), "%2.2f");
  EXPECT_EQ(formatCopy.DecimalSeparator(), ",");

  // A FlowTo target that goes away leaves no dangling reference.
  TfrxReport report(nullptr);
  auto* page = new TfrxReportPage(&report);
  auto* first = new TfrxMemoView(page);
  auto* second = new TfrxMemoView(page);
  first->SetFlowTo(second);
  delete second;
  EXPECT_EQ(first->FlowTo(), nullptr);
}

TEST(frxObjects, FormatData)
{
  struct TCase {
    const char* Name;
    TfrxFormatKind Kind;
    const char* FormatStr;
    const char* Separator;
    Variant Value;
    const char* Expected;
  } cases[] = {
      {"numeric printf", fkNumeric, "%2.2f", "", Variant(3.14159), "3.14"},
      {"numeric comma", fkNumeric, "%2.2f", ",", Variant(3.14159), "3,14"},
      {"numeric picture", fkNumeric, "#,##0.00", ".", Variant(1234.5), "1,234.50"},
      {"boolean true", fkBoolean, "Y,N", "", Variant(true), "Y"},
      {"boolean false", fkBoolean, "Y,N", "", Variant(false), "N"},
      {"date", fkDateTime, "yyyy-mm-dd", "", Variant(EncodeDate(2026, 12, 10)), "2026-12-10"},
      {"null", fkNumeric, "%2.2f", "", Null(), ""},
      {"text", fkText, "%2.2f", "", Variant(3.5), "3.5"},
      {"formatter failure", fkNumeric, "%2.2f", "", Variant(AnsiString("abc")), "abc"},
  };
  TfrxMemoView memo(nullptr);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TfrxFormat format;
    format.SetKind(c.Kind);
    format.SetFormatStr(c.FormatStr);
    format.SetDecimalSeparator(c.Separator);
    EXPECT_EQ(memo.FormatData(c.Value, &format), c.Expected);
  }
  memo.DisplayFormat()->SetKind(fkBoolean);
  memo.DisplayFormat()->SetFormatStr("yes,no");
  EXPECT_EQ(memo.FormatData(Variant(true)), "yes");
}

TEST(frxObjects, DifferenceTexts)
{
  TfrxReport report(nullptr);
  auto* page = new TfrxReportPage(&report);
  auto* source = new TfrxMemoView(page);
  auto* memo = new TfrxMemoView(page);
  source->SetBounds(10, 20, 100, 18);
  memo->SetBounds(10, 20, 100, 18);

  // The text is always given; nothing else while the objects agree.
  EXPECT_EQ(memo->Diff(source), " x=\"\"");
  memo->SetText("one");
  EXPECT_EQ(memo->Diff(source), " x=\"one\"");
  memo->SetText("a<b\r\nline 2\r\n");
  EXPECT_EQ(memo->Diff(source), " x=\"a&#60;b&#13;&#10;line 2\"");

  memo->SetText("");
  memo->SetColor(clRed);
  memo->SetBrushStyle(bsCross);
  memo->SetAlign(baRight);
  memo->Frame()->SetTyp(TfrxFrameTypes{ftLeft, ftTop});
  memo->Frame()->SetWidth(2.5);
  memo->SetTagStr("A&B");
  memo->SetPrintable(false);
  memo->SetGapX(4);
  memo->SetHAlign(haCenter);
  memo->Highlight()->SetActive(true);
  memo->SetRotation(90);
  memo->SetWordWrap(false);
  memo->SetTop(30);
  // Aligned objects leave out their left position.
  memo->SetLeft(50);
  EXPECT_EQ(memo->Diff(source),
            " t=\"30\" BrushStyle=\"6\" Align=\"2\" Color=\"255\" Frame.Typ=\"5\""
            " Frame.Width=\"2.5\" Printable=\"0\" TagStr=\"A&#38;B\" GapX=\"4\" HAlign=\"2\""
            " Highlight.Active=\"1\" x=\"\" Rotation=\"90\" WordWrap=\"0\"");

  auto* shape = new TfrxShapeView(page);
  auto* shapeSource = new TfrxShapeView(page);
  EXPECT_EQ(shape->Diff(shapeSource), "");
  shape->SetShape(skDiamond);
  shape->Frame()->SetDropShadow(true);
  EXPECT_EQ(shape->Diff(shapeSource), " Frame.DropShadow=\"1\" Shape=\"4\"");

  // Bands always give their top.
  auto* band = new TfrxMasterData(page);
  auto* bandSource = new TfrxMasterData(page);
  EXPECT_EQ(band->Diff(bandSource), " t=\"0\"");
}

TEST(frxObjects, FrameDrawing)
{
  // A 10 x 10 object at (5, 5) on a white 30 x 30 bitmap at scale 1.
  auto drawn = [](const std::function<void(TfrxView*)>& setUp) {
    auto bitmap = std::make_unique<TBitmap>(30, 30);
    bitmap->Canvas()->Brush()->SetColor(clWhite);
    bitmap->Canvas()->FillRect(Rect(0, 0, 30, 30));
    TfrxShapeView view(nullptr);
    view.SetBounds(5, 5, 10, 10);
    view.SetShape(skDiagonal1);
    view.Frame()->SetWidth(0); // the shape itself draws nothing: only frame and background
    setUp(&view);
    view.TfrxView::Draw(bitmap->Canvas(), 1, 1, 0, 0);
    return bitmap;
  };
  auto black = [](TBitmap* b, Integer x, Integer y) {
    return b->Canvas()->Pixels(x, y) == clBlack;
  };

  // A closed rectangle, its bottom-right pixel included.
  auto box = drawn([](TfrxView* v) {
    v->Frame()->SetTyp(TfrxFrameTypes{ftLeft, ftRight, ftTop, ftBottom});
    v->Frame()->SetWidth(1);
  });
  for (auto [x, y] :
       {std::pair{5, 5}, {15, 5}, {5, 15}, {15, 15}, {10, 5}, {5, 10}, {15, 10}, {10, 15}})
    EXPECT_TRUE(black(box.get(), x, y)) << x << "," << y;
  EXPECT_FALSE(black(box.get(), 10, 10));
  EXPECT_FALSE(black(box.get(), 16, 16));

  // No background for clNone with a solid brush; a colour fills the rectangle.
  auto plain = drawn([](TfrxView*) {});
  EXPECT_EQ(plain->Canvas()->Pixels(10, 10), clWhite);
  auto filled = drawn([](TfrxView* v) { v->SetColor(clRed); });
  EXPECT_EQ(filled->Canvas()->Pixels(10, 10), clRed);

  // Width 0 draws no frame, but the drop shadow still appears, inside the bounds.
  auto shadow = drawn([](TfrxView* v) {
    v->Frame()->SetTyp(TfrxFrameTypes{ftLeft, ftRight, ftTop, ftBottom});
    v->Frame()->SetWidth(0);
    v->Frame()->SetDropShadow(true);
    v->Frame()->SetShadowWidth(4);
  });
  EXPECT_FALSE(black(shadow.get(), 5, 5));
  EXPECT_TRUE(black(shadow.get(), 13, 12)); // the shadow right of the shrunken area (x1 = 11)
  EXPECT_TRUE(black(shadow.get(), 10, 13)); // and below it (y1 = 11)

  TfrxShapeView measured(nullptr);
  measured.SetBounds(5, 5, 10, 10);
  measured.Frame()->SetDropShadow(true);
  TBitmap bitmap(30, 30);
  measured.BeginDraw(bitmap.Canvas(), 1, 1, 0, 0);
  EXPECT_EQ(measured.DX(), 6);
  EXPECT_EQ(measured.DY(), 6);

  // A double frame of width 2: one rectangle 2 pixels outside, one 2 pixels inside.
  auto twice = drawn([](TfrxView* v) {
    v->Frame()->SetTyp(TfrxFrameTypes{ftLeft, ftRight, ftTop, ftBottom});
    v->Frame()->SetStyle(fsDouble);
    v->Frame()->SetWidth(2);
  });
  EXPECT_TRUE(black(twice.get(), 3, 10));  // outer left
  EXPECT_TRUE(black(twice.get(), 7, 10));  // inner left
  EXPECT_FALSE(black(twice.get(), 5, 10)); // the gap on the edge itself
  EXPECT_TRUE(black(twice.get(), 10, 3));  // outer top
  EXPECT_TRUE(black(twice.get(), 10, 17)); // outer bottom
  EXPECT_TRUE(black(twice.get(), 17, 10)); // outer right
}

TEST(frxObjects, LineBecomesHorizontalOrVertical)
{
  TBitmap bitmap(200, 200);
  TfrxLineView line(nullptr);
  line.SetBounds(10, 10, 100, 20);
  line.Draw(bitmap.Canvas(), 1, 1, 0, 0);
  EXPECT_EQ(line.Height(), 0);
  EXPECT_EQ(line.Frame()->Typ(), TfrxFrameTypes{ftTop});
  line.SetBounds(10, 10, 20, 100);
  line.Draw(bitmap.Canvas(), 1, 1, 0, 0);
  EXPECT_EQ(line.Width(), 0);
  EXPECT_EQ(line.Frame()->Typ(), TfrxFrameTypes{ftLeft});
}

TEST(frxObjects, Bands)
{
  TfrxReport report(nullptr);
  auto* page = new TfrxReportPage(&report);
  struct TCase {
    TfrxBand* Band;
    Integer Kind;
    const char* Short;
  } cases[] = {
      {new TfrxReportTitle(page), 0, "ReportTitle"},
      {new TfrxPageFooter(page), 3, "PageFooter"},
      {new TfrxDetailData(page), 7, "DetailData"},
      {new TfrxDataBand4(page), 9, "Data4"},
      {new TfrxGroupHeader(page), 12, "GroupHeader"},
      {new TfrxOverlay(page), 17, "Overlay"},
      {new TfrxNullBand(page), 0, "Null"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Short);
    EXPECT_EQ(c.Band->KindIndex(), c.Kind);
    EXPECT_EQ(c.Band->ShortClassName(), c.Short);
  }

  auto* data = new TfrxMasterData(page);
  data->SetRowCount(5);
  EXPECT_EQ(data->VirtualDataSet()->RangeEndCount(), 5);
  EXPECT_EQ(data->VirtualDataSet()->RangeEnd(), reCount);
  data->SetColumns(2);
  data->SetColumnWidth(100);
  data->SetColumnGap(10);
  data->SetCurColumn(2);
  EXPECT_EQ(data->CurColumn(), 2);
  EXPECT_EQ(data->Left(), 110);
  data->SetCurColumn(3);
  EXPECT_EQ(data->CurColumn(), 1);
  EXPECT_EQ(data->Left(), 0);

  // A child band that goes away is dropped from its parent band.
  auto* child = new TfrxChild(page);
  auto* title = static_cast<TfrxBand*>(cases[0].Band);
  title->SetChild(child);
  child->SetName("Child1");
  title->SetName("Title1");
  auto loaded = LoadReport(SaveReport(&report));
  auto* loadedTitle = dynamic_cast<TfrxReportTitle*>(loaded->FindObject("Title1"));
  ASSERT_NE(loadedTitle, nullptr);
  EXPECT_EQ(loadedTitle->Child(), loaded->FindObject("Child1"));
  delete child;
  EXPECT_EQ(title->Child(), nullptr);

  // A band on a dot-matrix page snaps to the character grid.
  auto* dmp = new TfrxDMPPage(&report);
  auto* band = new TfrxMasterData(dmp);
  band->SetTop(20);
  EXPECT_DOUBLE_EQ(static_cast<double>(band->Top()), 17);
  band->SetTop(26);
  EXPECT_DOUBLE_EQ(static_cast<double>(band->Top()), 34);
}

TEST(frxObjects, Pages)
{
  TfrxReport report(nullptr);
  auto* page = new TfrxReportPage(&report);
  page->SetLeftMargin(10);
  page->SetRightMargin(20);
  page->SetTopMargin(30);
  page->SetBottomMargin(40);
  page->SetOrientation(poLandscape);
  EXPECT_EQ(page->LeftMargin(), 30);
  EXPECT_EQ(page->RightMargin(), 40);
  EXPECT_EQ(page->TopMargin(), 20);
  EXPECT_EQ(page->BottomMargin(), 10);
  EXPECT_EQ(page->PaperWidth(), 297);
  EXPECT_EQ(page->PaperHeight(), 210);
  EXPECT_EQ(page->Width(), 1123);
  page->SetOrientation(poPortrait);
  EXPECT_EQ(page->LeftMargin(), 10);
  EXPECT_EQ(page->RightMargin(), 20);
  EXPECT_EQ(page->TopMargin(), 30);
  EXPECT_EQ(page->BottomMargin(), 40);
  EXPECT_EQ(page->PaperWidth(), 210);

  page->SetLeftMargin(10);
  page->SetRightMargin(10);
  page->SetColumns(3);
  EXPECT_NEAR(static_cast<double>(page->ColumnWidth()), 63.3333333, 1e-6);
  ASSERT_EQ(page->ColumnPositions()->Count(), 3);
  EXPECT_EQ(page->ColumnPositions()->Strings(0), "0");

  // The paper number read last decides: A4 wins over listed dimensions, 256 keeps them.
  for (auto [size, width, height] : {std::tuple{9, 210, 297}, {256, 100, 150}}) {
    const AnsiString text =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?><TfrxReport Name=\"\"><TfrxReportPage "
        "Name=\"P\" PaperWidth=\"100\" PaperHeight=\"150\" PaperSize=\"" +
        IntToStr(size) + "\"/></TfrxReport>";
    auto loaded = LoadReport(text);
    auto* p = dynamic_cast<TfrxReportPage*>(loaded->FindObject("P"));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->PaperWidth(), width);
    EXPECT_EQ(p->PaperHeight(), height);
  }

  // A subreport and its page know each other until one goes.
  auto* target = new TfrxReportPage(&report);
  auto* sub = new TfrxSubreport(page);
  sub->SetPage(target);
  EXPECT_TRUE(target->IsSubreportPage());
  delete sub;
  EXPECT_FALSE(target->IsSubreportPage());

  auto* band = new TfrxPageHeader(page);
  band->SetLeft(5);
  auto* side = new TfrxMasterData(page);
  side->SetVertical(true);
  side->SetTop(100);
  page->SetTopMargin(20);
  page->SetBottomMargin(20);
  page->AlignChildren();
  // Bands fill the printable width (height for vertical ones); the page keeps the paper size.
  EXPECT_NEAR(static_cast<double>(band->Width()), 190 * 3.77953 - 5, 1e-6);
  EXPECT_NEAR(static_cast<double>(side->Height()), 257 * 3.77953 - 100, 1e-6);
  EXPECT_EQ(page->Width(), 794);
  EXPECT_EQ(page->FindBand(ClassInfoOf<TfrxPageHeader>()), band);
  EXPECT_EQ(page->FindBand(ClassInfoOf<TfrxPageFooter>()), nullptr);
  EXPECT_EQ(page->FindBand(ClassInfoOf<TfrxBand>()), band);
}

TEST(frxObjects, DataSets)
{
  TfrxReport report(nullptr);
  auto* page = new TfrxReportPage(&report);
  auto* ds = new TfrxUserDataSet(&report);
  ds->SetName("frxDBDataset1");
  EXPECT_EQ(ds->UserName(), "frxDBDataset1");
  ds->SetName("Orders");
  EXPECT_EQ(ds->UserName(), "Orders");
  ds->SetUserName("Customers");
  ds->SetName("Other");
  EXPECT_EQ(ds->UserName(), "Customers");
  try {
    ds->SetUserName("   ");
    ADD_FAILURE() << "a blank user name was taken";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "非法属性值");
  }
  EXPECT_EQ(ds->UserName(), "Customers");

  // RangeEnd reCount with three rows: Eof after three Next, OnNext only twice.
  Integer nexts = 0;
  ds->OnNext = [&nexts](TObject*) { ++nexts; };
  ds->SetRangeEnd(reCount);
  ds->SetRangeEndCount(3);
  ds->First();
  for (Integer i = 0; i < 3; ++i) {
    EXPECT_FALSE(ds->Eof());
    ds->Next();
  }
  EXPECT_TRUE(ds->Eof());
  EXPECT_EQ(nexts, 2);
  // The host's handlers are not written; the settings are, and the designer position as
  // the defined properties pLeft and pTop.
  ds->SetBounds(40, 60, 0, 0);
  const AnsiString dsText = Attributes(ds);
  EXPECT_EQ(dsText, " RangeEnd=\"reCount\" RangeEndCount=\"3\" UserName=\"Customers\""
                    " Fields.Text=\"\" PropData=\"05704C65667402280470546F70023C\"");
  auto* copy = new TfrxUserDataSet(&report);
  TfrxXMLSerializer serializer(nullptr);
  serializer.XMLToObj(dsText, copy);
  EXPECT_EQ(copy->Left(), 40);
  EXPECT_EQ(copy->Top(), 60);
  EXPECT_EQ(copy->RangeEndCount(), 3);

  ds->Fields()->SetText("Name\r\nCity");
  EXPECT_TRUE(ds->HasField("NAME"));
  EXPECT_FALSE(ds->HasField("Zip"));
  EXPECT_EQ(ds->FieldsCount(), 2);
  EXPECT_TRUE(VarIsNull(ds->Value("Name")));
  ds->OnGetValue = [](const Variant& name, Variant& value) { value = "<" + VarToStr(name) + ">"; };
  EXPECT_EQ(ds->DisplayText("City"), "<City>");

  // Each report resolves a user name to its own dataset.
  TfrxReport other(nullptr);
  auto* mine = new TfrxUserDataSet(&report);
  mine->SetUserName("Data");
  auto* theirs = new TfrxUserDataSet(&other);
  theirs->SetUserName("Data");
  EXPECT_EQ(FindDataSet(nullptr, "data", &report), mine);
  EXPECT_EQ(FindDataSet(nullptr, "Data", &other), theirs);
  EXPECT_EQ(FindDataSet(mine, "", &report), nullptr);

  // A view keeps an unknown name for later; a destroyed dataset clears the reference.
  auto* memo = new TfrxMemoView(page);
  memo->SetDataSetName("Nowhere");
  EXPECT_EQ(memo->DataSet(), nullptr);
  EXPECT_EQ(memo->DataSetName(), "Nowhere");
  memo->SetDataSetName("Data");
  EXPECT_EQ(memo->DataSet(), mine);
  memo->SetDataField("Name");
  EXPECT_TRUE(memo->HasDataBinding());
  delete mine;
  EXPECT_EQ(memo->DataSet(), nullptr);
  EXPECT_EQ(memo->DataSetName(), "Data");

  TStringList names;
  ListGlobalDataSets(&names);
  EXPECT_GE(names.IndexOf("Customers"), 0);
  EXPECT_GE(names.IndexOf("Data"), 0);
}

// Views, data bands and report pages keep their dataset the same way: by pointer while it
// lives, by user name otherwise, and a holder freed first leaves the dataset nothing to call.
TEST(frxObjects, DataSetLinksOfViewsBandsAndPages)
{
  TfrxReport report(nullptr);
  auto* page = new TfrxReportPage(&report);
  auto* band = new TfrxMasterData(page);
  auto* memo = new TfrxMemoView(band);
  struct THolder {
    const char* Name;
    std::function<TfrxDataSet*()> DataSet;
    std::function<AnsiString()> DataSetName;
    std::function<void(const AnsiString&)> SetDataSetName;
  };
  const THolder holders[] = {
      {"view", [&] { return memo->DataSet(); }, [&] { return memo->DataSetName(); },
       [&](const AnsiString& n) { memo->SetDataSetName(n); }},
      {"data band", [&] { return band->DataSet(); }, [&] { return band->DataSetName(); },
       [&](const AnsiString& n) { band->SetDataSetName(n); }},
      {"page", [&] { return page->DataSet(); }, [&] { return page->DataSetName(); },
       [&](const AnsiString& n) { page->SetDataSetName(n); }},
  };
  auto* ds = new TfrxUserDataSet(&report);
  ds->SetUserName("Orders");
  for (const THolder& holder : holders) {
    SCOPED_TRACE(holder.Name);
    holder.SetDataSetName("orders");
    EXPECT_EQ(holder.DataSet(), ds);
    EXPECT_EQ(holder.DataSetName(), "Orders");
  }
  ds->SetUserName("Renamed");
  for (const THolder& holder : holders)
    EXPECT_EQ(holder.DataSetName(), "Renamed") << holder.Name;
  delete ds;
  for (const THolder& holder : holders) {
    SCOPED_TRACE(holder.Name);
    EXPECT_EQ(holder.DataSet(), nullptr);
    EXPECT_EQ(holder.DataSetName(), "orders");
  }

  // Holders that go first unsubscribe: freeing the dataset afterwards touches none of them.
  auto* second = new TfrxUserDataSet(&report);
  second->SetUserName("Second");
  memo->SetDataSet(second);
  band->SetDataSet(second);
  page->SetDataSet(second);
  delete page;
  delete second;
}

TEST(frxObjects, DotMatrixObjects)
{
  TfrxReport report(nullptr);
  auto* page = new TfrxDMPPage(&report);
  // An A4 page holds whole columns and lines.
  EXPECT_NEAR(static_cast<double>(page->PaperWidth() * 3.77953L / 9.6L), 83, 1e-9);
  EXPECT_EQ(page->Font()->Name(), "Courier New");
  // The printer's paper with one column and one line of margin, cut to whole cells.
  auto* defaults = new TfrxDMPPage(&report);
  defaults->ApplyPrinterDefaults();
  EXPECT_NEAR(static_cast<double>(defaults->LeftMargin()), 9.6 / 3.77953, 1e-9);
  EXPECT_NEAR(static_cast<double>(defaults->TopMargin()), 17 / 3.77953, 1e-9);
  EXPECT_NEAR(static_cast<double>(defaults->PaperWidth() * 3.77953L / 9.6L), 82, 1e-9);
  EXPECT_NEAR(static_cast<double>(defaults->PaperHeight() * 3.77953L / 17), 66, 1e-9);
  EXPECT_EQ(defaults->PaperSize(), 9);

  auto* memo = new TfrxDMPMemoView(page);
  memo->SetLeft(20);
  EXPECT_NEAR(static_cast<double>(memo->Left()), 19.2, 1e-9);
  memo->SetLeft(28);
  EXPECT_NEAR(static_cast<double>(memo->Left()), 28.8, 1e-9);
  memo->SetAlign(baRight);
  memo->SetLeft(28);
  EXPECT_NEAR(static_cast<double>(memo->Left()), 19.2, 1e-9);
  EXPECT_EQ(memo->GapX(), 0);
  EXPECT_EQ(memo->LineSpacing(), 1);

  auto* line = new TfrxDMPLineView(page);
  line->SetTop(20);
  EXPECT_NEAR(static_cast<double>(line->Top()), 25.5, 1e-9);

  // The page's styles reach every object that follows it.
  page->SetFontStyle(TfrxDMPFontStyles{fsxBold});
  EXPECT_EQ(memo->FontStyle(), TfrxDMPFontStyles{fsxBold});
  EXPECT_TRUE(memo->Font()->Style().Contains(fsBold));
  EXPECT_EQ(line->FontStyle(), TfrxDMPFontStyles{fsxBold});
  auto* later = new TfrxDMPMemoView(page);
  EXPECT_EQ(later->FontStyle(), TfrxDMPFontStyles{fsxBold});
  EXPECT_TRUE(later->Font()->Style().Contains(fsBold));
  EXPECT_FALSE(Has(Attributes(later), "FontStyle"));
  EXPECT_TRUE(Has(Attributes(page), " FontStyle=\"1\""));

  auto* source = new TfrxDMPMemoView(page);
  source->SetBounds(memo->Left(), memo->Top(), memo->Width(), memo->Height());
  source->SetAlign(baRight);
  memo->SetFontStyle(TfrxDMPFontStyles{fsxItalic, fsxWide});
  EXPECT_TRUE(Has(memo->Diff(source), " FontStyle=\"66\""));

  // Both objects are palette entries, which also makes them readable from files.
  bool memoEntry = false, lineEntry = false;
  TfrxObjectCollection* objects = RegisteredObjects();
  for (Integer i = 0; i < objects->Count(); ++i) {
    memoEntry |= objects->Items(i)->ClassRef == ClassInfoOf<TfrxDMPMemoView>() &&
                 objects->Items(i)->ButtonImageIndex == 2;
    lineEntry |= objects->Items(i)->ClassRef == ClassInfoOf<TfrxDMPLineView>() &&
                 objects->Items(i)->ButtonImageIndex == 5;
  }
  EXPECT_TRUE(memoEntry);
  EXPECT_TRUE(lineEntry);
}

TEST(frxObjects, WaybillDefinitionLoads)
{
  TFileStream file(AnsiString(QH_FIXTURES) + "/waybill-three-labels.xml", fmOpenRead);
  TfrxReport report(nullptr);
  report.LoadFromStream(&file);
  ASSERT_EQ(report.Objects()->Count(), 1);
  auto* page =
      dynamic_cast<TfrxReportPage*>(static_cast<TfrxComponent*>(report.Objects()->Items(0)));
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->Name(), "Page1");
  EXPECT_EQ(page->PaperSize(), 256);
  EXPECT_EQ(page->PaperWidth(), 230);
  EXPECT_EQ(page->PaperHeight(), 127);
  EXPECT_EQ(page->LeftMargin(), 0);
  EXPECT_EQ(page->Font()->Name(), "宋体");
  EXPECT_EQ(page->Font()->Height(), -13);
  ASSERT_EQ(page->Objects()->Count(), 4);

  struct TExpected {
    const char* Name;
    double Left, Top, Height;
    Integer FontHeight;
    bool Bold, Visible;
  } expected[] = {
      {"qh1", 10, 10, 29, -16, true, true},
      {"l13", 40, 160, 28.8, -15, false, true},
      {"l14", 144, 152, 30.6, -18, true, false},
      {"l15", 256, 152, 36, -15, false, true},
  };
  for (Integer i = 0; i < 4; ++i) {
    const TExpected& e = expected[i];
    SCOPED_TRACE(e.Name);
    auto* memo =
        dynamic_cast<TfrxMemoView*>(static_cast<TfrxComponent*>(page->Objects()->Items(i)));
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->Name(), e.Name);
    EXPECT_EQ(memo->Parent(), page);
    EXPECT_NEAR(static_cast<double>(memo->Left()), e.Left, 1e-9);
    EXPECT_NEAR(static_cast<double>(memo->Top()), e.Top, 1e-9);
    EXPECT_NEAR(static_cast<double>(memo->Width()), 94.48825, 1e-9);
    EXPECT_NEAR(static_cast<double>(memo->Height()), e.Height, 1e-9);
    EXPECT_EQ(memo->StretchMode(), smActualHeight);
    EXPECT_EQ(memo->Visible(), e.Visible);
    EXPECT_FALSE(memo->ParentFont());
    EXPECT_EQ(memo->Font()->Name(), "宋体");
    EXPECT_EQ(memo->Font()->Height(), e.FontHeight);
    EXPECT_EQ(memo->Font()->Style().Contains(fsBold), e.Bold);
    EXPECT_TRUE(memo->AutoWidth());
    EXPECT_TRUE(memo->WordBreak());
    EXPECT_TRUE(memo->WordWrap());
  }
  auto* second = static_cast<TfrxMemoView*>(page->Objects()->Items(2));
  ASSERT_EQ(second->Memo()->Count(), 2);
  EXPECT_NE(second->Memo()->Strings(0).find('"'), AnsiString::npos);
  EXPECT_EQ(static_cast<TfrxMemoView*>(page->Objects()->Items(3))->Text(), "");
}

namespace {

// A report whose expressions are looked up in a table; anything else is an error.
class TfrxTableReport : public TfrxReport {
public:
  TfrxTableReport() : TfrxReport(nullptr) {}
  Variant Calc(const AnsiString& Expr, TfsScript* = nullptr) override
  {
    auto it = Values.find(Expr);
    if (it == Values.end())
      throw Exception("unknown expression: " + Expr);
    return it->second;
  }
  std::map<AnsiString, Variant> Values;
};

} // namespace

TEST(frxObjects, TextExpressions)
{
  TfrxTableReport report;
  report.Values = {{"1+2", Variant(3)},
                   {"Price", Variant(3.14159)},
                   {"Date", Variant(EncodeDate(2026, 12, 10))},
                   {"Paid", Variant(true)},
                   {"Zero", Variant(0)},
                   {"ZeroText", Variant(AnsiString("0"))},
                   {"Name + ']'", Variant(AnsiString("X]"))},
                   {"乚", Variant(AnsiString("trail"))}};
  auto* page = new TfrxReportPage(&report);
  struct TCase {
    const char* Name;
    const char* Text;
    const char* Delimiters;
    bool Allow, HideZeros;
    const char* Expected;
  } cases[] = {
      {"plain", "Total: [1+2]", "[,]", true, false, "Total: 3"},
      {"not allowed", "Total: [1+2]", "[,]", false, false, "Total: [1+2]"},
      {"own delimiters", "<%1+2%> [x]", "<%,%>", true, false, "3 [x]"},
      {"numeric code", "[Price #n%2.2f]", "[,]", true, false, "3.14"},
      {"numeric comma", "[Price #n%2,2f]", "[,]", true, false, "3,14"},
      {"date code", "[Date #dyyyy-mm-dd]", "[,]", true, false, "2026-12-10"},
      {"boolean code", "[Paid #bYes,No]", "[,]", true, false, "Yes"},
      {"quoted close", "a[Name + ']']b", "[,]", true, false, "aX]b"},
      {"double-byte trail", "[乚]乚", "[,]", true, false, "trail乚"},
      {"two in a row", "[1+2][1+2]", "[,]", true, false, "33"},
      {"total pages", "of [TotalPages#]", "[,]", true, false, "of [TotalPages#]"},
      {"hidden zero", "[Zero]", "[,]", true, true, ""},
      {"text zero", "[ZeroText]", "[,]", true, true, "0"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    auto* memo = new TfrxMemoView(page);
    memo->SetText(c.Text);
    memo->SetExpressionDelimiters(c.Delimiters);
    memo->SetAllowExpressions(c.Allow);
    memo->SetHideZeros(c.HideZeros);
    memo->EvaluateData();
    EXPECT_EQ(memo->Text(), AnsiString(c.Expected) + "\r\n");
  }

  auto* unclosed = new TfrxMemoView(page);
  unclosed->SetText("[1+2");
  EXPECT_THROW(unclosed->EvaluateData(), Exception);
  auto* unknown = new TfrxMemoView(page);
  unknown->SetText("[Nope]");
  EXPECT_THROW(unknown->EvaluateData(), Exception);

  // Tag and hyperlink are evaluated for printing and come back afterwards.
  auto* view = new TfrxShapeView(page);
  view->SetTagStr("ID [1+2]");
  view->SetURL("http://x/[1+2]");
  view->SaveState();
  view->EvaluateData();
  EXPECT_EQ(view->TagStr(), "ID 3");
  EXPECT_EQ(view->URL(), "http://x/3");
  view->RestoreState();
  EXPECT_EQ(view->TagStr(), "ID [1+2]");
  EXPECT_EQ(view->URL(), "http://x/[1+2]");

  auto* memo = new TfrxMemoView(page);
  memo->SetText("[1+2]");
  memo->SaveState();
  memo->EvaluateData();
  memo->RestoreState();
  EXPECT_EQ(memo->Text(), "[1+2]\r\n");
}

TEST(frxObjects, TextFromDataHighlightAndRepeats)
{
  TfrxTableReport report;
  auto* page = new TfrxReportPage(&report);
  auto* ds = new TfrxUserDataSet(&report);
  ds->SetUserName("Orders");
  Variant amount = Variant(0);
  ds->OnGetValue = [&amount](const Variant& name, Variant& value) {
    value = VarToStr(name) == "Code" ? Variant(AnsiString("0")) : amount;
  };
  auto* memo = new TfrxMemoView(page);
  memo->SetDataSet(ds);
  memo->SetDataField("Amount");
  memo->SetHideZeros(true);
  memo->EvaluateData();
  EXPECT_EQ(memo->Text(), "");
  memo->SetDataField("Code");
  memo->EvaluateData();
  EXPECT_EQ(memo->Text(), "0\r\n");

  memo->SetDataField("Amount");
  memo->DisplayFormat()->SetKind(fkBoolean);
  memo->DisplayFormat()->SetFormatStr("Y,N");
  amount = Variant(true);
  memo->EvaluateData();
  EXPECT_EQ(memo->Text(), "Y\r\n");

  // The highlight is on only for the instances whose condition holds.
  auto* price = new TfrxMemoView(page);
  price->Highlight()->SetCondition("Value > 100");
  price->SetText("x");
  for (bool over : {true, false, true}) {
    report.Values["Value > 100"] = Variant(over);
    price->EvaluateData();
    EXPECT_EQ(price->Highlight()->Active(), over);
  }

  // Equal consecutive values print once.
  auto* repeated = new TfrxMemoView(page);
  repeated->SetSuppressRepeated(true);
  std::vector<AnsiString> printed;
  for (const char* value : {"A", "A", "A", "B", "A"}) {
    repeated->SetText(value);
    repeated->EvaluateData();
    printed.push_back(repeated->Text());
  }
  EXPECT_EQ(printed, (std::vector<AnsiString>{"A\r\n", "", "", "B\r\n", "A\r\n"}));
}

TEST(frxObjects, TextLayoutMeasuresAndSplits)
{
  TfrxReport report(nullptr);
  auto* page = new TfrxReportPage(&report);
  auto* memo = new TfrxMemoView(page);
  memo->SetBounds(0, 0, 200, 20);
  memo->SetText("one");
  const Extended one = memo->CalcHeight();
  memo->SetText("one\r\ntwo\r\nthree");
  const Extended three = memo->CalcHeight();
  EXPECT_GT(one, memo->GapY() * 2);
  EXPECT_NEAR(static_cast<double>(three - memo->VerticalGaps()),
              static_cast<double>(3 * (one - memo->VerticalGaps())), 2.0);

  // A text that does not fit is split: what fits stays, the rest flows on unevaluated.
  auto* next = new TfrxMemoView(page);
  memo->SetFlowTo(next);
  memo->SetAllowExpressions(false);
  memo->SetText("1\r\n2\r\n3\r\n4\r\n5\r\n6");
  memo->SetHeight(std::floor(one * 2.5));
  memo->EvaluateData();
  EXPECT_GE(memo->Memo()->Count(), 1);
  EXPECT_LT(memo->Memo()->Count(), 6);
  EXPECT_FALSE(next->AllowExpressions());
  EXPECT_EQ(memo->Text() + next->Text(), "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n");

  // AutoWidth with right alignment keeps the right edge.
  auto* right = new TfrxMemoView(page);
  right->SetBounds(100, 0, 50, 20);
  right->SetText("a much longer text than fifty pixels");
  right->SetAutoWidth(true);
  right->SetHAlign(haRight);
  right->SetWordWrap(false);
  TBitmap bitmap(400, 50);
  right->Draw(bitmap.Canvas(), 1, 1, 0, 0);
  EXPECT_GT(right->Width(), 50);
  EXPECT_NEAR(static_cast<double>(right->Left() + right->Width()), 150, 1e-6);
  EXPECT_NEAR(static_cast<double>(right->Width()), static_cast<double>(right->CalcWidth()), 1.0);

  // The page count is put in when the text is drawn; the plain text takes it too.
  auto* total = new TfrxMemoView(page);
  total->SetBounds(0, 0, 200, 20);
  total->SetText("of [TotalPages#]");
  total->SetTotalPages(7);
  total->Draw(bitmap.Canvas(), 1, 1, 0, 0);
  EXPECT_EQ(report.DrawText()->GetText(), "of 7\r\n");
  EXPECT_EQ(total->Text(), "of [TotalPages#]\r\n");
  total->SetText("[totalpages] pages");
  EXPECT_EQ(total->PlainText(), "7 pages\r\n");

  // An active highlight fills with its colour while drawing; the object keeps its own.
  total->Highlight()->SetColor(clYellow);
  total->Highlight()->SetActive(true);
  TBitmap lit(220, 30);
  total->Draw(lit.Canvas(), 1, 1, 0, 0);
  EXPECT_EQ(lit.Canvas()->Pixels(150, 10), clYellow);
  EXPECT_EQ(total->Color(), clNone);

  // Dot-matrix texts measure in whole lines.
  auto* dmpPage = new TfrxDMPPage(&report);
  auto* dmp = new TfrxDMPMemoView(dmpPage);
  dmp->SetBounds(0, 0, 192, 17);
  dmp->SetText("1\r\n2\r\n3");
  const Extended h = dmp->CalcHeight();
  EXPECT_GT(h, 0);
  EXPECT_EQ(std::fmod(static_cast<double>(h), 17.0), 0.0);
}

namespace {

// A dataset whose one field is a binary field holding Bytes.
class TfrxBlobDataSet : public TfrxUserDataSet {
public:
  explicit TfrxBlobDataSet(TComponent* AOwner) : TfrxUserDataSet(AOwner) {}
  bool IsBlobField(const AnsiString&) override { return true; }
  void AssignBlobTo(const AnsiString&, TObject* Target) override
  {
    auto* stream = dynamic_cast<TMemoryStream*>(Target);
    ASSERT_NE(stream, nullptr);
    stream->WriteBuffer(Bytes.data(), static_cast<Integer>(Bytes.size()));
    stream->SetPosition(0);
  }
  AnsiString Bytes;
};

AnsiString GraphicBytes(TGraphic* Graphic)
{
  TMemoryStream stream;
  Graphic->SaveToStream(&stream);
  return AnsiString(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

// The stored 8-byte prefix: 1, 0x0100 and the length of the graphic.
AnsiString WithHeader(const AnsiString& Bytes)
{
  const uint32_t n = static_cast<uint32_t>(Bytes.size());
  AnsiString header("\x01\x00\x00\x01", 4);
  for (int i = 0; i < 4; ++i)
    header += static_cast<char>((n >> (8 * i)) & 0xFF);
  return header + Bytes;
}

} // namespace

TEST(frxObjects, PictureFromData)
{
  TfrxReport report(nullptr);
  auto* page = new TfrxReportPage(&report);
  auto* ds = new TfrxBlobDataSet(&report);
  ds->SetUserName("Photos");
  auto* picture = new TfrxPictureView(page);
  picture->SetDataSet(ds);
  picture->SetDataField("Photo");

  TBitmap source(6, 3);
  source.Canvas()->Brush()->SetColor(clRed);
  source.Canvas()->FillRect(Rect(0, 0, 6, 3));
  TJPEGImage jpeg;
  jpeg.Assign(&source);

  struct TCase {
    const char* Name;
    AnsiString Bytes;
    bool Jpeg, Bitmap;
  } cases[] = {
      {"bitmap", GraphicBytes(&source), false, true},
      {"JPEG behind the header", WithHeader(GraphicBytes(&jpeg)), true, false},
      {"unknown bytes", AnsiString("\x00\x05junk junk junk", 16), false, false},
      {"empty field", AnsiString(), false, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    picture->SetPicture(nullptr);
    TBitmap filler(2, 2);
    picture->Picture()->SetGraphic(&filler); // something to be replaced or cleared
    ds->Bytes = c.Bytes;
    picture->EvaluateData();
    TGraphic* graphic = picture->Picture()->Graphic();
    EXPECT_EQ(dynamic_cast<TJPEGImage*>(graphic) != nullptr, c.Jpeg);
    EXPECT_EQ(graphic && dynamic_cast<TBitmap*>(graphic) && graphic->Width() == 6, c.Bitmap);
    if (c.Jpeg || c.Bitmap) {
      EXPECT_EQ(picture->Picture()->Width(), 6);
      EXPECT_EQ(picture->Picture()->Height(), 3);
    } else {
      EXPECT_TRUE(picture->Picture()->Empty());
    }
  }
  EXPECT_TRUE(picture->PictureChanged());

  // Pictures travel in the file as PropData, the page background too.
  picture->SetName("Photo1");
  picture->Picture()->SetGraphic(&source);
  page->SetName("Page1");
  page->BackPicture()->SetGraphic(&jpeg);
  const AnsiString text = SaveReport(&report);
  EXPECT_TRUE(Has(text, " Picture.PropData=\"0444617461")); // "Data"
  EXPECT_TRUE(Has(text, "07544269746D6170"));               // "TBitmap"
  EXPECT_TRUE(Has(text, " BackPicture.PropData=\""));
  auto loaded = LoadReport(text);
  auto* copy = dynamic_cast<TfrxPictureView*>(loaded->FindObject("Photo1"));
  ASSERT_NE(copy, nullptr);
  ASSERT_NE(dynamic_cast<TBitmap*>(copy->Picture()->Graphic()), nullptr);
  EXPECT_EQ(copy->Picture()->Bitmap()->Canvas()->Pixels(5, 2), clRed);
  auto* loadedPage = dynamic_cast<TfrxReportPage*>(loaded->FindObject("Page1"));
  ASSERT_NE(loadedPage, nullptr);
  EXPECT_NE(dynamic_cast<TJPEGImage*>(loadedPage->BackPicture()->Graphic()), nullptr);
  EXPECT_EQ(loadedPage->BackPicture()->Width(), 6);
}

TEST(frxObjects, PictureAndShapeDrawing)
{
  auto canvasOf = [](TBitmap& b) {
    b.Canvas()->Brush()->SetColor(clWhite);
    b.Canvas()->FillRect(Rect(0, 0, b.Width(), b.Height()));
    return b.Canvas();
  };
  // A 200 x 100 picture in a 100 x 100 object keeps its aspect and is centred vertically.
  TBitmap red(200, 100);
  red.Canvas()->Brush()->SetColor(clRed);
  red.Canvas()->FillRect(Rect(0, 0, 200, 100));
  TfrxPictureView picture(nullptr);
  picture.SetBounds(0, 0, 100, 100);
  picture.SetCenter(true);
  picture.Picture()->SetGraphic(&red);
  TBitmap target(120, 120);
  picture.Draw(canvasOf(target), 1, 1, 0, 0);
  EXPECT_EQ(target.Canvas()->Pixels(50, 20), clWhite);
  EXPECT_EQ(target.Canvas()->Pixels(50, 30), clRed);
  EXPECT_EQ(target.Canvas()->Pixels(50, 70), clRed);
  EXPECT_EQ(target.Canvas()->Pixels(50, 80), clWhite);
  EXPECT_EQ(target.Canvas()->Pixels(99, 50), clRed);

  // The picture's data goes into the difference text once the picture changed.
  TfrxPictureView plain(nullptr);
  plain.SetBounds(0, 0, 100, 100);
  EXPECT_EQ(plain.Diff(&picture), "");
  const AnsiString diff = picture.Diff(&plain);
  EXPECT_EQ(diff.rfind(" Picture.PropData=\"", 0), 0u) << diff.substr(0, 80).c_str();

  // A shape without colour draws only its outline.
  TfrxShapeView shape(nullptr);
  shape.SetBounds(10, 10, 20, 20);
  TBitmap shapeTarget(40, 40);
  shape.Draw(canvasOf(shapeTarget), 1, 1, 0, 0);
  EXPECT_EQ(shapeTarget.Canvas()->Pixels(10, 20), clBlack);
  EXPECT_EQ(shapeTarget.Canvas()->Pixels(30, 20), clBlack);
  EXPECT_EQ(shapeTarget.Canvas()->Pixels(20, 20), clWhite);
  shape.SetColor(clLime);
  shape.Draw(shapeTarget.Canvas(), 1, 1, 0, 0);
  EXPECT_EQ(shapeTarget.Canvas()->Pixels(20, 20), clLime);

  // A dialog component is 28 x 28 whenever it is drawn.
  TfrxUserDataSet component(nullptr);
  component.SetBounds(0, 0, 50, 60);
  component.SetName("Orders");
  TBitmap icon(80, 80);
  component.Draw(canvasOf(icon), 1, 1, 0, 0);
  EXPECT_EQ(component.Width(), 28);
  EXPECT_EQ(component.Height(), 28);
  // A raised button face with the name below it.
  EXPECT_EQ(icon.Canvas()->Pixels(14, 14), ColorToRGB(clBtnFace));
  EXPECT_EQ(icon.Canvas()->Pixels(0, 14), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(icon.Canvas()->Pixels(27, 14), ColorToRGB(clBtnShadow));
  bool nameDrawn = false;
  for (Integer y = 32; y < 50 && !nameDrawn; ++y)
    for (Integer x = 0; x < 40 && !nameDrawn; ++x)
      nameDrawn = icon.Canvas()->Pixels(x, y) == clBlack;
  EXPECT_TRUE(nameDrawn);
}

// A picture read through the cache, first or again, is what reading the text gives: the
// same kind, pixels, stored bytes and change state. Kinds whose copies could differ, and
// texts that fail, are not kept.
TEST(frxPictureCache, PicturesFromTheCacheEqualPicturesRead)
{
  TBitmap bitmap(6, 3);
  bitmap.Canvas()->Brush()->SetColor(clRed);
  bitmap.Canvas()->FillRect(Rect(0, 0, 6, 3));
  bitmap.Canvas()->SetPixels(4, 1, clBlue);
  TJPEGImage jpeg;
  jpeg.Assign(&bitmap);
  TPngImage png;
  png.Assign(&bitmap);
  // The picture text of a view showing Graphic (nil: a damaged picture).
  auto pictureText = [](TGraphic* Graphic) -> AnsiString {
    if (!Graphic)
      return " Picture.PropData=\"0444617461\"";
    TfrxPictureView view(nullptr);
    view.Picture()->SetGraphic(Graphic);
    const AnsiString all = Attributes(&view);
    const size_t at = all.find(" Picture.PropData=");
    return all.substr(at, all.find('"', all.find('"', at) + 1) + 1 - at);
  };
  struct TCase {
    const char* Name;
    TGraphic* Graphic;
    size_t Kept;
  } cases[] = {
      {"bitmap", &bitmap, 1}, {"JPEG", &jpeg, 1}, {"PNG", &png, 0}, {"damaged", nullptr, 0}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const AnsiString text = pictureText(c.Graphic);
    TfrxPictureView read(nullptr);
    TfrxXMLSerializer plain(nullptr);
    plain.XMLToObj(text, &read);
    TfrxPictureCache cache;
    for (int round = 0; round < 3; ++round) {
      SCOPED_TRACE(round);
      TfrxPictureView view(nullptr);
      TfrxXMLSerializer serializer(nullptr);
      serializer.SetPictureCache(&cache);
      serializer.XMLToObj(text, &view);
      EXPECT_EQ(serializer.Errors()->Text(), plain.Errors()->Text());
      EXPECT_EQ(Attributes(&view), Attributes(&read));
      EXPECT_EQ(view.PictureChanged(), read.PictureChanged());
      TGraphic* got = view.Picture()->Graphic();
      TGraphic* want = read.Picture()->Graphic();
      ASSERT_EQ(got == nullptr, want == nullptr);
      if (!want)
        continue;
      EXPECT_EQ(got->ClassName(), want->ClassName());
      EXPECT_EQ(got->Modified(), want->Modified());
      EXPECT_EQ(GraphicBytes(got), GraphicBytes(want));
      TBitmap gotPixels, wantPixels;
      gotPixels.Assign(got);
      wantPixels.Assign(want);
      EXPECT_EQ(gotPixels.Canvas()->Pixels(4, 1), wantPixels.Canvas()->Pixels(4, 1));
    }
    EXPECT_EQ(cache.Count(), c.Kept);
  }

  // More pictures than are kept: every one still reads as itself.
  TfrxPictureCache cache;
  for (int round = 0; round < 2; ++round)
    for (Integer i = 0; i < 24; ++i) {
      TBitmap b(4, 4);
      b.Canvas()->SetPixels(i % 4, i / 4 % 4, static_cast<TColor>(0x010101 * (i + 1)));
      TfrxPictureView view(nullptr);
      TfrxXMLSerializer serializer(nullptr);
      serializer.SetPictureCache(&cache);
      serializer.XMLToObj(pictureText(&b), &view);
      EXPECT_EQ(view.Picture()->Bitmap()->Canvas()->Pixels(i % 4, i / 4 % 4),
                static_cast<TColor>(0x010101 * (i + 1)))
          << i;
    }
  EXPECT_EQ(cache.Count(), TfrxPictureCache::MaxEntries);
}

// A stored object's base text and its own attributes, read apart, give what reading the two
// joined by a blank gives, however either text ends.
TEST(frxSerializer, ReadingTwoTextsEqualsReadingThemJoined)
{
  struct TCase {
    const char* Text;
    const char* More;
  } cases[] = {
      {"TfrxMemoView Left=\"5\" Top=\"7\"", "l=\"9\" x=\"a&#13;&#10;b\""},
      {"TfrxMemoView", " w=\"30\" h=\"4\"  "},
      {"  TfrxMemoView Left=\"5\"  ", "t=\"1\""},
      {"TfrxMemoView Left=\"5", "\" t=\"1\""},           // the value goes on in the second text
      {"TfrxMemoView Left=\"5\" Top", "=\"8\" w=\"2\""}, // a name cut in two
      {"TfrxMemoView Left=\"5\" \"", "t=\"1\""},         // a quote without a name stops reading
      {"TfrxMemoView Left=\"5\"x", "t=\"1\""},
      {"TfrxMemoView Left=\"5\"", ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.Text) + "|" + c.More);
    TfrxReport report(nullptr);
    auto* page = new TfrxReportPage(&report);
    TfrxXMLSerializer apart(nullptr), joined(nullptr);
    TfrxComponent* a = apart.ReadObjectFromText(page, c.Text, c.More);
    TfrxComponent* b = joined.ReadObjectFromText(page, AnsiString(c.Text) + " " + c.More);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(Attributes(a), Attributes(b));
    EXPECT_EQ(apart.Errors()->Text(), joined.Errors()->Text());
  }
}

// Edit buttons: the descriptions and their change notifications, the spin button's halves,
// auto-repeat and suppressed clicks, face painting of each kind, check-box placement, the
// face cache and the sizes of flat buttons.
#include "controls/eh/EditButtonsEh.h"

#include "tests/platform/ui/UiTestKit.h"

namespace {

TEditButtonControlEh* MakeSpin(TForm* form, TEditButtonStyleEh style = ebsUpDownEh)
{
  auto* b = new TEditButtonControlEh(form);
  b->SetParent(form);
  b->SetBounds(20, 20, 17, 21); // odd height: row 10 is the middle row
  b->SetStyle(style);
  return b;
}

TForm* MakeForm()
{
  auto* f = new TForm(nullptr);
  f->SetBounds(100, 100, 200, 100);
  f->Show();
  Headless().ProcessMessages();
  return f;
}

std::unique_ptr<TBitmap> Canvas(Integer w, Integer h, TColor fill = clYellow)
{
  auto b = std::make_unique<TBitmap>(w, h);
  b->Canvas()->Brush()->SetColor(fill);
  b->Canvas()->FillRect(Rect(0, 0, w, h));
  return b;
}

} // namespace

using EditButtonsEh = UiTest;

TEST_F(EditButtonsEh, DescriptionsClampGlyphCountAndNotifyHookOrCollection)
{
  TEditButtonEh alone(static_cast<TWinControl*>(nullptr));
  std::vector<TEditButtonEh*> hooked;
  alone.OnChangeHook = [&](TEditButtonEh* b) { hooked.push_back(b); };
  for (auto [in, out] : {std::pair{0, 1}, {7, 4}, {3, 3}, {-2, 1}}) {
    SCOPED_TRACE(in);
    alone.SetNumGlyphs(in);
    EXPECT_EQ(alone.NumGlyphs(), out);
  }
  EXPECT_EQ(hooked.size(), 3u) << "0 -> 1 changed nothing";
  alone.SetWidth(0);
  EXPECT_EQ(hooked.size(), 3u) << "an equal value notifies nothing";
  EXPECT_FALSE(alone.Visible());
  EXPECT_EQ(alone.ShortCut(), 0);

  TComponent owner(nullptr);
  TEditButtonsEh buttons(&owner, CollectionItemClass<TVisibleEditButtonEh>());
  std::vector<TCollectionItem*> changed;
  buttons.OnChanged = [&](TCollectionItem* item) { changed.push_back(item); };
  TEditButtonEh* b = buttons.Add();
  EXPECT_TRUE(b->Visible()) << "the edits' further buttons start visible";
  EXPECT_EQ(b->ShortCut(), ShortCutAltDownEh);
  changed.clear();
  b->SetStyle(ebsEllipsisEh);
  ASSERT_EQ(changed.size(), 1u);
  EXPECT_EQ(changed[0], b);
  b->OnChangeHook = [&](TEditButtonEh*) { hooked.push_back(nullptr); };
  b->SetHint("选择");
  EXPECT_EQ(changed.size(), 1u) << "a hook takes the notification instead";
  TEditButtonEh copy(static_cast<TWinControl*>(nullptr));
  copy.Assign(b);
  EXPECT_EQ(copy.Style(), ebsEllipsisEh);
  EXPECT_EQ(copy.Hint(), "选择");
  EXPECT_TRUE(copy.Visible());
}

TEST_F(EditButtonsEh, HeldSpinHalfRepeatsAt400Then100UntilAHandlerStops)
{
  TForm* form = MakeForm();
  TEditButtonControlEh* spin = MakeSpin(form);
  std::vector<std::pair<Int64, bool>> downs;
  spin->OnDown = [&](TObject*, bool top, bool& autoRepeat, bool&) {
    downs.push_back({Headless().ElapsedMs(), top});
    if (downs.size() == 4)
      autoRepeat = false;
  };
  Int64 start = Headless().ElapsedMs();
  Headless().Press(hbLeft, spin->ClientToScreen({8, 3}));
  EXPECT_EQ(spin->PressedPart(), 1);
  Headless().AdvanceAndProcess(1000);
  ASSERT_EQ(downs.size(), 4u);
  EXPECT_EQ(downs[0].first - start, 0);
  EXPECT_EQ(downs[1].first - start, 400);
  EXPECT_EQ(downs[2].first - start, 500);
  EXPECT_EQ(downs[3].first - start, 600);
  for (auto& d : downs)
    EXPECT_TRUE(d.second) << "the upper half";
  Headless().Release(hbLeft, spin->ClientToScreen({8, 3}));

  downs.clear();
  Headless().Press(hbLeft, spin->ClientToScreen({8, 18}));
  EXPECT_EQ(spin->PressedPart(), 2);
  Headless().Release(hbLeft, spin->ClientToScreen({8, 18}));
  Headless().AdvanceAndProcess(1000);
  ASSERT_EQ(downs.size(), 1u) << "released before the first repeat";
  EXPECT_FALSE(downs[0].second);
  delete form;
}

TEST_F(EditButtonsEh, MiddleRowPressesNothingAndLeavingTheHalfCancelsTheClick)
{
  TForm* form = MakeForm();
  TEditButtonControlEh* spin = MakeSpin(form);
  Integer clicks = 0, downs = 0;
  spin->OnClick = [&](TObject*) { ++clicks; };
  spin->OnDown = [&](TObject*, bool, bool&, bool&) { ++downs; };

  Headless().Click(spin->ClientToScreen({8, 10}));
  EXPECT_EQ(downs, 0) << "the middle row of an odd height";
  EXPECT_EQ(clicks, 1) << "a click on the button itself still clicks";

  Headless().Click(spin->ClientToScreen({8, 4}));
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(clicks, 2);

  Headless().Press(hbLeft, spin->ClientToScreen({8, 4}));
  Headless().Move(spin->ClientToScreen({8, 16}));
  EXPECT_EQ(spin->State(), bsUp) << "the pressed half was left";
  Headless().AdvanceAndProcess(600);
  EXPECT_EQ(downs, 2) << "no repeats while the half is not pressed";
  Headless().Release(hbLeft, spin->ClientToScreen({8, 16}));
  EXPECT_EQ(clicks, 2) << "released outside the pressed half: no click";
  EXPECT_EQ(spin->PressedPart(), 0);

  TEditButtonControlEh* drop = MakeSpin(form, ebsDropDownEh);
  drop->SetLeft(60);
  bool repeat = true;
  drop->OnDown = [&](TObject*, bool top, bool& autoRepeat, bool&) {
    EXPECT_TRUE(top);
    repeat = autoRepeat;
  };
  Headless().Press(hbLeft, drop->ClientToScreen({8, 18}));
  EXPECT_EQ(drop->PressedPart(), 1) << "other styles press as a whole";
  EXPECT_FALSE(repeat) << "only spin buttons repeat by default";
  Headless().Release(hbLeft, drop->ClientToScreen({8, 18}));
  delete form;
}

TEST_F(EditButtonsEh, HeldDownStaysPressedUntilReleasedByTheOwner)
{
  TForm* form = MakeForm();
  TEditButtonControlEh* drop = MakeSpin(form, ebsDropDownEh);
  drop->SetHeldDown(true);
  EXPECT_TRUE(drop->Down());
  EXPECT_EQ(drop->PressedPart(), 1);
  Headless().Click(drop->ClientToScreen({5, 5}));
  EXPECT_TRUE(drop->Down()) << "a one-button group without all-up stays down";
  drop->SetHeldDown(false);
  EXPECT_FALSE(drop->Down());
  EXPECT_EQ(drop->GroupIndex(), 0);
  EXPECT_EQ(drop->PressedPart(), 0);
  delete form;
}

TEST_F(EditButtonsEh, FlatWidthsAndHeights)
{
  Integer cap = GetSystemMetrics(SM_CXVSCROLL);
  EXPECT_EQ(FlatEditButtonWidthFor(16), 11) << "10.67 rounds to 11, already odd";
  EXPECT_EQ(FlatEditButtonWidthFor(15), 11) << "10 is even and becomes 11";
  EXPECT_EQ(FlatEditButtonWidthFor(60), cap);
  EXPECT_EQ(FlatButtonWidthDefault, FlatEditButtonWidth());
  EXPECT_EQ(EditButtonHeightFor(11, true), 16);
  EXPECT_EQ(EditButtonHeightFor(13, true), 20);
  EXPECT_EQ(EditButtonHeightFor(13, false), 13);
}

TEST_F(EditButtonsEh, EllipsisDotsSitWhereTheInnerRectanglePutsThem)
{
  TColor text = ColorToRGB(clBtnText);
  for (bool pressed : {false, true}) {
    SCOPED_TRACE(pressed);
    auto bmp = Canvas(16, 20);
    DrawButtonOfKind(bmp->Canvas(), Rect(0, 0, 16, 20), bpkEllipsis, true, false, false, pressed,
                     false);
    Integer d = pressed ? 1 : 0;
    for (Integer x : {3, 7, 11}) {
      EXPECT_EQ(bmp->Canvas()->Pixels(x + d, 9 + d), text) << x;
      EXPECT_EQ(bmp->Canvas()->Pixels(x + d + 1, 10 + d), text) << x;
      EXPECT_NE(bmp->Canvas()->Pixels(x + d + 2, 9 + d), text) << "a gap of 2 after " << x;
    }
  }
}

TEST_F(EditButtonsEh, PlusAndMinusBarsFollowTheParityRules)
{
  struct {
    Integer M;
    TSize Plus, Minus;
  } cases[] = {
      {12, {6, 2}, {6, 2}},
      {9, {5, 1}, {5, 1}},
      {13, {6, 2}, {7, 2}},
      {10, {7, 1}, {6, 1}},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.M);
    EXPECT_EQ(PlusMinusBarSize(c.M, true, false), c.Plus);
    EXPECT_EQ(PlusMinusBarSize(c.M, false, false), c.Minus);
  }
  // The plus is drawn as two crossing bars of those sizes, centred.
  auto bmp = Canvas(16, 16);
  DrawButtonOfKind(bmp->Canvas(), Rect(0, 0, 16, 16), bpkPlus, true, false, false, false, false);
  TColor text = ColorToRGB(clBtnText);
  // Inner 12 x 12 at (2, 2): bar 6 x 2 at (5, 7); upright 2 x 6 at (7, 5).
  EXPECT_EQ(bmp->Canvas()->Pixels(5, 7), text);
  EXPECT_EQ(bmp->Canvas()->Pixels(10, 8), text);
  EXPECT_EQ(bmp->Canvas()->Pixels(7, 5), text);
  EXPECT_EQ(bmp->Canvas()->Pixels(8, 10), text);
  EXPECT_NE(bmp->Canvas()->Pixels(4, 7), text);
  EXPECT_NE(bmp->Canvas()->Pixels(7, 4), text);
}

TEST_F(EditButtonsEh, SpinFaceLeavesTheMiddleRowInTheParentColour)
{
  for (bool cached : {true, false}) {
    SCOPED_TRACE(cached);
    PaintButtonsThroughCache = cached;
    auto bmp = Canvas(17, 21);
    PaintButtonFace(bmp->Canvas(), Rect(0, 0, 17, 21), clRed, bpkUpDown, 2, false, false, true, 0);
    for (Integer x = 0; x < 17; ++x)
      EXPECT_EQ(bmp->Canvas()->Pixels(x, 10), clRed) << x;
    EXPECT_NE(bmp->Canvas()->Pixels(8, 9), clRed);
    EXPECT_NE(bmp->Canvas()->Pixels(8, 11), clRed);

    // A flat button without the mouse sits in a ring of the parent's colour.
    auto flat = Canvas(16, 16);
    PaintButtonFace(flat->Canvas(), Rect(0, 0, 16, 16), clRed, bpkDropDown, 0, true, false, true,
                    0);
    EXPECT_EQ(flat->Canvas()->Pixels(0, 8), clRed);
    EXPECT_EQ(flat->Canvas()->Pixels(15, 15), clRed);
    EXPECT_NE(flat->Canvas()->Pixels(3, 3), clRed);
    EXPECT_NE(flat->Canvas()->Pixels(3, 3), clYellow);
  }
  PaintButtonsThroughCache = true;
}

TEST_F(EditButtonsEh, CheckBoxRectangleInACell)
{
  Integer w = SystemCheckBoxWidth, h = SystemCheckBoxHeight;
  struct {
    const char* Name;
    TRect Cell;
    TAlignment Align;
    TTextLayout Layout;
    TRect Box;
  } cases[] = {
      {"left top", Rect(10, 10, 60, 40), taLeftJustify, tlTop, Bounds(10, 10, w, h)},
      {"right bottom", Rect(10, 10, 60, 40), taRightJustify, tlBottom,
       Bounds(60 - w, 40 - h, w, h)},
      {"centre", Rect(10, 10, 60, 40), taCenter, tlCenter,
       Bounds(10 + (50 - w) / 2, 10 + (30 - h) / 2, w, h)},
      {"cell smaller than the box", Rect(10, 10, 18, 16), taRightJustify, tlBottom,
       Rect(10, 10, 18, 16)},
      {"narrow but tall", Rect(0, 0, 8, 40), taCenter, tlBottom, Rect(0, 40 - h, 8, 40)},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(FitCheckBoxRect(c.Cell, c.Align, c.Layout), c.Box);
  }
}

TEST_F(EditButtonsEh, CheckBoxFacesShowTheirStates)
{
  // The classic box: a white inside, a mark when checked, a grey face when grayed.
  TColor window = ColorToRGB(clWindow);
  auto probe = [&](Integer state, bool enabled) {
    auto bmp = Canvas(13, 13);
    DrawCheckBoxFace(bmp->Canvas(), Rect(0, 0, 13, 13), state, false, false, false, enabled);
    Integer marked = 0;
    for (Integer y = 2; y < 11; ++y)
      for (Integer x = 2; x < 11; ++x)
        marked += bmp->Canvas()->Pixels(x, y) != window &&
                  bmp->Canvas()->Pixels(x, y) != ColorToRGB(clBtnFace);
    return std::pair{bmp->Canvas()->Pixels(2, 2), marked};
  };
  auto [face0, mark0] = probe(0, true);
  auto [face1, mark1] = probe(1, true);
  auto [face2, mark2] = probe(2, true);
  EXPECT_EQ(face0, window);
  EXPECT_EQ(mark0, 0);
  EXPECT_GT(mark1, 5);
  EXPECT_NE(face2, window) << "a grayed box has no white inside";
  EXPECT_GT(mark2, 5);
}

TEST_F(EditButtonsEh, CacheKeepsOneFacePerDescriptionAndStaysBounded)
{
  TButtonsBitmapCache cache;
  TButtonBitmapDescriptionEh d;
  d.Width = 16;
  d.Height = 18;
  TBitmap* first = cache.BitmapFor(d);
  EXPECT_EQ(cache.BitmapFor(d), first);
  for (auto change : std::initializer_list<void (*)(TButtonBitmapDescriptionEh&)>{
           [](TButtonBitmapDescriptionEh& x) { x.Pressed = true; },
           [](TButtonBitmapDescriptionEh& x) { x.Flat = true; },
           [](TButtonBitmapDescriptionEh& x) { x.Enabled = false; },
           [](TButtonBitmapDescriptionEh& x) { x.Kind = bpkEllipsis; },
           [](TButtonBitmapDescriptionEh& x) { x.Width = 17; }}) {
    TButtonBitmapDescriptionEh other = d;
    change(other);
    EXPECT_NE(cache.BitmapFor(other), first);
  }
  EXPECT_EQ(cache.Count(), 6);
  TButtonBitmapDescriptionEh negative = d;
  negative.Width = -5;
  TButtonBitmapDescriptionEh zero = d;
  zero.Width = 0;
  EXPECT_EQ(cache.BitmapFor(negative), cache.BitmapFor(zero));
  EXPECT_EQ(cache.BitmapFor(zero)->Width(), 0);
  for (Integer w = 1; w <= TButtonsBitmapCache::MaxEntries + 10; ++w) {
    d.Width = w;
    cache.BitmapFor(d);
  }
  EXPECT_LE(cache.Count(), TButtonsBitmapCache::MaxEntries);
  cache.Clear();
  EXPECT_EQ(cache.Count(), 0);
  SharedButtonBitmaps()->BitmapFor(d);
  FlushButtonBitmaps();
  EXPECT_EQ(SharedButtonBitmaps()->Count(), 0);
}

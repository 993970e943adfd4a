// The data-aware check box: states read from Boolean fields and from lists of texts, toggling
// with and without the grayed state, storing on leaving before OnExit, data-independent
// values, a binding without a data source, and the box placed by the alignment.
#include "controls/eh/DBCtrlsEh.h"
#include "platform/data/MemDataSet.h"
#include "tests/controls/eh/EhEditorTestKit.h"
#include "tests/platform/ui/UiTestKit.h"

class DBCheckBoxEh : public EhEditorTest {
protected:
  TDBCheckBoxEh* Box = nullptr;

  void SetUp() override
  {
    UiTest::SetUp();
    MakeData({{"Flag", ftString, 10}, {"Paid", ftBoolean}},
             {{Variant("y"), Variant(true)}, {Variant("maybe"), Null()}});
    MakeForm(300, 150);
    Box = gallery::Put<TDBCheckBoxEh>(Form, 10, 10, 120, 17);
    Box->SetCaption("已付款");
    PlaceOther(50);
    ShowForm(nullptr);
  }
  void Bind(const char* field)
  {
    Box->SetDataSource(Source);
    Box->SetDataField(field);
  }
  void ClickBox() { Headless().Click(Box->ClientToScreen({5, 8})); }
};

TEST_F(DBCheckBoxEh, TextListsMapFieldTextsToStates)
{
  Box->SetValueChecked("Yes;Y;1");
  Box->SetValueUnchecked("No;N;0");
  Bind("Flag");
  EXPECT_EQ(Box->State(), cbChecked) << "\"y\" matches the second entry, case ignored";
  ClickBox();
  EXPECT_EQ(Box->State(), cbUnchecked);
  ClickBox();
  EXPECT_EQ(Box->State(), cbChecked);
  Data->Post();
  EXPECT_EQ(Data->FieldByName("Flag")->AsString(), "Yes") << "the first entry is written";

  Data->Next();
  EXPECT_EQ(Box->State(), cbGrayed) << "a text in neither list";
  ClickBox();
  EXPECT_EQ(Box->State(), cbChecked);
  Other->SetFocus();
  EXPECT_EQ(Data->FieldByName("Flag")->AsString(), "Yes") << "leaving stores";
}

TEST_F(DBCheckBoxEh, BooleanFieldsAndTheGrayedCycle)
{
  Bind("Paid");
  EXPECT_EQ(Box->State(), cbChecked);
  Data->Next();
  EXPECT_EQ(Box->State(), cbGrayed) << "a null Boolean without AllowGrayed";
  Data->First();
  Box->SetAllowGrayed(true);
  std::vector<TCheckBoxState> seen;
  Box->OnClick = [&](TObject*) { seen.push_back(Box->State()); };
  for (Integer i = 0; i < 3; ++i)
    ClickBox();
  EXPECT_EQ(seen, (std::vector<TCheckBoxState>{cbUnchecked, cbGrayed, cbChecked}));
  ClickBox();
  Data->Post();
  EXPECT_FALSE(Data->FieldByName("Paid")->IsNull());
  EXPECT_FALSE(Data->FieldByName("Paid")->AsBoolean());
}

TEST_F(DBCheckBoxEh, LeavingStoresBeforeOnExit)
{
  Bind("Paid");
  bool storedAtExit = false;
  Box->OnExit = [&](TObject*) {
    storedAtExit = !Data->FieldByName("Paid")->IsNull() && !Data->FieldByName("Paid")->AsBoolean();
  };
  ClickBox();
  EXPECT_EQ(Box->State(), cbUnchecked);
  Other->SetFocus();
  EXPECT_TRUE(storedAtExit);
}

TEST_F(DBCheckBoxEh, DataIndependentValuesAndAMissingDataSource)
{
  EXPECT_TRUE(Box->IsDataIndependent());
  EXPECT_EQ(Box->State(), cbUnchecked);
  EXPECT_EQ(Box->DataLink()->DataIndependentValue(), Variant(false));
  Box->SetState(cbGrayed);
  EXPECT_TRUE(VarIsNull(Box->DataLink()->DataIndependentValue()));
  Box->SetChecked(true);
  EXPECT_EQ(Box->DataLink()->DataIndependentValue(), Variant(true));
  ClickBox();
  Other->SetFocus();
  EXPECT_EQ(Box->DataLink()->DataIndependentValue(), Variant(false));

  // A field name without a data source: bound, but there is nothing to store into.
  Box->SetDataField("Paid");
  EXPECT_FALSE(Box->IsDataIndependent());
  Box->SetChecked(true);
  EXPECT_TRUE(Box->Checked());
  ClickBox();
  Other->SetFocus();
}

TEST_F(DBCheckBoxEh, CancelModeGivesNoClickAndTheBoxFollowsTheAlignment)
{
  Bind("Paid");
  Box->SetFocus();
  Integer clicks = 0;
  Box->OnClick = [&](TObject*) { ++clicks; };
  Headless().Press(hbLeft, Box->ClientToScreen({5, 8}));
  Box->Perform(WM_CANCELMODE, 0, 0);
  Headless().Release(hbLeft, Box->ClientToScreen({5, 8}));
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(Box->State(), cbChecked);

  EXPECT_EQ(Box->BoxRect().Left, 0) << "caption on the right: the box at the left";
  EXPECT_EQ(Box->CaptionRect().Left, Box->BoxRect().Right + 5);
  Box->SetAlignment(taLeftJustify);
  EXPECT_EQ(Box->BoxRect().Right, Box->ClientWidth());
  EXPECT_EQ(Box->CaptionRect().Right, Box->BoxRect().Left - 5);
}

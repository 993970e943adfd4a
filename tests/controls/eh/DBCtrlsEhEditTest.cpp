// The data-aware edit box: edit and display texts, storing on leaving and on writing, Esc,
// keys that never go in, MaxLength from the field, OnUpdateData, a data-independent value
// with a mask, and a binding without a data source.
#include "controls/eh/DBCtrlsEh.h"
#include "platform/data/MemDataSet.h"
#include "tests/controls/eh/EhEditorTestKit.h"
#include "tests/platform/ui/UiTestKit.h"

class DBEditEh : public EhEditorTest {
protected:
  TDBEditEh* Edit = nullptr;

  void SetUp() override
  {
    UiTest::SetUp();
    MakeData({{"Name", ftString, 20}, {"Price", ftFloat}},
             {{Variant("张三"), Variant(1.5)}, {Variant("李四"), Variant(2.25)}});
    static_cast<TFloatField*>(Data->FieldByName("Price"))->SetDisplayFormat("0.00元");
    MakeForm(300, 150);
    Edit = gallery::Put<TDBEditEh>(Form, 10, 10, 150, 21);
    PlaceOther(50);
    ShowForm(Other);
  }
  void Bind(const char* field)
  {
    Edit->SetDataSource(Source);
    Edit->SetDataField(field);
  }
};

TEST_F(DBEditEh, FocusedShowsTheEditTextAndLeavingStores)
{
  Bind("Price");
  EXPECT_EQ(Edit->Text(), "1.50元") << "display text while unfocused";
  Edit->SetFocus();
  EXPECT_EQ(Edit->Text(), "1.5") << "edit text while focused";
  Edit->SelectAll();
  Headless().Type("3.75");
  EXPECT_EQ(Data->State(), dsEdit) << "typing started the edit";
  bool storedAtExit = true;
  Edit->OnExit = [&](TObject*) { storedAtExit = Data->FieldByName("Price")->AsFloat() == 3.75; };
  Other->SetFocus();
  EXPECT_FALSE(storedAtExit) << "OnExit comes before the value is stored";
  EXPECT_EQ(Data->FieldByName("Price")->AsFloat(), 3.75);
  EXPECT_EQ(Edit->Text(), "3.75元");
  Data->Post();
  Data->Next();
  EXPECT_EQ(Edit->Text(), "2.25元");
}

TEST_F(DBEditEh, EscRestoresAndLineEndsNeverGoIn)
{
  Bind("Name");
  EXPECT_EQ(Edit->MaxLength(), 20) << "from the field's size";
  Edit->SetFocus();
  Edit->SelectAll();
  Headless().Type("王五");
  EXPECT_EQ(Edit->Text(), "王五");
  Headless().Key(VK_ESCAPE);
  EXPECT_EQ(Edit->Text(), "张三");
  EXPECT_EQ(GetFocus(), Edit->Handle());
  for (char c : {'\t', '\n'})
    Edit->Perform(WM_CHAR, static_cast<unsigned char>(c), 0);
  Edit->Perform(WM_CHAR, '\r', 0);
  EXPECT_EQ(Edit->Text(), "张三");
  Edit->SetSelStart(0);
  Edit->SetSelLength(0);
  Headless().Key('A', false, true);
  EXPECT_EQ(Edit->SelLength(), static_cast<Integer>(AnsiString("张三").size()));
  Edit->SetSelLength(0);
  Headless().Key('A', true, true);
  EXPECT_EQ(Edit->SelLength(), 0) << "Ctrl+Shift+A is not select-all";

  Edit->SetMaxLength(10);
  Edit->SetDataField("Price");
  Edit->SetDataField("Name");
  EXPECT_EQ(Edit->MaxLength(), 10) << "a length the user set stays";
}

TEST_F(DBEditEh, RejectedCharactersBeepAndStoreFailuresKeepTheFocus)
{
  Bind("Price");
  Edit->SetFocus();
  Edit->SelectAll();
  Integer beeps = Headless().Beeps();
  Headless().Type("x");
  EXPECT_EQ(Headless().Beeps(), beeps + 1);
  EXPECT_EQ(Edit->Text(), "1.5") << "the letter was dropped";
  Headless().Type("1..2");
  try {
    Other->SetFocus();
  } catch (const Exception&) {
  }
  EXPECT_EQ(GetFocus(), Edit->Handle()) << "a value the field refuses keeps the focus";
  EXPECT_EQ(Edit->SelLength(), static_cast<Integer>(Edit->Text().size()));
}

TEST_F(DBEditEh, OnUpdateDataHandledStoresNothing)
{
  Bind("Name");
  Integer asked = 0;
  Edit->OnUpdateData = [&](TObject*, bool& handled) {
    ++asked;
    handled = true;
  };
  Edit->SetFocus();
  Edit->SelectAll();
  Headless().Type("王五");
  Other->SetFocus();
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(Data->FieldByName("Name")->AsString(), "张三");
  EXPECT_FALSE(Edit->DataLink()->Modified());
}

TEST_F(DBEditEh, DataIndependentValuesAndAMissingDataSource)
{
  EXPECT_TRUE(Edit->IsDataIndependent());
  EXPECT_TRUE(VarIsNull(Edit->Value()));
  Edit->SetEditMask("000-0000;1;_");
  Edit->SetFocus();
  Headless().Type("1234567");
  Other->SetFocus();
  EXPECT_EQ(Edit->Value(), Variant("123-4567")) << "stored with the mask's literals";
  Edit->SetValue(Variant("765-4321"));
  EXPECT_EQ(Edit->Value(), Variant("765-4321"));

  // A text the mask refuses fails before OnExit, and the focus stays.
  Integer exits = 0;
  Edit->OnExit = [&](TObject*) { ++exits; };
  Edit->SetFocus();
  Edit->SelectAll();
  Headless().Type("12");
  EXPECT_THROW(Other->SetFocus(), EDBEditError);
  EXPECT_EQ(exits, 0);
  EXPECT_EQ(GetFocus(), Edit->Handle());
  Headless().Key(VK_ESCAPE);
  EXPECT_EQ(Edit->EditText(), "765-4321") << "Esc brings the stored value back";
  Other->SetFocus();
  EXPECT_EQ(exits, 1);
  Edit->OnExit = nullptr;

  // A field name without a data source stays bound: a write shows and stores nothing.
  Edit->SetEditMask("");
  Edit->SetDataField("Name");
  EXPECT_FALSE(Edit->IsDataIndependent());
  Edit->SetTextEh("王五");
  EXPECT_EQ(Edit->Text(), "王五");
  EXPECT_TRUE(VarIsNull(Edit->Value()));
  Edit->SetDataField("");
  EXPECT_TRUE(Edit->IsDataIndependent());
  EXPECT_TRUE(VarIsNull(Edit->Value())) << "clearing both starts again from Null";
}

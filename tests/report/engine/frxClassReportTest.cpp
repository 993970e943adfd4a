// The report document: defaults, the stored lists, loading and saving with the options a
// load keeps, the password, files, the dataset list, and the waybill definitions the
// program generates.
#include <functional>

#include <gtest/gtest.h>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/Registry.h"
#include "platform/rtl/Streams.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/backend/headless/Headless.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxPasswordForm.h"
#include "report/engine/frxStyles.h"
#include "report/engine/frxUtils.h"
#include "report/engine/frxVariables.h"
#include "report/engine/frxXML.h"
#include "report/engine/frxXMLSerializer.h"

namespace {

const char* const EmptyPropData = "0844617461736574730100095661726961626C65730100055374796C650100";

AnsiString SaveText(TfrxReport* Report)
{
  TStringStream out;
  Report->SaveToStream(&out);
  return out.DataString();
}

void LoadText(TfrxReport* Report, const AnsiString& Text)
{
  TStringStream in(Text);
  Report->LoadFromStream(&in);
}

AnsiString ReadFile(const AnsiString& Path)
{
  TFileStream stream(Path, fmOpenRead);
  AnsiString text(static_cast<size_t>(stream.Size()), '\0');
  stream.ReadBuffer(text.data(), static_cast<Integer>(text.size()));
  return text;
}

// The root element's attribute text of a report definition.
AnsiString RootAttributes(const AnsiString& Text)
{
  TfrxXMLDocument doc;
  TStringStream in(Text);
  doc.LoadFromStream(&in);
  return doc.Root()->Text();
}

// Every object as "Class Name attributes", in tree order.
std::vector<AnsiString> Describe(TfrxReport* Report)
{
  std::vector<AnsiString> result;
  TfrxXMLSerializer serializer(nullptr);
  serializer.SetOwner(Report);
  result.push_back(serializer.ObjToXML(Report));
  TList* all = Report->AllObjects();
  for (Integer i = 0; i < all->Count(); ++i) {
    auto* obj = static_cast<TfrxComponent*>(all->Items(i));
    result.push_back(obj->ClassName() + " " + obj->Name() + serializer.ObjToXML(obj));
  }
  return result;
}

// Error boxes the report would show.
std::vector<AnsiString> GErrorBoxes;

class frxReportTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    Headless().Reset();
    GErrorBoxes.clear();
    SetErrorMessageBox(
        [](const AnsiString& Text, const AnsiString&) { GErrorBoxes.push_back(Text); });
  }
  void TearDown() override
  {
    SetErrorMessageBox(nullptr);
    Headless().Reset();
  }
};

} // namespace

TEST_F(frxReportTest, NewReportDefaultsAndTheEmptyStoredLists)
{
  TfrxReport report(nullptr);
  EXPECT_EQ(report.ScriptText()->Count(), 3);
  EXPECT_EQ(report.ScriptText()->Strings(0), "begin");
  EXPECT_EQ(report.ScriptText()->Strings(1), "");
  EXPECT_EQ(report.ScriptText()->Strings(2), "end.");
  EXPECT_EQ(report.ScriptLanguage(), "PascalScript");
  EXPECT_EQ(report.IniFile(), "\\Software\\Ridu Zirezod");
  EXPECT_EQ(report.SystemVariables()->CommaText(),
            "Date,Time,Page,Page#,TotalPages,TotalPages#,Line,Line#");
  EXPECT_EQ(report.PrintOptions()->Printer(), "缺省");
  EXPECT_TRUE(report.ShowProgress());
  EXPECT_EQ(report.PreviewOptions()->Buttons(), TfrxPreviewOptions::AllButtons());
  EXPECT_EQ(report.EngineOptions()->MaxMemSize(), 10);
  EXPECT_TRUE(report.EngineOptions()->ReloadAfterBuild());

  // A report writes its three lists even when they are empty, as the waybill XML does.
  const AnsiString attributes = RootAttributes(SaveText(&report));
  EXPECT_NE(attributes.find(" PropData=\"" + AnsiString(EmptyPropData) + "\""), AnsiString::npos)
      << attributes;
  EXPECT_NE(attributes.find("DotMatrixReport=\"False\""), AnsiString::npos);
  EXPECT_NE(attributes.find("ScriptText.Text=\"begin&#13;&#10;&#13;&#10;end.\""), AnsiString::npos);
}

// Text properties whose new value is not empty come back empty when they were saved empty
// (a second save of such a report differed from the first).
TEST_F(frxReportTest, EmptiedTextPropertiesSurviveSaveAndLoad)
{
  struct TCase {
    const char* Name;
    std::function<void(TfrxReport*, const AnsiString&)> Set;
    std::function<AnsiString(TfrxReport*)> Get;
  };
  auto memo = [](TfrxReport* r) { return static_cast<TfrxMemoView*>(r->FindObject("Memo1")); };
  const TCase cases[] = {
      {"ScriptLanguage", [](TfrxReport* r, const AnsiString& v) { r->SetScriptLanguage(v); },
       [](TfrxReport* r) { return r->ScriptLanguage(); }},
      {"PrintOptions.Printer",
       [](TfrxReport* r, const AnsiString& v) { r->PrintOptions()->SetPrinter(v); },
       [](TfrxReport* r) { return r->PrintOptions()->Printer(); }},
      {"Memo1.ExpressionDelimiters",
       [memo](TfrxReport* r, const AnsiString& v) { memo(r)->SetExpressionDelimiters(v); },
       [memo](TfrxReport* r) { return memo(r)->ExpressionDelimiters(); }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TfrxReport report(nullptr);
    auto* page = new TfrxReportPage(&report);
    page->SetName("Page1");
    (new TfrxMemoView(page))->SetName("Memo1");
    ASSERT_NE(c.Get(&report), "");
    c.Set(&report, "");
    const AnsiString saved = SaveText(&report);
    TfrxReport loaded(nullptr);
    LoadText(&loaded, saved);
    EXPECT_EQ(c.Get(&loaded), "");
    EXPECT_EQ(SaveText(&loaded), saved);
  }
}

TEST_F(frxReportTest, VariablesStylesAndDataSetsSurviveSaveAndLoad)
{
  // Datasets belong to the program, not to the report.
  TfrxUserDataSet data(nullptr);
  data.SetName("Data");
  TfrxReport report(nullptr);
  report.DataSets()->Add(&data);
  report.Variables()->Add()->SetName(" Totals");
  TfrxVariable* rate = report.Variables()->Add();
  rate->SetName("Rate");
  rate->SetValue(Variant(AnsiString("1.5*2")));
  TfrxStyleItem* style = report.Styles()->Add();
  style->SetName("Title");
  style->SetColor(255);
  auto* page = new TfrxReportPage(&report);
  page->SetName("Page1");
  auto* memo = new TfrxMemoView(page);
  memo->SetName("Memo1");
  memo->SetStyle("Title");

  const AnsiString text = SaveText(&report);
  EXPECT_NE(RootAttributes(text).find(
                "PropData=\"08446174617365747301010C2200000020446174615365743D224461746122"
                "20446174615365744E616D653D2244617461220000"),
            AnsiString::npos)
      << RootAttributes(text);

  TfrxReport loaded(nullptr);
  LoadText(&loaded, text);
  EXPECT_EQ(loaded.Errors()->Count(), 0) << loaded.Errors()->Text();
  ASSERT_EQ(loaded.DataSets()->Count(), 1);
  EXPECT_EQ(loaded.DataSets()->Items(0)->DataSet(), &data);
  ASSERT_EQ(loaded.Variables()->Count(), 2);
  EXPECT_EQ(loaded.Variables()->Items(0)->Name(), " Totals");
  EXPECT_EQ(VarToStr(loaded.Variables()->Variables("Rate")), "1.5*2");
  ASSERT_EQ(loaded.Styles()->Count(), 1);
  EXPECT_EQ(loaded.Styles()->Items(0)->Color(), 255);
  EXPECT_EQ(static_cast<TfrxMemoView*>(loaded.FindObject("Memo1"))->Color(), 255);
  EXPECT_EQ(Describe(&loaded), Describe(&report));
}

// The definitions the waybill generator writes load and save back with the same objects
// and values.
TEST_F(frxReportTest, WaybillDefinitionsRoundTrip)
{
  for (const char* name : {"waybill-three-labels.xml", "waybill-escaped.xml"}) {
    SCOPED_TRACE(name);
    TfrxReport report(nullptr);
    LoadText(&report, ReadFile(AnsiString(QH_FIXTURES "/") + name));
    EXPECT_EQ(report.Errors()->Count(), 0) << report.Errors()->Text();
    ASSERT_EQ(report.PageCount(), 1);
    auto* page = dynamic_cast<TfrxReportPage*>(report.Pages(0));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->PaperWidth(), 230);
    EXPECT_EQ(page->PaperSize(), 256);
    EXPECT_EQ(page->Font()->Name(), "宋体");
    EXPECT_EQ(report.PrintOptions()->Printer(), "缺省");
    EXPECT_NEAR(static_cast<double>(report.ReportOptions()->CreateDate()), 41604.6047484375, 1e-9);
    EXPECT_EQ(report.Tag(), 46);
    auto* hidden = dynamic_cast<TfrxMemoView*>(report.FindObject("l14"));
    ASSERT_NE(hidden, nullptr);
    EXPECT_FALSE(hidden->Visible());
    EXPECT_EQ(hidden->Font()->Height(), -18);

    TfrxReport copy(nullptr);
    LoadText(&copy, SaveText(&report));
    EXPECT_EQ(Describe(&copy), Describe(&report));
  }
}

// A load takes only ConvertNulls, DoublePass, OutlineVisible and OutlineWidth from the file;
// the other options, IniFile, OldStyleProgress and ShowProgress stay as they were.
TEST_F(frxReportTest, LoadKeepsTheOptionsTheFileDoesNotDecide)
{
  TfrxReport source(nullptr);
  source.EngineOptions()->SetConvertNulls(false);
  source.EngineOptions()->SetDoublePass(true);
  source.EngineOptions()->SetMaxMemSize(99);
  source.EngineOptions()->SetSilentMode(true);
  source.EngineOptions()->SetUseFileCache(true);
  source.EngineOptions()->SetTempDir("/file");
  source.PreviewOptions()->SetOutlineVisible(true);
  source.PreviewOptions()->SetOutlineWidth(200);
  source.PreviewOptions()->SetModal(false);
  source.PreviewOptions()->SetZoom(2);
  source.SetIniFile("/file.ini");
  source.SetOldStyleProgress(true);
  source.SetShowProgress(false);
  source.ReportOptions()->SetAuthor("Li");
  source.ReportOptions()->Description()->SetText("one\r\ntwo");
  const AnsiString text = SaveText(&source);

  TfrxReport report(nullptr);
  report.EngineOptions()->SetMaxMemSize(5);
  report.EngineOptions()->SetTempDir("/mine");
  report.PreviewOptions()->SetZoom(0.5);
  LoadText(&report, text);
  EXPECT_FALSE(report.EngineOptions()->ConvertNulls());
  EXPECT_TRUE(report.EngineOptions()->DoublePass());
  EXPECT_EQ(report.EngineOptions()->MaxMemSize(), 5);
  EXPECT_FALSE(report.EngineOptions()->SilentMode());
  EXPECT_FALSE(report.EngineOptions()->UseFileCache());
  EXPECT_EQ(report.EngineOptions()->TempDir(), "/mine");
  EXPECT_TRUE(report.PreviewOptions()->OutlineVisible());
  EXPECT_EQ(report.PreviewOptions()->OutlineWidth(), 200);
  EXPECT_TRUE(report.PreviewOptions()->Modal());
  EXPECT_EQ(report.PreviewOptions()->Zoom(), 0.5);
  EXPECT_EQ(report.IniFile(), "\\Software\\Ridu Zirezod");
  EXPECT_FALSE(report.OldStyleProgress());
  EXPECT_TRUE(report.ShowProgress());
  // The report's own options come from the file.
  EXPECT_EQ(report.ReportOptions()->Author(), "Li");
  EXPECT_EQ(report.ReportOptions()->Description()->Text(), "one\r\ntwo\r\n");
}

namespace {

// A stream that accepts nothing.
class TFullDisk : public TStream {
public:
  Integer Read(void*, Integer) override { return 0; }
  Integer Write(const void*, Integer) override { throw EWriteError("Stream write error"); }
  Int64 Seek(Int64, Word) override { return 0; }
};

} // namespace

TEST_F(frxReportTest, PasswordIsStoredScrambledAndSurvivesAFailedSave)
{
  struct TCase {
    const char* Name;
    AnsiString Password, Stored;
  };
  const TCase cases[] = {
      {"letters", "abc", "WXY"},
      {"a code below 10 wraps", AnsiString("a\x05", 2), AnsiString("W\xFB", 2)},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TfrxReport report(nullptr);
    report.ReportOptions()->SetPassword(c.Password);
    TFullDisk full;
    EXPECT_THROW(report.SaveToStream(&full), Exception);
    EXPECT_EQ(report.ReportOptions()->Password(), c.Password);
    const AnsiString text = SaveText(&report);
    EXPECT_EQ(report.ReportOptions()->Password(), c.Password);
    EXPECT_NE(RootAttributes(text).find("ReportOptions.Password=\"" + StrToXML(c.Stored) + "\""),
              AnsiString::npos);

    // Typing the password opens the report; a wrong one or Cancel leave it empty and stop
    // the caller silently, without an error box.
    TfrxReport right(nullptr);
    Headless().QueueStep([&] {
      // A control byte cannot be typed; it goes into the edit directly.
      if (static_cast<unsigned char>(c.Password.back()) < 0x20)
        static_cast<TfrxPasswordForm*>(Screen()->ActiveForm())->PasswordE->SetText(c.Password);
      else
        Headless().Type(c.Password);
      Headless().Key(VK_RETURN);
    });
    LoadText(&right, text);
    EXPECT_EQ(right.ReportOptions()->Password(), c.Password);

    TfrxReport wrong(nullptr);
    Headless().QueueStep([] {
      Headless().Type("nope");
      Headless().Key(VK_RETURN);
    });
    auto* page = new TfrxReportPage(&wrong);
    EXPECT_THROW(LoadText(&wrong, text), EAbort);
    EXPECT_EQ(wrong.PageCount(), 0);
    EXPECT_EQ(wrong.ReportOptions()->Password(), "");
    (void)page;

    TfrxReport cancelled(nullptr);
    Headless().QueueStep([] { Headless().Key(VK_ESCAPE); });
    EXPECT_THROW(LoadText(&cancelled, text), EAbort);
    EXPECT_EQ(cancelled.PageCount(), 0);
  }
  EXPECT_TRUE(GErrorBoxes.empty());
}

TEST_F(frxReportTest, LoadErrorsShowOneBoxUnlessSilent)
{
  const AnsiString text = "<?xml version=\"1.0\" encoding=\"utf-8\"?><TfrxReport Name=\"\">"
                          "<TfrxNoSuchPage Name=\"P\"/><TfrxNoSuchBand/></TfrxReport>";
  TfrxReport report(nullptr);
  LoadText(&report, text);
  EXPECT_EQ(report.Errors()->Count(), 2);
  ASSERT_EQ(GErrorBoxes.size(), 1u);
  EXPECT_EQ(GErrorBoxes[0].find("发生下列的错误:\r\n"), 0u);
  EXPECT_NE(GErrorBoxes[0].find("TfrxNoSuchBand"), AnsiString::npos);

  report.EngineOptions()->SetSilentMode(true);
  LoadText(&report, text);
  EXPECT_EQ(report.Errors()->Count(), 2);
  EXPECT_EQ(GErrorBoxes.size(), 1u);
}

TEST_F(frxReportTest, Files)
{
  const AnsiString dir = IncludeTrailingPathDelimiter(GetTempPath()) + "frxReportTest";
  ForceDirectories(dir);
  const AnsiString path = dir + "/报表.va3";
  DeleteFile(path);

  TfrxReport report(nullptr);
  new TfrxReportPage(&report);
  EXPECT_FALSE(report.LoadFromFile(path));
  EXPECT_EQ(report.PageCount(), 0);
  EXPECT_EQ(report.FileName(), "");
  EXPECT_THROW(report.LoadFromFile(path, true), EFOpenError);

  auto* page = new TfrxReportPage(&report);
  page->SetName("Page1");
  report.SaveToFile(path);
  TfrxReport loaded(nullptr);
  EXPECT_TRUE(loaded.LoadFromFile(path));
  EXPECT_EQ(loaded.FileName(), path);
  EXPECT_NE(loaded.FindObject("Page1"), nullptr);
  DeleteFile(path);

  // The settings store: the registry-backed one for a "\Software\" path.
  std::unique_ptr<TCustomIniFile> store(report.OpenIniFile());
  EXPECT_NE(dynamic_cast<TRegistryIniFile*>(store.get()), nullptr);
  report.SetIniFile(dir + "/settings.ini");
  store.reset(report.OpenIniFile());
  EXPECT_NE(dynamic_cast<TIniFile*>(store.get()), nullptr);
}

TEST_F(frxReportTest, DataSetList)
{
  TfrxReport report(nullptr);
  auto* customers = new TfrxUserDataSet(&report);
  customers->SetUserName("Customers");
  auto* orders = new TfrxUserDataSet(&report);
  orders->SetUserName("Orders");
  auto* stray = new TfrxUserDataSet(&report);
  stray->SetUserName("Stray");
  report.DataSets()->Add(customers);
  report.DataSets()->Add(orders);

  struct TCase {
    const char* Text;
    TfrxDataSet* DataSet;
    const char* Field;
  } cases[] = {
      {"Customers.\"Name\"", customers, "Name"},
      {"customers.\"Name\"", customers, "Name"},
      {"Orders.\"A.\"B\"\"", orders, "A.\"B\""},
      {"Stray.\"Name\"", nullptr, "Name"},
      {"Customers", nullptr, ""},
      {"Customers.Name", nullptr, ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Text);
    TfrxDataSet* ds = reinterpret_cast<TfrxDataSet*>(1);
    AnsiString field = "x";
    report.SplitDataSetField(c.Text, ds, field);
    EXPECT_EQ(ds, c.DataSet);
    EXPECT_EQ(field, c.Field);
  }
  EXPECT_EQ(report.GetDataset("ORDERS"), orders);
  EXPECT_EQ(report.DataSetDisplayName(customers), "Customers");
  EXPECT_EQ(report.DataSetDisplayName(stray), "(数据集未加入至 Report.DataSets)");
  EXPECT_EQ(report.DataSetDisplayName(nullptr), "");

  // The report's master dataset and the list share a dataset; dropping the master reference
  // must not stop the list from hearing of the dataset's end.
  report.SetDataSet(orders);
  EXPECT_EQ(report.DataSetName(), "Orders");
  report.SetDataSet(nullptr);
  delete orders;
  ASSERT_EQ(report.DataSets()->Count(), 1);
  EXPECT_EQ(report.DataSets()->Items(0)->DataSet(), customers);

  TStringList names;
  report.ListDataSets(&names);
  EXPECT_EQ(names.CommaText(), "Customers");
  report.ListDataSets(&names, true);
  EXPECT_EQ(names.Count(), 0);
}

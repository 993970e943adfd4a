// The prepared pages: how a build is stored as differences, rebuilt, cut and pasted,
// edited, cached in a file, saved and loaded as a prepared report, and the outline and
// anchors kept with it.
#include "report/engine/frxPreviewPages.h"

#include <set>

#include <gtest/gtest.h>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/TypInfo.h"
#include "platform/ui/backend/headless/Headless.h"
#include "report/engine/frxXML.h"
#include "tests/report/engine/ReportFixtures.h"

namespace {

class frxPreviewPagesTest : public ::testing::Test {
protected:
  void SetUp() override { Headless().Reset(); }
  void TearDown() override { Headless().Reset(); }

  // A list report over Rows, built.
  std::unique_ptr<TfrxReport> BuildList(std::vector<TListRow> Rows)
  {
    data = std::make_unique<TListData>(std::move(Rows));
    auto report = std::make_unique<TfrxReport>(nullptr);
    report->EngineOptions()->SetSilentMode(true);
    BuildListReport(report.get(), data.get());
    EXPECT_TRUE(report->GenerateReport()) << report->Errors()->Text();
    return report;
  }

  std::vector<std::vector<AnsiString>> AllPages(TfrxPreviewPages* Pages)
  {
    std::vector<std::vector<AnsiString>> result;
    for (Integer i = 0; i < Pages->PageCount(); ++i)
      result.push_back(PageLines(Pages->BuildPage(i)));
    return result;
  }

  std::unique_ptr<TListData> data;
};

AnsiString SaveText(TfrxPreviewPages* Pages)
{
  TStringStream out;
  Pages->SaveToStream(&out);
  return out.DataString();
}

} // namespace

// A three-row list: one page whose objects are stored by key with only what differs, and
// rebuilt whole with the source objects' names and settings.
TEST_F(frxPreviewPagesTest, ThreeRowListIsStoredAsDifferences)
{
  auto report =
      BuildList({{"Alice", Variant(12.5)}, {"Bob", Variant(7.25)}, {"Carol", Variant(30)}});
  TfrxPreviewPages* pages = report->PreviewPages();
  ASSERT_EQ(pages->PageCount(), 1);
  EXPECT_EQ(pages->PageSize(0).X, 794);
  EXPECT_EQ(pages->PageSize(0).Y, 1123);

  TfrxXMLItem* page = pages->Document()->Root()->FindItem("previewpages")->Items(0);
  EXPECT_EQ(page->Name(), "page0");
  std::vector<AnsiString> stored;
  for (Integer i = 0; i < page->Count(); ++i)
    stored.push_back(page->Items(i)->Name() + ":" + page->Items(i)->Text());
  const std::vector<AnsiString> expected = {
      "b1: t=\"0\"", "b2: t=\"30\"", "b2: t=\"50\"", "b2: t=\"70\"", "b3: t=\"1026.92981\"",
  };
  EXPECT_EQ(stored, expected);
  TfrxXMLItem* firstRow = page->Items(1);
  ASSERT_EQ(firstRow->Count(), 2);
  EXPECT_EQ(firstRow->Items(0)->Name(), "m2");
  EXPECT_EQ(firstRow->Items(0)->Text(), " x=\"Alice\"");
  EXPECT_EQ(firstRow->Items(1)->Text(), " x=\"12.50\"");

  const std::vector<AnsiString> expectedLines = {
      "ReportTitle1 0",          "Memo1 0 Orders\r\n", "MasterData1 30",
      "Memo2 30 Alice\r\n",      "Memo3 30 12.50\r\n", "MasterData1 50",
      "Memo2 50 Bob\r\n",        "Memo3 50 7.25\r\n",  "MasterData1 70",
      "Memo2 70 Carol\r\n",      "Memo3 70 30.00\r\n", "PageFooter1 1026.92981",
      "Memo5 1026.92981 1/1\r\n"};
  EXPECT_EQ(PageLines(pages->BuildPage(0)), expectedLines);
  auto* memo3 = dynamic_cast<TfrxMemoView*>(pages->BuildPage(0)->FindObject("Memo3"));
  ASSERT_NE(memo3, nullptr);
  EXPECT_EQ(memo3->HAlign(), haRight);
}

// Objects cut from the page and pasted keep their distances: the first lands at (X, Y).
TEST_F(frxPreviewPagesTest, CutAndPasteMoveObjectsTogether)
{
  data = std::make_unique<TListData>(NumberedRows(1));
  auto report = std::make_unique<TfrxReport>(nullptr);
  // The design objects stay those the store knows as sources.
  report->EngineOptions()->SetReloadAfterBuild(false);
  BuildListReport(report.get(), data.get());
  ASSERT_TRUE(report->GenerateReport());
  TfrxPreviewPages* pages = report->PreviewPages();
  TfrxReportPage* page = static_cast<TfrxReportPage*>(report->Pages(0));
  auto* band = page->FindBand(ClassInfoOf<TfrxMasterData>());
  pages->SetCurPage(0);
  const Integer position = pages->GetCurPosition();
  band->SetTop(500);
  pages->AddObject(band);
  band->SetTop(540);
  pages->AddObject(band);
  EXPECT_EQ(pages->GetLastY(), 560);
  pages->CutObjects(position);
  EXPECT_EQ(pages->GetCurPosition(), position);
  pages->PasteObjects(0, 120);
  TfrxXMLItem* item = pages->Document()->Root()->FindItem("previewpages")->Items(0);
  EXPECT_EQ(item->Items(position)->Prop("t"), "120");
  EXPECT_EQ(item->Items(position + 1)->Prop("t"), "160");
  EXPECT_EQ(pages->Document()->Root()->Find("cutted"), -1);
  EXPECT_TRUE(pages->BandExists(band));
}

TEST_F(frxPreviewPagesTest, PageEditing)
{
  auto report = BuildList(NumberedRows(1));
  TfrxPreviewPages* pages = report->PreviewPages();
  const std::vector<AnsiString> built = PageLines(pages->BuildPage(0));
  pages->DeletePage(0);
  EXPECT_EQ(pages->PageCount(), 1);
  pages->AddEmptyPage(0);
  ASSERT_EQ(pages->PageCount(), 2);
  // The new first page is empty, with the paper of the old first page's source page.
  EXPECT_EQ(pages->BuildPage(0)->Objects()->Count(), 0);
  EXPECT_EQ(pages->PageSize(0).Y, pages->PageSize(1).Y);
  EXPECT_EQ(PageLines(pages->BuildPage(1)), built);

  // A page replaced by the preview is stored whole.
  auto replacement = std::make_unique<TfrxReportPage>(nullptr);
  replacement->SetPaperWidth(100);
  replacement->SetPaperHeight(50);
  auto* memo = new TfrxMemoView(replacement.get());
  memo->SetName("Edited");
  memo->SetText("changed");
  pages->ReplacePage(replacement.get(), 1);
  EXPECT_EQ(pages->PageSize(1).X, 378);
  EXPECT_EQ(PageLines(pages->BuildPage(1)), (std::vector<AnsiString>{"Edited 0 changed\r\n"}));
  pages->DeletePage(0);
  EXPECT_EQ(pages->PageCount(), 1);
  EXPECT_EQ(pages->BuildPage(0)->FindObject("Edited")->Name(), "Edited");
}

// Two builds in a row without clearing keep both; page numbers restart with the second.
TEST_F(frxPreviewPagesTest, BuildsAppendAndNumberTheirOwnPages)
{
  auto report = BuildList(NumberedRows(60));
  TfrxPreviewPages* pages = report->PreviewPages();
  const Integer first = pages->PageCount();
  ASSERT_EQ(first, 2);
  ASSERT_TRUE(report->GenerateReport(false));
  ASSERT_EQ(pages->PageCount(), 2 * first);
  auto footer = [pages](Integer Index) {
    return dynamic_cast<TfrxMemoView*>(pages->BuildPage(Index)->FindObject("Memo5"))->Text();
  };
  EXPECT_EQ(footer(1), "2/2\r\n");
  EXPECT_EQ(footer(2), "1/3\r\n");
  EXPECT_EQ(footer(3), "2/4\r\n");
}

// Outline entries and anchors live in the prepared pages.
TEST_F(frxPreviewPagesTest, OutlineAndAnchors)
{
  TfrxReport report(nullptr);
  auto* pages = report.PreviewPages();
  TfrxCustomOutline* outline = pages->Outline();
  pages->SetCurPage(0);
  outline->AddItem("A", 0);
  outline->AddItem("B", 10);
  outline->LevelUp();
  outline->AddItem("C", 20);
  outline->LevelRoot();
  outline->LevelUp();
  ASSERT_EQ(outline->Count(), 1);
  AnsiString text;
  Integer page = -1, top = -1;
  outline->GetItem(0, text, page, top);
  EXPECT_EQ(text, "A");
  outline->LevelDown(0);
  ASSERT_EQ(outline->Count(), 2);
  outline->GetItem(1, text, page, top);
  EXPECT_EQ(text, "C");
  EXPECT_EQ(top, 20);
  EXPECT_THROW(outline->GetItem(2, text, page, top), EListError);

  // Kept bands moved to the next page take the entries after the kept position along.
  TObject* kept = outline->LastItem();
  outline->LevelRoot();
  outline->LevelDown(0);
  outline->LevelDown(0);
  outline->LevelUp();
  outline->AddItem("D", 30);
  outline->LevelUp();
  outline->ShiftItems(kept, 5);
  outline->GetItem(2, text, page, top);
  EXPECT_EQ(text, "D");
  EXPECT_EQ(page, 1);
  EXPECT_EQ(top, 5);

  pages->AddAnchor("x");
  pages->SetCurPage(2);
  pages->AddAnchor("x");
  EXPECT_EQ(pages->GetAnchorPage("X"), 3);
  EXPECT_EQ(pages->GetAnchorPage("nowhere"), 1);
}

// A prepared report saved and read back gives the same pages, sizes, objects, outline and
// anchors, and the report settings it carries.
TEST_F(frxPreviewPagesTest, PreparedReportFileRoundTrip)
{
  auto report = BuildList(NumberedRows(120));
  TfrxPreviewPages* pages = report->PreviewPages();
  ASSERT_GE(pages->PageCount(), 3);
  pages->SetCurPage(1);
  pages->Outline()->AddItem("他说\"好\"\r\n第二行", 40);
  pages->AddAnchor("total");
  report->PreviewOptions()->SetOutlineVisible(true);
  report->PreviewOptions()->SetOutlineWidth(180);
  report->SetDotMatrixReport(true);
  const auto before = AllPages(pages);
  const AnsiString text = SaveText(pages);
  EXPECT_NE(text.find("<m2 name=\"Page0.Memo2\"/>"), AnsiString::npos);
  EXPECT_NE(text.find("<TfrxReport DotMatrixReport=\"1\" PreviewOptions.OutlineVisible=\"1\" "
                      "PreviewOptions.OutlineWidth=\"180\"/>"),
            AnsiString::npos);

  TfrxReport other(nullptr);
  TStringStream in(text);
  other.PreviewPages()->LoadFromStream(&in);
  TfrxPreviewPages* loaded = other.PreviewPages();
  ASSERT_EQ(loaded->PageCount(), pages->PageCount());
  for (Integer i = 0; i < pages->PageCount(); ++i) {
    EXPECT_EQ(loaded->PageSize(i).X, pages->PageSize(i).X);
    EXPECT_EQ(loaded->PageSize(i).Y, pages->PageSize(i).Y);
  }
  EXPECT_EQ(AllPages(loaded), before);
  EXPECT_TRUE(other.DotMatrixReport());
  EXPECT_TRUE(other.PreviewOptions()->OutlineVisible());
  EXPECT_EQ(other.PreviewOptions()->OutlineWidth(), 180);
  AnsiString title;
  Integer page = -1, top = -1;
  loaded->Outline()->LevelRoot();
  loaded->Outline()->GetItem(0, title, page, top);
  EXPECT_EQ(title, "他说\"好\"\r\n第二行");
  EXPECT_EQ(page, 1);
  EXPECT_EQ(loaded->GetAnchorPage("TOTAL"), 2);
}

// With the file cache and a tiny memory limit, finished pages go to the temporary file and
// come back identical; the first two never leave memory.
TEST_F(frxPreviewPagesTest, FileCacheGivesIdenticalPages)
{
  auto plain = BuildList(NumberedRows(400));
  const auto expected = AllPages(plain->PreviewPages());

  TListData rows(NumberedRows(400));
  TfrxReport report(nullptr);
  report.EngineOptions()->SetSilentMode(true);
  report.EngineOptions()->SetUseFileCache(true);
  report.EngineOptions()->SetMaxMemSize(0);
  BuildListReport(&report, &rows);
  ASSERT_TRUE(report.GenerateReport());
  TfrxPreviewPages* pages = report.PreviewPages();
  TfrxXMLItem* items = pages->Document()->Root()->FindItem("previewpages");
  ASSERT_GE(items->Count(), 5);
  EXPECT_TRUE(items->Items(0)->Loaded());
  EXPECT_TRUE(items->Items(1)->Loaded());
  Integer unloaded = 0;
  for (Integer i = 2; i < items->Count(); ++i)
    unloaded += items->Items(i)->Loaded() ? 0 : 1;
  EXPECT_GT(unloaded, 0);
  EXPECT_EQ(AllPages(pages), expected);

  // Writing onto a page that went to the file reads it back first: nothing is lost or
  // reordered.
  const Integer moved = 3;
  pages->Document()->UnloadItem(items->Items(moved));
  ASSERT_FALSE(items->Items(moved)->Loaded());
  auto* extra = new TfrxMemoView(nullptr);
  std::unique_ptr<TfrxMemoView> owner(extra);
  extra->SetName("Extra");
  extra->SetText("added later");
  report.Engine()->SetRunning(true);
  pages->SetCurPage(moved);
  pages->AddObject(extra);
  std::vector<AnsiString> lines = PageLines(pages->BuildPage(moved));
  // An object without a source is stored with its attributes (not its name).
  ASSERT_EQ(lines.back(), " 0 added later\r\n");
  lines.pop_back();
  EXPECT_EQ(lines, expected[static_cast<size_t>(moved)]);
}

// A damaged prepared report is refused whole: the store keeps what it had.
TEST_F(frxPreviewPagesTest, DamagedFilesChangeNothing)
{
  auto report = BuildList(NumberedRows(3));
  TfrxPreviewPages* pages = report->PreviewPages();
  const AnsiString good = SaveText(pages);
  const auto before = AllPages(pages);
  struct TCase {
    const char* Name;
    AnsiString Text;
  } cases[] = {
      {"dictionary value without a full stop",
       StringReplace(good, "name=\"Page0.Memo2\"", "name=\"Page0Memo2\"", TReplaceFlags())},
      {"dictionary page that is not a number",
       StringReplace(good, "name=\"Page0.Memo2\"", "name=\"PageX.Memo2\"", TReplaceFlags())},
      {"dictionary page beyond the source pages",
       StringReplace(good, "name=\"Page0.Memo2\"", "name=\"Page7.Memo2\"", TReplaceFlags())},
      {"page of no source page", StringReplace(good, "<page0", "<page5", TReplaceFlags())},
      {"another root",
       StringReplace(good, "preparedreport>", "other>", TReplaceFlags{rfReplaceAll})},
      {"not closed",
       good.substr(0, good.find("<sourcepages")) + "<sourcepages><TfrxReportPage></x>"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    ASSERT_NE(c.Text, good);
    TStringStream in(c.Text);
    EXPECT_THROW(pages->LoadFromStream(&in), Exception);
    EXPECT_EQ(AllPages(pages), before);
  }
}

// A prepared report cut short anywhere before its root element closes is refused with its
// own message, and the store keeps its pages: the XML reader closes what the end of the
// file leaves open, which once read a file cut after "<previewpages>" as a report of no
// pages. The partial load (pages left in the file until shown) refuses it the same way.
TEST_F(frxPreviewPagesTest, TruncatedFilesAreRefused)
{
  auto report = BuildList(NumberedRows(120));
  TfrxPreviewPages* pages = report->PreviewPages();
  ASSERT_GE(pages->PageCount(), 3);
  const AnsiString good = SaveText(pages);
  const auto before = AllPages(pages);
  auto upTo = [&](const char* Mark, size_t Extra = 0) {
    const size_t at = good.find(Mark);
    EXPECT_NE(at, AnsiString::npos) << Mark;
    return good.substr(0, at + Extra);
  };
  // Every page of one design page is stored as "page0".
  const size_t page1 = good.find("<page0", good.find("<page0") + 1);
  ASSERT_NE(page1, AnsiString::npos);
  const struct {
    const char* Name;
    AnsiString Text;
  } cases[] = {
      {"after the opening of the pages", upTo("<previewpages>", 14)},
      {"between two objects of a page", good.substr(0, good.find("/>", page1) + 2)},
      {"between two pages", good.substr(0, page1)},
      {"after the pages", upTo("</previewpages>", 15)},
      {"inside the dictionary", good.substr(0, good.find("/>", good.find("<dictionary>")) + 2)},
      {"before the root closes", good.substr(0, good.rfind("</preparedreport>"))},
  };
  for (const bool partial : {false, true}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.Name) + (partial ? ", partial load" : ""));
      // A partial load takes the stream over.
      auto* in = new TStringStream(c.Text);
      std::unique_ptr<TStream> owned(partial ? nullptr : in);
      try {
        pages->LoadFromStream(in, partial);
        ADD_FAILURE() << "loaded";
      } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Invalid file format: the prepared report ends too early");
      }
      EXPECT_EQ(pages->PageCount(), static_cast<Integer>(before.size()));
      EXPECT_EQ(AllPages(pages), before);
    }
  }
  // The whole file still loads, also when its root element is followed by blanks.
  TStringStream in(good + "\r\n");
  pages->LoadFromStream(&in);
  EXPECT_EQ(AllPages(pages), before);
}

// The names CreateUniqueName gives, computed the slow way: the first free number at or
// above the largest of 10000, 5000 ... 2 that is taken (1 when none is).
AnsiString ReferenceUniqueName(const std::set<AnsiString>& Taken, const AnsiString& Prefix)
{
  auto taken = [&](Integer n) { return Taken.count(UpperCase(Prefix + IntToStr(n))) > 0; };
  Integer n = 10000;
  while (n > 1 && !taken(n))
    n /= 2;
  while (taken(n))
    ++n;
  return Prefix + IntToStr(n);
}

// Every name given through a mix of added runs, gaps, keys added directly below and above
// the last name, asking without adding, another case of the prefix and Clear is the name
// the full search gives.
TEST(frxDictionary, UniqueNamesAreThoseOfTheFullSearch)
{
  struct TStep {
    char Op; // 'u' AddUnique, 'a' Add Key, 'q' ask only, 'c' Clear
    const char* Prefix;
    Integer Count; // 'u' and 'q': how many times; 'a': the number of the key
  };
  const TStep steps[] = {
      {'u', "m", 3},     {'a', "m", 7},     {'u', "m", 5}, {'q', "m", 2},    {'a', "m", 40},
      {'u', "M", 2},     {'a', "m", 10000}, {'u', "m", 3}, {'a', "b", 3},    {'u', "b", 4},
      {'a', "m", 20000}, {'u', "m", 2},     {'c', "", 0},  {'a', "m", 4},    {'u', "m", 3},
      {'a', "m", 2},     {'u', "m", 2},     {'u', "p", 2}, {'a', "p", 5000}, {'u', "p", 1},
      {'a', "p", 5002},  {'u', "p", 3},     {'q', "l", 1}, {'u', "l", 1},
  };
  TfrxDictionary dictionary;
  std::set<AnsiString> taken;
  int index = 0;
  for (const TStep& step : steps) {
    SCOPED_TRACE(++index);
    if (step.Op == 'c') {
      dictionary.Clear();
      taken.clear();
    } else if (step.Op == 'a') {
      AnsiString key = AnsiString(step.Prefix) + IntToStr(step.Count);
      dictionary.Add(key, "Page0.X", nullptr);
      taken.insert(UpperCase(key));
    } else {
      for (Integer i = 0; i < step.Count; ++i) {
        AnsiString expected = ReferenceUniqueName(taken, step.Prefix);
        if (step.Op == 'q') {
          EXPECT_EQ(dictionary.CreateUniqueName(step.Prefix), expected);
          continue;
        }
        AnsiString name;
        dictionary.AddUnique(step.Prefix, "Page0.X", name, nullptr);
        EXPECT_EQ(name, expected);
        taken.insert(UpperCase(name));
      }
    }
  }
  EXPECT_EQ(dictionary.Count(), static_cast<Integer>(taken.size()));
}

TEST(frxDictionary, UniqueNamesSkipTheTakenRunsQuickly)
{
  TfrxDictionary dictionary;
  AnsiString name;
  dictionary.AddUnique("m", "Page0.Memo1", name, nullptr);
  EXPECT_EQ(name, "m1");
  for (Integer i = 2; i <= 12000; ++i)
    dictionary.Add("m" + IntToStr(i), "Page0.Memo" + IntToStr(i), nullptr);
  EXPECT_EQ(dictionary.CreateUniqueName("m"), "m12001");
  EXPECT_EQ(dictionary.CreateUniqueName("b"), "b1");
  EXPECT_EQ(dictionary.GetSourceName("M7"), "Page0.Memo7");
  EXPECT_EQ(dictionary.GetSourceName("x1"), "");
}

// Report variables: categories, lookups by name and the variables XML file.
#include "report/engine/frxVariables.h"

#include <gtest/gtest.h>

#include "platform/rtl/Classes.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Variants.h"
#include "report/engine/frxXML.h"

namespace {

AnsiString Names(const TfrxVariables& vars)
{
  AnsiString s;
  for (Integer i = 0; i < vars.Count(); ++i)
    s += (i ? "|" : "") + vars.Items(i)->Name();
  return s;
}

AnsiString Joined(TStrings* list)
{
  AnsiString s;
  for (Integer i = 0; i < list->Count(); ++i)
    s += (i ? "|" : "") + list->Strings(i);
  return s;
}

void Fill(TfrxVariables& vars, std::initializer_list<const char*> names)
{
  for (const char* n : names)
    vars.Add()->SetName(n);
}

class frxVariablesCategories : public ::testing::Test {
protected:
  void SetUp() override { Fill(vars, {" Totals", "Sum1", "Sum2", " Other", "X"}); }
  TfrxVariables vars;
  TStringList list;
};

TEST_F(frxVariablesCategories, ListsCategoriesAndTheirVariables)
{
  list.Add("stale");
  vars.ListCategories(&list);
  EXPECT_EQ(Joined(&list), "Totals|Other");
  vars.ListCategories(&list, false);
  EXPECT_EQ(Joined(&list), "Totals|Other|Totals|Other");

  vars.ListCategoryVariables("TOTALS", &list);
  EXPECT_EQ(Joined(&list), "Sum1|Sum2");
  vars.ListCategoryVariables("Other", &list);
  EXPECT_EQ(Joined(&list), "X");
  vars.ListCategoryVariables("", &list);
  EXPECT_EQ(list.Count(), 0);
  vars.ListCategoryVariables("Missing", &list);
  EXPECT_EQ(list.Count(), 0);
}

TEST_F(frxVariablesCategories, VariablesBeforeTheFirstCategoryHaveTheEmptyCategory)
{
  vars.Insert(0)->SetName("Free1");
  vars.Insert(1)->SetName("Free2");
  vars.ListCategoryVariables("", &list);
  EXPECT_EQ(Joined(&list), "Free1|Free2");
}

TEST_F(frxVariablesCategories, AnUnnamedItemEndsTheCategoryList)
{
  vars.Insert(2); // between Sum1 and Sum2
  vars.ListCategoryVariables("Totals", &list);
  EXPECT_EQ(Joined(&list), "Sum1");
}

TEST_F(frxVariablesCategories, DeleteCategoryTakesItsVariables)
{
  vars.DeleteCategory("totals");
  EXPECT_EQ(Names(vars), " Other|X");
  vars.DeleteCategory("Nothing");
  EXPECT_EQ(Names(vars), " Other|X");
  vars.DeleteCategory("Other");
  EXPECT_EQ(vars.Count(), 0);
}

TEST_F(frxVariablesCategories, AddVariableGoesAfterTheCategorysLastVariable)
{
  vars.AddVariable("Totals", "Sum3", 0);
  EXPECT_EQ(Names(vars), " Totals|Sum1|Sum2|Sum3| Other|X");
  EXPECT_EQ(vars.Variables("Sum3"), Variant(0));
  vars.AddVariable("other", "Y", "1+1");
  EXPECT_EQ(Names(vars), " Totals|Sum1|Sum2|Sum3| Other|X|Y");
  vars.AddVariable("Missing", "Z", 1);
  EXPECT_EQ(vars.Count(), 7);
}

TEST_F(frxVariablesCategories, WritingAnUnknownVariableAppendsIt)
{
  vars.SetVariables("New", 5);
  EXPECT_EQ(Names(vars), " Totals|Sum1|Sum2| Other|X|New");
  vars.ListCategoryVariables("Other", &list);
  EXPECT_EQ(Joined(&list), "X|New");
  vars.SetVariables("new", 6); // an existing name, other letter case
  EXPECT_EQ(vars.Count(), 6);
  EXPECT_EQ(vars.Variables("NEW"), Variant(6));
}

TEST(frxVariables, LookupsIgnoreLetterCase)
{
  TfrxVariables vars;
  Fill(vars, {"A", "b", "B"});
  EXPECT_EQ(vars.IndexOf("a"), 0);
  EXPECT_EQ(vars.IndexOf("B"), 1);
  EXPECT_EQ(vars.IndexOf("c"), -1);
  EXPECT_TRUE(VarIsNull(vars.Variables("A"))); // a new variable holds Null
  EXPECT_TRUE(VarIsNull(vars.Variables("c")));
  vars.DeleteVariable("B");
  EXPECT_EQ(Names(vars), "A|B");
  vars.DeleteVariable("none");
  EXPECT_EQ(vars.Count(), 2);
}

TEST(frxVariables, AssignCopiesNameAndValue)
{
  TfrxVariables a, b;
  a.SetVariables("V", "<Price> * 2");
  b.Assign(&a);
  ASSERT_EQ(b.Count(), 1);
  EXPECT_EQ(b.Items(0)->Name(), "V");
  EXPECT_EQ(VarToStr(b.Items(0)->Value()), "<Price> * 2");
}

TEST(frxVariables, StreamRoundTripKeepsOrderNamesAndValues)
{
  TfrxVariables vars;
  vars.Add()->SetName(" Cat");
  vars.AddVariable("Cat", "Total", "Sum(<a>) & \"x\"");
  vars.SetVariables("N", 12);
  TStringStream out;
  vars.SaveToStream(&out);
  const AnsiString text = out.DataString();
  EXPECT_NE(text.find("<variables>"), AnsiString::npos);
  EXPECT_NE(text.find("\r\n  <item Name=\" Cat\""), AnsiString::npos) << text;

  TfrxVariables back;
  back.Add()->SetName("old");
  TStringStream in(text);
  back.LoadFromStream(&in);
  EXPECT_EQ(Names(back), " Cat|Total|N");
  EXPECT_EQ(VarToStr(back.Variables("Total")), "Sum(<a>) & \"x\"");
  EXPECT_EQ(VarToStr(back.Variables("N")), "12");
}

TEST(frxVariables, LoadReadsOnlyAVariablesRootAndItsItems)
{
  const AnsiString head = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";
  TfrxVariables vars;
  vars.SetVariables("Kept", 1);
  TStringStream wrong(head + "<vars><item Name=\"A\" Value=\"1\"/></vars>");
  vars.LoadFromStream(&wrong);
  EXPECT_EQ(vars.Count(), 0);

  TStringStream mixed(head + "<VARIABLES><ITEM Name=\"A\" Value=\"1\"/><other Name=\"B\"/>"
                             "<item Name=\"C\"/></VARIABLES>");
  vars.LoadFromStream(&mixed);
  EXPECT_EQ(Names(vars), "A|C");
}

TEST(frxVariables, FileRoundTrip)
{
  const AnsiString file = IncludeTrailingPathDelimiter(GetTempPath()) + "frxVariablesTest.xml";
  TfrxVariables vars;
  vars.SetVariables("A", "1");
  vars.SaveToFile(file);
  vars.SaveToFile(file); // overwritten, not appended
  TfrxVariables back;
  back.LoadFromFile(file);
  DeleteFile(file);
  EXPECT_EQ(Names(back), "A");
  EXPECT_EQ(VarToStr(back.Variables("A")), "1");
}

TEST(frxVariables, XmlItemRoundTrip)
{
  TfrxVariables vars;
  vars.SetVariables("A", "x");
  TfrxXMLItem root;
  vars.SaveToXmlItem(&root);
  ASSERT_EQ(root.Count(), 1);
  EXPECT_EQ(root.Items(0)->Name(), "item");
  TfrxVariables back;
  back.LoadFromXmlItem(&root);
  EXPECT_EQ(VarToStr(back.Variables("a")), "x");
}

} // namespace

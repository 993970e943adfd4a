// The XML tree: file form, lenient reading, attributes, and elements kept out of memory.
#include "report/engine/frxXML.h"

#include <functional>

#include <gtest/gtest.h>

#include "platform/rtl/Classes.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Variants.h"

namespace {

const AnsiString Header = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";

std::unique_ptr<TfrxXMLDocument> Load(const AnsiString& text, bool partial = false)
{
  auto doc = std::make_unique<TfrxXMLDocument>();
  if (partial) {
    doc->LoadFromStream(new TStringStream(text), true);
  } else {
    TStringStream stream(text);
    doc->LoadFromStream(&stream);
  }
  return doc;
}

AnsiString Save(TfrxXMLDocument* doc)
{
  TStringStream out;
  doc->SaveToStream(&out);
  return out.DataString();
}

TEST(frxXML, SaveThenLoadIsByteIdentical)
{
  TfrxXMLDocument doc;
  TfrxXMLItem* root = doc.Root();
  root->SetName("TfrxReport");
  root->SetText("Name=\"\" Version=\"3\"");
  TfrxXMLItem* page = root->Add();
  page->SetName("TfrxReportPage");
  page->SetProp("Name", "Page1");
  TfrxXMLItem* memo = page->Add();
  memo->SetName("TfrxMemoView");
  memo->SetProp("Memo.Text", "a<\"b\">&c\r\n中文");
  page->Add()->SetName("Empty");

  for (bool indent : {false, true}) {
    SCOPED_TRACE(indent ? "indented" : "one line");
    doc.SetAutoIndent(indent);
    const AnsiString first = Save(&doc);
    EXPECT_EQ(first.compare(0, Header.size(), Header), 0);
    EXPECT_EQ(first.find("\r\n") != AnsiString::npos, indent);
    auto again = Load(first);
    again->SetAutoIndent(indent);
    EXPECT_EQ(Save(again.get()), first);
    EXPECT_EQ(again->Root()->Items(0)->Items(0)->Prop("memo.text"), "a<\"b\">&c\r\n中文");
  }
  doc.SetAutoIndent(true);
  EXPECT_EQ(Save(&doc),
            Header +
                "\r\n<TfrxReport Name=\"\" Version=\"3\">\r\n"
                "  <TfrxReportPage Name=\"Page1\">\r\n"
                "    <TfrxMemoView Memo.Text=\"a&#60;&#34;b&#34;&#62;&#38;c&#13;&#10;中文\"/>\r\n"
                "    <Empty/>\r\n"
                "  </TfrxReportPage>\r\n"
                "</TfrxReport>\r\n");
}

TEST(frxXML, Entities)
{
  const AnsiString raw = AnsiString("a<\"b\">&c") + "\r\n";
  EXPECT_EQ(StrToXML(raw), "a&#60;&#34;b&#34;&#62;&#38;c&#13;&#10;");
  EXPECT_EQ(XMLToStr(StrToXML(raw)), raw);
  EXPECT_EQ(StrToXML("\x81\x5D\xFF"), "\x81\x5D\xFF"); // high bytes pass unchanged
  EXPECT_EQ(XMLToStr("&amp;&#65;"), "&amp;A");         // named entities stay
  EXPECT_EQ(XMLToStr("x&#6"), "x&#6");                 // too short to be a reference
  EXPECT_EQ(XMLToStr("&#65"), "&#65");                 // no ';': plain text
  EXPECT_THROW(XMLToStr("&#6x;"), EConvertError);
}

TEST(frxXML, Attributes)
{
  TfrxXMLItem item;
  item.SetText("Width=\"10\" Height=\"20\"");
  EXPECT_EQ(item.Prop("height"), "20");
  EXPECT_EQ(item.Prop("idth"), "");
  EXPECT_EQ(item.Prop("Missing"), "");

  item.SetProp("WIDTH", "a\"b");
  EXPECT_EQ(item.Text(), "WIDTH=\"a&#34;b\" Height=\"20\"");
  item.SetProp("Left", "5");
  EXPECT_EQ(item.Text(), "WIDTH=\"a&#34;b\" Height=\"20\" Left=\"5\"");
  EXPECT_EQ(item.Prop("width"), "a\"b");

  TfrxXMLItem empty;
  empty.SetProp("A", "1");
  EXPECT_EQ(empty.Text(), "A=\"1\"");

  // A name whose first byte follows a double-byte character is not an attribute start.
  TfrxXMLItem gbk;
  gbk.SetText("x=\"\xB0"
              "a\" a=\"2\"");
  EXPECT_EQ(gbk.Prop("a"), "2");
}

TEST(frxXML, ChildList)
{
  TfrxXMLItem root;
  TfrxXMLItem* a = root.Add();
  a->SetName("A");
  TfrxXMLItem* b = root.FindItem("b"); // created
  EXPECT_EQ(root.Count(), 2);
  EXPECT_EQ(root.Find("a"), 0);
  EXPECT_EQ(root.FindItem("B"), b);

  TfrxXMLItem other;
  other.AddItem(a); // taken from root
  EXPECT_EQ(root.Count(), 1);
  EXPECT_EQ(a->Parent(), &other);
  root.InsertItem(0, a);
  EXPECT_EQ(root.IndexOf(a), 0);
  EXPECT_EQ(other.Count(), 0);
  delete b;
  EXPECT_EQ(root.Count(), 1);
  EXPECT_THROW(root.Items(5), EListError);
}

TEST(frxXML, LenientReading)
{
  struct Case {
    const char* name;
    AnsiString body;
    const char* shape; // Name(children...) of the root
  } cases[] = {
      {"empty tags", "<r><a/><a /><b x=\"1\"/></r>", "r(a,a,b)"},
      {"character data lost", "<Item a=\"1\">text<b/>more</Item>", "Item(b)"},
      {"comments skipped", "<r><!-- <no> -- --><a/><!----></r>", "r(a)"},
      {"truncated file", "<r><a><b/>", "r(a(b))"},
      {"stray text at end", "<r/>trailing", "r"},
      {"instructions skipped", "<?pi x?><!DOCTYPE r><r><?pi?><a/></r>", "r(a)"},
  };
  std::function<AnsiString(TfrxXMLItem*)> shape = [&](TfrxXMLItem* item) {
    AnsiString s = item->Name();
    if (item->Count() == 0)
      return s;
    s += "(";
    for (Integer i = 0; i < item->Count(); ++i)
      s += (i ? "," : "") + shape(item->Items(i));
    return s + ")";
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto doc = Load(Header + c.body);
    EXPECT_EQ(shape(doc->Root()), c.shape);
  }
  auto doc = Load(Header + "<r><a /><b x=\"1\"/></r>");
  EXPECT_EQ(doc->Root()->Items(0)->Text(), "");
  EXPECT_EQ(doc->Root()->Items(1)->Text(), "x=\"1\"");
}

// A document without a root element (the header alone, or a closing tag with nothing open)
// has an unnamed, empty root and is saved as the header alone, which reads back the same.
TEST(frxXML, NoRootElement)
{
  for (const AnsiString& text : {AnsiString("<?xml>"), Header + "</>", Header + "</a x=\"1\">"}) {
    SCOPED_TRACE(text);
    auto doc = Load(text);
    EXPECT_EQ(doc->Root()->Name(), "");
    EXPECT_EQ(doc->Root()->Text(), "");
    const AnsiString saved = Save(doc.get());
    EXPECT_EQ(saved, Header);
    auto again = Load(saved);
    EXPECT_EQ(again->Root()->Name(), "");
    EXPECT_EQ(Save(again.get()), saved);
  }
}

TEST(frxXML, StructuralErrors)
{
  for (const char* body : {"<a></b>", "<a><b</a>", "<a x=\"1\"", "<a><b></c></a>"}) {
    SCOPED_TRACE(body);
    TfrxXMLDocument doc;
    TStringStream stream(Header + body);
    try {
      doc.LoadFromStream(&stream);
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), "Invalid file format");
    }
  }
  TfrxXMLDocument doc;
  TStringStream noHeader("<a/>");
  EXPECT_THROW(doc.LoadFromStream(&noHeader), Exception);
  // The closing tag matches ignoring case.
  EXPECT_NO_THROW(Load(Header + "<a></A>"));
}

TEST(frxXML, UnloadMarks)
{
  const AnsiString text = Header + "<r><x a=\"1\"ld=\"0\"><c/></x></r>";
  auto full = Load(text);
  TfrxXMLItem* x = full->Root()->Items(0);
  EXPECT_EQ(x->Text(), "a=\"1\"");
  EXPECT_FALSE(x->Unloadable());
  EXPECT_EQ(x->Count(), 1);

  x->SetUnloadable(true);
  EXPECT_EQ(Save(full.get()), Header + "<r><x a=\"1\"ld=\"0\"><c/></x></r>");
}

TEST(frxXML, PartialLoadAndTemporaryFile)
{
  const AnsiString text =
      Header + "<r><p n=\"1\" ld=\"0\"><a/><b/></p><p n=\"2\" ld=\"0\"><c/></p></r>";
  TfrxXMLDocument doc;
  doc.LoadFromStream(new TStringStream(text), true);
  TfrxXMLItem* p1 = doc.Root()->Items(0);
  TfrxXMLItem* p2 = doc.Root()->Items(1);
  EXPECT_TRUE(p1->Unloadable());
  EXPECT_FALSE(p1->Loaded());
  EXPECT_EQ(p1->Count(), 0);

  doc.LoadItem(p1);
  EXPECT_TRUE(p1->Loaded());
  ASSERT_EQ(p1->Count(), 2);
  EXPECT_EQ(p1->Items(1)->Name(), "b");

  // Unloading goes to a temporary file; the text changed in memory survives a reload.
  p1->Items(0)->SetProp("k", "v");
  p1->SetProp("n", "one");
  doc.UnloadItem(p1);
  EXPECT_FALSE(p1->Loaded());
  EXPECT_TRUE(doc.TempFileCreated());
  const AnsiString tempFile = doc.TempFile();
  EXPECT_TRUE(FileExists(tempFile));

  // Saving reads both kinds of unloaded elements back and leaves them unloaded.
  const AnsiString saved = Save(&doc);
  // Removing a mark leaves the blank before it, so the mark follows a blank again.
  EXPECT_EQ(saved, Header + "<r><p n=\"one\" ld=\"0\"><a k=\"v\"/><b/></p>"
                            "<p n=\"2\" ld=\"0\"><c/></p></r>");
  EXPECT_FALSE(p1->Loaded());
  EXPECT_FALSE(p2->Loaded());

  doc.LoadItem(p1);
  ASSERT_EQ(p1->Count(), 2);
  EXPECT_EQ(p1->Items(0)->Prop("k"), "v");
  EXPECT_EQ(p1->Prop("n"), "one");
  doc.LoadItem(p2);
  EXPECT_EQ(p2->Items(0)->Name(), "c");

  // Unload and reload twice more: offsets into the temporary file stay right.
  doc.UnloadItem(p2);
  doc.UnloadItem(p1);
  doc.LoadItem(p2);
  doc.LoadItem(p1);
  EXPECT_EQ(p2->Items(0)->Name(), "c");
  EXPECT_EQ(p1->Items(1)->Name(), "b");

  doc.Clear();
  EXPECT_FALSE(FileExists(tempFile));
}

TEST(frxXML, ValueToXML)
{
  EXPECT_EQ(ValueToXML(Variant(Integer(-5))), "-5");
  EXPECT_EQ(ValueToXML(Variant(2.5)), "2.5");
  EXPECT_EQ(ValueToXML(Variant(true)), "1");
  EXPECT_EQ(ValueToXML(Variant(AnsiString("<"))), "&#60;");
  EXPECT_EQ(ValueToXML(Variant(Int64(7))), "");
  EXPECT_EQ(ValueToXML(Variant()), "");
}

} // namespace

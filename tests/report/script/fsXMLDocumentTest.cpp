// The script engine's XML tree: escaping helpers, reading and writing, Prop, Assign.
#include "report/script/fsXMLDocument.h"

#include <memory>

#include <gtest/gtest.h>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"

TEST(fsXMLDocument, EscapingHelpers)
{
  EXPECT_EQ(ScriptStrToXML("a&b<c"), "a&b&#60;c");
  EXPECT_EQ(ScriptXMLToStr("a&b&#60;c"), "a&b<c");
  EXPECT_EQ(ScriptStrToXML("\"x\">\r\n"), "&#34;x&#34;&#62;&#13;&#10;");
  // The plain escaping does not protect '&': a reference written as text comes back decoded.
  EXPECT_EQ(ScriptXMLToStr(ScriptStrToXML("&#65;")), "A");
  // The strict one does.
  EXPECT_EQ(ScriptStrToXMLStrict("&#65;<"), "&#38;#65;&#60;");
  EXPECT_EQ(ScriptXMLToStr(ScriptStrToXMLStrict("&#65;<")), "&#65;<");
  // Without a ';' the text stays as it is; digits that are no number raise.
  EXPECT_EQ(ScriptXMLToStr("a&#65 b"), "a&#65 b");
  EXPECT_THROW(ScriptXMLToStr("&#6x;"), EConvertError);
  // Bytes of 128 and above pass unchanged.
  EXPECT_EQ(ScriptStrToXML("\xD6\xD0"), "\xD6\xD0");
}

TEST(fsXMLDocument, ReadsTagsAndSkipsTheRest)
{
  TfsXMLDocument doc;
  doc.LoadFromText("<?xml version=\"1.0\"?><!-- c --><Item a=\"1\">text<b/><c />"
                   "<d x=\"&#60;\"/><!-- > -- --></Item>");
  TfsXMLItem* root = doc.Root();
  EXPECT_EQ(root->Name(), "Item");
  EXPECT_EQ(root->Prop("A"), "1");
  ASSERT_EQ(root->Count(), 3);
  EXPECT_EQ(root->Items(0)->Name(), "b");
  EXPECT_EQ(root->Items(1)->Name(), "c");
  EXPECT_EQ(root->Items(1)->Text(), "");
  EXPECT_EQ(root->Items(2)->Prop("x"), "<");
  EXPECT_EQ(root->Find("C"), 1);
  EXPECT_EQ(root->Find("z"), -1);
}

TEST(fsXMLDocument, StructuralErrors)
{
  const char* bad[] = {
      "<a/>",                              // no header
      "<?xml version=\"1.0\"?><a></b>",    // closing tag of another element
      "<?xml version=\"1.0\"?><a <b>",     // '<' inside a tag
      "<?xml version=\"1.0\"?><a x=\"1\"", // end inside a tag
  };
  for (const char* text : bad) {
    SCOPED_TRACE(text);
    TfsXMLDocument doc;
    try {
      doc.LoadFromText(text);
      FAIL() << "no error";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), "Invalid file format");
    }
  }
  // Open elements at the end of the text are accepted as closed.
  TfsXMLDocument doc;
  doc.LoadFromText("<?xml version=\"1.0\"?><a><b>");
  EXPECT_EQ(doc.Root()->Items(0)->Name(), "b");
}

TEST(fsXMLDocument, PropFindsWholeNamesOnly)
{
  TfsXMLItem item;
  item.SetText("Width=\"10\" Height=\"20\"");
  EXPECT_EQ(item.Prop("height"), "20");
  EXPECT_EQ(item.Prop("idth"), "");
  EXPECT_TRUE(item.HasProp("width"));
  EXPECT_FALSE(item.HasProp("depth"));
}

TEST(fsXMLDocument, WritesAndReadsBack)
{
  TfsXMLDocument doc;
  doc.Root()->SetName("program");
  TfsXMLItem* a = doc.Root()->Add();
  a->SetName("a");
  a->SetText("text=\"1\"");
  a->Add()->SetName("b");
  EXPECT_EQ(doc.SaveToText(), "<?xml version=\"1.0\"?><program><a text=\"1\"><b/></a></program>");
  doc.SetAutoIndent(true);
  AnsiString indented = doc.SaveToText();
  EXPECT_EQ(indented, "<?xml version=\"1.0\"?>\r\n<program>\r\n  <a text=\"1\">\r\n    <b/>\r\n"
                      "  </a>\r\n</program>\r\n");
  TStringStream stream;
  doc.SaveToStream(&stream);
  EXPECT_EQ(stream.DataString(), indented);
  stream.SetPosition(0);
  TfsXMLDocument copy;
  copy.LoadFromStream(&stream);
  EXPECT_EQ(copy.Root()->Items(0)->Prop("text"), "1");
  EXPECT_EQ(copy.Root()->Items(0)->Items(0)->Name(), "b");

  EXPECT_THROW(copy.LoadFromFile("/nonexistent/x.xml"), EFOpenError);
}

TEST(fsXMLDocument, AssignRootAndOwnership)
{
  TfsXMLItem source;
  source.SetName("s");
  TfsXMLItem* deepest = source.Add()->Add()->Add();
  deepest->SetName("leaf");
  EXPECT_EQ(deepest->Root(), &source);

  TfsXMLItem copy;
  copy.Assign(&source);
  source.Clear();
  ASSERT_EQ(copy.Count(), 1);
  EXPECT_EQ(copy.Items(0)->Items(0)->Items(0)->Name(), "leaf");

  copy.Assign(nullptr);
  EXPECT_EQ(copy.Count(), 0);
  EXPECT_EQ(copy.Name(), "s");

  // Moving an element to another parent takes it out of the old list; destroying a child
  // removes it from its parent.
  TfsXMLItem p1, p2;
  TfsXMLItem* child = p1.Add();
  p2.AddItem(child);
  EXPECT_EQ(p1.Count(), 0);
  EXPECT_EQ(child->Parent(), &p2);
  delete child;
  EXPECT_EQ(p2.Count(), 0);

  TfsXMLItem* x = p1.Add();
  TfsXMLItem* y = new TfsXMLItem();
  p1.InsertItem(0, y);
  EXPECT_EQ(p1.IndexOf(y), 0);
  EXPECT_EQ(p1.IndexOf(x), 1);
  EXPECT_EQ(p1.FindItem("new")->Name(), "new");
  EXPECT_EQ(p1.Count(), 3);
}

TEST(fsXMLDocument, DeepNestingIsRefused)
{
  std::string text = "<?xml version=\"1.0\"?>";
  for (int i = 0; i < 5000; ++i)
    text += "<a>";
  TfsXMLDocument doc;
  EXPECT_THROW(doc.LoadFromText(text), Exception);
}

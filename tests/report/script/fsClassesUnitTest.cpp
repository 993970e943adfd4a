// The base classes bound for every script: string lists, the pointer list, streams, files,
// components and the script XML document, used the way report scripts use them.
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/rtl/Classes.h"
#include "tests/report/script/ScriptTestHelpers.h"

namespace {

std::string TempPath(const char* name)
{
  return (std::filesystem::temp_directory_path() /
          ("qh_script_" + std::to_string(::getpid()) + "_" + name))
      .string();
}

} // namespace

TEST(fsClassesUnit, ScriptsUseTheBaseClasses)
{
  struct {
    const char* Name;
    const char* Text;
    const char* Log;
  } cases[] = {
      {"string list: sort, comma text, find with its var index, default property",
       "var l: TStringList; i: Integer;\r\n"
       "begin\r\n"
       "  l := TStringList.Create;\r\n"
       "  l.Add('pear'); l.Add('apple'); l.Add('fig, dried');\r\n"
       "  l.Sort; Log(l.CommaText);\r\n"
       "  Log(l.Find('fig, dried', i)); Log(i); Log(l.Find('kiwi', i)); Log(i);\r\n"
       "  l[0] := 'Apple'; Log(l.Strings[0] + l[2]); Log(l.IndexOf('PEAR')); Log(l.Count);\r\n"
       "  l.Free\r\n"
       "end.",
       "apple,\"fig, dried\",pear,True,1,False,2,Applepear,2,3"},
      {"sorted list ignores duplicates",
       "var l: TStringList;\r\n"
       "begin l := TStringList.Create; l.Sorted := True; l.Duplicates := dupIgnore;\r\n"
       "  l.Add('b'); l.Add('a'); l.Add('b'); Log(l.Text); Log(l.Sorted); l.Free end.",
       "a\r\nb\r\n,True"},
      {"names and values",
       "var l: TStrings;\r\n"
       "begin l := TStringList.Create; l.Text := 'city=Hefei'#13#10'zip=230000';\r\n"
       "  Log(l.Values['zip']); l.Values['city'] := 'Wuhu'; l.Values['tel'] := '1';\r\n"
       "  Log(l.Names[2]); Log(l.IndexOfName('tel')); Log(l.CommaText); l.Free end.",
       "230000,tel,2,city=Wuhu,zip=230000,tel=1"},
      {"objects in lists",
       "var l: TList; s: TStringList; a, b: TStringList;\r\n"
       "begin l := TList.Create; a := TStringList.Create; b := TStringList.Create;\r\n"
       "  l.Add(a); l.Insert(0, b); Log(l.Count); Log(l.IndexOf(a));\r\n"
       "  TStringList(l[1]).Add('in a'); Log(a[0]); l.Remove(b); Log(l.Count);\r\n"
       "  s := TStringList.Create; s.AddObject('x', a); Log(s.IndexOfObject(a));\r\n"
       "  Log(TStringList(s.Objects[0]).Count); s.Objects[0] := nil; Log(s.IndexOfObject(a));\r\n"
       "  l.Free; a.Free; b.Free; s.Free end.",
       "2,1,in a,1,0,1,-1"},
      {"memory stream: write, seek, read into a var buffer",
       "var m: TMemoryStream; s: String; n: Integer;\r\n"
       "begin m := TMemoryStream.Create; Log(m.Write('hello world', 5)); Log(m.Size);\r\n"
       "  m.Position := 1; n := m.Read(s, 10); Log(n); Log(s);\r\n"
       "  Log(m.Seek(-2, soFromEnd)); m.Clear; Log(m.Size); m.Free end.",
       "5,5,4,ello,3,0"},
      {"string list through a stream",
       "var l, k: TStringList; m: TMemoryStream;\r\n"
       "begin l := TStringList.Create; m := TMemoryStream.Create; k := TStringList.Create;\r\n"
       "  l.CommaText := 'a,b,c'; l.SaveToStream(m); m.Position := 0; k.LoadFromStream(m);\r\n"
       "  Log(k.Count); Log(k[2]); l.Free; k.Free; m.Free end.",
       "3,c"},
      {"components and their owner",
       "var c, d: TComponent;\r\n"
       "begin c := TComponent.Create(nil); d := TComponent.Create(c); d.Name := 'Child';\r\n"
       "  Log(d.Owner = c); Log(c.Owner = nil); Log(d.ClassName); Log(d.Name); c.Free end.",
       "True,True,TComponent,Child"},
      {"xml document",
       "var x: TfsXMLDocument; i: TfsXMLItem;\r\n"
       "begin x := TfsXMLDocument.Create; x.Root.Name := 'waybill';\r\n"
       "  i := x.Root.Add; i.Name := 'to'; i.Text := 'city=\"Hefei\"'; i.Data := 7;\r\n"
       "  Log(x.Root.Count); Log(x.Root[0].Prop('city')); Log(x.Root.Find('to'));\r\n"
       "  Log(x.Root.FindItem('to').Data); Log(i.Parent.Name); Log(i.Root.Name); x.Free end.",
       "1,Hefei,0,7,waybill,waybill"},
      {"constants", "begin Log(fmCreate); Log(fmShareDenyNone); Log(soFromEnd); Log(dupError) end.",
       "65535,64,2,2"},
      {"a freed list is no object",
       "var l: TStringList; begin l := TStringList.Create; l.Free; l.Add('x') end.",
       "run: Invalid object reference"},
      {"a missing stream argument",
       "var l: TStringList; begin l := TStringList.Create; l.LoadFromStream(nil) end.",
       "run: Invalid object reference"},
      {"an object of another class",
       "var l: TStringList; v: Variant; begin l := TStringList.Create; v := l; "
       "l.LoadFromStream(v) end.",
       "run: Invalid class typecast"},
      {"list index out of bounds",
       "var l: TStringList; begin l := TStringList.Create; Log(l[3]) end.",
       "run: List index out of bounds (3)"},
      {"names cannot be assigned",
       "var l: TStringList; begin l := TStringList.Create; l.Names[0] := 'x' end.",
       "compile: Left side cannot be assigned to at 1:52"},
      {"a read-only count", "var l: TStringList; begin l.Count := 1 end.",
       "compile: Left side cannot be assigned to at 1:27"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TTestScript t;
    EXPECT_EQ(t.Run(c.Text), c.Log);
  }
}

// Files written and read back by a script, in another language as well.
TEST(fsClassesUnit, FilesRoundTrip)
{
  const std::string path = TempPath("stream.txt");
  const std::string xml = TempPath("doc.xml");
  TTestScript t;
  EXPECT_EQ(t.Run("var f: TFileStream; s: String; x: TfsXMLDocument;\r\n"
                  "begin\r\n"
                  "  f := TFileStream.Create('" +
                  path +
                  "', fmCreate); f.Write('abc', 3); f.Free;\r\n"
                  "  f := TFileStream.Create('" +
                  path +
                  "', fmOpenRead); f.Read(s, 100);\r\n"
                  "  Log(s); Log(f.Size); f.Free;\r\n"
                  "  x := TfsXMLDocument.Create; x.Root.Name := 'r'; x.Root.Add.Name := 'c';\r\n"
                  "  x.SaveToFile('" +
                  xml +
                  "'); x.Free;\r\n"
                  "  x := TfsXMLDocument.Create; x.LoadFromFile('" +
                  xml +
                  "');\r\n"
                  "  Log(x.Root.Name + x.Root[0].Name); x.Free\r\n"
                  "end."),
            "abc,3,rc");
  EXPECT_EQ(t.Run("var f: TFileStream; begin f := TFileStream.Create('" + path +
                  "/none', fmOpenRead) end."),
            "run: Cannot open file \"" + path + "/none\". Not a directory");
  TTestScript c("C++Script");
  EXPECT_EQ(c.Run("{ TStringList l = new TStringList; l.LoadFromFile(\"" + path +
                  "\"); Log(l[0]); delete l; }"),
            "abc");
  std::remove(path.c_str());
  std::remove(xml.c_str());
}

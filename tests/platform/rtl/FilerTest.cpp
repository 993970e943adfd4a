#include "platform/rtl/Filer.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/rtl/DataModule.h"
#include "platform/rtl/TypInfo.h"
#include "platform/rtl/Variants.h"

namespace {

// A report-like object with three defined list properties, a defined position and a
// defined binary block, as the report's own classes declare them.
class TDefined : public TPersistent {
public:
  Integer Left = 0;
  std::string Blob;
  bool HasLeft = true;
  std::vector<std::string> Read;

protected:
  void DefineProperties(TFiler* Filer) override
  {
    for (const char* name : {"Datasets", "Variables", "Style"})
      Filer->DefineProperty(name, TReaderProc::Bind(this, &TDefined::ReadList),
                            TWriterProc::Bind(this, &TDefined::WriteList), true);
    Filer->DefineProperty("pLeft", TReaderProc::Bind(this, &TDefined::ReadLeft),
                          TWriterProc::Bind(this, &TDefined::WriteLeft), HasLeft);
    Filer->DefineBinaryProperty("Data", TStreamProc::Bind(this, &TDefined::ReadData),
                                TStreamProc::Bind(this, &TDefined::WriteData), !Blob.empty());
  }

private:
  void ReadList(TReader* Reader)
  {
    Reader->ReadListBegin();
    while (!Reader->EndOfList())
      Read.push_back(Reader->ReadString());
    Reader->ReadListEnd();
  }
  void WriteList(TWriter* Writer)
  {
    Writer->WriteListBegin();
    Writer->WriteListEnd();
  }
  void ReadLeft(TReader* Reader) { Left = Reader->ReadInteger(); }
  void WriteLeft(TWriter* Writer) { Writer->WriteInteger(Left); }
  void ReadData(TStream* Stream)
  {
    Blob.assign(static_cast<size_t>(Stream->Size()), '\0');
    Stream->ReadBuffer(Blob.data(), static_cast<Integer>(Blob.size()));
  }
  void WriteData(TStream* Stream)
  {
    Stream->WriteBuffer(Blob.data(), static_cast<Integer>(Blob.size()));
  }
};

std::string Hex(TMemoryStream& s)
{
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  auto* p = static_cast<const unsigned char*>(s.Memory());
  for (Int64 i = 0; i < s.Size(); ++i) {
    out += digits[p[i] >> 4];
    out += digits[p[i] & 15];
  }
  return out;
}

void Fill(TMemoryStream& s, const std::vector<unsigned char>& bytes)
{
  s.WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
  s.SetPosition(0);
}

} // namespace

TEST(Filer, DefinedPropertiesWriteTheReportsEmptyLists)
{
  TDefined obj;
  obj.HasLeft = false;
  TMemoryStream stream;
  TWriter writer(&stream);
  writer.WriteDefinedProperties(&obj);
  EXPECT_EQ(Hex(stream), "0844617461736574730100095661726961626C65730100055374796C650100");
}

TEST(Filer, DefinedPropertiesRoundTrip)
{
  TDefined source;
  source.Left = -300;
  source.Blob = std::string("BM\0\x01", 4);
  TMemoryStream stream;
  TWriter writer(&stream);
  writer.WriteDefinedProperties(&source);

  TDefined dest;
  dest.HasLeft = false;
  stream.SetPosition(0);
  TReader reader(&stream);
  reader.ReadDefinedProperties(&dest);
  EXPECT_EQ(dest.Left, -300);
  EXPECT_EQ(dest.Blob, source.Blob);
  EXPECT_TRUE(reader.EndOfData());
}

// A property name's length byte is no value tag: names of 20 bytes and more (length bytes
// above the last tag) read back like short ones.
TEST(Filer, LongPropertyNamesReadBack)
{
  class TLongNames : public TPersistent {
  public:
    Integer First = 0, Second = 0;

  protected:
    void DefineProperties(TFiler* Filer) override
    {
      Filer->DefineProperty("AVeryLongDefinedPropertyName",
                            TReaderProc::Bind(this, &TLongNames::ReadFirst),
                            TWriterProc::Bind(this, &TLongNames::WriteFirst), true);
      Filer->DefineProperty("Short", TReaderProc::Bind(this, &TLongNames::ReadSecond),
                            TWriterProc::Bind(this, &TLongNames::WriteSecond), true);
    }

  private:
    void ReadFirst(TReader* Reader) { First = Reader->ReadInteger(); }
    void WriteFirst(TWriter* Writer) { Writer->WriteInteger(First); }
    void ReadSecond(TReader* Reader) { Second = Reader->ReadInteger(); }
    void WriteSecond(TWriter* Writer) { Writer->WriteInteger(Second); }
  };
  TLongNames source;
  source.First = 7;
  source.Second = 9;
  TMemoryStream stream;
  TWriter writer(&stream);
  writer.WriteDefinedProperties(&source);
  writer.WriteListEnd();
  TLongNames dest;
  stream.SetPosition(0);
  TReader reader(&stream);
  reader.ReadDefinedProperties(&dest);
  EXPECT_EQ(dest.First, 7);
  EXPECT_EQ(dest.Second, 9);
  EXPECT_TRUE(reader.EndOfData());
}

TEST(Filer, ValuesRoundTripInTheirSmallestForm)
{
  TMemoryStream stream;
  TWriter w(&stream);
  struct IntCase {
    Int64 Value;
    Int64 Bytes; // tag + payload
  } ints[] = {{0, 2},
              {-128, 2},
              {127, 2},
              {128, 3},
              {-32768, 3},
              {40000, 5},
              {-2147483647 - 1, 5},
              {Int64(1) << 40, 9}};
  for (const IntCase& c : ints) {
    Int64 before = stream.Size();
    w.WriteInteger(c.Value);
    EXPECT_EQ(stream.Size() - before, c.Bytes) << c.Value;
  }
  w.WriteString(std::string(300, 'x'));
  w.WriteString("确定");
  w.WriteWideString(u"中文");
  w.WriteBoolean(true);
  w.WriteFloat(94.48825L);
  w.WriteIdent("taCenter");
  w.WriteIdent("nil");
  w.WriteCurrency(Currency::FromRaw(123456));

  stream.SetPosition(0);
  TReader r(&stream);
  for (const IntCase& c : ints)
    EXPECT_EQ(r.ReadInt64(), c.Value);
  EXPECT_EQ(r.ReadString(), std::string(300, 'x'));
  EXPECT_EQ(r.ReadString(), "确定");
  EXPECT_EQ(r.ReadWideString(), u"中文");
  EXPECT_TRUE(r.ReadBoolean());
  EXPECT_DOUBLE_EQ(static_cast<double>(r.ReadFloat()), 94.48825);
  EXPECT_EQ(r.ReadIdent(), "taCenter");
  EXPECT_EQ(r.ReadIdent(), "nil");
  EXPECT_EQ(r.ReadCurrency().Raw(), 123456);
  EXPECT_TRUE(r.EndOfData());
}

// Variants keep their kind and value through WriteVariant and ReadVariant; kinds without
// a tag are refused before anything is written.
TEST(Filer, VariantsRoundTripByKind)
{
  const Variant values[] = {
      Variant(),
      ::Null(),
      Variant(Integer(-5)),
      Variant(Integer(70000)),
      Variant(Int64(1) << 40),
      Variant(2.5),
      Variant(Single(0.25f)),
      Variant(Currency::FromRaw(123456)),
      VarFromDateTime(46000.5),
      Variant(true),
      Variant("快递单"),
      Variant(u"中文"),
      Variant(AnsiString(300, 'x')),
  };
  TMemoryStream stream;
  TWriter w(&stream);
  for (const Variant& v : values)
    w.WriteVariant(v);
  Int64 size = stream.Size();
  EXPECT_THROW(w.WriteVariant(VarArrayOf({Variant(1)})), EWriteError);
  EXPECT_EQ(stream.Size(), size);
  stream.SetPosition(0);
  TReader r(&stream);
  for (const Variant& v : values) {
    SCOPED_TRACE(VarToStr(v));
    Variant read = r.ReadVariant();
    EXPECT_EQ(VarType(read), VarType(v));
    if (!VarIsEmpty(v) && !VarIsNull(v)) {
      EXPECT_EQ(VarCompareValue(read, v), vrEqual);
    }
  }
  EXPECT_TRUE(r.EndOfData());
}

TEST(Filer, FixedSizeValuesReadTheirTagOrAnInteger)
{
  TMemoryStream stream;
  TWriter w(&stream);
  w.WriteSingle(1.5f);
  w.WriteCurrency(Currency::FromRaw(-25));
  w.WriteDate(41613.5);
  for (int i = 0; i < 3; ++i)
    w.WriteInteger(300 + i); // an integer stands for each of them too
  stream.SetPosition(0);
  TReader r(&stream);
  EXPECT_EQ(r.ReadSingle(), 1.5f);
  EXPECT_EQ(r.ReadCurrency().Raw(), -25);
  EXPECT_EQ(r.ReadDate(), 41613.5);
  EXPECT_EQ(r.ReadSingle(), 300.0f);
  EXPECT_EQ(r.ReadCurrency(), Currency(301));
  EXPECT_EQ(r.ReadDate(), 302.0);
  EXPECT_TRUE(r.EndOfData());
}

TEST(Filer, UnknownDefinedPropertyIsSkippedAndReported)
{
  // "Other" = list [1], then "pLeft" = 5.
  TMemoryStream s;
  Fill(s, {5, 'O', 't', 'h', 'e', 'r', 1, 2, 1, 0, 5, 'p', 'L', 'e', 'f', 't', 2, 5});
  TDefined obj;
  TReader r(&s);
  try {
    r.ReadProperty(&obj);
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "Property Other does not exist");
  }
  r.ReadProperty(&obj); // the value was skipped: reading goes on
  EXPECT_EQ(obj.Left, 5);
}

TEST(Filer, CorruptInputRaisesStreamReadErrorBeforeAllocating)
{
  struct Case {
    const char* Label;
    std::vector<unsigned char> Bytes;
  } cases[] = {
      {"long string longer than the data", {0x0C, 0xFF, 0xFF, 0xFF, 0x7F, 'a'}},
      {"negative long string length", {0x0C, 0xFF, 0xFF, 0xFF, 0xFF}},
      {"wide string longer than the data", {0x12, 0x00, 0x00, 0x00, 0x40}},
      {"short string cut", {0x06, 10, 'a', 'b'}},
      {"binary longer than the data", {0x0A, 0x10, 0x00, 0x00, 0x00, 1, 2}},
      {"integer cut", {0x04, 1, 2}},
      {"unknown tag", {0x7F}},
      {"list without end", {0x01, 0x02, 0x01}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Label);
    TMemoryStream s;
    Fill(s, c.Bytes);
    TReader r(&s);
    try {
      r.SkipValue();
      FAIL();
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message(), "Stream read error");
    }
  }
  // Nesting deeper than 256 lists is refused instead of recursing on.
  std::vector<unsigned char> deep(300, 0x01);
  deep.insert(deep.end(), 300, 0x00);
  TMemoryStream s;
  Fill(s, deep);
  TReader r(&s);
  EXPECT_THROW(r.SkipValue(), EReadError);
}

TEST(Filer, ByteCursorChecksCountsAgainstTheBytesLeft)
{
  const unsigned char data[] = {1, 0, 2, 0, 0, 0, 'a', 'b'};
  TByteCursor c(data, sizeof data);
  EXPECT_EQ(c.ReadWord(), 1);
  EXPECT_EQ(c.ReadInt32(), 2);
  EXPECT_THROW(c.Require(3), EReadError);
  EXPECT_THROW(c.Require(size_t(1) << 62, 8), EReadError); // count x size overflows
  EXPECT_EQ(c.ReadString(2), "ab");
  EXPECT_TRUE(c.AtEnd());
  EXPECT_THROW(c.ReadByte(), EReadError);
}

// ---- Published properties and components ----

namespace {

enum TFillKind { fkNone, fkSolid, fkHatch };
enum TFontStyle { fsBold, fsItalic, fsUnderline };
using TFontStyles = TSet<TFontStyle>;

class TFontLike : public TPersistent {
public:
  const AnsiString& Name() const { return FName; }
  void SetName(const AnsiString& v) { FName = v; }
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles v) { FStyle = v; }

private:
  AnsiString FName = "Arial";
  TFontStyles FStyle;
};

class TBandItem : public TCollectionItem {
public:
  using TCollectionItem::TCollectionItem;
  const AnsiString& Text() const { return FText; }
  void SetText(const AnsiString& v) { FText = v; }

private:
  AnsiString FText;
};

// A component with a property of each streamed kind, a nested object, a collection, a
// reference and children of its own.
class TBox : public TComponent {
public:
  explicit TBox(TComponent* owner)
      : TComponent(owner), FItems(this, CollectionItemClass<TBandItem>())
  {
  }
  Integer Left() const { return FLeft; }
  void SetLeft(Integer v) { FLeft = v; }
  TFillKind Fill() const { return FFill; }
  void SetFill(TFillKind v) { FFill = v; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool v) { FVisible = v; }
  double Width() const { return FWidth; }
  void SetWidth(double v) { FWidth = v; }
  TDateTime Stamp() const { return FStamp; }
  void SetStamp(TDateTime v) { FStamp = v; }
  Int64 Big() const { return FBig; }
  void SetBig(Int64 v) { FBig = v; }
  char Mark() const { return FMark; }
  void SetMark(char v) { FMark = v; }
  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& v) { FCaption = v; }
  TFontLike* Font() { return &FFont; }
  void SetFont(TFontLike* v) { FFont.SetName(v->Name()), FFont.SetStyle(v->Style()); }
  TOwnedCollection* Items() { return &FItems; }
  TBox* Next() const { return FNext; }
  void SetNext(TBox* v) { FNext = v; }
  int LoadedCalls = 0;
  bool ReadingSeen = false;

  void GetChildren(TGetChildProc Proc, TComponent* Root) override
  {
    for (Integer i = 0; i < ComponentCount(); ++i)
      Proc(Components(i));
  }

protected:
  void Loaded() override
  {
    ReadingSeen = ComponentState().Contains(csReading);
    TComponent::Loaded();
    ++LoadedCalls;
  }

private:
  Integer FLeft = 0;
  TFillKind FFill = fkSolid;
  bool FVisible = true;
  double FWidth = 0;
  TDateTime FStamp = 0;
  Int64 FBig = 0;
  char FMark = 'x';
  AnsiString FCaption;
  TFontLike FFont;
  TOwnedCollection FItems;
  TBox* FNext = nullptr;
};

std::vector<std::string> WrittenNames(TMemoryStream& s)
{
  std::vector<std::string> names;
  s.SetPosition(0);
  TReader r(&s);
  while (!r.EndOfData()) {
    names.push_back(r.ReadStr());
    r.SkipValue();
  }
  return names;
}

class FilerStreaming : public testing::Test {
protected:
  void SetUp() override
  {
    RegisterEnumType<TFillKind>("TFillKind", {"fkNone", "fkSolid", "fkHatch"});
    RegisterEnumType<TFontStyle>("TFontStyle", {"fsBold", "fsItalic", "fsUnderline"});
    RegisterSetType<TFontStyles>("TFontStyles");
    TClassRegistration<TFontLike, TPersistent>("TFontLike")
        .Property("Name", &TFontLike::Name, &TFontLike::SetName)
        .Property("Style", &TFontLike::Style, &TFontLike::SetStyle)
        .Default(TFontStyles{});
    TClassRegistration<TBandItem, TCollectionItem>("TBandItem")
        .Property("Text", &TBandItem::Text, &TBandItem::SetText);
    TClassRegistration<TBox, TComponent>("TBox")
        .Property("Left", &TBox::Left, &TBox::SetLeft)
        .Property("Fill", &TBox::Fill, &TBox::SetFill)
        .Default(fkSolid)
        .Property("Visible", &TBox::Visible, &TBox::SetVisible)
        .Default(true)
        .Property("Width", &TBox::Width, &TBox::SetWidth)
        .Property("Stamp", &TBox::Stamp, &TBox::SetStamp)
        .Type(TDateTimeTypeInfo())
        .Property("Big", &TBox::Big, &TBox::SetBig)
        .Property("Mark", &TBox::Mark, &TBox::SetMark)
        .Default('x')
        .Property("Caption", &TBox::Caption, &TBox::SetCaption)
        .Property("Font", &TBox::Font, &TBox::SetFont)
        .Property("Items", &TBox::Items)
        .Property("Next", &TBox::Next, &TBox::SetNext);
    RegisterClass(ClassInfoOf<TBox>());
  }
};

} // namespace

TEST_F(FilerStreaming, ComponentTreeRoundTrip)
{
  TBox source(nullptr);
  source.SetName("Root");
  auto* a = new TBox(&source);
  a->SetName("A");
  auto* b = new TBox(&source);
  b->SetName("B");
  a->SetNext(b); // a reference to a component read after it
  b->SetNext(&source);
  a->SetLeft(-5);
  a->SetFill(fkHatch);
  a->SetVisible(false);
  a->SetWidth(94.48825);
  a->SetStamp(41613.5);
  a->SetBig(Int64(1) << 40);
  a->SetMark('#');
  a->SetCaption("运单");
  a->Font()->SetName("宋体");
  a->Font()->SetStyle({fsBold, fsUnderline});
  static_cast<TBandItem*>(a->Items()->Add())->SetText("one");
  static_cast<TBandItem*>(a->Items()->Add())->SetText("two");

  TMemoryStream stream;
  TWriter writer(&stream);
  writer.WriteRootComponent(&source);
  EXPECT_FALSE(source.ComponentState().Contains(csWriting));

  stream.SetPosition(0);
  TReader reader(&stream);
  auto* copy = As<TBox>(reader.ReadRootComponent(nullptr));
  std::unique_ptr<TBox> owned(copy);
  EXPECT_TRUE(reader.EndOfData());
  EXPECT_EQ(copy->Name(), "Root");
  ASSERT_EQ(copy->ComponentCount(), 2);
  auto* ca = As<TBox>(copy->FindComponent("a"));
  auto* cb = As<TBox>(copy->FindComponent("B"));
  ASSERT_TRUE(ca && cb);
  EXPECT_EQ(ca->Left(), -5);
  EXPECT_EQ(ca->Fill(), fkHatch);
  EXPECT_FALSE(ca->Visible());
  EXPECT_DOUBLE_EQ(ca->Width(), 94.48825);
  EXPECT_EQ(ca->Stamp(), 41613.5);
  EXPECT_EQ(ca->Big(), Int64(1) << 40);
  EXPECT_EQ(ca->Mark(), '#');
  EXPECT_EQ(ca->Caption(), "运单");
  EXPECT_EQ(ca->Font()->Name(), "宋体");
  EXPECT_EQ(ca->Font()->Style(), (TFontStyles{fsBold, fsUnderline}));
  ASSERT_EQ(ca->Items()->Count(), 2);
  EXPECT_EQ(static_cast<TBandItem*>(ca->Items()->Items(1))->Text(), "two");
  EXPECT_EQ(ca->Next(), cb);   // resolved after B was read
  EXPECT_EQ(cb->Next(), copy); // "Owner"
  // Defaults were not written, so B keeps its own values.
  EXPECT_EQ(cb->Fill(), fkSolid);
  EXPECT_TRUE(cb->Visible());
  // Loaded ran once per component, after reading ended.
  EXPECT_EQ(copy->LoadedCalls, 1);
  EXPECT_EQ(ca->LoadedCalls, 1);
  EXPECT_FALSE(ca->ReadingSeen);
  EXPECT_FALSE(ca->ComponentState().Contains(csLoading));
}

// A non-visual root writes every component it owns; a root that would leave one out is
// refused before a byte is written, instead of losing it on the way.
TEST_F(FilerStreaming, DataModuleWritesEverythingItOwnsAndOtherRootsMayNotDrop)
{
  TDataModule module(nullptr);
  module.SetName("dmMain");
  auto* a = new TBox(&module);
  a->SetName("A");
  a->SetCaption("收件人");
  auto* b = new TBox(&module);
  b->SetName("B");
  b->SetNext(a);
  TMemoryStream stream;
  TWriter(&stream).WriteRootComponent(&module);

  stream.SetPosition(0);
  std::unique_ptr<TComponent> copy(TReader(&stream).ReadRootComponent(nullptr));
  ASSERT_EQ(copy->ClassName(), "TDataModule");
  ASSERT_EQ(copy->ComponentCount(), 2);
  auto* ca = As<TBox>(copy->FindComponent("A"));
  auto* cb = As<TBox>(copy->FindComponent("B"));
  ASSERT_TRUE(ca && cb);
  EXPECT_EQ(ca->Caption(), "收件人");
  EXPECT_EQ(cb->Next(), ca);
  EXPECT_EQ(DataModules(DataModuleCount() - 1), copy.get());

  // A plain component lists no children: writing it as a root would drop A.
  TComponent plain(nullptr);
  plain.SetName("Plain");
  (new TBox(&plain))->SetName("A");
  TMemoryStream refused;
  try {
    TWriter(&refused).WriteRootComponent(&plain);
    FAIL() << "the root was written without its component";
  } catch (const EWriteError& e) {
    EXPECT_EQ(e.Message(), "Cannot write Plain: it owns A, which it does not list among its "
                           "children");
  }
  EXPECT_EQ(refused.Size(), 0);
  EXPECT_FALSE(plain.ComponentState().Contains(csWriting));
}

TEST_F(FilerStreaming, DefaultsAndAncestorLimitWhatIsWritten)
{
  TBox box(nullptr);
  TMemoryStream plain;
  TWriter w1(&plain);
  w1.WriteProperties(&box);
  // Left has no default: always written; defaults, zeros, empty strings, nil references
  // and unstored Name are not; nested objects write under dotted names; collections always.
  EXPECT_EQ(WrittenNames(plain), (std::vector<std::string>{"Left", "Font.Name", "Items"}));

  TBox ancestor(nullptr);
  ancestor.SetLeft(3);
  box.SetLeft(3);
  box.SetCaption("x");
  TMemoryStream diff;
  TWriter w2(&diff);
  w2.SetAncestor(&ancestor);
  w2.WriteProperties(&box);
  // Of the component's own values only what differs from the ancestor; nested objects
  // and collections follow their own defaults.
  EXPECT_EQ(WrittenNames(diff), (std::vector<std::string>{"Caption", "Font.Name", "Items"}));
}

TEST_F(FilerStreaming, UnknownClassesAndBadValuesRaise)
{
  TMemoryStream s;
  TWriter w(&s);
  w.WriteStr("TNoSuchBox");
  w.WriteStr("X");
  w.WriteListEnd();
  w.WriteListEnd();
  s.SetPosition(0);
  TReader r(&s);
  try {
    r.ReadRootComponent(nullptr);
    FAIL();
  } catch (const EClassNotFound& e) {
    EXPECT_EQ(e.Message(), "Class TNoSuchBox not found");
  }

  // A root the reader made is deleted when the data behind it is broken.
  TBox probe(nullptr);
  probe.SetName("Probe");
  TMemoryStream good;
  TWriter wg(&good);
  wg.WriteRootComponent(&probe);
  TMemoryStream cut;
  cut.WriteBuffer(good.Memory(), static_cast<Integer>(good.Size() - 1));
  cut.SetPosition(0);
  TReader rc(&cut);
  EXPECT_THROW(rc.ReadRootComponent(nullptr), EReadError); // and no leak under the sanitizer

  TMemoryStream bad;
  TWriter wb(&bad);
  wb.WritePropName("Fill");
  wb.WriteIdent("fkPlaid");
  wb.WritePropName("Left");
  wb.WriteInteger(9);
  bad.SetPosition(0);
  TBox box(nullptr);
  TReader rb(&bad);
  try {
    rb.ReadProperty(&box);
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "Invalid property value");
  }
  rb.ReadProperty(&box);
  EXPECT_EQ(box.Left(), 9);
}

namespace {

// A memo-like component: its lines are a string list held by a published property.
class TMemoLike : public TComponent {
public:
  using TComponent::TComponent;
  TStrings* Lines() { return &FLines; }
  void SetLines(TStrings* v) { FLines.Assign(v); }

private:
  TStringList FLines;
};

class FilerStrings : public testing::Test {
protected:
  void SetUp() override
  {
    TClassRegistration<TMemoLike, TComponent>("TMemoLike")
        .Property("Lines", &TMemoLike::Lines, &TMemoLike::SetLines);
  }
};

} // namespace

TEST_F(FilerStrings, StringListPropertiesRoundTripItemByItem)
{
  struct Case {
    const char* Label;
    std::vector<std::string> Items;
  } cases[] = {
      {"plain", {"a", "b"}},
      {"GBK with trail bytes like ASCII", {"运单", "\x81\x5C\x81\x7C", "癬"}},
      {"empty items kept", {"", "x", ""}},
      // Line breaks inside an item must not split it: the list is streamed item by item,
      // not through Text.
      {"line breaks inside items", {"one\r\ntwo", "three\rfour"}},
      {"long item", {std::string(300, 'z')}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Label);
    TMemoLike source(nullptr);
    for (const std::string& item : c.Items)
      source.Lines()->Add(item);
    TMemoryStream stream;
    TWriter writer(&stream);
    writer.WriteProperties(&source);
    EXPECT_EQ(WrittenNames(stream), (std::vector<std::string>{"Lines.Strings"}));

    TMemoLike dest(nullptr);
    dest.Lines()->Add("stale");
    stream.SetPosition(0);
    TReader reader(&stream);
    reader.ReadProperties(&dest);
    ASSERT_EQ(dest.Lines()->Count(), static_cast<Integer>(c.Items.size()));
    for (size_t i = 0; i < c.Items.size(); ++i)
      EXPECT_EQ(dest.Lines()->Strings(static_cast<Integer>(i)), c.Items[i]);
  }
}

TEST_F(FilerStrings, StringsAreAListOfStringsWrittenOnlyWithData)
{
  TMemoLike memo(nullptr);
  TMemoryStream empty;
  TWriter w1(&empty);
  w1.WriteProperties(&memo);
  EXPECT_EQ(empty.Size(), 0); // an empty list writes nothing

  memo.Lines()->Add("a");
  TMemoryStream one;
  TWriter w2(&one);
  w2.WriteProperties(&memo);
  // "Lines.Strings", vaList, vaString "a", vaNull.
  EXPECT_EQ(Hex(one), "0D4C696E65732E537472696E67730106016100");

  // Against an ancestor list with the same items nothing is written; a difference writes all.
  TStringList list;
  list.Add("x");
  TStringList ancestor;
  ancestor.Add("x");
  TMemoryStream same;
  TWriter w3(&same);
  w3.SetAncestor(&ancestor);
  w3.WriteDefinedProperties(&list);
  EXPECT_EQ(same.Size(), 0);
  ancestor.Add("y");
  TMemoryStream differs;
  TWriter w4(&differs);
  w4.SetAncestor(&ancestor);
  w4.WriteDefinedProperties(&list);
  EXPECT_EQ(WrittenNames(differs), (std::vector<std::string>{"Strings"}));
}

TEST_F(FilerStrings, StringsOfAnotherKindRaiseReadError)
{
  TMemoryStream s;
  TWriter w(&s);
  w.WritePropName("Lines.Strings");
  w.WriteInteger(5); // not a list
  s.SetPosition(0);
  TMemoLike memo(nullptr);
  TReader r(&s);
  EXPECT_THROW(r.ReadProperty(&memo), EReadError);
}

namespace {

// A component that tidies up around reading its state, as list-holding components do.
class TStateBox : public TComponent {
public:
  using TComponent::TComponent;
  Integer Left() const { return FLeft; }
  void SetLeft(Integer v) { FLeft = v; }
  std::vector<std::string> Log;

  void GetChildren(TGetChildProc Proc, TComponent* Root) override
  {
    for (Integer i = 0; i < ComponentCount(); ++i)
      Proc(Components(i));
  }

protected:
  void ReadState(TReader* Reader) override
  {
    Log.push_back(ComponentState().Contains(csReading) ? "before, reading" : "before");
    TComponent::ReadState(Reader);
    Log.push_back("after, left " + std::to_string(FLeft) + ", children " +
                  std::to_string(ComponentCount()));
  }

private:
  Integer FLeft = 0;
};

} // namespace

TEST(FilerReadState, ComponentsReadTheirStateThroughReadState)
{
  TClassRegistration<TStateBox, TComponent>("TStateBox")
      .Property("Left", &TStateBox::Left, &TStateBox::SetLeft);
  RegisterClass(ClassInfoOf<TStateBox>());
  TStateBox source(nullptr);
  source.SetName("Root");
  source.SetLeft(7);
  (new TStateBox(&source))->SetName("Child");

  TMemoryStream stream;
  TWriter writer(&stream);
  writer.WriteRootComponent(&source);
  stream.SetPosition(0);
  TStateBox copy(nullptr);
  TReader reader(&stream);
  reader.ReadRootComponent(&copy);
  EXPECT_EQ(copy.Log, (std::vector<std::string>{"before, reading", "after, left 7, children 1"}));
  auto* child = As<TStateBox>(copy.FindComponent("Child"));
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->Log.size(), 2u);
  EXPECT_TRUE(reader.EndOfData());
}

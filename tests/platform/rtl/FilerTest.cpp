#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/rtl/Filer.h"

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

TEST(Filer, ValuesRoundTripInTheirSmallestForm)
{
  TMemoryStream stream;
  TWriter w(&stream);
  struct IntCase {
    Int64 Value;
    Int64 Bytes; // tag + payload
  } ints[] = {{0, 2}, {-128, 2}, {127, 2}, {128, 3}, {-32768, 3}, {40000, 5},
              {-2147483647 - 1, 5}, {Int64(1) << 40, 9}};
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

#include "platform/rtl/Streams.h"

#include <cstring>
#include <filesystem>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/rtl/Lists.h"

namespace {

template <class E, class F> AnsiString MessageOf(F&& f)
{
  try {
    f();
  } catch (const E& e) {
    return e.Message();
  }
  return "<no exception>";
}

// A fresh folder under the system's temp folder, removed with the fixture.
class StreamFiles : public ::testing::Test {
protected:
  void SetUp() override
  {
    char templ[] = "/tmp/qh-streams-XXXXXX";
    ASSERT_NE(mkdtemp(templ), nullptr);
    Dir = templ;
  }
  void TearDown() override { std::filesystem::remove_all(Dir); }
  AnsiString Path(const char* name) const { return Dir + "/" + name; }

  AnsiString Dir;
};

AnsiString ReadAll(TStream& s)
{
  AnsiString out(static_cast<size_t>(s.Size() - s.Position()), '\0');
  s.ReadBuffer(out.data(), static_cast<Integer>(out.size()));
  return out;
}

} // namespace

TEST(MemoryStream, ReadWriteSeekAndShortReads)
{
  TMemoryStream s;
  s.WriteBuffer("hello world", 11);
  EXPECT_EQ(s.Size(), 11);
  EXPECT_EQ(s.Position(), 11);
  EXPECT_EQ(s.Seek(-5, soFromEnd), 6);
  char buf[16] = {};
  EXPECT_EQ(s.Read(buf, 10), 5); // a short read returns what there was
  EXPECT_STREQ(buf, "world");
  EXPECT_EQ(s.Read(buf, 10), 0);
  s.Seek(2, soFromBeginning);
  s.Seek(1, soFromCurrent);
  EXPECT_EQ(s.Position(), 3);

  // Writing past the end fills the gap with zeros.
  s.SetPosition(13);
  s.WriteBuffer("!", 1);
  EXPECT_EQ(s.Size(), 14);
  EXPECT_EQ(std::memcmp(static_cast<char*>(s.Memory()) + 10, "d\0\0!", 4), 0);

  s.SetPosition(12);
  EXPECT_EQ(MessageOf<EReadError>([&] { s.ReadBuffer(buf, 3); }), "Stream read error");
  s.SetSize(4);
  EXPECT_EQ(s.Position(), 4);
  s.SetPosition(0);
  EXPECT_EQ(ReadAll(s), "hell");
  // The bytes cut off are gone: growing again, by size or by a write past the end, gives
  // zeros where they were.
  s.SetSize(6);
  s.SetPosition(9);
  s.WriteBuffer("?", 1);
  EXPECT_EQ(std::string(static_cast<char*>(s.Memory()), 10), std::string("hell\0\0\0\0\0?", 10));
  // Large writes move the contents along as the buffer grows.
  std::string big(3 << 20, 'x');
  for (size_t i = 0; i < big.size(); i += 4099)
    big[i] = static_cast<char>('a' + i % 26);
  for (size_t at = 0; at < big.size(); at += 65536)
    s.WriteBuffer(big.data() + at, static_cast<Integer>(std::min<size_t>(65536, big.size() - at)));
  EXPECT_EQ(s.Size(), 10 + static_cast<Int64>(big.size()));
  EXPECT_GE(s.Capacity(), s.Size());
  EXPECT_EQ(std::string(static_cast<char*>(s.Memory()) + 10, big.size()), big);
  s.Clear();
  EXPECT_EQ(s.Size(), 0);
  EXPECT_EQ(s.Position(), 0);
}

TEST(MemoryStream, CopyFromWholeSourceOrPart)
{
  TStringStream source("0123456789");
  source.SetPosition(7);
  TMemoryStream dest;
  EXPECT_EQ(dest.CopyFrom(&source, 0), 10); // 0: the whole source, from its start
  source.SetPosition(2);
  EXPECT_EQ(dest.CopyFrom(&source, 3), 3); // n: from the source's position
  dest.SetPosition(0);
  EXPECT_EQ(ReadAll(dest), "0123456789234");
  source.SetPosition(8);
  EXPECT_EQ(MessageOf<EReadError>([&] { dest.CopyFrom(&source, 5); }), "Stream read error");

  TMemoryStream loaded;
  loaded.LoadFromStream(&dest);
  EXPECT_EQ(loaded.Size(), 13);
  EXPECT_EQ(loaded.Position(), 0);
}

TEST(StringStream, WritesOverwriteWithoutTruncating)
{
  TStringStream s("abcdef");
  s.SetPosition(2);
  s.WriteString("XY");
  EXPECT_EQ(s.DataString(), "abXYef");
  s.Seek(0, soFromEnd);
  s.WriteString("\x81\x5c");
  EXPECT_EQ(s.DataString(), "abXYef\x81\x5c");
  s.SetPosition(1);
  EXPECT_EQ(s.ReadString(3), "bXY");
  EXPECT_EQ(s.ReadString(100), "ef\x81\x5c");
  EXPECT_EQ(s.ReadString(1), "");
}

TEST(ReadOnlyStreams, ReadButNeverWrite)
{
  AnsiString data("bytes\0more", 10);
  TReadOnlyMemoryStream s(data);
  data.clear(); // the stream keeps its own copy
  EXPECT_EQ(s.Size(), 10);
  EXPECT_EQ(ReadAll(s), AnsiString("bytes\0more", 10));
  EXPECT_EQ(s.Write("x", 1), 0);
  EXPECT_EQ(MessageOf<EWriteError>([&] { s.WriteBuffer("x", 1); }), "Stream write error");

  static const char blob[] = {1, 2, 3};
  RegisterResource("TestBlob", blob, sizeof blob);
  TResourceStream r("TESTBLOB");
  EXPECT_EQ(r.Size(), 3);
  char buf[3];
  r.ReadBuffer(buf, 3);
  EXPECT_EQ(buf[2], 3);
  EXPECT_THROW(r.WriteBuffer(buf, 1), EWriteError);
  UnregisterResource("TestBlob");
  EXPECT_EQ(MessageOf<EResNotFound>([] { TResourceStream("TestBlob"); }),
            "Resource TestBlob not found");
}

TEST_F(StreamFiles, FileStreamModes)
{
  const AnsiString name = Path("data.bin");
  {
    TFileStream f(name, fmCreate | fmShareExclusive);
    f.WriteBuffer("abcdef", 6);
  }
  {
    TFileStream f(name, fmOpenRead | fmShareDenyNone);
    EXPECT_EQ(f.Size(), 6);
    f.Seek(-2, soFromEnd);
    EXPECT_EQ(ReadAll(f), "ef");
    EXPECT_EQ(MessageOf<EWriteError>([&] { f.WriteBuffer("x", 1); }), "Stream write error");
  }
  {
    TFileStream f(name, fmOpenReadWrite);
    f.SetPosition(1);
    f.WriteBuffer("XY", 2);
    f.SetSize(4);
    f.SetPosition(0);
    EXPECT_EQ(ReadAll(f), "aXYd");
  }
  {
    TFileStream f(name, fmOpenWrite);
    f.Seek(0, soFromEnd);
    f.WriteBuffer("!", 1);
  }
  TMemoryStream m;
  m.LoadFromFile(name);
  EXPECT_EQ(AnsiString(static_cast<char*>(m.Memory()), 5), "aXYd!");
  m.SaveToFile(Path("copy.bin"));
  EXPECT_EQ(std::filesystem::file_size(Path("copy.bin")), 5u);
  {
    // fmCreate truncates an existing file.
    TFileStream f(name, fmCreate);
    EXPECT_EQ(f.Size(), 0);
  }
}

TEST_F(StreamFiles, SizeBeyondFourGigabytes)
{
  TFileStream f(Path("big.bin"), fmCreate);
  const Int64 big = Int64(5) << 30;
  f.SetSize(big); // sparse: no space is used
  EXPECT_EQ(f.Size(), big);
  EXPECT_EQ(f.Seek(-1, soFromEnd), big - 1);
  f.WriteBuffer("z", 1);
  EXPECT_EQ(f.Position(), big);
}

TEST_F(StreamFiles, OpenAndCreateErrorsNameFileAndReason)
{
  const AnsiString missing = Path("missing.txt");
  EXPECT_EQ(MessageOf<EFOpenError>([&] { TFileStream(missing, fmOpenRead); }),
            "Cannot open file \"" + missing + "\". No such file or directory");
  EXPECT_EQ(MessageOf<EFOpenError>([&] { TFileStream(Dir, fmOpenRead); }),
            "Cannot open file \"" + Dir + "\". Is a directory");
  const AnsiString nowhere = Path("no/such/folder.txt");
  EXPECT_EQ(MessageOf<EFCreateError>([&] { TFileStream(nowhere, fmCreate); }),
            "Cannot create file \"" + nowhere + "\". No such file or directory");
  // Both are stream errors.
  EXPECT_THROW(TFileStream(missing, fmOpenReadWrite), EStreamError);
}

TEST_F(StreamFiles, GbkNamesReachTheFileSystemAsUtf8)
{
  const AnsiString name = Path("运单.txt"); // GBK bytes in the program
  {
    TFileStream f(name, fmCreate);
    f.WriteBuffer("x", 1);
  }
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(Dir) / u8"运单.txt"));
  TFileStream f(name, fmOpenRead);
  EXPECT_EQ(f.Size(), 1);
}

TEST_F(StreamFiles, BackslashNamesAndStringListFiles)
{
  // Names from stored data may use '\' as the separator.
  TStringList list;
  list.SetCommaText("\"第一 行\",second");
  list.SaveToFile(Dir + "\\list.txt");
  EXPECT_EQ(std::filesystem::file_size(Path("list.txt")), 17u); // GBK bytes and CR LF
  TStringList back;
  back.LoadFromFile(Path("list.txt"));
  EXPECT_TRUE(back.Equals(&list));
  EXPECT_THROW(back.LoadFromFile(Path("none.txt")), EFOpenError);
}

// The deflate stream: complete zlib streams that inflate back, written in 64 KiB pieces
// from where the destination stood at creation, and the operations it refuses.
#include "report/output/frxZLib.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace {

std::string Inflate(const std::string& data)
{
  std::string out(data.size() * 4 + 1024, '\0');
  for (;;) {
    uLongf size = out.size();
    int rc = uncompress(reinterpret_cast<Bytef*>(out.data()), &size,
                        reinterpret_cast<const Bytef*>(data.data()), data.size());
    if (rc == Z_BUF_ERROR) {
      out.resize(out.size() * 2);
      continue;
    }
    if (rc != Z_OK)
      return "<inflate error " + std::to_string(rc) + ">";
    out.resize(size);
    return out;
  }
}

std::string XorShiftBytes(size_t n)
{
  std::string s(n, '\0');
  uint32_t x = 2463534242u;
  for (char& c : s) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    c = static_cast<char>(x & 0xFF);
  }
  return s;
}

// Counts the writes that reach it.
class TCountingStream : public TStringStream {
public:
  Integer Write(const void* Buffer, Integer Count) override
  {
    Writes.push_back(Count);
    return TStringStream::Write(Buffer, Count);
  }
  std::vector<Integer> Writes;
};

std::string Hex(const std::string& s)
{
  static const char* digits = "0123456789ABCDEF";
  std::string h;
  for (unsigned char c : s) {
    if (!h.empty())
      h += ' ';
    h += digits[c >> 4];
    h += digits[c & 15];
  }
  return h;
}

} // namespace

// An empty source still gives the header, an empty final block and the checksum; a short
// text inflates back (zlib's exact bytes for it are version-dependent).
TEST(frxZLibTest, SmallInputsGiveCompleteStreams)
{
  TStringStream empty, out;
  CompressStreamTo(&empty, &out, zcMax);
  EXPECT_EQ(Hex(out.DataString()), "78 DA 03 00 00 00 00 01");

  TStringStream text("BT\r\n"), out2;
  CompressStreamTo(&text, &out2, zcMax);
  ASSERT_GE(out2.DataString().size(), 2u);
  EXPECT_EQ(Hex(out2.DataString().substr(0, 2)), "78 DA");
  EXPECT_EQ(Inflate(out2.DataString()), "BT\r\n");
}

// Output beyond one buffer leaves in full 64 KiB writes, each reported to the progress
// handler, and the rest when the stream finishes.
TEST(frxZLibTest, LargeOutputIsWrittenInFullBuffers)
{
  const std::string data = XorShiftBytes(200000);
  TCountingStream out;
  Integer progress = 0;
  {
    TZCompressionStream z(&out, zcMax);
    z.OnProgress = [&](TObject*) { ++progress; };
    for (size_t i = 0; i < data.size(); i += 7000)
      z.WriteBuffer(data.data() + i, static_cast<Integer>(std::min<size_t>(7000, data.size() - i)));
    EXPECT_EQ(z.Seek(0, soFromCurrent), 200000);
    z.Finish();
  }
  ASSERT_GE(out.Writes.size(), 4u);
  EXPECT_EQ(out.Writes[0], 65536);
  EXPECT_EQ(out.Writes[1], 65536);
  EXPECT_EQ(out.Writes[2], 65536);
  EXPECT_GT(out.DataString().size(), 65536u * 3);
  EXPECT_EQ(progress, 3);
  EXPECT_EQ(Inflate(out.DataString()), data);
}

// The compressed bytes start where the destination stood at creation, even when the caller
// moved it in between; what stood before stays.
TEST(frxZLibTest, WritingStartsAtTheCreationPosition)
{
  TStringStream out("head");
  out.SetPosition(4);
  TZCompressionStream z(&out, zcMax);
  out.SetPosition(1);
  z.WriteBuffer("abcabcabc", 9);
  out.SetPosition(0);
  z.Finish();
  ASSERT_EQ(out.DataString().substr(0, 4), "head");
  EXPECT_EQ(Inflate(out.DataString().substr(4)), "abcabcabc");
}

// Reading and any other seek are refused with the stream's own message; so is writing after
// the end.
TEST(frxZLibTest, RefusedOperations)
{
  TStringStream out;
  TZCompressionStream z(&out, zcDefault);
  char buf[4];
  struct TCase {
    const char* Name;
    std::function<void()> Call;
  };
  const TCase cases[] = {
      {"read", [&] { z.Read(buf, 4); }},
      {"seek to start", [&] { z.Seek(0, soFromBeginning); }},
      {"seek forward", [&] { z.Seek(3, soFromCurrent); }},
      {"write after finish",
       [&] {
         z.Finish();
         z.Write("x", 1);
       }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    try {
      c.Call();
      ADD_FAILURE() << "no exception";
    } catch (const EZCompressionError& e) {
      EXPECT_EQ(e.Message(), "Invalid ZStream operation!");
    }
  }
  EXPECT_EQ(Inflate(out.DataString()), "");
}

// A stream freed without Finish still completes its data.
TEST(frxZLibTest, DestructionCompletesTheData)
{
  TStringStream out;
  {
    TZCompressionStream z(&out, zcFastest);
    z.WriteBuffer("hello hello hello", 17);
  }
  EXPECT_EQ(Inflate(out.DataString()), "hello hello hello");
  EXPECT_EQ(Inflate(CompressBytes("xyz", 3, zcNone)), "xyz");
}

// The one-call deflate gives the bytes the stream gives for the same data written in one
// piece (the PDF writer deflates pages with it on a worker thread, and its files must not
// change), at every level: nothing, a byte, text that compresses well, and random bytes
// filling several output buffers.
TEST(frxZLibTest, DeflateBytesGivesTheStreamsBytes)
{
  std::string text;
  for (int i = 0; i < 20000; ++i)
    text += "0.5000 0 0 RG " + std::to_string(i % 97) + " w\r\n";
  const std::string inputs[] = {"", "x", text, XorShiftBytes(300000)};
  for (TZCompressionLevel level : {zcNone, zcFastest, zcDefault, zcMax})
    for (const std::string& in : inputs) {
      SCOPED_TRACE(std::to_string(level) + " size " + std::to_string(in.size()));
      TStringStream out;
      {
        TZCompressionStream z(&out, level);
        z.WriteBuffer(in.data(), static_cast<Integer>(in.size()));
        z.Finish();
      }
      std::string bytes = "left over";
      EXPECT_EQ(DeflateBytes(in.data(), in.size(), level, bytes), 0);
      EXPECT_TRUE(bytes == out.DataString()) << bytes.size() << " " << out.DataString().size();
      EXPECT_TRUE(CompressBytes(in.data(), in.size(), level) == bytes);
      EXPECT_TRUE(Inflate(bytes) == in);
    }
  // A deflater used again and again gives every piece the bytes of a fresh one, whatever
  // came before it.
  for (TZCompressionLevel level : {zcFastest, zcMax}) {
    TDeflater reused(level);
    for (int round = 0; round < 2; ++round)
      for (int i = 3; i >= 0; --i) {
        const std::string& in = inputs[round == 0 ? i : 3 - i];
        std::string again, fresh;
        EXPECT_EQ(reused.Deflate(in.data(), in.size(), again), 0);
        EXPECT_EQ(DeflateBytes(in.data(), in.size(), level, fresh), 0);
        EXPECT_TRUE(again == fresh) << level << " " << in.size();
      }
  }
}

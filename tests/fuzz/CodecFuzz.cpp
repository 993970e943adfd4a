// Fuzz target "codec": the input as GBK, as UTF-8 and as UTF-16 through every direction of
// the codec (platform/rtl/Codec.h). Whatever converts without loss must convert back to the
// same text, and a fallback never changes how much is lost.
#include "platform/rtl/Codec.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

// Text read as GBK that converts to UTF-8 and UTF-16 without loss comes back unchanged
// from both.
void GbkRoundTrip(const std::string& Gbk)
{
  Integer lost = 0;
  const UTF8String utf8 = GbkToUtf8(Gbk, cfQuestionMark, &lost);
  Integer dropped = 0;
  GbkToUtf8(Gbk, cfDrop, &dropped);
  FuzzCheck(lost == dropped, "GBK to UTF-8: the fallback changes the count of lost characters");
  if (lost != 0)
    return;
  Integer back = 0;
  FuzzCheck(Utf8ToGbk(utf8, cfQuestionMark, &back) == Gbk && back == 0,
            "GBK to UTF-8 and back changes the text");
  const WideString wide = GbkToWide(Gbk, cfQuestionMark, &lost);
  FuzzCheck(lost == 0, "GBK converts to UTF-8 but not to UTF-16 without loss");
  FuzzCheck(WideToGbk(wide, cfQuestionMark, &back) == Gbk && back == 0,
            "GBK to UTF-16 and back changes the text");
  FuzzCheck(WideToUtf8(wide) == utf8, "GBK to UTF-16 to UTF-8 differs from GBK to UTF-8");
}

// UTF-8 that is valid converts to UTF-16 and back unchanged; when GBK holds every
// character, so does the way through GBK.
void Utf8RoundTrip(const std::string& Utf8)
{
  Integer lost = 0;
  const WideString wide = Utf8ToWide(Utf8, cfQuestionMark, &lost);
  if (lost != 0)
    return;
  Integer back = 0;
  FuzzCheck(WideToUtf8(wide, cfQuestionMark, &back) == Utf8 && back == 0,
            "UTF-8 to UTF-16 and back changes the text");
  const AnsiString gbk = Utf8ToGbk(Utf8, cfQuestionMark, &lost);
  if (lost != 0)
    return;
  FuzzCheck(GbkToUtf8(gbk, cfQuestionMark, &back) == Utf8 && back == 0,
            "UTF-8 to GBK and back changes the text");
}

// The input's bytes as little-endian UTF-16 units (an odd last byte is left out).
void Utf16RoundTrip(const std::string& Bytes)
{
  WideString wide;
  for (size_t i = 0; i + 1 < Bytes.size(); i += 2)
    wide += static_cast<char16_t>(static_cast<unsigned char>(Bytes[i]) |
                                  static_cast<unsigned char>(Bytes[i + 1]) << 8);
  Integer lost = 0;
  const UTF8String utf8 = WideToUtf8(wide, cfQuestionMark, &lost);
  if (lost != 0)
    return;
  Integer back = 0;
  FuzzCheck(Utf8ToWide(utf8, cfQuestionMark, &back) == wide && back == 0,
            "UTF-16 to UTF-8 and back changes the text");
  const AnsiString gbk = WideToGbk(wide, cfQuestionMark, &lost);
  if (lost != 0)
    return;
  FuzzCheck(GbkToWide(gbk, cfQuestionMark, &back) == wide && back == 0,
            "UTF-16 to GBK and back changes the text");
}

void FuzzCodec(const std::string& Input)
{
  GbkRoundTrip(Input);
  Utf8RoundTrip(Input);
  Utf16RoundTrip(Input);
}

} // namespace

QH_FUZZ_TARGET("codec", FuzzCodec);

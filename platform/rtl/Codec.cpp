// Text conversion between GBK, UTF-8 and UTF-16 (see Codec.h).
//
// The GBK mapping comes from iconv's "CP936" converter, read once into two tables (GBK
// double-byte code -> UTF-16 unit, and UTF-16 unit -> GBK code), so that conversions are
// plain table look-ups: thread-safe without locks, no iconv state shared between threads,
// and exact control over broken input. Every GBK character is in the BMP.
#include "platform/rtl/Codec.h"

#include <cstring>
#include <iconv.h>
#include <memory>

namespace {

constexpr char32_t kInvalid = 0xFFFFFFFF;
constexpr unsigned kLeadCount = 0xFE - 0x81 + 1;  // lead bytes 0x81..0xFE
constexpr unsigned kTrailCount = 0xFE - 0x40 + 1; // trail bytes 0x40..0xFE (0x7F never)

struct TGbkTables {
  char16_t ToWide[kLeadCount * kTrailCount] = {}; // 0: no character
  Word FromWide[0x10000] = {};                    // 0: not in GBK
};

bool IsTrail(unsigned char t)
{
  return (t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFE);
}

// Converts one GBK double-byte code with cd; 0 when iconv does not map it.
char16_t IconvDecode(iconv_t cd, unsigned char lead, unsigned char trail)
{
  char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
  char out[8];
  char* ip = in;
  char* op = out;
  size_t il = 2;
  size_t ol = sizeof out;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1) || ol != sizeof out - 2)
    return 0;
  const unsigned char* u = reinterpret_cast<const unsigned char*>(out);
  return static_cast<char16_t>(u[0] | (u[1] << 8));
}

// The GBK code iconv gives for one UTF-16 unit; 0 when none.
Word IconvEncode(iconv_t cd, char16_t ch)
{
  char in[2] = {static_cast<char>(ch & 0xFF), static_cast<char>(ch >> 8)};
  char out[8];
  char* ip = in;
  char* op = out;
  size_t il = 2;
  size_t ol = sizeof out;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1) || ol != sizeof out - 2)
    return 0;
  const unsigned char* g = reinterpret_cast<const unsigned char*>(out);
  return static_cast<Word>((g[0] << 8) | g[1]);
}

// Reads every double-byte code through dec into the tables. With fillOnly, only codes
// and characters that have no mapping yet are added.
void ReadCodes(TGbkTables& t, iconv_t dec, iconv_t enc, bool fillOnly)
{
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F)
        continue;
      char16_t& slot = t.ToWide[(lead - 0x81) * kTrailCount + (trail - 0x40)];
      if (slot != 0)
        continue;
      const char16_t w =
          IconvDecode(dec, static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
      if (w < 0x80 || (w >= 0xD800 && w <= 0xDFFF))
        continue; // a double-byte code must not turn into ASCII or half a pair
      const Word code = static_cast<Word>((lead << 8) | trail);
      Word& back = t.FromWide[w];
      if (fillOnly && back != 0)
        continue; // the character already has its code; keep the two directions in step
      slot = w;
      if (back == 0)
        back = code;
      else if (enc != reinterpret_cast<iconv_t>(-1) && IconvEncode(enc, w) == code)
        back = code; // two codes for one character: the one iconv encodes to wins
    }
  }
}

// Code page 936 as iconv has it, then the double-byte codes it leaves out (user-defined
// areas and a few symbols) as GB18030 maps them, mostly to private-use characters, so
// that every well-formed GBK pair survives a trip through UTF-8 (database text).
std::unique_ptr<TGbkTables> BuildTables()
{
  auto t = std::make_unique<TGbkTables>();
  const iconv_t none = reinterpret_cast<iconv_t>(-1);
  iconv_t dec = iconv_open("UTF-16LE", "CP936");
  iconv_t enc = iconv_open("CP936", "UTF-16LE");
  if (dec != none) {
    ReadCodes(*t, dec, enc, false);
    iconv_close(dec);
  }
  if (enc != none)
    iconv_close(enc);
  // The single byte 0x80 is the euro sign in code page 936 (its GB18030 code stays unused).
  t->FromWide[0x20AC] = 0x80;
  iconv_t fill = iconv_open("UTF-16LE", "GB18030");
  if (fill != none) {
    ReadCodes(*t, fill, none, true);
    iconv_close(fill);
  }
  return t;
}

const TGbkTables& Tables()
{
  static const std::unique_ptr<TGbkTables> tables = BuildTables();
  return *tables;
}

// ---- Decoders: each reads one character at i, advances i, returns kInvalid for a
// broken sequence (having consumed at least one unit). ----

struct TGbkDecoder {
  const TGbkTables& T = Tables();
  char32_t operator()(std::string_view s, size_t& i) const
  {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      ++i;
      return b;
    }
    if (b == 0x80) {
      ++i;
      return 0x20AC;
    }
    if (b == 0xFF || i + 1 >= s.size() || !IsTrail(static_cast<unsigned char>(s[i + 1]))) {
      ++i; // a lone or broken lead byte; the next byte is read on its own
      return kInvalid;
    }
    const unsigned char t = static_cast<unsigned char>(s[i + 1]);
    i += 2;
    const char16_t w = T.ToWide[(b - 0x81) * kTrailCount + (t - 0x40)];
    return w ? w : kInvalid;
  }
};

struct TUtf8Decoder {
  // A broken sequence consumes its maximal valid prefix (at least one byte), so one
  // truncated character gives one replacement.
  char32_t operator()(std::string_view s, size_t& i) const
  {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      ++i;
      return b;
    }
    int extra;
    char32_t cp;
    unsigned char lo = 0x80; // allowed range of the second byte
    unsigned char hi = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
      extra = 1, cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      extra = 2, cp = b & 0x0F;
      if (b == 0xE0)
        lo = 0xA0; // no overlong forms
      if (b == 0xED)
        hi = 0x9F; // no surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
      extra = 3, cp = b & 0x07;
      if (b == 0xF0)
        lo = 0x90;
      if (b == 0xF4)
        hi = 0x8F; // nothing above U+10FFFF
    } else {
      ++i;
      return kInvalid;
    }
    for (int k = 1; k <= extra; ++k) {
      const size_t at = i + static_cast<size_t>(k);
      const unsigned char c = at < s.size() ? static_cast<unsigned char>(s[at]) : 0;
      if (c < lo || c > hi) {
        i = at;
        return kInvalid;
      }
      lo = 0x80;
      hi = 0xBF;
      cp = (cp << 6) | (c & 0x3F);
    }
    i += static_cast<size_t>(extra) + 1;
    return cp;
  }
};

struct TUtf16Decoder {
  char32_t operator()(std::u16string_view s, size_t& i) const
  {
    const char16_t w = s[i++];
    if (w < 0xD800 || w > 0xDFFF)
      return w;
    if (w >= 0xDC00 || i >= s.size() || s[i] < 0xDC00 || s[i] > 0xDFFF)
      return kInvalid;
    const char16_t lo = s[i++];
    return 0x10000 + ((char32_t(w) - 0xD800) << 10) + (lo - 0xDC00);
  }
};

// ---- Encoders: append one code point, false when the target cannot hold it. ----

struct TGbkEncoder {
  const TGbkTables& T = Tables();
  bool operator()(std::string& out, char32_t cp) const
  {
    if (cp < 0x80) {
      out += static_cast<char>(cp);
      return true;
    }
    if (cp > 0xFFFF)
      return false;
    const Word code = T.FromWide[cp];
    if (code == 0)
      return false;
    if (code > 0xFF)
      out += static_cast<char>(code >> 8);
    out += static_cast<char>(code & 0xFF);
    return true;
  }
};

struct TUtf8Encoder {
  bool operator()(std::string& out, char32_t cp) const
  {
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return true;
  }
};

struct TUtf16Encoder {
  bool operator()(std::u16string& out, char32_t cp) const
  {
    if (cp < 0x10000) {
      out += static_cast<char16_t>(cp);
    } else {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
    return true;
  }
};

template <class Out, class In, class Decoder, class Encoder>
Out Convert(In in, TCodecFallback fallback, Integer* lost, Decoder decode, Encoder encode)
{
  Out out;
  out.reserve(in.size() + in.size() / 2);
  Integer missed = 0;
  size_t i = 0;
  while (i < in.size()) {
    const char32_t cp = decode(in, i);
    if (cp != kInvalid && encode(out, cp))
      continue;
    ++missed;
    if (fallback == cfQuestionMark)
      out += '?';
  }
  if (lost)
    *lost = missed;
  return out;
}

bool IsAscii(std::string_view s)
{
  const unsigned char* p = reinterpret_cast<const unsigned char*>(s.data());
  const size_t n = s.size();
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    UInt64 w;
    std::memcpy(&w, p + i, 8);
    if (w & 0x8080808080808080ULL)
      return false;
  }
  for (; i < n; ++i) {
    if (p[i] & 0x80)
      return false;
  }
  return true;
}

bool IsAscii(std::u16string_view s)
{
  for (char16_t c : s) {
    if (c >= 0x80)
      return false;
  }
  return true;
}

// Text that is all ASCII reads the same in every encoding: it is copied unit by unit
// without a table lookup. Anything else goes through Convert.
template <class Out, class In, class Decoder, class Encoder>
Out Transcode(In in, TCodecFallback fallback, Integer* lost, Decoder decode, Encoder encode)
{
  if (!IsAscii(in))
    return Convert<Out>(in, fallback, lost, decode, encode);
  if (lost)
    *lost = 0;
  return Out(in.begin(), in.end());
}

} // namespace

UTF8String GbkToUtf8(std::string_view gbk, TCodecFallback fallback, Integer* lost)
{
  return Transcode<UTF8String>(gbk, fallback, lost, TGbkDecoder(), TUtf8Encoder());
}

AnsiString Utf8ToGbk(std::string_view utf8, TCodecFallback fallback, Integer* lost)
{
  return Transcode<AnsiString>(utf8, fallback, lost, TUtf8Decoder(), TGbkEncoder());
}

WideString GbkToWide(std::string_view gbk, TCodecFallback fallback, Integer* lost)
{
  return Transcode<WideString>(gbk, fallback, lost, TGbkDecoder(), TUtf16Encoder());
}

AnsiString WideToGbk(std::u16string_view wide, TCodecFallback fallback, Integer* lost)
{
  return Transcode<AnsiString>(wide, fallback, lost, TUtf16Decoder(), TGbkEncoder());
}

WideString Utf8ToWide(std::string_view utf8, TCodecFallback fallback, Integer* lost)
{
  return Transcode<WideString>(utf8, fallback, lost, TUtf8Decoder(), TUtf16Encoder());
}

UTF8String WideToUtf8(std::u16string_view wide, TCodecFallback fallback, Integer* lost)
{
  return Transcode<UTF8String>(wide, fallback, lost, TUtf16Decoder(), TUtf8Encoder());
}

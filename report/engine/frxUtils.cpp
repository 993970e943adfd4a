// Shared helpers of the report library; see frxUtils.h.
#include "report/engine/frxUtils.h"

#include <algorithm>
#include <cstdint>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/ImgList.h"
#include "platform/graphics/Pictures.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxRes.h"
#include "report/engine/frxXMLSerializer.h"

namespace {

TfrxGlobalModulesFunc GModules = nullptr;
TfrxMessageBoxFunc GMessageBox = nullptr;

AnsiString WithoutBlanks(const AnsiString& s)
{
  AnsiString result;
  result.reserve(s.size());
  for (char c : s)
    if (c != ' ')
      result += c;
  return result;
}

// True when Text holds Sub at the 1-based position Pos.
bool StartsAt(const AnsiString& Text, Integer Pos, const AnsiString& Sub)
{
  return !Sub.empty() && Text.compare(static_cast<size_t>(Pos - 1), Sub.size(), Sub) == 0;
}

// Dotted names: the first part is a global module, the rest are owned components level by
// level.
TComponent* LocateDotted(const AnsiString& Name)
{
  TStringList parts;
  SplitTextByChar(Name, &parts, '.');
  TComponent* c = FindGlobalModule(parts.Strings(0));
  for (Integer i = 1; c && i < parts.Count(); ++i)
    c = c->FindComponent(parts.Strings(i));
  return c;
}

} // namespace

TfrxRect ExtendedRect(Extended ALeft, Extended ATop, Extended ARight, Extended ABottom)
{
  return {ALeft, ATop, ARight, ABottom};
}

TfrxPoint ExtendedPoint(Extended X, Extended Y)
{
  return {X, Y};
}

void ParsePageNumbers(const AnsiString& PageNumbers, TStrings* List, Integer PageCount)
{
  List->Clear();
  AnsiString s = WithoutBlanks(PageNumbers);
  if (s.empty())
    return;
  if (s.back() == '-')
    s += IntToStr(PageCount);
  TStringList items;
  SplitTextByChar(s, &items, ',');
  for (Integer i = 0; i < items.Count(); ++i) {
    const AnsiString item = items.Strings(i);
    size_t dash = item.find('-');
    if (dash == AnsiString::npos) {
      List->Add(IntToStr(StrToInt(item)));
      continue;
    }
    Integer first = StrToInt(item.substr(0, dash));
    Integer last = std::min(StrToInt(item.substr(dash + 1)), PageCount);
    for (Integer n = first; n <= last; ++n)
      List->Add(IntToStr(n));
  }
}

void ExtractBracketed(const AnsiString& Text, const AnsiString& Open, const AnsiString& Close,
                      AnsiString& Result, Integer& EndPos, Integer& StartPos)
{
  Result.clear();
  EndPos = StartPos;
  const Integer len = Length(Text);
  if (len == 0 || StartPos > len || StartPos < 1)
    return;
  Integer depth = 0;
  bool inDouble = false, inSingle = false;
  Integer i = StartPos;
  for (;;) {
    const unsigned char c = static_cast<unsigned char>(Text[i - 1]);
    if (IsDBCSLeadByte(c) && i < len) {
      // A double-byte character is one unit: neither of its bytes opens, closes or quotes.
      // When it is the last character, the scan stops on its first byte.
      if (i + 1 >= len)
        break;
      i += 2;
      continue;
    }
    if (!inDouble && !inSingle) {
      if (StartsAt(Text, i, Open)) {
        if (depth == 0)
          StartPos = i;
        ++depth;
      } else if (StartsAt(Text, i, Close)) {
        --depth;
      }
    }
    if (c == '"' && !inSingle)
      inDouble = !inDouble;
    else if (c == '\'' && !inDouble)
      inSingle = !inSingle;
    if (depth == 0 || i >= len)
      break;
    ++i;
  }
  const Integer stop = i;
  const Integer openLen = Length(Open);
  Result = Copy(Text, StartPos + openLen, stop - StartPos - openLen);
  EndPos = StartPos != stop ? stop + Length(Close) - 1 : stop;
}

void SetGlobalModules(TfrxGlobalModulesFunc Func)
{
  GModules = Func;
}

std::vector<TComponent*> GlobalModules()
{
  return GModules ? GModules() : std::vector<TComponent*>();
}

TComponent* FindGlobalModule(const AnsiString& Name)
{
  if (Name.empty())
    return nullptr;
  for (TComponent* module : GlobalModules())
    if (module && SameText(module->Name(), Name))
      return module;
  return nullptr;
}

void ListComponentsOfClass(TfrxReport* Report, TClass Cls, TStrings* List, TComponent* Exclude)
{
  List->Clear();
  auto addOwnedBy = [&](TComponent* owner) {
    for (Integer i = 0; owner && i < owner->ComponentCount(); ++i) {
      TComponent* c = owner->Components(i);
      if (c != Exclude && c->InheritsFrom(Cls))
        List->AddObject(ComponentReferenceName(Report, c), c);
    }
  };
  addOwnedBy(Report);
  for (TComponent* module : GlobalModules())
    addOwnedBy(module);
}

TComponent* LocateComponent(TComponent* Owner, const AnsiString& Name)
{
  if (Name.empty())
    return nullptr;
  try {
    if (Name.find('.') != AnsiString::npos)
      return LocateDotted(Name);
    if (!Owner)
      return nullptr;
    auto* report = dynamic_cast<TfrxReport*>(Owner);
    // A report finds what it owns through its name index.
    TComponent* result = report ? report->FindOwnedComponent(Name) : Owner->FindComponent(Name);
    if (!result && report && report->Owner())
      result = report->Owner()->FindComponent(Name);
    return result;
  } catch (const Exception&) {
    throw EClassNotFound("Missing " + Name);
  }
}

AnsiString ComponentReferenceName(TfrxReport* Report, TComponent* Component)
{
  if (!Component)
    return AnsiString();
  TComponent* owner = Component->Owner();
  if (!owner || owner == Report || (Report && owner == Report->Owner()))
    return Component->Name();
  if (FindGlobalModule(owner->Name()) == owner)
    return owner->Name() + "." + Component->Name();
  return AnsiString();
}

AnsiString StringsToAttributeText(TStrings* Strings)
{
  AnsiString text = Strings->Text();
  const Integer count = Strings->Count();
  const bool emptyLast = count > 0 && Strings->Strings(count - 1).empty();
  if (!emptyLast && text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0)
    text.resize(text.size() - 2);
  return text;
}

void SplitTextByChar(const AnsiString& Text, TStrings* List, char Delimiter)
{
  List->Clear();
  size_t start = 0;
  size_t i = 0;
  while (i < Text.size()) {
    const auto c = static_cast<unsigned char>(Text[i]);
    if (IsDBCSLeadByte(c) && i + 1 < Text.size()) {
      i += 2; // a trail byte never splits
      continue;
    }
    if (Text[i] == Delimiter) {
      List->Add(Text.substr(start, i - start));
      start = i + 1;
    }
    ++i;
  }
  if (start < Text.size())
    List->Add(Text.substr(start));
}

namespace {

// The plain numbers that stored reports are full of ("-12.5", "320", "0,25"): at most 19
// digits around one separator. Their value is the digits as an integer over a power of ten,
// both exact in an Extended, so the one rounding of the division gives the nearest
// Extended, as parsing the text does. False for anything else.
bool PlainDecimal(const AnsiString& Text, Extended& Value)
{
  size_t i = 0;
  const size_t n = Text.size();
  const bool negative = n > 0 && Text[0] == '-';
  if (negative)
    i = 1;
  std::uint64_t digits = 0;
  Integer count = 0, fraction = 0;
  bool separator = false, before = false;
  for (; i < n; ++i) {
    const char c = Text[i];
    if (c >= '0' && c <= '9') {
      if (++count > 19)
        return false;
      digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
      if (separator)
        ++fraction;
      else
        before = true;
    } else if ((c == '.' || c == ',') && !separator) {
      separator = true;
    } else {
      return false;
    }
  }
  if (!before || (separator && fraction == 0))
    return false;
  if (digits == 0) {
    Value = 0; // a zero reads as plus zero, whatever its sign
    return true;
  }
  Extended scale = 1;
  for (Integer k = 0; k < fraction; ++k)
    scale *= 10;
  Value = static_cast<Extended>(digits) / scale;
  if (negative)
    Value = -Value;
  return true;
}

} // namespace

Extended ParseFloatLenient(const AnsiString& Text)
{
  Extended plain = 0;
  if (PlainDecimal(Text, plain))
    return plain;
  AnsiString s;
  s.reserve(Text.size());
  for (char c : Text) {
    if (c == ' ')
      continue;
    s += (c == ',' || c == '.') ? FormatSettings.DecimalSeparator : c;
  }
  return StrToFloat(s);
}

AnsiString FloatToDisplayText(Extended Value)
{
  if (Value != static_cast<Extended>(static_cast<Int64>(Value)))
    return Format("%2.2f", {Value});
  return FloatToStr(Value);
}

AnsiString StreamToHex(TMemoryStream* Stream)
{
  static const char Digits[] = "0123456789ABCDEF";
  const Int64 size = Stream->Size();
  const auto* bytes = static_cast<const unsigned char*>(Stream->Memory());
  AnsiString result(static_cast<size_t>(size) * 2, '0');
  for (Int64 i = 0; i < size; ++i) {
    result[i * 2] = Digits[bytes[i] >> 4];
    result[i * 2 + 1] = Digits[bytes[i] & 15];
  }
  return result;
}

namespace {

// Digit values of the 256 bytes, -1 for a byte that is no hex digit.
struct THexTable {
  signed char Value[256];
  constexpr THexTable() : Value()
  {
    for (int c = 0; c < 256; ++c)
      Value[c] = static_cast<signed char>(HexDigitValue(static_cast<char>(c)));
  }
};
constexpr THexTable HexTable;

} // namespace

// Pictures make the longest texts here, so the digits go through a table, straight into a
// buffer that becomes the stream's contents only when every digit was good.
void HexToStream(const AnsiString& Text, TStream* Stream)
{
  const size_t count = Text.size() / 2;
  AnsiString bytes(count, '\0');
  const unsigned char* digits = reinterpret_cast<const unsigned char*>(Text.data());
  for (size_t i = 0; i < count; ++i) {
    const int hi = HexTable.Value[digits[i * 2]];
    const int lo = HexTable.Value[digits[i * 2 + 1]];
    if ((hi | lo) < 0)
      throw EConvertError(Format(SInvalidInteger, {"$" + Text.substr(i * 2, 2)}));
    bytes[i] = static_cast<char>(hi * 16 + lo);
  }
  Stream->SetSize(0);
  Stream->SetPosition(0);
  if (count > 0)
    Stream->WriteBuffer(bytes.data(), static_cast<Integer>(count));
  Stream->SetSize(static_cast<Int64>(count));
}

AnsiString TempFileNameIn(const AnsiString& Directory)
{
  return GetTempFileName(Directory.empty() ? AnsiString() : IncludeTrailingPathDelimiter(Directory),
                         "fr");
}

void WriteCollectionProperty(TCollection* Collection, TWriter* Writer, TfrxReport* Report)
{
  TfrxXMLSerializer serializer(nullptr);
  serializer.SetOwner(Report);
  Writer->WriteListBegin();
  for (Integer i = 0; i < Collection->Count(); ++i) {
    Writer->WriteListBegin();
    const AnsiString text = serializer.ObjToXML(Collection->Items(i));
    const auto length = static_cast<Integer>(text.size());
    Writer->WriteValue(vaLString);
    Writer->Write(&length, sizeof length);
    Writer->Write(text.data(), length);
    Writer->WriteListEnd();
  }
  Writer->WriteListEnd();
}

void ReadCollectionProperty(TCollection* Collection, TReader* Reader, TfrxReport* Report)
{
  if (Reader->NextValue() == vaCollection) {
    Reader->SkipValue();
    return;
  }
  Collection->Clear();
  Reader->ReadListBegin();
  while (!Reader->EndOfList()) {
    Reader->ReadListBegin();
    while (!Reader->EndOfList()) {
      const AnsiString text = Reader->ReadString();
      TCollectionItem* item = Collection->Add();
      if (TfrxXMLSerializer* current = Report ? Report->XMLSerializer() : nullptr) {
        current->XMLToObj(text, item);
      } else {
        TfrxXMLSerializer serializer(nullptr);
        serializer.ReadPersistent(Report, item, text);
      }
    }
    Reader->ReadListEnd();
  }
  Reader->ReadListEnd();
}

void DrawGraphic(TCanvas* Canvas, const TRect& Rect, TGraphic* Graphic)
{
  if (!Canvas || !Graphic || Graphic->Empty())
    return;
  Canvas->StretchDraw(Rect, Graphic);
}

void DrawBitmapStretched(TCanvas* Canvas, const TRect& Rect, TBitmap* Bitmap)
{
  DrawGraphic(Canvas, Rect, Bitmap);
}

void DrawTransparentBitmap(TCanvas* Canvas, Integer X, Integer Y, TBitmap* Bitmap)
{
  if (!Canvas || !Bitmap || Bitmap->Empty())
    return;
  TCustomImageList list(Bitmap->Width(), Bitmap->Height(), nullptr);
  list.AddMasked(Bitmap, Bitmap->TransparentColor());
  list.Draw(Canvas, X, Y, 0);
}

void SplitBitmapToImageList(TBitmap* Strip, Integer TileWidth, Integer TileHeight,
                            TCustomImageList* Second, TCustomImageList* List)
{
  if (!Strip || !List || TileWidth <= 0 || TileHeight <= 0)
    return;
  bool toSecond = false;
  for (Integer top = 0; top < Strip->Height(); top += TileHeight) {
    for (Integer left = 0; left + TileWidth <= Strip->Width(); left += TileWidth) {
      TBitmap tile(TileWidth, TileHeight);
      tile.Canvas()->CopyRect(Rect(0, 0, TileWidth, TileHeight), Strip->Canvas(),
                              Rect(left, top, left + TileWidth, top + TileHeight));
      if (Second && toSecond) {
        for (Integer y = 0; y < TileHeight; ++y)
          for (Integer x = 0; x < TileWidth; ++x)
            if (tile.Pixel(x, y) == 0xFFFFFF)
              tile.Canvas()->SetPixels(x, y, 0xE0E0E0);
        Second->AddMasked(&tile, tile.TransparentColor());
      } else {
        List->AddMasked(&tile, tile.TransparentColor());
      }
      if (Second)
        toSecond = !toSecond;
    }
  }
}

void SetErrorMessageBox(TfrxMessageBoxFunc Func)
{
  GMessageBox = Func;
}

void ShowErrorMessage(const AnsiString& Text)
{
  if (GMessageBox)
    GMessageBox(Text, ReportResources()->Lookup("mbError"));
}

// The clipboard and its format registry. Clipbrd.h describes TClipboard.
#include "platform/ui/Clipbrd.h"

#include <algorithm>

#include "platform/graphics/Pictures.h"
#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Codec.h"

namespace {

TClipboardContent& LocalStore()
{
  static TClipboardContent content;
  return content;
}

std::vector<AnsiString>& FormatNames()
{
  static std::vector<AnsiString> names;
  return names;
}

constexpr UINT FirstNamedFormat = 0xC000;

const std::string* Find(const TClipboardContent& content, UINT format)
{
  for (const auto& entry : content)
    if (entry.first == format)
      return &entry.second;
  return nullptr;
}

void Put(TClipboardContent& content, UINT format, const std::string& data)
{
  for (auto& entry : content)
    if (entry.first == format) {
      entry.second = data;
      return;
    }
  content.emplace_back(format, data);
}

} // namespace

void TWindowBackend::SetClipboardContent(const TClipboardContent& content)
{
  LocalStore() = content;
}
TClipboardContent TWindowBackend::ClipboardContent() const
{
  return LocalStore();
}

UINT RegisterClipboardFormat(const AnsiString& name)
{
  if (name.empty())
    return 0;
  auto& names = FormatNames();
  for (std::size_t i = 0; i < names.size(); ++i)
    if (AnsiCompareText(names[i], name) == 0)
      return FirstNamedFormat + static_cast<UINT>(i);
  names.push_back(name);
  return FirstNamedFormat + static_cast<UINT>(names.size() - 1);
}

AnsiString GetClipboardFormatName(UINT format)
{
  auto& names = FormatNames();
  if (format < FirstNamedFormat || format - FirstNamedFormat >= names.size())
    return {};
  return names[format - FirstNamedFormat];
}

// ---- TClipboard ----------------------------------------------------------------------------

const TClipboardContent& TClipboard::Current() const
{
  if (FOpenCount > 0 && FEmptied)
    return FPending;
  TWindowBackend* backend = WindowBackend();
  FRead = backend ? backend->ClipboardContent() : LocalStore();
  if (FOpenCount > 0)
    for (const auto& entry : FPending)
      Put(FRead, entry.first, entry.second);
  return FRead;
}

void TClipboard::Open()
{
  if (FOpenCount++ == 0) {
    FEmptied = false;
    FPending.clear();
  }
}

void TClipboard::Close()
{
  if (FOpenCount == 0 || --FOpenCount > 0)
    return;
  if (FEmptied) {
    if (TWindowBackend* backend = WindowBackend())
      backend->SetClipboardContent(FPending);
    else
      LocalStore() = FPending;
  }
  FPending.clear();
  FEmptied = false;
}

void TClipboard::Clear()
{
  Open();
  FEmptied = true;
  FPending.clear();
  Close();
}

bool TClipboard::HasFormat(UINT Format) const
{
  const TClipboardContent& content = Current();
  if (Find(content, Format))
    return true;
  // Text is offered in both encodings.
  if (Format == CF_TEXT)
    return Find(content, CF_UNICODETEXT) != nullptr;
  if (Format == CF_UNICODETEXT)
    return Find(content, CF_TEXT) != nullptr;
  return false;
}

Integer TClipboard::FormatCount() const
{
  return static_cast<Integer>(Current().size());
}

UINT TClipboard::Formats(Integer Index) const
{
  const TClipboardContent& content = Current();
  if (Index < 0 || Index >= static_cast<Integer>(content.size()))
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return content[static_cast<std::size_t>(Index)].first;
}

std::string TClipboard::GetBuffer(UINT Format) const
{
  const std::string* data = Find(Current(), Format);
  return data ? *data : std::string();
}

void TClipboard::SetBuffer(UINT Format, const std::string& Data)
{
  Open();
  if (!FEmptied) {
    FEmptied = true;
    FPending.clear();
  }
  Put(FPending, Format, Data);
  Close();
}

AnsiString TClipboard::AsText() const
{
  const TClipboardContent& content = Current();
  if (const std::string* text = Find(content, CF_TEXT))
    return *text;
  if (const std::string* wide = Find(content, CF_UNICODETEXT)) {
    std::u16string w(wide->size() / 2, u'\0');
    for (std::size_t i = 0; i < w.size(); ++i)
      w[i] = static_cast<char16_t>(static_cast<unsigned char>((*wide)[2 * i]) |
                                   (static_cast<unsigned char>((*wide)[2 * i + 1]) << 8));
    return WideToGbk(w, cfQuestionMark);
  }
  return {};
}

void TClipboard::SetAsText(const AnsiString& Value)
{
  SetBuffer(CF_TEXT, Value);
}

TClipboard* Clipboard()
{
  static TClipboard clipboard;
  return &clipboard;
}

// ---- Pictures ----

void TClipboard::Assign(TPersistent* Source)
{
  TGraphic* graphic = nullptr;
  if (auto* picture = dynamic_cast<TPicture*>(Source))
    graphic = picture->Graphic();
  else
    graphic = dynamic_cast<TGraphic*>(Source);
  if (!graphic) {
    TPersistent::Assign(Source);
    return;
  }
  TBitmap bitmap;
  bitmap.Assign(graphic);
  SetBuffer(CF_BITMAP, bitmap.SaveToBytes());
}

void TClipboard::AssignTo(TPersistent* Dest)
{
  auto* picture = dynamic_cast<TPicture*>(Dest);
  auto* bitmap = dynamic_cast<TBitmap*>(Dest);
  if ((!picture && !bitmap) || !HasFormat(CF_BITMAP)) {
    TPersistent::AssignTo(Dest);
    return;
  }
  TBitmap read;
  read.LoadFromBytes(GetBuffer(CF_BITMAP));
  if (bitmap)
    bitmap->Assign(&read);
  else
    picture->SetGraphic(&read);
}

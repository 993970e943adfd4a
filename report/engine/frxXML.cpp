// The report library's XML tree, its reader and writer; see frxXML.h for the file form.
#include "report/engine/frxXML.h"

#include <cstring>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/Variants.h"
#include "report/engine/frxUtils.h"

namespace {

constexpr Integer BufferSize = 4096;
const char* const SInvalidFileFormat = "Invalid file format";
const char* const XMLHeader = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";
const char* const UnloadMark = "ld=\"0\"";

[[noreturn]] void RaiseFormatError()
{
  throw Exception(SInvalidFileFormat);
}

char LowerAscii(char c)
{
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// Position of Needle (ASCII) in Hay from From on, ignoring ASCII case and never matching
// inside a double-byte character; npos when absent.
size_t FindNoCase(const AnsiString& Hay, const AnsiString& Needle, size_t From = 0)
{
  const size_t n = Needle.size();
  size_t i = From;
  while (i + n <= Hay.size()) {
    size_t k = 0;
    while (k < n && LowerAscii(Hay[i + k]) == LowerAscii(Needle[k]))
      ++k;
    if (k == n)
      return i;
    i += (IsDBCSLeadByte(static_cast<unsigned char>(Hay[i])) && i + 1 < Hay.size()) ? 2 : 1;
  }
  return AnsiString::npos;
}

// Text of blanks alone is no text: reading it back would drop them, so it must not be written.
void ClearIfBlank(AnsiString& Text)
{
  if (Text.find_first_not_of(' ') == AnsiString::npos)
    Text.clear();
}

// The start of attribute Name in Text (at the start or after a blank), or npos.
size_t FindAttribute(const AnsiString& Text, const AnsiString& Name)
{
  const AnsiString hay = " " + Text;
  // hay[i] is the blank, so Text[i] is where the name starts.
  return FindNoCase(hay, " " + Name + "=\"");
}

} // namespace

// ---- Text helpers ----

AnsiString StrToXML(const AnsiString& Text)
{
  AnsiString result;
  result.reserve(Text.size() + 16);
  for (char c : Text) {
    switch (c) {
    case '\n':
      result += "&#10;";
      break;
    case '\r':
      result += "&#13;";
      break;
    case '"':
      result += "&#34;";
      break;
    case '&':
      result += "&#38;";
      break;
    case '<':
      result += "&#60;";
      break;
    case '>':
      result += "&#62;";
      break;
    default:
      result += c;
    }
  }
  return result;
}

AnsiString XMLToStr(const AnsiString& Text)
{
  if (Text.find("&#") == AnsiString::npos)
    return Text;
  AnsiString result;
  result.reserve(Text.size());
  size_t i = 0;
  while (i < Text.size()) {
    if (Text[i] == '&' && i + 3 < Text.size() && Text[i + 1] == '#') {
      size_t semi = Text.find(';', i + 2);
      if (semi != AnsiString::npos) {
        result += static_cast<char>(StrToInt(Text.substr(i + 2, semi - i - 2)));
        i = semi + 1;
        continue;
      }
    }
    result += Text[i++];
  }
  return result;
}

AnsiString ValueToXML(const Variant& Value)
{
  switch (VarType(Value)) {
  case varSmallint:
  case varInteger:
  case varByte:
    return IntToStr(Value.AsInteger());
  case varSingle:
  case varDouble:
  case varCurrency:
    return FloatToStr(static_cast<Extended>(Value.AsDouble()));
  case varDate:
    return DateToStr(Value.AsDateTime());
  case varString:
  case varOleStr:
    return StrToXML(Value.AsString());
  case varBoolean:
    return Value.AsBoolean() ? "1" : "0";
  default:
    return AnsiString();
  }
}

// ---- TfrxXMLItem ----

TfrxXMLItem::~TfrxXMLItem()
{
  Clear();
  Detach();
}

void TfrxXMLItem::Detach()
{
  if (!FParent)
    return;
  auto& siblings = FParent->FItems;
  for (size_t i = siblings.size(); i-- > 0;)
    if (siblings[i] == this) {
      siblings.erase(siblings.begin() + static_cast<std::ptrdiff_t>(i));
      break;
    }
  FParent = nullptr;
}

void TfrxXMLItem::Clear()
{
  // The subtree goes without recursion: each element is unhooked from its children before
  // it is deleted, so its destructor has nothing left to walk.
  std::vector<TfrxXMLItem*> pending;
  pending.swap(FItems);
  while (!pending.empty()) {
    TfrxXMLItem* item = pending.back();
    pending.pop_back();
    pending.insert(pending.end(), item->FItems.begin(), item->FItems.end());
    item->FItems.clear();
    item->FParent = nullptr;
    delete item;
  }
  if (FUnloadable)
    FLoaded = false;
}

TfrxXMLItem* TfrxXMLItem::Items(Integer Index) const
{
  if (Index < 0 || Index >= Count())
    throw EListError(Format(SListIndexError, {Index}));
  return FItems[static_cast<size_t>(Index)];
}

TfrxXMLItem* TfrxXMLItem::Add()
{
  auto* item = new TfrxXMLItem();
  AddItem(item);
  return item;
}

void TfrxXMLItem::AddItem(TfrxXMLItem* Item)
{
  Item->Detach();
  Item->FParent = this;
  FItems.push_back(Item);
}

void TfrxXMLItem::InsertItem(Integer Index, TfrxXMLItem* Item)
{
  AddItem(Item);
  if (Index < 0 || Index >= Count())
    throw EListError(Format(SListIndexError, {Index}));
  FItems.pop_back();
  FItems.insert(FItems.begin() + Index, Item);
}

Integer TfrxXMLItem::Find(const AnsiString& Name) const
{
  for (size_t i = 0; i < FItems.size(); ++i)
    if (SameText(FItems[i]->FName, Name))
      return static_cast<Integer>(i);
  return -1;
}

TfrxXMLItem* TfrxXMLItem::FindItem(const AnsiString& Name)
{
  Integer i = Find(Name);
  if (i >= 0)
    return FItems[static_cast<size_t>(i)];
  TfrxXMLItem* item = Add();
  item->FName = Name;
  return item;
}

Integer TfrxXMLItem::IndexOf(TfrxXMLItem* Item) const
{
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i] == Item)
      return static_cast<Integer>(i);
  return -1;
}

AnsiString TfrxXMLItem::Prop(const AnsiString& Name) const
{
  size_t start = FindAttribute(FText, Name);
  if (start == AnsiString::npos)
    return AnsiString();
  size_t value = start + Name.size() + 2;
  size_t quote = FText.find('"', value);
  if (quote == AnsiString::npos)
    quote = FText.size();
  return XMLToStr(FText.substr(value, quote - value));
}

void TfrxXMLItem::SetProp(const AnsiString& Name, const AnsiString& Value)
{
  const AnsiString attribute = Name + "=\"" + StrToXML(Value) + "\"";
  size_t start = FindAttribute(FText, Name);
  if (start != AnsiString::npos) {
    size_t quote = FText.find('"', start + Name.size() + 2);
    size_t end = quote == AnsiString::npos ? FText.size() : quote + 1;
    FText.replace(start, end - start, attribute);
    return;
  }
  if (!FText.empty() && FText.back() != ' ')
    FText += ' ';
  FText += attribute;
}

// ---- TfrxXMLReader ----

TfrxXMLReader::TfrxXMLReader(TStream* Stream)
    : FStream(Stream), FBuffer(new char[BufferSize]), FPosition(Stream->Position()),
      FSize(Stream->Size())
{
}

TfrxXMLReader::~TfrxXMLReader()
{
  FStream->SetPosition(FPosition);
}

void TfrxXMLReader::SetPosition(Int64 Offset)
{
  FStream->SetPosition(Offset);
  FPosition = Offset;
  FBufferLength = 0;
  FBufferPos = 0;
}

bool TfrxXMLReader::ReadChar(unsigned char& C)
{
  if (FBufferPos >= FBufferLength) {
    if (FPosition >= FSize)
      return false;
    FBufferLength = FStream->Read(FBuffer.get(), BufferSize);
    FBufferPos = 0;
    if (FBufferLength <= 0)
      return false;
  }
  C = static_cast<unsigned char>(FBuffer[FBufferPos++]);
  ++FPosition;
  return true;
}

void TfrxXMLReader::ReadItem(AnsiString& Name, AnsiString& Text)
{
  Name.clear();
  Text.clear();
  unsigned char c = 0;
  AnsiString tag;
  for (;;) {
    // Outside tags: skip to the next '<'.
    do {
      if (!ReadChar(c))
        return;
    } while (c != '<');
    tag.clear();
    bool comment = false;
    for (;;) {
      if (!ReadChar(c))
        RaiseFormatError();
      if (c == '>')
        break;
      if (c == '<')
        RaiseFormatError();
      tag += static_cast<char>(c);
      if (tag.size() == 3 && tag == "!--") {
        comment = true;
        break;
      }
    }
    if (!comment)
      break;
    // A comment ends at the first '>' after two consecutive dashes.
    Integer dashes = 0;
    bool armed = false;
    for (;;) {
      if (!ReadChar(c))
        RaiseFormatError();
      if (c == '>' && armed)
        break;
      dashes = c == '-' ? dashes + 1 : 0;
      if (dashes >= 2)
        armed = true;
    }
  }
  size_t blank = tag.find(' ');
  if (blank == AnsiString::npos) {
    Name = tag;
    return;
  }
  // The text starts after the blanks that end the name, so a tree written and read again
  // has the same text whatever separated the two.
  Name = tag.substr(0, blank);
  const size_t text = tag.find_first_not_of(' ', blank);
  Text = text == AnsiString::npos ? AnsiString() : tag.substr(text);
}

void TfrxXMLReader::ReadHeader()
{
  AnsiString name, text;
  ReadItem(name, text);
  if (name.compare(0, 4, "?xml") != 0)
    RaiseFormatError();
}

void TfrxXMLReader::ReadRootItem(TfrxXMLItem* Item, bool KeepLoaded)
{
  ReadTree(Item, KeepLoaded, false);
}

void TfrxXMLReader::FinishItem(TfrxXMLItem* Item, Int64 Offset, bool KeepLoaded)
{
  size_t mark = FindNoCase(Item->FText, UnloadMark);
  if (mark == AnsiString::npos)
    return;
  Item->FText.erase(mark, std::strlen(UnloadMark));
  ClearIfBlank(Item->FText);
  if (KeepLoaded)
    return;
  Item->FUnloadable = true;
  Item->Clear();
  Item->FLoaded = false;
  Item->FOffset = Offset;
  Item->FInTempFile = FInTempFile;
}

// Reads one element with all its descendants, depth first, with an explicit stack so that
// deep files cannot exhaust the machine stack. Closing tags must match their element; the
// end of the stream closes every open element.
void TfrxXMLReader::ReadTree(TfrxXMLItem* Item, bool KeepLoaded, bool KeepRootLoaded)
{
  struct TOpen {
    TfrxXMLItem* Item;
    Int64 Offset;
  };
  auto isEmptyElement = [](TfrxXMLItem* e) {
    if (!e->FName.empty() && e->FName.back() == '/') {
      e->FName.pop_back();
      return true;
    }
    if (!e->FText.empty() && e->FText.back() == '/') {
      e->FText.pop_back();
      ClearIfBlank(e->FText);
      return true;
    }
    return false;
  };
  auto finish = [&](TfrxXMLItem* e, Int64 offset) {
    FinishItem(e, offset, KeepLoaded || (KeepRootLoaded && e == Item));
  };

  // Processing instructions and declarations ('<?...?>', '<!...>') are not elements.
  auto isInstruction = [](const AnsiString& name) {
    return !name.empty() && (name[0] == '?' || name[0] == '!');
  };
  Int64 offset;
  do {
    offset = FPosition;
    ReadItem(Item->FName, Item->FText);
  } while (isInstruction(Item->FName));
  if (Item->FName.empty() || Item->FName[0] == '/') {
    // No element (the end of the stream, or a closing tag with nothing open).
    Item->FName.clear();
    Item->FText.clear();
    return;
  }
  if (isEmptyElement(Item)) {
    finish(Item, offset);
    return;
  }
  std::vector<TOpen> open{{Item, offset}};
  AnsiString name, text;
  while (!open.empty()) {
    offset = FPosition;
    ReadItem(name, text);
    if (name.empty()) {
      // End of the stream: every open element counts as closed.
      FTruncated = true;
      while (!open.empty()) {
        finish(open.back().Item, open.back().Offset);
        open.pop_back();
      }
      break;
    }
    if (isInstruction(name))
      continue;
    if (name[0] == '/') {
      TOpen top = open.back();
      if (!SameText(name.substr(1), top.Item->FName))
        RaiseFormatError();
      open.pop_back();
      finish(top.Item, top.Offset);
      continue;
    }
    TfrxXMLItem* child = open.back().Item->Add();
    child->FName = name;
    child->FText = text;
    if (isEmptyElement(child))
      finish(child, offset);
    else
      open.push_back({child, offset});
  }
}

// ---- TfrxXMLWriter ----

TfrxXMLWriter::TfrxXMLWriter(TStream* Stream, TfrxXMLDocument* Document)
    : FStream(Stream), FDocument(Document)
{
  FBuffer.reserve(BufferSize + 512);
}

TfrxXMLWriter::~TfrxXMLWriter() = default;

void TfrxXMLWriter::Flush()
{
  if (!FBuffer.empty())
    FStream->WriteBuffer(FBuffer.data(), static_cast<Integer>(FBuffer.size()));
  FBuffer.clear();
}

void TfrxXMLWriter::WriteLn(const AnsiString& Text)
{
  FBuffer += Text;
  if (FAutoIndent)
    FBuffer += "\r\n";
  if (FBuffer.size() > static_cast<size_t>(BufferSize))
    Flush();
}

void TfrxXMLWriter::WriteHeader()
{
  WriteLn(XMLHeader);
}

// Writes the element's opening tag, or the whole element when it has no children. An
// unloaded element is read back for the time it is written.
bool TfrxXMLWriter::OpenItem(TfrxXMLItem* Item, Integer Level)
{
  const AnsiString indent =
      FAutoIndent ? AnsiString(static_cast<size_t>(Level) * 2, ' ') : AnsiString();
  AnsiString line = indent + "<" + Item->Name();
  // A text that would end the tag in '/' while children follow gets a blank after it, or it
  // would read back as an empty element.
  if (!Item->Text().empty() || Item->Unloadable()) {
    if (Item->Text().empty() || Item->Text()[0] != ' ')
      line += ' ';
    line += Item->Text();
    if (Item->Unloadable())
      line += UnloadMark;
    else if (Item->Count() > 0 && line.back() == '/')
      line += ' ';
  }
  if (Item->Count() == 0) {
    WriteLn(line + "/>");
    return false;
  }
  WriteLn(line + ">");
  return true;
}

void TfrxXMLWriter::WriteItem(TfrxXMLItem* Item, Integer Level)
{
  // Depth first with an explicit stack, so that deeply nested trees (an outline a script
  // kept nesting) cannot exhaust the machine stack.
  struct TOpen {
    TfrxXMLItem* Item;
    Integer Level;
    Integer Next;
    bool Reloaded;
  };
  std::vector<TOpen> open;
  auto start = [&](TfrxXMLItem* item, Integer level) {
    const bool reload = item->Unloadable() && !item->Loaded() && FDocument;
    if (reload)
      FDocument->LoadItem(item);
    if (OpenItem(item, level))
      open.push_back({item, level, 0, reload});
    else if (reload)
      item->Clear();
  };
  start(Item, Level);
  while (!open.empty()) {
    TOpen& top = open.back();
    if (top.Next < top.Item->Count()) {
      TfrxXMLItem* child = top.Item->Items(top.Next++);
      start(child, top.Level + 1);
      continue;
    }
    const TOpen done = top;
    open.pop_back();
    const AnsiString indent =
        FAutoIndent ? AnsiString(static_cast<size_t>(done.Level) * 2, ' ') : AnsiString();
    WriteLn(indent + "</" + done.Item->Name() + ">");
    if (done.Reloaded)
      done.Item->Clear();
  }
}

void TfrxXMLWriter::WriteRootItem(TfrxXMLItem* Item)
{
  // A document without a root element (nothing read, or cleared) is the header alone.
  if (!Item->Name().empty() || Item->Count() > 0 || !Item->Text().empty())
    WriteItem(Item, 0);
  Flush();
}

// ---- TfrxXMLDocument ----

TfrxXMLDocument::TfrxXMLDocument() : FRoot(std::make_unique<TfrxXMLItem>()) {}

TfrxXMLDocument::~TfrxXMLDocument()
{
  DropBackingStreams();
  FRoot.reset();
}

void TfrxXMLDocument::DropBackingStreams()
{
  FTempStream.reset();
  FLoadStream.reset();
  if (FTempFileCreated)
    DeleteFile(FTempFile);
  FTempFileCreated = false;
}

void TfrxXMLDocument::Clear()
{
  FRoot->Clear();
  DropBackingStreams();
}

void TfrxXMLDocument::LoadFromStream(TStream* Stream, bool AllowPartialLoading)
{
  DropBackingStreams();
  FRoot->Clear();
  FRoot->FUnloadable = false;
  FRoot->FLoaded = true;
  FRoot->FOffset = 0;
  if (AllowPartialLoading)
    FLoadStream.reset(Stream);
  FTruncated = false;
  TfrxXMLReader reader(Stream);
  reader.ReadHeader();
  reader.ReadRootItem(FRoot.get(), !AllowPartialLoading);
  FTruncated = reader.Truncated();
}

void TfrxXMLDocument::SaveToStream(TStream* Stream)
{
  TfrxXMLWriter writer(Stream, this);
  writer.SetAutoIndent(FAutoIndent);
  writer.WriteHeader();
  writer.WriteRootItem(FRoot.get());
}

void TfrxXMLDocument::LoadFromFile(const AnsiString& FileName)
{
  TFileStream stream(FileName, fmOpenRead);
  LoadFromStream(&stream);
}

void TfrxXMLDocument::SaveToFile(const AnsiString& FileName)
{
  TFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
}

void TfrxXMLDocument::LoadItem(TfrxXMLItem* Item)
{
  if (!Item->Unloadable() || Item->Loaded())
    return;
  TStream* source = Item->FInTempFile ? FTempStream.get() : FLoadStream.get();
  if (!source)
    return;
  TfrxXMLItem copy;
  {
    TfrxXMLReader reader(source);
    reader.FInTempFile = Item->FInTempFile;
    reader.SetPosition(Item->FOffset);
    reader.ReadTree(&copy, false, true);
  }
  for (TfrxXMLItem* child : copy.FItems) {
    child->FParent = Item;
    Item->FItems.push_back(child);
  }
  copy.FItems.clear();
  Item->FLoaded = true;
}

void TfrxXMLDocument::CreateTempFile()
{
  if (FTempStream)
    return;
  FTempFile = TempFileNameIn(FTempDir);
  if (FTempFile.empty())
    throw EFCreateError(Format(SFCreateErrorEx, {FTempDir, "temporary file"}));
  FTempFileCreated = true;
  FTempStream = std::make_unique<TFileStream>(FTempFile, fmOpenReadWrite);
}

void TfrxXMLDocument::UnloadItem(TfrxXMLItem* Item)
{
  if (!Item->Loaded() || !Item->Unloadable())
    return;
  CreateTempFile();
  // The element goes through memory first: writing it may read other unloaded elements
  // back from the temporary file.
  TMemoryStream data;
  {
    TfrxXMLWriter writer(&data, this);
    writer.WriteRootItem(Item);
  }
  const Int64 offset = FTempStream->Seek(0, soFromEnd);
  FTempStream->WriteBuffer(data.Memory(), static_cast<Integer>(data.Size()));
  Item->Clear();
  Item->FLoaded = false;
  Item->FOffset = offset;
  Item->FInTempFile = true;
}

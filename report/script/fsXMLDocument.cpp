// The script engine's XML tree: elements with raw attribute text, a tag reader that is not a
// general XML parser (character data, comments and processing instructions are skipped) and
// a writer. fsXMLDocument.h describes the model.
#include "report/script/fsXMLDocument.h"

#include <algorithm>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/Streams.h"

namespace {

const char* const SInvalidFileFormat = "Invalid file format";
const char* const SXMLHeader = "<?xml version=\"1.0\"?>";
// Elements nested deeper than this are refused instead of exhausting the stack.
constexpr int kMaxXMLDepth = 2000;
const char* const SXMLTooDeep = "XML elements nested too deep";

unsigned char Upper(unsigned char c)
{
  return (c >= 'a' && c <= 'z') ? c - 32 : c;
}

// Case-insensitive match of name at text[at] (attribute names are ASCII).
bool SameNameAt(const AnsiString& text, size_t at, const AnsiString& name)
{
  if (at + name.size() > text.size())
    return false;
  for (size_t i = 0; i < name.size(); ++i)
    if (Upper(text[at + i]) != Upper(name[i]))
      return false;
  return true;
}

AnsiString Escape(const AnsiString& text, bool ampersand)
{
  AnsiString result;
  result.reserve(text.size());
  for (unsigned char c : text) {
    if (c == 10 || c == 13 || c == 34 || c == 60 || c == 62 || (ampersand && c == 38)) {
      result += "&#";
      result += IntToStr(static_cast<Integer>(c));
      result += ';';
    } else {
      result += static_cast<char>(c);
    }
  }
  return result;
}

// Finds an attribute "name=" at the start of Text or after a blank; returns the index of
// the first character of its value, or npos.
size_t FindProp(const AnsiString& text, const AnsiString& name)
{
  if (name.empty())
    return AnsiString::npos;
  for (size_t i = 0; i + name.size() + 2 <= text.size(); ++i) {
    if (i > 0 && text[i - 1] != ' ')
      continue;
    if (!SameNameAt(text, i, name))
      continue;
    if (text[i + name.size()] == '=' && text[i + name.size() + 1] == '"')
      return i + name.size() + 2;
  }
  return AnsiString::npos;
}

// Reads tags from a text held in memory (the reader of a stream works the same way on its
// buffer). Position is the index of the next byte.
class TTagReader {
public:
  explicit TTagReader(const AnsiString& text) : FText(text) {}

  // Reads one tag into name and text; returns false (empty name) at the end of the text.
  bool ReadItem(AnsiString& name, AnsiString& text)
  {
    name.clear();
    text.clear();
    AnsiString tag;
    for (;;) {
      while (FPos < FText.size() && FText[FPos] != '<')
        ++FPos;
      if (FPos >= FText.size())
        return false;
      ++FPos;
      tag.clear();
      bool closed = false;
      while (FPos < FText.size()) {
        char c = FText[FPos++];
        if (c == '>') {
          closed = true;
          break;
        }
        if (c == '<')
          throw Exception(SInvalidFileFormat);
        tag += c;
        if (tag.size() == 3 && tag == "!--") {
          SkipComment();
          closed = true;
          break;
        }
      }
      if (!closed)
        throw Exception(SInvalidFileFormat);
      if (tag == "!--")
        continue;
      break;
    }
    if (!tag.empty() && tag.back() == ' ')
      tag.pop_back();
    size_t blank = tag.find(' ');
    if (blank == AnsiString::npos) {
      name = tag;
    } else {
      name = tag.substr(0, blank);
      text = tag.substr(blank + 1);
    }
    return true;
  }

  // Reads one element into E: its tag, then (unless the tag is empty, '<a/>') its children
  // up to its closing tag. Returns false when the tag read was a closing tag or the end of
  // the text, whose name is then left in E's Name.
  bool ReadElement(TfsXMLItem* e)
  {
    AnsiString name, text;
    ReadItem(name, text);
    if (name.empty() || name[0] == '/') {
      e->SetName(name);
      return false;
    }
    StoreTag(e, name, text);
    if (!IsEmptyTag(name, text))
      ReadChildren(e, 1);
    return true;
  }

private:
  static bool IsEmptyTag(const AnsiString& name, const AnsiString& text)
  {
    return name.back() == '/' || (!text.empty() && text.back() == '/');
  }

  // Name and Text of an element, without the '/' of an empty-element tag.
  static void StoreTag(TfsXMLItem* e, AnsiString name, AnsiString text)
  {
    if (name.back() == '/')
      name.pop_back();
    else if (!text.empty() && text.back() == '/')
      text.pop_back();
    e->SetName(name);
    e->SetText(text);
  }

  // Reads the children of E until its closing tag (or the end of the text, which is taken
  // as closing every open element). Each tag is read before its element is created.
  void ReadChildren(TfsXMLItem* e, int depth)
  {
    if (depth > kMaxXMLDepth)
      throw Exception(SXMLTooDeep);
    AnsiString name, text;
    for (;;) {
      ReadItem(name, text);
      if (name.empty())
        return;
      if (name[0] == '/') {
        if (!SameText(name, "/" + e->Name()))
          throw Exception(SInvalidFileFormat);
        return;
      }
      TfsXMLItem* child = e->Add();
      bool empty = IsEmptyTag(name, text);
      StoreTag(child, name, text);
      if (!empty)
        ReadChildren(child, depth + 1);
    }
  }

  // Skips the rest of a comment: once two dashes in a row were seen, a '>' closes it.
  void SkipComment()
  {
    int dashes = 0;
    bool armed = false;
    while (FPos < FText.size()) {
      char c = FText[FPos++];
      if (c == '-') {
        if (++dashes >= 2)
          armed = true;
      } else {
        dashes = 0;
        if (c == '>' && armed)
          return;
      }
    }
    throw Exception(SInvalidFileFormat);
  }

  const AnsiString& FText;
  size_t FPos = 0;
};

void WriteElement(const TfsXMLItem* e, int level, bool indent, AnsiString& out)
{
  auto line = [&](const AnsiString& s) {
    if (indent)
      out.append(static_cast<size_t>(level) * 2, ' ');
    out += s;
    if (indent)
      out += "\r\n";
  };
  AnsiString tag = "<" + e->Name();
  if (!e->Text().empty()) {
    if (e->Text()[0] != ' ')
      tag += ' ';
    tag += e->Text();
  }
  if (e->Count() == 0) {
    line(tag + "/>");
    return;
  }
  line(tag + ">");
  for (Integer i = 0; i < e->Count(); ++i)
    WriteElement(e->Items(i), level + 1, indent, out);
  line("</" + e->Name() + ">");
}

} // namespace

AnsiString ScriptStrToXML(const AnsiString& text)
{
  return Escape(text, false);
}

AnsiString ScriptStrToXMLStrict(const AnsiString& text)
{
  return Escape(text, true);
}

AnsiString ScriptXMLToStr(const AnsiString& text)
{
  AnsiString result;
  result.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    // A reference needs '&', '#' and at least two more characters.
    if (text[i] == '&' && i + 3 < text.size() && text[i + 1] == '#') {
      size_t semi = text.find(';', i + 2);
      if (semi != AnsiString::npos) {
        result += static_cast<char>(StrToInt(text.substr(i + 2, semi - i - 2)) & 0xFF);
        i = semi + 1;
        continue;
      }
    }
    result += text[i++];
  }
  return result;
}

// ---- TfsXMLItem --------------------------------------------------------------------------

TfsXMLItem::~TfsXMLItem()
{
  Clear();
  Detach();
}

void TfsXMLItem::Detach()
{
  if (!FParent)
    return;
  auto& list = FParent->FItems;
  auto it = std::find(list.begin(), list.end(), this);
  if (it != list.end())
    list.erase(it);
  FParent = nullptr;
}

void TfsXMLItem::Clear()
{
  // Children remove themselves from the list as they die; take the list first.
  std::vector<TfsXMLItem*> items;
  items.swap(FItems);
  for (TfsXMLItem* item : items) {
    item->FParent = nullptr;
    delete item;
  }
}

TfsXMLItem* TfsXMLItem::Items(Integer index) const
{
  if (index < 0 || index >= Count())
    throw EListError(Format(SListIndexError, {index}));
  return FItems[static_cast<size_t>(index)];
}

TfsXMLItem* TfsXMLItem::Add()
{
  auto* item = new TfsXMLItem();
  AddItem(item);
  return item;
}

void TfsXMLItem::AddItem(TfsXMLItem* item)
{
  item->Detach();
  item->FParent = this;
  FItems.push_back(item);
}

void TfsXMLItem::InsertItem(Integer index, TfsXMLItem* item)
{
  AddItem(item);
  index = std::clamp<Integer>(index, 0, Count() - 1);
  FItems.pop_back();
  FItems.insert(FItems.begin() + index, item);
}

Integer TfsXMLItem::Find(const AnsiString& name) const
{
  for (size_t i = 0; i < FItems.size(); ++i)
    if (SameText(FItems[i]->FName, name))
      return static_cast<Integer>(i);
  return -1;
}

TfsXMLItem* TfsXMLItem::FindItem(const AnsiString& name)
{
  Integer i = Find(name);
  if (i >= 0)
    return FItems[static_cast<size_t>(i)];
  TfsXMLItem* item = Add();
  item->FName = name;
  return item;
}

Integer TfsXMLItem::IndexOf(const TfsXMLItem* item) const
{
  auto it = std::find(FItems.begin(), FItems.end(), item);
  return it == FItems.end() ? -1 : static_cast<Integer>(it - FItems.begin());
}

AnsiString TfsXMLItem::Prop(const AnsiString& name) const
{
  size_t start = FindProp(FText, name);
  if (start == AnsiString::npos)
    return AnsiString();
  size_t end = FText.find('"', start);
  if (end == AnsiString::npos)
    end = FText.size();
  return ScriptXMLToStr(FText.substr(start, end - start));
}

bool TfsXMLItem::HasProp(const AnsiString& name) const
{
  return FindProp(FText, name) != AnsiString::npos;
}

TfsXMLItem* TfsXMLItem::Root()
{
  TfsXMLItem* item = this;
  while (item->FParent)
    item = item->FParent;
  return item;
}

void TfsXMLItem::Assign(const TfsXMLItem* source)
{
  Clear();
  if (!source)
    return;
  FName = source->FName;
  FText = source->FText;
  FData = source->FData;
  for (const TfsXMLItem* child : source->FItems)
    Add()->Assign(child);
}

// ---- TfsXMLDocument ----------------------------------------------------------------------

TfsXMLDocument::TfsXMLDocument() : FRoot(std::make_unique<TfsXMLItem>()) {}

TfsXMLDocument::~TfsXMLDocument() = default;

void TfsXMLDocument::LoadFromText(const AnsiString& text)
{
  FRoot->Clear();
  FRoot->SetName(AnsiString());
  FRoot->SetText(AnsiString());
  TTagReader reader(text);
  AnsiString name, attributes;
  reader.ReadItem(name, attributes);
  if (name.compare(0, 4, "?xml") != 0)
    throw Exception(SInvalidFileFormat);
  reader.ReadElement(FRoot.get());
}

AnsiString TfsXMLDocument::SaveToText() const
{
  AnsiString out = SXMLHeader;
  if (FAutoIndent)
    out += "\r\n";
  WriteElement(FRoot.get(), 0, FAutoIndent, out);
  return out;
}

void TfsXMLDocument::LoadFromStream(TStream* stream)
{
  const Int64 size = stream->Size() - stream->Position();
  AnsiString text;
  if (size > 0) {
    text.resize(static_cast<size_t>(size));
    text.resize(static_cast<size_t>(stream->Read(text.data(), static_cast<Integer>(size))));
  }
  LoadFromText(text);
}

void TfsXMLDocument::SaveToStream(TStream* stream) const
{
  const AnsiString text = SaveToText();
  stream->WriteBuffer(text.data(), static_cast<Integer>(text.size()));
}

void TfsXMLDocument::LoadFromFile(const AnsiString& fileName)
{
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TfsXMLDocument::SaveToFile(const AnsiString& fileName) const
{
  TFileStream stream(fileName, fmCreate);
  SaveToStream(&stream);
}

// Lists: TList, TObjectList, TStrings and TStringList.
#include "platform/rtl/Lists.h"

#include <algorithm>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"
#include "platform/rtl/RtlUnitsPrivate.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/TypInfo.h"

// ---- Class registration ----

void RegisterListsClasses()
{
  TClassRegistration<TStrings, TPersistent>("TStrings");
  TClassRegistration<TStringList, TStrings>("TStringList");
  TClassRegistration<TList>("TList");
  // The owner argument of a class reference's constructor is not an OwnsObjects flag.
  TClassRegistration<TObjectList, TList>("TObjectList").Factory([](TComponent*) -> TObject* {
    return new TObjectList();
  });
}

namespace {

// The start of the character after p in a zero-terminated GBK text: a lead byte takes its
// trail byte along unless the text ends there.
const char* CharNext(const char* p)
{
  if (*p == 0)
    return p;
  if (IsDBCSLeadByte(*p) && p[1] != 0)
    return p + 2;
  return p + 1;
}

bool IsBlank(char c)
{
  const unsigned char b = static_cast<unsigned char>(c);
  return b >= 1 && b <= ' ';
}

} // namespace

// ---- Sorting ----

void QuickSortIndexes(Integer L, Integer R, const std::function<Integer(Integer, Integer)>& Compare,
                      const std::function<void(Integer, Integer)>& Exchange)
{
  // Scans stop at the range ends whatever the comparator says, so each partition leaves
  // two strictly smaller parts: the sort ends and stays inside [L, R] for any comparator.
  while (L < R) {
    Integer I = L;
    Integer J = R;
    Integer P = L + (R - L) / 2;
    do {
      while (I < R && Compare(I, P) < 0)
        ++I;
      while (J > L && Compare(J, P) > 0)
        --J;
      if (I <= J) {
        if (I != J) {
          Exchange(I, J);
          if (P == I)
            P = J;
          else if (P == J)
            P = I;
        }
        ++I;
        --J;
      }
    } while (I <= J);
    // Recurse into the smaller part and loop over the larger one: depth stays logarithmic.
    if (J - L < R - I) {
      if (L < J)
        QuickSortIndexes(L, J, Compare, Exchange);
      L = I;
    } else {
      if (I < R)
        QuickSortIndexes(I, R, Compare, Exchange);
      R = J;
    }
  }
}

// ---- TList ----

TList::~TList()
{
  Clear();
}

void TList::Error(const char* Msg, Integer Data)
{
  throw EListError(Format(Msg, {Data}));
}

void TList::CheckIndex(Integer Index) const
{
  if (Index < 0 || Index >= Count())
    Error(SListIndexError, Index);
}

Integer TList::Add(void* Item)
{
  const Integer result = Count();
  FList.push_back(Item);
  if (Item)
    Notify(Item, lnAdded);
  return result;
}

void TList::Insert(Integer Index, void* Item)
{
  if (Index < 0 || Index > Count())
    Error(SListIndexError, Index);
  FList.insert(FList.begin() + Index, Item);
  if (Item)
    Notify(Item, lnAdded);
}

void TList::Delete(Integer Index)
{
  CheckIndex(Index);
  void* item = FList[Index];
  FList.erase(FList.begin() + Index);
  if (item)
    Notify(item, lnDeleted);
}

Integer TList::Remove(void* Item)
{
  const Integer result = IndexOf(Item);
  if (result >= 0)
    Delete(result);
  return result;
}

Integer TList::IndexOf(void* Item) const
{
  auto it = std::find(FList.begin(), FList.end(), Item);
  return it == FList.end() ? -1 : static_cast<Integer>(it - FList.begin());
}

void* TList::Extract(void* Item)
{
  const Integer index = IndexOf(Item);
  if (index < 0)
    return nullptr;
  void* result = FList[index];
  FList.erase(FList.begin() + index);
  if (result)
    Notify(result, lnExtracted);
  return result;
}

void TList::Exchange(Integer Index1, Integer Index2)
{
  CheckIndex(Index1);
  CheckIndex(Index2);
  std::swap(FList[Index1], FList[Index2]);
}

void TList::Move(Integer CurIndex, Integer NewIndex)
{
  if (CurIndex == NewIndex)
    return;
  CheckIndex(CurIndex);
  CheckIndex(NewIndex);
  void* item = FList[CurIndex];
  FList.erase(FList.begin() + CurIndex);
  FList.insert(FList.begin() + NewIndex, item);
}

void TList::Sort(const TListSortCompare& Compare)
{
  if (Count() < 2)
    return;
  QuickSortIndexes(
      0, Count() - 1, [&](Integer a, Integer b) { return Compare(FList[a], FList[b]); },
      [&](Integer a, Integer b) { std::swap(FList[a], FList[b]); });
}

void TList::Pack()
{
  std::erase(FList, nullptr);
}

void TList::Clear()
{
  SetCount(0);
  std::vector<void*>().swap(FList);
}

void TList::SetCount(Integer NewCount)
{
  if (NewCount < 0)
    Error(SListCountError, NewCount);
  if (NewCount >= Count()) {
    FList.resize(NewCount, nullptr);
    return;
  }
  for (Integer i = Count() - 1; i >= NewCount; --i)
    Delete(i);
}

void TList::SetCapacity(Integer NewCapacity)
{
  if (NewCapacity < Count())
    Error(SListCapacityError, NewCapacity);
  if (NewCapacity > Capacity()) {
    FList.reserve(NewCapacity);
  } else if (NewCapacity < Capacity()) {
    std::vector<void*> shrunk;
    shrunk.reserve(NewCapacity);
    shrunk.assign(FList.begin(), FList.end());
    FList.swap(shrunk);
  }
}

void* TList::Items(Integer Index) const
{
  CheckIndex(Index);
  return FList[Index];
}

void TList::SetItems(Integer Index, void* Item)
{
  CheckIndex(Index);
  void* old = FList[Index];
  if (old == Item)
    return;
  FList[Index] = Item;
  if (old)
    Notify(old, lnDeleted);
  if (Item)
    Notify(Item, lnAdded);
}

// ---- TObjectList ----

TObjectList::~TObjectList()
{
  // The base destructor would no longer reach this class's Notify.
  Clear();
}

void TObjectList::Notify(void* Ptr, TListNotification Action)
{
  if (FOwnsObjects && Action == lnDeleted)
    delete static_cast<TObject*>(Ptr);
}

Integer TObjectList::FindInstanceOf(TClass AClass, bool AExact, Integer AStartAt) const
{
  for (Integer i = std::max(AStartAt, 0); i < Count(); ++i) {
    const TObject* obj = static_cast<TObject*>(TList::List()[i]);
    if (!obj)
      continue;
    if (AExact ? obj->ClassType() == AClass : obj->InheritsFrom(AClass))
      return i;
  }
  return -1;
}

// ---- TStrings ----

TStrings::~TStrings() = default;

void TStrings::Error(const char* Msg, Integer Data)
{
  throw EStringListError(Format(Msg, {Data}));
}

Integer TStrings::Add(const AnsiString& S)
{
  const Integer result = GetCount();
  Insert(result, S);
  return result;
}

Integer TStrings::AddObject(const AnsiString& S, TObject* AObject)
{
  const Integer result = Add(S);
  PutObject(result, AObject);
  return result;
}

void TStrings::AddStrings(TStrings* Strings)
{
  TUpdateScope update(this);
  const Integer n = Strings->Count();
  for (Integer i = 0; i < n; ++i)
    AddObject(Strings->Strings(i), Strings->Objects(i));
}

void TStrings::Assign(TPersistent* Source)
{
  auto* source = dynamic_cast<TStrings*>(Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  if (source == this)
    return;
  TUpdateScope update(this);
  Clear();
  AddStrings(source);
}

void TStrings::DefineProperties(TFiler* Filer)
{
  bool hasData = Count() > 0;
  if (auto* ancestor = dynamic_cast<TStrings*>(Filer->Ancestor()))
    hasData = !Equals(ancestor);
  Filer->DefineProperty("Strings", TReaderProc::Bind(this, &TStrings::ReadData),
                        TWriterProc::Bind(this, &TStrings::WriteData), hasData);
}

void TStrings::ReadData(TReader* Reader)
{
  Reader->ReadListBegin();
  TUpdateScope update(this);
  Clear();
  while (!Reader->EndOfList())
    Add(Reader->ReadString());
  Reader->ReadListEnd();
}

void TStrings::WriteData(TWriter* Writer)
{
  Writer->WriteListBegin();
  const Integer n = Count();
  for (Integer i = 0; i < n; ++i)
    Writer->WriteString(Strings(i));
  Writer->WriteListEnd();
}

void TStrings::BeginUpdate()
{
  if (FUpdateCount == 0)
    SetUpdateState(true);
  ++FUpdateCount;
}

void TStrings::EndUpdate()
{
  if (FUpdateCount == 0)
    return;
  --FUpdateCount;
  if (FUpdateCount == 0)
    SetUpdateState(false);
}

void TStrings::Exchange(Integer Index1, Integer Index2)
{
  TUpdateScope update(this);
  const AnsiString s1 = Get(Index1);
  TObject* o1 = GetObject(Index1);
  Put(Index1, Get(Index2));
  PutObject(Index1, GetObject(Index2));
  Put(Index2, s1);
  PutObject(Index2, o1);
}

void TStrings::InsertObject(Integer Index, const AnsiString& S, TObject* AObject)
{
  Insert(Index, S);
  PutObject(Index, AObject);
}

void TStrings::Move(Integer CurIndex, Integer NewIndex)
{
  if (CurIndex == NewIndex)
    return;
  TUpdateScope update(this);
  const AnsiString s = Get(CurIndex);
  TObject* obj = GetObject(CurIndex);
  Delete(CurIndex);
  InsertObject(NewIndex, s, obj);
}

bool TStrings::Equals(const TStrings* Strings) const
{
  if (!Strings || Strings->Count() != Count())
    return false;
  for (Integer i = 0; i < Count(); ++i)
    if (Get(i) != Strings->Get(i))
      return false;
  return true;
}

Integer TStrings::IndexOf(const AnsiString& S) const
{
  for (Integer i = 0; i < GetCount(); ++i)
    if (CompareStrings(Get(i), S) == 0)
      return i;
  return -1;
}

size_t TStrings::SeparatorPos(const AnsiString& S) const
{
  const Integer at = AnsiScanChar(S, FNameValueSeparator);
  return at == 0 ? AnsiString::npos : static_cast<size_t>(at - 1);
}

Integer TStrings::IndexOfName(const AnsiString& Name) const
{
  for (Integer i = 0; i < GetCount(); ++i) {
    const AnsiString s = Get(i);
    const size_t at = SeparatorPos(s);
    if (at != AnsiString::npos && CompareStrings(s.substr(0, at), Name) == 0)
      return i;
  }
  return -1;
}

Integer TStrings::IndexOfObject(TObject* AObject) const
{
  for (Integer i = 0; i < GetCount(); ++i)
    if (GetObject(i) == AObject)
      return i;
  return -1;
}

void TStrings::LoadFromFile(const AnsiString& FileName)
{
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TStrings::LoadFromStream(TStream* Stream)
{
  TUpdateScope update(this);
  const Int64 size = Stream->Size() - Stream->Position();
  AnsiString text;
  if (size > 0) {
    text.resize(static_cast<size_t>(size));
    text.resize(static_cast<size_t>(Stream->Read(text.data(), static_cast<Integer>(size))));
  }
  SetTextStr(text);
}

void TStrings::SaveToFile(const AnsiString& FileName) const
{
  TFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
}

void TStrings::SaveToStream(TStream* Stream) const
{
  const AnsiString text = GetTextStr();
  Stream->WriteBuffer(text.data(), static_cast<Integer>(text.size()));
}

void TStrings::Put(Integer Index, const AnsiString& S)
{
  TObject* obj = GetObject(Index);
  Delete(Index);
  InsertObject(Index, S, obj);
}

AnsiString TStrings::GetTextStr() const
{
  AnsiString result;
  for (Integer i = 0; i < GetCount(); ++i) {
    result += Get(i);
    result += "\r\n";
  }
  return result;
}

void TStrings::SetTextStr(const AnsiString& Value)
{
  TUpdateScope update(this);
  Clear();
  // CR and LF are below every GBK trail byte, so a byte scan cannot split a character.
  const size_t n = Value.size();
  size_t i = 0;
  while (i < n) {
    const size_t start = i;
    while (i < n && Value[i] != '\r' && Value[i] != '\n')
      ++i;
    Add(Value.substr(start, i - start));
    if (i < n && Value[i] == '\r')
      ++i;
    if (i < n && Value[i] == '\n')
      ++i;
  }
}

Integer TStrings::CompareStrings(const AnsiString& S1, const AnsiString& S2) const
{
  return AnsiCompareText(S1, S2);
}

AnsiString TStrings::JoinDelimited(char Delim, char Quote) const
{
  const Integer n = GetCount();
  if (n == 1 && Get(0).empty())
    return AnsiString(2, Quote);
  AnsiString result;
  for (Integer i = 0; i < n; ++i) {
    const AnsiString s = Get(i);
    // Quoting is needed when a character (never a trail byte) is a blank, control byte,
    // quote or delimiter.
    bool quote = false;
    for (size_t k = 0; k < s.size(); ++k) {
      const char c = s[k];
      if (static_cast<unsigned char>(c) <= ' ' || c == Quote || c == Delim) {
        quote = true;
        break;
      }
      if (IsDBCSLeadByte(c) && k + 1 < s.size())
        ++k;
    }
    if (i > 0)
      result += Delim;
    result += quote ? AnsiQuotedStr(s, Quote) : s;
  }
  return result;
}

void TStrings::SplitDelimited(const AnsiString& Value, char Delim, char Quote)
{
  TUpdateScope update(this);
  Clear();
  // The text ends at its first zero byte.
  const char* p = Value.c_str();
  while (IsBlank(*p))
    ++p;
  while (*p != 0) {
    if (*p == Quote) {
      Add(AnsiExtractQuotedStr(p, Quote));
    } else {
      const char* start = p;
      while (static_cast<unsigned char>(*p) > ' ' && *p != Delim)
        p = CharNext(p);
      Add(AnsiString(start, p - start));
    }
    while (IsBlank(*p))
      ++p;
    if (*p == Delim) {
      if (p[1] == 0)
        Add(AnsiString());
      do
        ++p;
      while (IsBlank(*p));
    }
  }
}

AnsiString TStrings::DelimitedText() const
{
  return JoinDelimited(FDelimiter, FQuoteChar);
}

void TStrings::SetDelimitedText(const AnsiString& Value)
{
  SplitDelimited(Value, FDelimiter, FQuoteChar);
}

AnsiString TStrings::CommaText() const
{
  return JoinDelimited(',', '"');
}

void TStrings::SetCommaText(const AnsiString& Value)
{
  SplitDelimited(Value, ',', '"');
}

AnsiString TStrings::Names(Integer Index) const
{
  const AnsiString s = Get(Index);
  const size_t at = SeparatorPos(s);
  return at == AnsiString::npos ? AnsiString() : s.substr(0, at);
}

AnsiString TStrings::Values(const AnsiString& Name) const
{
  const Integer i = IndexOfName(Name);
  return i < 0 ? AnsiString() : ValueFromIndex(i);
}

void TStrings::SetValues(const AnsiString& Name, const AnsiString& Value)
{
  const Integer i = IndexOfName(Name);
  if (Value.empty()) {
    if (i >= 0)
      Delete(i);
    return;
  }
  const AnsiString item = Name + FNameValueSeparator + Value;
  if (i < 0)
    Add(item);
  else
    Put(i, item);
}

AnsiString TStrings::ValueFromIndex(Integer Index) const
{
  if (Index < 0)
    return AnsiString();
  const AnsiString s = Get(Index);
  const size_t at = SeparatorPos(s);
  return at == AnsiString::npos ? AnsiString() : s.substr(at + 1);
}

void TStrings::SetValueFromIndex(Integer Index, const AnsiString& Value)
{
  if (Value.empty()) {
    if (Index >= 0)
      Delete(Index);
    return;
  }
  if (Index < 0)
    Index = Add(AnsiString());
  Put(Index, Names(Index) + FNameValueSeparator + Value);
}

// ---- TStringList ----

TStringList::~TStringList()
{
  // Nobody is told about the list's end.
  OnChange = nullptr;
  OnChanging = nullptr;
}

void TStringList::CheckIndex(Integer Index) const
{
  if (Index < 0 || Index >= GetCount())
    Error(SListIndexError, Index);
}

void TStringList::Changed()
{
  if (UpdateCount() == 0 && OnChange)
    OnChange(this);
}

void TStringList::Changing()
{
  if (UpdateCount() == 0 && OnChanging)
    OnChanging(this);
}

void TStringList::SetUpdateState(bool Updating)
{
  if (Updating)
    Changing();
  else
    Changed();
}

Integer TStringList::Add(const AnsiString& S)
{
  return AddObject(S, nullptr);
}

Integer TStringList::AddObject(const AnsiString& S, TObject* AObject)
{
  Integer result = GetCount();
  if (FSorted && Find(S, result)) {
    if (FDuplicates == dupIgnore)
      return result;
    if (FDuplicates == dupError)
      Error(SDuplicateString, 0);
  }
  InsertItem(result, S, AObject);
  return result;
}

void TStringList::InsertItem(Integer Index, const AnsiString& S, TObject* AObject)
{
  Changing();
  FList.insert(FList.begin() + Index, TStringItem{S, AObject});
  Changed();
}

void TStringList::Clear()
{
  if (FList.empty())
    return;
  Changing();
  std::vector<TStringItem>().swap(FList);
  Changed();
}

void TStringList::Delete(Integer Index)
{
  CheckIndex(Index);
  Changing();
  FList.erase(FList.begin() + Index);
  Changed();
}

void TStringList::ExchangeItems(Integer Index1, Integer Index2)
{
  std::swap(FList[Index1], FList[Index2]);
}

void TStringList::Exchange(Integer Index1, Integer Index2)
{
  CheckIndex(Index1);
  CheckIndex(Index2);
  Changing();
  ExchangeItems(Index1, Index2);
  Changed();
}

void TStringList::Insert(Integer Index, const AnsiString& S)
{
  InsertObject(Index, S, nullptr);
}

void TStringList::InsertObject(Integer Index, const AnsiString& S, TObject* AObject)
{
  if (FSorted)
    Error(SSortedListError, 0);
  if (Index < 0 || Index > GetCount())
    Error(SListIndexError, Index);
  InsertItem(Index, S, AObject);
}

bool TStringList::Find(const AnsiString& S, Integer& Index) const
{
  bool result = false;
  Integer lo = 0;
  Integer hi = GetCount() - 1;
  while (lo <= hi) {
    const Integer mid = lo + (hi - lo) / 2;
    const Integer c = CompareStrings(FList[mid].FString, S);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0)
        result = true;
    }
  }
  Index = lo;
  return result;
}

Integer TStringList::IndexOf(const AnsiString& S) const
{
  if (FSorted) {
    Integer index = -1;
    return Find(S, index) ? index : -1;
  }
  for (size_t i = 0; i < FList.size(); ++i)
    if (CompareStrings(FList[i].FString, S) == 0)
      return static_cast<Integer>(i);
  return -1;
}

AnsiString TStringList::Get(Integer Index) const
{
  CheckIndex(Index);
  return FList[Index].FString;
}

TObject* TStringList::GetObject(Integer Index) const
{
  CheckIndex(Index);
  return FList[Index].FObject;
}

void TStringList::Put(Integer Index, const AnsiString& S)
{
  if (FSorted)
    Error(SSortedListError, 0);
  CheckIndex(Index);
  Changing();
  FList[Index].FString = S;
  Changed();
}

void TStringList::PutObject(Integer Index, TObject* AObject)
{
  CheckIndex(Index);
  Changing();
  FList[Index].FObject = AObject;
  Changed();
}

void TStringList::SetCapacity(Integer NewCapacity)
{
  if (NewCapacity < GetCount())
    Error(SListCapacityError, NewCapacity);
  FList.reserve(NewCapacity);
}

void TStringList::Sort()
{
  // A sorted list is in order already.
  if (!FSorted)
    SortItems();
}

void TStringList::SortItems()
{
  if (GetCount() < 2)
    return;
  Changing();
  QuickSortIndexes(
      0, GetCount() - 1,
      [this](Integer a, Integer b) { return CompareStrings(FList[a].FString, FList[b].FString); },
      [this](Integer a, Integer b) { ExchangeItems(a, b); });
  Changed();
}

void TStringList::CustomSort(const TStringListSortCompare& Compare)
{
  // Sorting a sorted list by another rule would break Find.
  if (FSorted || GetCount() < 2)
    return;
  Changing();
  QuickSortIndexes(
      0, GetCount() - 1, [&](Integer a, Integer b) { return Compare(this, a, b); },
      [this](Integer a, Integer b) { ExchangeItems(a, b); });
  Changed();
}

// Both setters fire OnChange last: the handler may free the list.
void TStringList::SetSorted(bool Value)
{
  if (FSorted == Value)
    return;
  FSorted = Value;
  if (Value)
    SortItems();
}

void TStringList::SetCaseSensitive(bool Value)
{
  if (FCaseSensitive == Value)
    return;
  FCaseSensitive = Value;
  // The order changes with the comparison, so a sorted list sorts again.
  if (FSorted)
    SortItems();
}

Integer TStringList::CompareStrings(const AnsiString& S1, const AnsiString& S2) const
{
  return FCaseSensitive ? AnsiCompareStr(S1, S2) : AnsiCompareText(S1, S2);
}

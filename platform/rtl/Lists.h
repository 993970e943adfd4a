// Lists: the pointer list TList and its owning form TObjectList, listener lists that
// survive changes during notification, and the string lists TStrings/TStringList with
// their text, comma-text and name=value forms. See Classes.h for the bigger picture.
#pragma once

#include <exception>
#include <functional>
#include <vector>

#include "platform/rtl/Events.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

class TStream;
class TReader;
class TWriter;

// Sorting over a comparator that may be inconsistent (user handlers, mixed comparisons):
// a quicksort with the middle element as pivot whose scans never leave the range, so it
// always ends and never touches anything outside [L, R]; it recurses into the smaller part
// only. Compare(i, j) compares the items at two indexes, Exchange swaps them.
void QuickSortIndexes(Integer L, Integer R, const std::function<Integer(Integer, Integer)>& Compare,
                      const std::function<void(Integer, Integer)>& Exchange);

// ---- TList ----

enum TListNotification { lnAdded, lnExtracted, lnDeleted };

using TListSortCompare = std::function<Integer(void* Item1, void* Item2)>;

class TList : public TObject {
public:
  ~TList() override;

  Integer Add(void* Item);
  void Insert(Integer Index, void* Item);
  void Delete(Integer Index);
  // Deletes the first occurrence; returns its former index or -1.
  Integer Remove(void* Item);
  Integer IndexOf(void* Item) const;
  // Removes the first occurrence without the deletion notice; returns the item or null.
  void* Extract(void* Item);
  void Exchange(Integer Index1, Integer Index2);
  void Move(Integer CurIndex, Integer NewIndex);
  void Sort(const TListSortCompare& Compare);
  // Removes every null item.
  void Pack();
  virtual void Clear();
  void* First() const { return Items(0); }
  void* Last() const { return Items(Count() - 1); }

  Integer Count() const { return static_cast<Integer>(FList.size()); }
  // Shrinking deletes the items past the new count; growing adds null items.
  void SetCount(Integer NewCount);
  Integer Capacity() const { return static_cast<Integer>(FList.capacity()); }
  void SetCapacity(Integer NewCapacity);
  void* Items(Integer Index) const;
  void SetItems(Integer Index, void* Item);
  // The items themselves, for fast read-only walks.
  const std::vector<void*>& List() const { return FList; }

protected:
  // Told of every item that enters or leaves the list (null items excepted).
  virtual void Notify(void* Ptr, TListNotification Action) {}
  // Raises EListError with Msg (a text with one %d) and Data.
  [[noreturn]] static void Error(const char* Msg, Integer Data);

private:
  void CheckIndex(Integer Index) const;
  std::vector<void*> FList;
};

// A list of objects that, while OwnsObjects is on, frees what it deletes, replaces or
// clears (Extract hands an object back without freeing it).
class TObjectList : public TList {
public:
  explicit TObjectList(bool AOwnsObjects = true) : FOwnsObjects(AOwnsObjects) {}
  ~TObjectList() override;

  Integer Add(TObject* AObject) { return TList::Add(AObject); }
  void Insert(Integer Index, TObject* AObject) { TList::Insert(Index, AObject); }
  Integer Remove(TObject* AObject) { return TList::Remove(AObject); }
  Integer IndexOf(TObject* AObject) const { return TList::IndexOf(AObject); }
  TObject* Extract(TObject* Item) { return static_cast<TObject*>(TList::Extract(Item)); }
  TObject* Items(Integer Index) const { return static_cast<TObject*>(TList::Items(Index)); }
  void SetItems(Integer Index, TObject* AObject) { TList::SetItems(Index, AObject); }
  TObject* First() const { return static_cast<TObject*>(TList::First()); }
  TObject* Last() const { return static_cast<TObject*>(TList::Last()); }
  // Index of the first object of exactly class AClass (or of a descendant unless
  // AExact), searching from AStartAt; -1 when none.
  Integer FindInstanceOf(TClass AClass, bool AExact = true, Integer AStartAt = 0) const;

  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool Value) { FOwnsObjects = Value; }

protected:
  void Notify(void* Ptr, TListNotification Action) override;

private:
  bool FOwnsObjects = true;
};

// ---- Listener lists ----

// Listeners (observers, notification sinks) that may add or remove listeners, themselves
// included, while being notified. A pass walks the listeners present when it started;
// one removed meanwhile is skipped, one added meanwhile waits for the next pass. A
// listener that throws does not stop the pass: the first exception is rethrown at its end.
template <class T> class TListenerList {
public:
  // Adds a listener once; adding it again does nothing.
  void Add(T* Listener)
  {
    if (Listener && !Contains(Listener))
      FItems.push_back(Listener);
  }
  void Remove(T* Listener)
  {
    for (auto& item : FItems)
      if (item == Listener) {
        item = nullptr;
        FHasHoles = true;
      }
    Compact();
  }
  bool Contains(T* Listener) const
  {
    for (T* item : FItems)
      if (item && item == Listener)
        return true;
    return false;
  }
  Integer Count() const
  {
    Integer n = 0;
    for (T* item : FItems)
      n += item != nullptr;
    return n;
  }
  void Clear()
  {
    for (auto& item : FItems)
      item = nullptr;
    FHasHoles = true;
    Compact();
  }

  // Calls Fn(listener) for each listener of the pass, in the order they were added.
  template <class F> void Notify(F&& Fn)
  {
    ++FDepth;
    std::exception_ptr first;
    const size_t n = FItems.size();
    for (size_t i = 0; i < n; ++i) {
      T* listener = FItems[i];
      if (!listener)
        continue;
      try {
        Fn(listener);
      } catch (...) {
        if (!first)
          first = std::current_exception();
      }
    }
    --FDepth;
    Compact();
    if (first)
      std::rethrow_exception(first);
  }

private:
  // Removed entries stay as holes while a pass runs, so indexes keep their meaning.
  void Compact()
  {
    if (FDepth > 0 || !FHasHoles)
      return;
    std::erase(FItems, nullptr);
    FHasHoles = false;
  }

  std::vector<T*> FItems;
  Integer FDepth = 0;
  bool FHasHoles = false;
};

// ---- TStrings ----

class TStrings : public TPersistent {
public:
  ~TStrings() override;

  virtual Integer Add(const AnsiString& S);
  virtual Integer AddObject(const AnsiString& S, TObject* AObject);
  void Append(const AnsiString& S) { Add(S); }
  virtual void AddStrings(TStrings* Strings);
  // Copies the items and objects of another string list; other sources go to TPersistent.
  void Assign(TPersistent* Source) override;
  void BeginUpdate();
  void EndUpdate();
  virtual void Clear() = 0;
  virtual void Delete(Integer Index) = 0;
  virtual void Exchange(Integer Index1, Integer Index2);
  virtual void Insert(Integer Index, const AnsiString& S) = 0;
  virtual void InsertObject(Integer Index, const AnsiString& S, TObject* AObject);
  virtual void Move(Integer CurIndex, Integer NewIndex);
  // Same count and the same bytes item by item.
  bool Equals(const TStrings* Strings) const;

  // Index of the first item equal to S under the list's comparison; -1 when none.
  virtual Integer IndexOf(const AnsiString& S) const;
  Integer IndexOfName(const AnsiString& Name) const;
  Integer IndexOfObject(TObject* AObject) const;

  // Text in files and streams: the bytes of Text, read by the Text rules.
  virtual void LoadFromFile(const AnsiString& FileName);
  virtual void LoadFromStream(TStream* Stream);
  virtual void SaveToFile(const AnsiString& FileName) const;
  virtual void SaveToStream(TStream* Stream) const;

  Integer Count() const { return GetCount(); }
  AnsiString Strings(Integer Index) const { return Get(Index); }
  void SetStrings(Integer Index, const AnsiString& S) { Put(Index, S); }
  TObject* Objects(Integer Index) const { return GetObject(Index); }
  void SetObjects(Integer Index, TObject* AObject) { PutObject(Index, AObject); }
  virtual Integer Capacity() const { return GetCount(); }
  virtual void SetCapacity(Integer NewCapacity) {}

  // Every item followed by CR LF.
  AnsiString Text() const { return GetTextStr(); }
  // Items split at CR LF, LF or CR; a final line break adds no item.
  void SetText(const AnsiString& Value) { SetTextStr(Value); }

  // Items joined by Delimiter; an item holding a byte up to the space, the quote or the
  // delimiter is written inside QuoteChar with inner quotes doubled. A list holding one
  // empty item is written as two quotes.
  AnsiString DelimitedText() const;
  void SetDelimitedText(const AnsiString& Value);
  // DelimitedText with ',' and '"', whatever Delimiter and QuoteChar are.
  AnsiString CommaText() const;
  void SetCommaText(const AnsiString& Value);
  char Delimiter() const { return FDelimiter; }
  void SetDelimiter(char Value) { FDelimiter = Value; }
  char QuoteChar() const { return FQuoteChar; }
  void SetQuoteChar(char Value) { FQuoteChar = Value; }

  // name=value items: the name is the part before the first separator. Lookups compare
  // names as IndexOf compares items and take the first match; a missing name reads "".
  // Setting an empty value deletes the item (or adds none).
  AnsiString Names(Integer Index) const;
  AnsiString Values(const AnsiString& Name) const;
  void SetValues(const AnsiString& Name, const AnsiString& Value);
  AnsiString ValueFromIndex(Integer Index) const;
  void SetValueFromIndex(Integer Index, const AnsiString& Value);
  char NameValueSeparator() const { return FNameValueSeparator; }
  void SetNameValueSeparator(char Value) { FNameValueSeparator = Value; }

protected:
  virtual AnsiString Get(Integer Index) const = 0;
  virtual Integer GetCount() const = 0;
  virtual TObject* GetObject(Integer Index) const { return nullptr; }
  virtual void Put(Integer Index, const AnsiString& S);
  virtual void PutObject(Integer Index, TObject* AObject) {}
  virtual AnsiString GetTextStr() const;
  virtual void SetTextStr(const AnsiString& Value);
  // Called with true when the first BeginUpdate starts and false when the last EndUpdate ends.
  virtual void SetUpdateState(bool Updating) {}
  // The comparison of IndexOf, Find and name lookups: ignoring case here.
  virtual Integer CompareStrings(const AnsiString& S1, const AnsiString& S2) const;
  Integer UpdateCount() const { return FUpdateCount; }
  // Raises EStringListError with Msg (a text with one %d) and Data.
  [[noreturn]] static void Error(const char* Msg, Integer Data);
  // The items stream as the defined property "Strings": a list of strings, written when
  // the list has items (or, against an ancestor list, differs from it).
  void DefineProperties(TFiler* Filer) override;

private:
  void ReadData(TReader* Reader);
  void WriteData(TWriter* Writer);
  // Position of the name/value separator in S (0-based; npos when absent).
  size_t SeparatorPos(const AnsiString& S) const;
  AnsiString JoinDelimited(char Delim, char Quote) const;
  void SplitDelimited(const AnsiString& Value, char Delim, char Quote);

  Integer FUpdateCount = 0;
  char FDelimiter = ',';
  char FQuoteChar = '"';
  char FNameValueSeparator = '=';
};

// ---- TStringList ----

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList;
using TStringListSortCompare =
    std::function<Integer(TStringList* List, Integer Index1, Integer Index2)>;

class TStringList : public TStrings {
public:
  TStringList() = default;
  ~TStringList() override;

  Integer Add(const AnsiString& S) override;
  // In a sorted list the item goes to its place: with dupIgnore an equal item already
  // there is kept and its index returned; dupError raises "String list does not allow
  // duplicates"; dupAccept inserts before the equal items.
  Integer AddObject(const AnsiString& S, TObject* AObject) override;
  void Clear() override;
  void Delete(Integer Index) override;
  void Exchange(Integer Index1, Integer Index2) override;
  // Raises "Operation not allowed on sorted list" on a sorted list.
  void Insert(Integer Index, const AnsiString& S) override;
  void InsertObject(Integer Index, const AnsiString& S, TObject* AObject) override;
  Integer IndexOf(const AnsiString& S) const override;
  // Binary search of a sorted list: true with the index of the first equal item, or
  // false with the index where S would go.
  virtual bool Find(const AnsiString& S, Integer& Index) const;
  virtual void Sort();
  virtual void CustomSort(const TStringListSortCompare& Compare);
  Integer Capacity() const override { return static_cast<Integer>(FList.capacity()); }
  void SetCapacity(Integer NewCapacity) override;

  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  // False: AnsiCompareText; true: AnsiCompareStr. A sorted list sorts again on a change.
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value);

  // Fired around every change while no update is open, and once around an update.
  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  AnsiString Get(Integer Index) const override;
  Integer GetCount() const override { return static_cast<Integer>(FList.size()); }
  TObject* GetObject(Integer Index) const override;
  void Put(Integer Index, const AnsiString& S) override;
  void PutObject(Integer Index, TObject* AObject) override;
  void SetUpdateState(bool Updating) override;
  Integer CompareStrings(const AnsiString& S1, const AnsiString& S2) const override;
  virtual void Changed();
  virtual void Changing();
  virtual void InsertItem(Integer Index, const AnsiString& S, TObject* AObject);

private:
  struct TStringItem {
    AnsiString FString;
    TObject* FObject = nullptr;
  };
  void CheckIndex(Integer Index) const;
  void ExchangeItems(Integer Index1, Integer Index2);
  // Sorts by CompareStrings whether or not the list is sorted.
  void SortItems();

  std::vector<TStringItem> FList;
  TDuplicates FDuplicates = dupIgnore;
  bool FSorted = false;
  bool FCaseSensitive = false;
};

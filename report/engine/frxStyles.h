// Styles: named sets of colour, font and frame that text objects refer to by name. A report
// owns one style collection; collections are also kept in their own XML files
// (<style Name=".."><item Name=".." Color=".." Font.Name=".." Frame.Typ=".."/></style>),
// and a style sheet (<stylesheet> holding several <style> elements) offers several
// named collections at once.
#pragma once

#include <memory>
#include <vector>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/Classes.h"

class TfrxFrame;
class TfrxReport;
class TfrxXMLItem;

class TfrxStyleItem : public TCollectionItem {
public:
  explicit TfrxStyleItem(TCollection* Collection = nullptr);
  ~TfrxStyleItem() override;

  // Copies Name, Color, Font and Frame.
  void Assign(TPersistent* Source) override;
  // Names the item "Style" + the smallest N >= 1 that no item of the collection has.
  void MakeUniqueName();

  const AnsiString& Name() const { return FName; }
  // A name another item of the collection has (letter case ignored) raises Exception
  // "Duplicate name" and the old name stays.
  void SetName(const AnsiString& Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value) { FColor = Value; }
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TfrxFrame* Frame() const { return FFrame.get(); }
  void SetFrame(TfrxFrame* Value);

private:
  AnsiString FName;
  TColor FColor;
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TfrxFrame> FFrame;
};

class TfrxStyles : public TCollection {
public:
  // Report: the report whose text objects the collection styles; null for a collection of
  // a style sheet or one standing alone.
  explicit TfrxStyles(TfrxReport* Report = nullptr);

  TfrxStyleItem* Add();
  TfrxStyleItem* Items(Integer Index) const;
  // The item of that name, letter case ignored; null when none.
  TfrxStyleItem* Find(const AnsiString& Name) const;
  // Clears List and adds every item's name in order.
  void ListNames(TStrings* List) const;
  // Restyles every text object of the report from its Style name; nothing without report.
  void Apply();

  const AnsiString& Name() const { return FName; }
  void SetName(const AnsiString& Value) { FName = Value; }
  TfrxReport* Report() const { return FReport; }

  // LoadFromXmlItem clears the collection, reads the "item" children and then applies
  // the styles; the stream and file forms load only a document whose root is "style".
  void LoadFromFile(const AnsiString& FileName);
  void LoadFromStream(TStream* Stream);
  void LoadFromXmlItem(TfrxXMLItem* Item);
  void SaveToFile(const AnsiString& FileName);
  void SaveToStream(TStream* Stream);
  void SaveToXmlItem(TfrxXMLItem* Item);

private:
  AnsiString FName;
  TfrxReport* FReport;
};

// An ordered list of named style collections, owned; read from a <stylesheet> document.
class TfrxStyleSheet : public TObject {
public:
  TfrxStyleSheet();
  ~TfrxStyleSheet() override;

  void Clear();
  void Delete(Integer Index);
  // Appends a new empty collection without report.
  TfrxStyles* Add();
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  // Bad indexes raise EListError.
  TfrxStyles* Items(Integer Index) const;
  // The collection of that name, letter case ignored; null when none.
  TfrxStyles* Find(const AnsiString& Name) const;
  // Clears List and adds every collection's name in order.
  void ListNames(TStrings* List) const;
  // Clears the sheet, then adds one collection per "style" child of a "stylesheet" root.
  void LoadFromXmlStream(TStream* Stream);

private:
  std::vector<std::unique_ptr<TfrxStyles>> FItems;
};

// The class records of the style classes (part of the report classes).
void RegisterStyleClasses();

// Report variables: named values kept in the report definition, grouped into categories
// for the designer's data tree. A category is an item whose name begins with a blank (the
// category's name is the rest); the variables of a category are the items after it up to
// the next category. A text value is an expression evaluated where the variable is used.
//
// File form: <variables> holding one <item Name=".." Value=".."/> per item, in order.
#pragma once

#include "platform/rtl/Classes.h"
#include "platform/rtl/Variants.h"

class TfrxXMLItem;

class TfrxVariable : public TCollectionItem {
public:
  explicit TfrxVariable(TCollection* Collection = nullptr);

  void Assign(TPersistent* Source) override;

  const AnsiString& Name() const { return FName; }
  void SetName(const AnsiString& Value) { FName = Value; }
  // Null until set.
  const Variant& Value() const { return FValue; }
  void SetValue(const Variant& Value) { FValue = Value; }

private:
  AnsiString FName;
  Variant FValue;
};

class TfrxVariables : public TCollection {
public:
  TfrxVariables();

  TfrxVariable* Add();
  TfrxVariable* Insert(Integer Index);
  TfrxVariable* Items(Integer Index) const;

  // The first item of that name, letter case ignored; -1 when none.
  Integer IndexOf(const AnsiString& Name) const;
  // The value of the variable Index; Null when there is none.
  Variant Variables(const AnsiString& Index) const;
  // Sets the value, appending a new variable at the end when there is none of that name.
  void SetVariables(const AnsiString& Index, const Variant& Value);

  // Adds the category names (without their blank) to List, clearing it first when asked.
  void ListCategories(TStrings* List, bool ClearList = true) const;
  // Fills List with the names of the category's variables; "" gives the variables before
  // the first category. An item with an empty name ends the list.
  void ListCategoryVariables(const AnsiString& Category, TStrings* List) const;
  // Deletes the category item and its variables; nothing for an unknown category.
  void DeleteCategory(const AnsiString& Category);
  void DeleteVariable(const AnsiString& Name);
  // Inserts a variable after the category's last variable; nothing for an unknown category.
  void AddVariable(const AnsiString& Category, const AnsiString& Name, const Variant& Value);

  void LoadFromFile(const AnsiString& FileName);
  void LoadFromStream(TStream* Stream);
  void LoadFromXmlItem(TfrxXMLItem* Item);
  void SaveToFile(const AnsiString& FileName);
  void SaveToStream(TStream* Stream);
  void SaveToXmlItem(TfrxXMLItem* Item);

private:
  // The index of the category item (blank + name, letter case ignored); -1 when none.
  Integer IndexOfCategory(const AnsiString& Category) const;
};

// Whether an item name names a category (it begins with a blank).
bool IsVariableCategory(const AnsiString& Name);

// The class records of TfrxVariable and TfrxVariables (part of the report classes).
void RegisterVariableClasses();

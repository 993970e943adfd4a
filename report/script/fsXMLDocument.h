// The script engine's own small XML tree: grammars, the intermediate syntax of a compiled
// script and the function catalogue live in it. Element attributes are kept as raw text
// and read on demand. fsILParser.h shows how the compiler uses it.
#pragma once

#include <memory>
#include <vector>

#include "platform/rtl/Object.h"

class TStream;

// Escapes LF, CR, double quote, '<' and '>' as decimal character references. The ampersand
// is left as it is, so a text that already holds "&#60;" does not survive a round trip;
// ScriptStrToXMLStrict is the escaping that does.
AnsiString ScriptStrToXML(const AnsiString& text);
// ScriptStrToXML that also escapes '&', so that ScriptXMLToStr gives back exactly the input.
AnsiString ScriptStrToXMLStrict(const AnsiString& text);
// Decodes "&#<decimal>;" references into the byte with that code; other text is copied.
AnsiString ScriptXMLToStr(const AnsiString& text);

class TfsXMLItem : public TObject {
public:
  TfsXMLItem() = default;
  // Destroys the children and leaves the parent's list.
  ~TfsXMLItem() override;

  void Clear();
  TfsXMLItem* Items(Integer index) const;
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TfsXMLItem* Add();
  // Appends an existing element, taking it from its old parent first.
  void AddItem(TfsXMLItem* item);
  void InsertItem(Integer index, TfsXMLItem* item);
  // Index of the first child named so (case-insensitive), -1 when none.
  Integer Find(const AnsiString& name) const;
  // That child, or a new child of that name appended when none exists.
  TfsXMLItem* FindItem(const AnsiString& name);
  Integer IndexOf(const TfsXMLItem* item) const;
  // Value of one attribute of Text, decoded; empty when the attribute is missing.
  AnsiString Prop(const AnsiString& name) const;
  // True when Text holds the attribute (even with an empty value).
  bool HasProp(const AnsiString& name) const;
  // The topmost ancestor (the element itself when it has no parent).
  TfsXMLItem* Root();
  // Clears this element, then copies Name, Text, Data and a deep copy of the children.
  void Assign(const TfsXMLItem* source);

  void* Data() const { return FData; }
  void SetData(void* value) { FData = value; }
  const AnsiString& Name() const { return FName; }
  void SetName(const AnsiString& value) { FName = value; }
  TfsXMLItem* Parent() const { return FParent; }
  const AnsiString& Text() const { return FText; }
  void SetText(const AnsiString& value) { FText = value; }

private:
  void Detach();

  void* FData = nullptr;
  std::vector<TfsXMLItem*> FItems;
  AnsiString FName;
  TfsXMLItem* FParent = nullptr;
  AnsiString FText;
};

class TfsXMLDocument : public TObject {
public:
  TfsXMLDocument();
  ~TfsXMLDocument() override;

  bool AutoIndent() const { return FAutoIndent; }
  void SetAutoIndent(bool value) { FAutoIndent = value; }
  TfsXMLItem* Root() const { return FRoot.get(); }

  // Clears Root, then reads the header and the root element with all its descendants from
  // the stream's position on. Structural errors raise "Invalid file format".
  void LoadFromStream(TStream* stream);
  // Writes the header and Root with all its descendants, indented when AutoIndent is set.
  void SaveToStream(TStream* stream) const;
  void LoadFromFile(const AnsiString& fileName);
  void SaveToFile(const AnsiString& fileName) const;
  // The same over a text held in memory.
  void LoadFromText(const AnsiString& text);
  AnsiString SaveToText() const;

private:
  bool FAutoIndent = false;
  std::unique_ptr<TfsXMLItem> FRoot;
};

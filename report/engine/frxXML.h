// The small XML tree every file of the report library is written in (report definitions,
// prepared reports, variables, style sheets). An element keeps its attribute text unparsed;
// character data, comments and processing instructions are skipped. Text is 8-bit (GBK)
// and passes byte for byte. Elements may be moved out to a backing stream and loaded back
// on demand. frxXMLSerializer.h maps report objects onto this tree.
//
// File form: the header <?xml version="1.0" encoding="utf-8"?>, then one root element.
// An element with children is '<Name attrs>' children '</Name>'; without children it is
// '<Name attrs/>'. attrs is the element's Text with a blank put in front; an element that
// may be unloaded carries 'ld="0"' appended directly. With AutoIndent every tag is on its
// own CR LF line, indented two blanks per level; without it the file is one line.
#pragma once

#include <memory>
#include <vector>

#include "platform/rtl/Classes.h"

class Variant;
class TfrxXMLDocument;

// Escapes LF, CR, '"', '&', '<' and '>' as decimal character references ('&#60;').
AnsiString StrToXML(const AnsiString& Text);
// Decodes decimal character references; named entities stay as they are. A reference is
// recognised only with at least three characters after the '&' and a ';' after the
// digits; digits that are not a number raise EConvertError.
AnsiString XMLToStr(const AnsiString& Text);
// A variant as attribute text: integers in decimal, reals in the general 15-digit form,
// dates as short dates, texts escaped, Booleans "1"/"0", anything else ''.
AnsiString ValueToXML(const Variant& Value);

// One element.
class TfrxXMLItem : public TObject {
public:
  TfrxXMLItem() = default;
  // Destroys the children and leaves the parent.
  ~TfrxXMLItem() override;

  // Destroys the children; an unloadable element counts as not loaded afterwards.
  void Clear();
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  // A bad index raises EListError.
  TfrxXMLItem* Items(Integer Index) const;
  TfrxXMLItem* Add();
  // Appends Item as the last child, taking it from its former parent.
  void AddItem(TfrxXMLItem* Item);
  void InsertItem(Integer Index, TfrxXMLItem* Item);
  // The first child named Name (ignoring case): its index, or -1.
  Integer Find(const AnsiString& Name) const;
  // That child; a new child named Name when there is none.
  TfrxXMLItem* FindItem(const AnsiString& Name);
  Integer IndexOf(TfrxXMLItem* Item) const;

  // One attribute of Text, decoded; '' when absent. Names compare ignoring case and must
  // start Text or follow a blank.
  AnsiString Prop(const AnsiString& Name) const;
  // Replaces the attribute in place, or appends it.
  void SetProp(const AnsiString& Name, const AnsiString& Value);

  void* Data() const { return FData; }
  void SetData(void* Value) { FData = Value; }
  bool Loaded() const { return FLoaded; }
  const AnsiString& Name() const { return FName; }
  void SetName(const AnsiString& Value) { FName = Value; }
  TfrxXMLItem* Parent() const { return FParent; }
  const AnsiString& Text() const { return FText; }
  void SetText(const AnsiString& Value) { FText = Value; }
  bool Unloadable() const { return FUnloadable; }
  void SetUnloadable(bool Value) { FUnloadable = Value; }

private:
  void Detach();

  void* FData = nullptr;
  bool FLoaded = true;
  Int64 FOffset = 0;        // start of the element in its backing stream, when unloaded
  bool FInTempFile = false; // the offset is in the temporary file, not the loaded stream
  std::vector<TfrxXMLItem*> FItems;
  AnsiString FName;
  TfrxXMLItem* FParent = nullptr;
  AnsiString FText;
  bool FUnloadable = false;

  friend class TfrxXMLDocument;
  friend class TfrxXMLReader;
};

// Reads tags from a stream through a 4096-byte buffer. When destroyed it puts the stream
// right after the last byte consumed.
class TfrxXMLReader : public TObject {
public:
  explicit TfrxXMLReader(TStream* Stream);
  ~TfrxXMLReader() override;

  // Requires the first tag to be the "?xml" header.
  void ReadHeader();
  // The next tag: its name and attribute text; an empty name at the end of the stream.
  // Comments are skipped. A '<' inside a tag or the end of the stream inside a tag raise
  // "Invalid file format".
  void ReadItem(AnsiString& Name, AnsiString& Text);
  // Reads Item and its descendants. Without KeepLoaded, elements marked 'ld="0"' are
  // unloaded as soon as they are read (their offset is recorded).
  void ReadRootItem(TfrxXMLItem* Item, bool KeepLoaded = true);
  void SetPosition(Int64 Offset);
  Int64 Position() const { return FPosition; }
  // True once a tree read here reached the end of the stream with elements still open
  // (they were closed there).
  bool Truncated() const { return FTruncated; }

private:
  bool ReadChar(unsigned char& C);
  void ReadTree(TfrxXMLItem* Item, bool KeepLoaded, bool KeepRootLoaded);
  void FinishItem(TfrxXMLItem* Item, Int64 Offset, bool KeepLoaded);

  TStream* FStream;
  std::unique_ptr<char[]> FBuffer;
  Integer FBufferLength = 0;
  Integer FBufferPos = 0;
  Int64 FPosition = 0;
  Int64 FSize = 0;
  bool FInTempFile = false;
  bool FTruncated = false;

  friend class TfrxXMLDocument;
};

// Writes a tree to a stream through a text buffer.
class TfrxXMLWriter : public TObject {
public:
  // Document (may be null) supplies the elements that are unloaded at the time of writing.
  explicit TfrxXMLWriter(TStream* Stream, TfrxXMLDocument* Document = nullptr);
  ~TfrxXMLWriter() override;

  bool AutoIndent() const { return FAutoIndent; }
  void SetAutoIndent(bool Value) { FAutoIndent = Value; }
  void WriteLn(const AnsiString& Text);
  void WriteHeader();
  void WriteItem(TfrxXMLItem* Item, Integer Level = 0);
  void WriteRootItem(TfrxXMLItem* Item);
  void Flush();

private:
  // Writes the opening tag; false when the element had no children and is complete.
  bool OpenItem(TfrxXMLItem* Item, Integer Level);

  bool FAutoIndent = false;
  AnsiString FBuffer;
  TStream* FStream;
  TfrxXMLDocument* FDocument;
};

class TfrxXMLDocument : public TObject {
public:
  TfrxXMLDocument();
  ~TfrxXMLDocument() override;

  bool AutoIndent() const { return FAutoIndent; }
  void SetAutoIndent(bool Value) { FAutoIndent = Value; }
  TfrxXMLItem* Root() const { return FRoot.get(); }
  const AnsiString& TempDir() const { return FTempDir; }
  void SetTempDir(const AnsiString& Value) { FTempDir = Value; }
  const AnsiString& TempFile() const { return FTempFile; }
  bool TempFileCreated() const { return FTempFileCreated; }

  // Clears the tree and drops the backing streams (the temporary file is deleted).
  void Clear();
  // Reads a whole document. With AllowPartialLoading, elements marked 'ld="0"' stay in
  // Stream until LoadItem asks for them, and the document takes Stream over (it frees
  // it); otherwise the marks are dropped and everything is read.
  void LoadFromStream(TStream* Stream, bool AllowPartialLoading = false);
  // True when the last load reached the end of the stream before the root element was
  // closed: the elements still open were closed there, so the tree may lack its end.
  bool Truncated() const { return FTruncated; }
  void SaveToStream(TStream* Stream);
  void LoadFromFile(const AnsiString& FileName);
  void SaveToFile(const AnsiString& FileName);
  // Reads an unloaded element's children back; its Text as changed in memory stays.
  void LoadItem(TfrxXMLItem* Item);
  // Moves a loaded, unloadable element's children out to the temporary file.
  void UnloadItem(TfrxXMLItem* Item);

private:
  void DropBackingStreams();
  void CreateTempFile();

  bool FAutoIndent = false;
  std::unique_ptr<TfrxXMLItem> FRoot;
  AnsiString FTempDir;
  AnsiString FTempFile;
  std::unique_ptr<TStream> FLoadStream; // the stream of a partial load
  std::unique_ptr<TStream> FTempStream; // the temporary file
  bool FTempFileCreated = false;
  bool FTruncated = false;
};

// The filer: TWriter and TReader write and read tagged values in the binary property
// format, and carry the defined (non-published) properties of TPersistent.DefineProperties.
// TByteCursor is the guarded cursor every reader of untrusted bytes stands on. See
// Classes.h for the object model.
//
// Binary property format (little-endian). A property is its name as a short string (length
// byte + bytes) followed by one tagged value; a list of properties ends with vaNull.
//
//   tag  name          payload
//   0x00 vaNull        none: the end of a list
//   0x01 vaList        values until vaNull
//   0x02 vaInt8        1 byte, signed
//   0x03 vaInt16       2 bytes, signed
//   0x04 vaInt32       4 bytes, signed (integers take the smallest of these that holds them)
//   0x05 vaExtended    10 bytes, 80-bit extended
//   0x06 vaString      length byte + bytes
//   0x07 vaIdent       length byte + bytes
//   0x08 vaFalse, 0x09 vaTrue
//   0x0A vaBinary      Int32 length + bytes
//   0x0B vaSet         short strings, ended by an empty one
//   0x0C vaLString     Int32 length + bytes
//   0x0D vaNil
//   0x0E vaCollection  items until vaNull
//   0x0F vaSingle      4 bytes
//   0x10 vaCurrency    8 bytes (Currency raw value)
//   0x11 vaDate        8 bytes (double)
//   0x12 vaWString     Int32 length in UTF-16 units + units
//   0x13 vaInt64       8 bytes, signed
//
// Published properties are written by kind: integers as integers, chars as one-character
// strings, enumerations as identifiers (Booleans as vaFalse/vaTrue), sets as vaSet, floats
// as vaExtended (Single vaSingle, Currency vaCurrency, TDateTime vaDate), strings, Int64.
// A persistent object held by a property writes its own properties under the dotted name
// ("Font.Name"); a collection is vaCollection with one list of properties per item; a
// component reference is an identifier ("Edit1", "Owner" for the root, "Form2.Edit1" for
// another owner's component), vaNil for none. An event whose handler is a published method
// of the root (TypInfo.h, MethodAddress) is that method's name as an identifier; other
// handlers (lambdas, methods of other objects) are not written. Variant properties are not
// streamed; defined properties write Variants with WriteVariant (vaNil Empty, vaNull Null,
// then by kind as above).
//
// Component form: class name and component name as short strings, the properties, vaNull,
// then the children (GetChildren) in the same form, then vaNull.
#pragma once

#include "platform/rtl/Classes.h"
#include "platform/rtl/Currency.h"

class Variant;

enum TValueType {
  vaNull,
  vaList,
  vaInt8,
  vaInt16,
  vaInt32,
  vaExtended,
  vaString,
  vaIdent,
  vaFalse,
  vaTrue,
  vaBinary,
  vaSet,
  vaLString,
  vaNil,
  vaCollection,
  vaSingle,
  vaCurrency,
  vaDate,
  vaWString,
  vaInt64
};

// Reads bytes from memory it does not own, checking every count against the bytes left
// before allocating or copying; a read past the end raises EReadError "Stream read error".
class TByteCursor {
public:
  TByteCursor(const void* Data, size_t Size) : FData(static_cast<const Byte*>(Data)), FSize(Size) {}

  size_t Position() const { return FPos; }
  size_t Left() const { return FSize - FPos; }
  bool AtEnd() const { return FPos >= FSize; }

  // Raises unless Count elements of ElementSize bytes are left (overflow-checked).
  void Require(size_t Count, size_t ElementSize = 1) const;
  void Read(void* Dest, size_t Count);
  void Skip(size_t Count);
  Byte ReadByte();
  Word ReadWord();
  Integer ReadInt32();
  Cardinal ReadCardinal();
  Int64 ReadInt64();
  // Count bytes as text.
  AnsiString ReadString(size_t Count);

private:
  const Byte* FData;
  size_t FSize;
  size_t FPos = 0;
};

using TReaderProc = TEvent<void(TReader* Reader)>;
using TWriterProc = TEvent<void(TWriter* Writer)>;
using TStreamProc = TEvent<void(TStream* Stream)>;

struct TPropInfo;
struct TTypeInfo;

class TFiler : public TObject {
public:
  explicit TFiler(TStream* Stream) : FStream(Stream) {}

  TStream* Stream() const { return FStream; }
  TComponent* Root() const { return FRoot; }
  void SetRoot(TComponent* Value) { FRoot = Value; }
  // The object this one descends from when only differences are written; null otherwise.
  // DefineProperties implementations compare with it to decide whether they have data.
  TPersistent* Ancestor() const { return FAncestor; }
  void SetAncestor(TPersistent* Value) { FAncestor = Value; }

  // Declares a defined property: the writer writes it (when HasData) through WriteData, the
  // reader reads it through ReadData when the stream names it.
  virtual void DefineProperty(const AnsiString& Name, const TReaderProc& ReadData,
                              const TWriterProc& WriteData, bool HasData) = 0;
  // The same for a block of bytes (vaBinary): the procedures read from / write to a memory
  // stream holding just the block.
  virtual void DefineBinaryProperty(const AnsiString& Name, const TStreamProc& ReadData,
                                    const TStreamProc& WriteData, bool HasData) = 0;

protected:
  static void CallDefineProperties(TPersistent* Instance, TFiler* Filer)
  {
    Instance->DefineProperties(Filer);
  }

private:
  TStream* FStream;
  TComponent* FRoot = nullptr;
  TPersistent* FAncestor = nullptr;
};

class TWriter : public TFiler {
public:
  explicit TWriter(TStream* Stream) : TFiler(Stream) {}

  void DefineProperty(const AnsiString& Name, const TReaderProc& ReadData,
                      const TWriterProc& WriteData, bool HasData) override;
  void DefineBinaryProperty(const AnsiString& Name, const TStreamProc& ReadData,
                            const TStreamProc& WriteData, bool HasData) override;

  // Writes every defined property of Instance that has data, as name + value.
  void WriteDefinedProperties(TPersistent* Instance);
  // Writes the published properties of Instance that are stored and differ from their
  // default (or, with an Ancestor of the same class, from the ancestor's value), then its
  // defined properties. Ordinals without a default are always written; empty strings,
  // zero floats and nil references are not.
  void WriteProperties(TPersistent* Instance);
  void WriteCollection(TCollection* Value);
  // Writes Component, its properties and children (Root is the component itself when none
  // is set), followed by nothing else. A root that owns a component GetChildren does not
  // reach (directly or below another child) raises EWriteError before anything is
  // written, instead of losing that component silently.
  void WriteComponent(TComponent* Component);
  void WriteRootComponent(TComponent* Root);

  void WriteValue(TValueType Value);
  void WriteListBegin() { WriteValue(vaList); }
  void WriteListEnd() { WriteValue(vaNull); }
  void WriteInteger(Int64 Value);
  void WriteBoolean(bool Value) { WriteValue(Value ? vaTrue : vaFalse); }
  // vaString up to 255 bytes, vaLString beyond.
  void WriteString(const AnsiString& Value);
  void WriteWideString(const WideString& Value);
  void WriteFloat(Extended Value);
  void WriteSingle(Single Value);
  void WriteCurrency(Currency Value);
  void WriteDate(TDateTime Value);
  // A Variant by its kind; arrays, objects and other kinds without a tag raise EWriteError.
  void WriteVariant(const Variant& Value);
  // "False", "True" and "nil" get their own tags; other identifiers vaIdent.
  void WriteIdent(const AnsiString& Ident);
  // A property name (or any short string): length byte + bytes; longer than 255 bytes
  // raises EWriteError.
  void WritePropName(const AnsiString& Name);
  void WriteStr(const AnsiString& Value);
  void Write(const void* Buffer, Integer Count);

private:
  void WriteProperty(TPersistent* Instance, const TPropInfo* Prop, TPersistent* Ancestor);
  void WriteMethodProperty(TPersistent* Instance, const TPropInfo* Prop, TPersistent* Ancestor);
  void WriteChild(TComponent* Child);
  void CheckNothingDropped(TComponent* Root);
  AnsiString ReferenceName(TComponent* Value);

  AnsiString FPropPath; // "Font." while writing a nested object's properties
};

class TReader : public TFiler {
public:
  explicit TReader(TStream* Stream) : TFiler(Stream) {}

  void DefineProperty(const AnsiString& Name, const TReaderProc& ReadData,
                      const TWriterProc& WriteData, bool HasData) override;
  void DefineBinaryProperty(const AnsiString& Name, const TStreamProc& ReadData,
                            const TStreamProc& WriteData, bool HasData) override;

  // Reads one property (name + value) into Instance: a defined property, else a published
  // one (a dotted name walks through the persistent objects held by properties). A name
  // Instance has neither way raises EReadError "Property <name> does not exist" (the value
  // is skipped first, so the caller may go on with the next property).
  void ReadProperty(TPersistent* Instance);
  // Reads properties until the end of the data or a vaNull (which is consumed).
  void ReadDefinedProperties(TPersistent* Instance);
  void ReadProperties(TPersistent* Instance) { ReadDefinedProperties(Instance); }
  // Replaces the items of Value with the items read (vaCollection).
  void ReadCollection(TCollection* Value);
  // Reads one component. Component null: the class named in the stream is created (its
  // owner is Root, its parent the component being read around it); an unknown class
  // raises EClassNotFound. The component and its children are loading (csLoading,
  // csReading) until the root's read ends with reference fix-up and Loaded.
  TComponent* ReadComponent(TComponent* Component);
  // Reads what follows a component's class and name: its properties, then its children
  // up to the end of the list. TComponent::ReadState calls it.
  void ReadData(TComponent* Instance);
  // Reads a root component (Root null: created from the stream, and deleted again when the
  // read fails) with its children.
  TComponent* ReadRootComponent(TComponent* Root);
  // Resolves the component references read so far against Root; names not found leave
  // their properties unchanged.
  void FixupReferences();

  // True when no byte is left.
  bool EndOfData();
  TValueType ReadValue();
  TValueType NextValue();
  void CheckValue(TValueType Value);
  void ReadListBegin() { CheckValue(vaList); }
  void ReadListEnd() { CheckValue(vaNull); }
  bool EndOfList() { return NextValue() == vaNull; }
  // Each reads one value of its kind; another tag raises EReadError "Invalid property value".
  Integer ReadInteger();
  Int64 ReadInt64();
  bool ReadBoolean();
  AnsiString ReadString();
  WideString ReadWideString();
  Extended ReadFloat();
  Single ReadSingle();
  Currency ReadCurrency();
  TDateTime ReadDate();
  // A value written by WriteVariant.
  Variant ReadVariant();
  AnsiString ReadIdent();
  // A short string: length byte + bytes.
  AnsiString ReadStr();
  // Skips one value of any kind (lists and collections nested at most 256 deep).
  void SkipValue();
  void Read(void* Buffer, Integer Count);
  // Raises EReadError unless Count bytes are left in the stream.
  void Require(Int64 Count);

private:
  struct Fixup {
    TPersistent* Instance;
    const TPropInfo* Prop;
    AnsiString Name;
  };

  void SkipValue(int Depth);
  bool AtPropertyListEnd();
  Integer ReadLength();
  void ReadPublished(TPersistent* Instance, const TPropInfo* Prop);
  void ReadMethodProperty(TPersistent* Instance, const TPropInfo* Prop);
  Integer ReadSet(const TTypeInfo* SetType);
  TComponent* FindReference(const AnsiString& Name);
  TComponent* ReadComponentData(TComponent* Component, TComponent* Parent);

  AnsiString FPropName;
  bool FPropHandled = false;
  std::vector<Fixup> FFixups;
  std::vector<TComponent*> FLoaded;
  TComponent* FParent = nullptr;
  int FDepth = 0;
};

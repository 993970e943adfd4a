// The report definition file: report objects become XML elements named by their class,
// their published properties become attributes, in the order reflection lists them. The
// serializer knows nothing of report classes; each class describes itself through its
// published properties (TypInfo.h). frxXML.h holds the tree, frxClass.h the objects.
//
// Attribute forms:
//   ordinals     decimal (sets as their bit mask, colours as integers), enumerations by
//                value name ("True", "baLeft"); skipped at their default
//   floats       always, 15 significant digits, the current decimal separator
//   strings      escaped, skipped when empty
//   variants     always, as text
//   components   the reference name; nothing for nil
//   string lists Prop.Text="line1&#13;&#10;line2"
//   persistents  their own attributes under the prefix Prop. ('Font.Name="Arial"')
//   PropData     the defined (non-published) properties in the binary property format, as
//                two upper-case hex digits per byte
// Reading is lenient: a problem goes to Errors and the read goes on.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/TypInfo.h"

class TPicture;
class TReader;
class TfrxComponent;
class TfrxXMLItem;

// Pictures read from the PropData text of picture properties, kept by that text. Prepared
// pages carry a picture with every page that shows it (a logo, a scanned form), so pages
// rebuilt one after another copy the picture read before instead of decoding the same text
// again. Only bitmaps and JPEG pictures are kept: a copy of those equals what reading
// gives. At most MaxEntries pictures whose texts add up to at most MaxTextBytes, the most
// recently used first.
class TfrxPictureCache {
public:
  static constexpr size_t MaxEntries = 16;
  static constexpr size_t MaxTextBytes = 32u << 20;

  TfrxPictureCache();
  ~TfrxPictureCache();

  // Gives Picture a copy of the picture kept for Text; false when none is kept.
  bool Load(std::string_view Text, TPicture* Picture);
  // Keeps a copy of Picture, just read from Text, when its kind may be kept.
  void Store(std::string_view Text, TPicture* Picture);
  void Clear();
  size_t Count() const { return FEntries.size(); }

private:
  struct TEntry;
  std::vector<std::unique_ptr<TEntry>> FEntries;
  size_t FTextBytes = 0;
};

// An object reference waiting for the whole tree to be read.
struct TfrxFixupItem {
  TObject* Obj = nullptr;
  PPropInfo Prop = nullptr;
  AnsiString Value;
};

// Report objects nest a few levels (report, page, band, object); a file whose elements nest
// deeper than this below the element read is refused before any object is made, since
// deep object trees are freed and restyled recursively.
constexpr Integer frxMaxObjectNesting = 256;

class TfrxXMLSerializer : public TObject {
public:
  explicit TfrxXMLSerializer(TStream* Stream);
  ~TfrxXMLSerializer() override;

  // Problems met while reading: sorted, duplicates dropped.
  TStringList* Errors() const { return FErrors.get(); }
  // References resolve against Owner; normally the report.
  TComponent* Owner() const { return FOwner; }
  void SetOwner(TComponent* Value) { FOwner = Value; }
  // Writes ordinals at their default and empty strings too.
  bool SerializeDefaultValues() const { return FSerializeDefaultValues; }
  void SetSerializeDefaultValues(bool Value) { FSerializeDefaultValues = Value; }
  TStream* Stream() const { return FStream; }
  // Pictures read from PropData texts go through Cache (not owned); nil: none.
  void SetPictureCache(TfrxPictureCache* Cache) { FPictureCache = Cache; }

  // The attribute text of Obj, each attribute preceded by one blank.
  AnsiString ObjToXML(TPersistent* Obj, const AnsiString& Prefix = AnsiString());
  // Applies an attribute text to Obj; problems go to Errors.
  void XMLToObj(std::string_view Text, TPersistent* Obj);

  // Writes Component (and with SaveChildren its descendants) into Item; without an item,
  // into a new indented document saved to Stream.
  void Write(TfrxComponent* Component, bool SaveChildren = true, TfrxXMLItem* Item = nullptr);
  // Fills Component from Item (without one, from the document in Stream): the root element
  // applies to Component, every other element becomes a new object of its class under its
  // parent's object. An unregistered class is one error line; its element is skipped.
  // Elements nested deeper than frxMaxObjectNesting raise "Report objects nested too
  // deep" before anything is read.
  void Read(TfrxComponent* Component, TfrxXMLItem* Item = nullptr);

  // '<Class attributes/>' of one object, straight to Stream.
  void WriteObjectElement(TfrxComponent* Obj);
  // One object from the next tag of Stream (its children ignored); null at the end. An
  // unregistered class raises EClassNotFound.
  TfrxComponent* ReadNewObject(TComponent* AOwner);
  // One object from "ClassName attributes"; null for a blank text.
  TfrxComponent* ReadObjectFromText(TComponent* AOwner, std::string_view Text);
  // The object of Text + " " + More (a stored object's base text and its own attributes),
  // without joining the two texts where they can be read one after the other.
  TfrxComponent* ReadObjectFromText(TComponent* AOwner, std::string_view Text,
                                    std::string_view More);
  // Applies an attribute text to a collection item, then resolves references.
  void ReadPersistent(TComponent* AOwner, TPersistent* Item, const AnsiString& Text);

private:
  // Value points into the text being read: a picture's data is not copied to be looked up.
  void ApplyAttribute(AnsiString Name, std::string_view Value, TPersistent* Obj);
  void ApplyProperty(TObject* Obj, PPropInfo Prop, const AnsiString& Value);
  void ApplyPropData(std::string_view Value, TPersistent* Obj);
  AnsiString PropertyText(TObject* Obj, PPropInfo Prop, const AnsiString& Prefix, bool& Written);
  void ResolveFixups();
  static void CheckNesting(TfrxXMLItem* Item);
  TfrxComponent* CreateObject(const AnsiString& ClassName, TComponent* AOwner, bool Raise);
  void FinishObject(TfrxComponent* Obj);
  TfrxComponent* ReadObject(TComponent* AOwner, std::string_view ClassName,
                            std::string_view Attributes, std::string_view More);

  std::unique_ptr<TStringList> FErrors;
  std::vector<TfrxFixupItem> FFixups;
  TComponent* FOwner = nullptr;
  std::unique_ptr<TMemoryStream> FPropDataStream;
  bool FSerializeDefaultValues = false;
  TStream* FStream;
  TfrxPictureCache* FPictureCache = nullptr;
};

// The class records of the platform classes report files carry (the font's published
// properties), unless the graphics library registered them itself.
void RegisterSerializedPlatformClasses();

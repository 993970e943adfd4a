// Localized texts of the report library: every message, caption and status text is looked
// up here by identifier, and each window of the library takes the block of texts stored
// under its class name. The core table of the library is added at start-up (frxRes unit).
#pragma once

#include <memory>

#include "platform/rtl/Classes.h"

class TBitmap;
class TCustomImageList;

class TfrxResources : public TObject {
public:
  TfrxResources();
  ~TfrxResources() override;

  // Replaces the text of an existing identifier, otherwise adds identifier and text.
  // Identifiers compare ignoring case.
  void Add(const AnsiString& Identifier, const AnsiString& Text);
  // The stored text; the identifier itself when none is stored.
  AnsiString Lookup(const AnsiString& Identifier) const;
  // Applies the block stored under Form's class name: lines "Component.Property=Value"
  // set a string property of the component the form owns by that name, lines
  // "Property=Value" one of the form itself. Lines naming an unknown component or a
  // property that is not a string are skipped.
  void LocalizeForm(TComponent* Form) const;

  // The 16 x 16 toolbar glyphs, loaded from the "frxBUTTONS" strip on first use.
  TCustomImageList* ButtonImages();
  // The alternative glyphs: the second image of each pair in the button strip.
  TCustomImageList* DisabledButtonImages();
  // The 22 x 22 object glyphs, loaded from the "frxOBJECTS" strip on first use.
  TCustomImageList* ObjectImages();
  // Cut a strip into the button lists (pairs of 16 x 16 tiles) or the object list
  // (22 x 22 tiles); Clear empties the lists first.
  void LoadButtonImages(TBitmap* Strip, bool Clear);
  void LoadObjectImages(TBitmap* Strip, bool Clear);

private:
  std::unique_ptr<TCustomImageList> FDisabledButtonImages;
  std::unique_ptr<TCustomImageList> FButtonImages;
  std::unique_ptr<TStringList> FNames; // sorted; the object is the index into FValues
  std::unique_ptr<TCustomImageList> FObjectImages;
  std::vector<AnsiString> FValues; // texts in the order they were first added
  bool FButtonsLoaded = false;
  bool FObjectsLoaded = false;
};

// The program-wide text store, created on first use and freed at shut-down.
TfrxResources* ReportResources();
// Frees the store; the next use creates it again with the core table.
void FreeReportResources();
// Adds the library's core text table (done when the store is created).
void AddCoreResources(TfrxResources* Resources);

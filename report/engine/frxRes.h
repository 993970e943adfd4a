// Localized texts of the report library: every message, caption and status text is looked
// up here by identifier, and each window of the library takes the block of texts stored
// under its class name. The core table of the library is added at start-up (frxRes unit).
#pragma once

#include <memory>

#include "platform/rtl/Classes.h"

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

private:
  std::unique_ptr<TStringList> FNames; // sorted; the object is the index into FValues
  std::vector<AnsiString> FValues;     // texts in the order they were first added
};

// The program-wide text store, created on first use and freed at shut-down.
TfrxResources* ReportResources();
// Frees the store; the next use creates it again with the core table.
void FreeReportResources();
// Adds the library's core text table (done when the store is created).
void AddCoreResources(TfrxResources* Resources);

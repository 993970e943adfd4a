// What the tests of the data-aware editors share: an in-memory dataset behind a data source
// and a shown form holding the control under test and a plain edit that takes the focus away
// from it. Each test's fixture makes its own fields and records and places its control.
#pragma once

#include <initializer_list>
#include <memory>
#include <vector>

#include "platform/data/MemDataSet.h"
#include "tests/platform/ui/UiTestKit.h"
#include "tests/support/ControlsGallery.h"

class EhEditorTest : public UiTest {
protected:
  std::unique_ptr<TMemDataSet> Data;
  TDataSource* Source = nullptr;
  TForm* Form = nullptr;
  TEdit* Other = nullptr;

  struct TFieldSpec {
    const char* Name;
    TFieldType Type;
    Integer Size = 0;
  };

  // The dataset of Fields holding Rows, on its first record, behind Source.
  void MakeData(std::initializer_list<TFieldSpec> Fields,
                std::initializer_list<std::vector<Variant>> Rows)
  {
    Data = std::make_unique<TMemDataSet>();
    for (const TFieldSpec& f : Fields)
      Data->FieldDefs()->Add(f.Name, f.Type, f.Size);
    Data->CreateDataSet();
    for (const std::vector<Variant>& row : Rows)
      Data->AppendRecord(row);
    Data->First();
    Source = new TDataSource(nullptr);
    Source->SetDataSet(Data.get());
  }

  // The form, Width x Height at (50, 50), for the control under test.
  void MakeForm(Integer Width, Integer Height)
  {
    Form = new TForm(nullptr);
    Form->SetBounds(50, 50, Width, Height);
  }

  // Places the plain edit at (10, Top), after the control under test.
  void PlaceOther(Integer Top) { Other = gallery::Put<TEdit>(Form, 10, Top, 100, 21); }

  // Shows the form with the focus on Focused (none: where the form puts it).
  void ShowForm(TWinControl* Focused)
  {
    Form->Show();
    if (Focused)
      Focused->SetFocus();
    Headless().ProcessMessages();
  }

  void TearDown() override
  {
    delete Form; // a test may have freed it already
    delete Source;
    Data.reset();
    UiTest::TearDown();
  }
};

// The data-aware grid library's units in the system's unit order. Each unit's
// initialization and finalization is registered here; the classes register themselves at
// the top of their own files.
#include "controls/eh/CalculatorEh.h"
#include "controls/eh/DBCtrlsEh.h"
#include "controls/eh/DBGridEhFindDlg.h"
#include "controls/eh/DBLookupGridsEh.h"
#include "controls/eh/DBSumListProducer.h"
#include "controls/eh/DropDownsEh.h"
#include "controls/eh/EditButtonsEh.h"
#include "controls/eh/EhTexts.h"
#include "controls/eh/GridClipboardEh.h"
#include "controls/eh/PropertyInterceptors.h"
#include "platform/rtl/Units.h"

void InitializeDBGridEhUnit();
void FinalizeDBGridEhUnit();

void RegisterEhUnits()
{
  RegisterUnit("EhTexts", EhTextsInitialization, EhTextsFinalization);
  RegisterUnit("PropertyInterceptors", PropertyInterceptorsInitialization,
               PropertyInterceptorsFinalization);
  RegisterUnit("EditButtonsEh", EditButtonsEhInitialization, EditButtonsEhFinalization);
  RegisterUnit("DropDownsEh", DropDownsEhInitialization, DropDownsEhFinalization);
  RegisterUnit("DBSumListProducer", DBSumListProducerInitialization, nullptr);
  RegisterUnit("GridClipboardEh", GridClipboardEhInitialization, nullptr);
  RegisterUnit("CalculatorEh", CalculatorEhInitialization, nullptr);
  RegisterUnit("DBCtrlsEh", DBCtrlsEhInitialization, nullptr);
  RegisterUnit("DBGridEh", &InitializeDBGridEhUnit, &FinalizeDBGridEhUnit);
  RegisterUnit("DBLookupGridsEh", DBLookupGridsEhInitialization, nullptr);
  RegisterUnit("DBGridEhFindDlgs", InitializeDBGridEhFindDlgUnit, FinalizeDBGridEhFindDlgUnit);
}

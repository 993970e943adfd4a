// Fuzz target "prepared-pages": the input as a prepared report file (TfrxPreviewPages,
// report/engine/frxPreviewPages.h). Pages loaded are rebuilt one by one, saved, loaded
// again and saved once more: both saves must be the same text.
#include "platform/rtl/Streams.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxPreviewPages.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

// Pages rebuilt per input; enough to reach every kind of object without making a file of
// many copied pages slow.
constexpr Integer MaxPagesBuilt = 16;

std::string Save(TfrxPreviewPages* Pages)
{
  TStringStream out;
  Pages->SaveToStream(&out);
  return out.DataString();
}

void FuzzPreparedPages(const std::string& Input)
{
  std::string saved;
  {
    TfrxReport report(nullptr);
    TfrxPreviewPages* pages = report.PreviewPages();
    TStringStream in(Input);
    pages->LoadFromStream(&in);
    for (Integer i = 0; i < pages->PageCount() && i < MaxPagesBuilt; ++i) {
      pages->PageSize(i);
      pages->BuildPage(i);
    }
    saved = Save(pages);
  }
  TfrxReport again(nullptr);
  TStringStream in(saved);
  try {
    again.PreviewPages()->LoadFromStream(&in);
  } catch (const Exception& e) {
    throw EFuzzCheckFailed("saved prepared pages do not load again: " + e.Message());
  }
  FuzzCheck(Save(again.PreviewPages()) == saved,
            "prepared pages saved, loaded and saved again differ");
}

} // namespace

QH_FUZZ_TARGET("prepared-pages", FuzzPreparedPages);

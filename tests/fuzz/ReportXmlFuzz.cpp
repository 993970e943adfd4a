// Fuzz target "report-xml": the input as a report definition (report/engine). First as the
// XML tree every report file is written in (frxXML.h): a tree read is saved, read and saved
// again, and both saves must be the same bytes. Then as a whole report (TfrxReport): a
// report loaded is saved, loaded and saved again, and both saves must be the same text.
#include <memory>

#include "platform/rtl/Streams.h"
#include "report/engine/frxClass.h"
#include "report/engine/frxXML.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

std::string SaveDocument(TfrxXMLDocument& Document)
{
  TStringStream out;
  Document.SaveToStream(&out);
  return out.DataString();
}

void TreeRoundTrip(const std::string& Input)
{
  std::string saved;
  {
    TfrxXMLDocument document;
    TStringStream in(Input);
    document.LoadFromStream(&in);
    saved = SaveDocument(document);
  }
  TfrxXMLDocument again;
  TStringStream in(saved);
  try {
    again.LoadFromStream(&in);
  } catch (const Exception& e) {
    throw EFuzzCheckFailed("a saved XML tree does not read back: " + e.Message());
  }
  FuzzCheck(SaveDocument(again) == saved, "an XML tree saved, read and saved again differs");
}

std::string SaveReport(TfrxReport& Report)
{
  TStringStream out;
  Report.SaveToStream(&out);
  return out.DataString();
}

void ReportRoundTrip(const std::string& Input)
{
  std::string saved;
  {
    TfrxReport report(nullptr);
    TStringStream in(Input);
    report.LoadFromStream(&in);
    saved = SaveReport(report);
  }
  TfrxReport again(nullptr);
  TStringStream in(saved);
  try {
    again.LoadFromStream(&in);
  } catch (const Exception& e) {
    throw EFuzzCheckFailed("a saved report does not load again: " + e.Message());
  }
  FuzzCheck(SaveReport(again) == saved, "a report saved, loaded and saved again differs");
}

void FuzzReportXml(const std::string& Input)
{
  TreeRoundTrip(Input);
  ReportRoundTrip(Input);
}

} // namespace

QH_FUZZ_TARGET("report-xml", FuzzReportXml, "report-xml/*;report-xml-*");

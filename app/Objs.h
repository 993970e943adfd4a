// The waybill template store: the record RTemplate and the statements on the table
// "templates".
//
//   Id        integer     key; a new row gets the current maximum + 1 (1 in an empty table)
//   BillName  wide text   the name shown in the template list
//   AddTime   date-time   when the template was created
//   ImgName   text        full path of the picture file the template was made from
//   ImgData   blob        the bytes of that file, stored unchanged
//   Billman   text        login id of the operator who created it
//   Temdata   wide text   the layout text (WaybillLayout.h)
//
// The picture is never part of the record; it is read separately when it is shown.
#pragma once

#include <memory>
#include <vector>

#include "app/Database.h"
#include "platform/rtl/Types.h"

class TMemoryStream;
class TPicture;

struct RTemplate {
  Integer Id = 0;
  WideString BillName;
  AnsiString ImgName;
  TDateTime AddTime = 0;
  AnsiString Billman;
  WideString Temdata;
};

using RTemplates = std::vector<RTemplate>;

// Class-level statements (the set itself holds nothing); each returns true when it
// affected (or found) exactly one row. Statement failures raise the database layer's errors.
class TTemplateSet : public TQuerySet {
public:
  using TQuerySet::TQuerySet;

  // Inserts the template with the picture file named by ImgName; Template.Id receives the
  // new key. A picture file that cannot be read raises before anything is written.
  static bool AddTemplate(RTemplate& Template);
  // Writes every field but the picture (the row is found by Id).
  static bool UpdateTemplate(const RTemplate& Template);
  static bool RenameTemplate(const WideString& BillName, Integer Id);
  static bool DeleteTemplate(Integer Id);
  // The stored picture bytes, positioned at 0; no stream when no row has that Id.
  static bool LoadTemplateImage(Integer Id, std::unique_ptr<TMemoryStream>& Stream);
  // Every template, in the database's order.
  static void ListTemplates(RTemplates& Templates);
};

// Decodes the stored picture of template Id into Picture. The decoder follows the stored
// bytes' signature (JPEG, BMP or PNG), whatever Picture held before; other bytes raise
// EInvalidGraphic. False, with Picture unchanged, when no row has that Id.
bool LoadTemplatePicture(Integer Id, TPicture* Picture);

// A data controller as a view would drive it, for the controller's tests: items are column
// objects; every update-information object the controller hands over is logged as one
// line of text; the goods fixture fills ten records.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "controls/cx/data/cxData.h"
#include "platform/rtl/DateUtils.h"
#include "platform/rtl/NumFormat.h"

namespace cxtest {

struct TTestColumn : TObject {
  TTestColumn(Integer AID, const AnsiString& ACaption) : ID(AID), Caption(ACaption) {}
  Integer ID;
  AnsiString Caption;
  bool SortByDisplayText = false;
  bool ValueCompare = false;
};

// An owner whose component state a test sets (loading, reading, destroying).
class TTestOwner : public TComponent {
public:
  TTestOwner() : TComponent(nullptr) {}
  void SetState(TComponentStateElement AState, bool AOn) { SetComponentState(AState, AOn); }
};

inline std::string DescribeInfo(TcxUpdateControlInfo* AInfo)
{
  char buffer[160];
  if (auto* i = dynamic_cast<TcxDataChangedInfo*>(AInfo)) {
    std::snprintf(buffer, sizeof buffer, "Data k=%d i=%d r=%d", i->Kind, i->ItemIndex,
                  i->RecordIndex);
  } else if (dynamic_cast<TcxLayoutChangedInfo*>(AInfo)) {
    return "Layout";
  } else if (auto* i = dynamic_cast<TcxFocusedRowChangedInfo*>(AInfo)) {
    std::snprintf(buffer, sizeof buffer, "FocusedRow %d<-%d", i->FocusedRowIndex,
                  i->PrevFocusedRowIndex);
  } else if (auto* i = dynamic_cast<TcxFocusedRecordChangedInfo*>(AInfo)) {
    std::snprintf(buffer, sizeof buffer, "FocusedRecord r %d<-%d row %d<-%d chg=%d",
                  i->FocusedRecordIndex, i->PrevFocusedRecordIndex, i->FocusedRowIndex,
                  i->PrevFocusedRowIndex, i->PrevFocusChanged ? 1 : 0);
  } else if (auto* i = dynamic_cast<TcxSelectionChangedInfo*>(AInfo)) {
    std::string rows;
    for (Integer n = 0; n < i->Count(); ++n)
      rows += (n ? "," : "") + std::to_string(i->RowIndexes(n));
    return "Selection [" + rows + "]";
  } else if (dynamic_cast<TcxSearchChangedInfo*>(AInfo)) {
    return "Search";
  } else if (dynamic_cast<TcxBookmarkChangedInfo*>(AInfo)) {
    return "Bookmark";
  } else if (auto* i = dynamic_cast<TcxUpdateRecordInfo*>(AInfo)) {
    std::snprintf(buffer, sizeof buffer, "UpdateRecord %d", i->RecordIndex);
  } else {
    return "?";
  }
  return buffer;
}

template <class Base> class TTestControllerOf : public Base {
public:
  explicit TTestControllerOf(TComponent* AOwner) : Base(AOwner)
  {
    this->OnUpdateControl = [this](TcxUpdateControlInfo* AInfo) {
      Log.push_back(DescribeInfo(AInfo));
    };
  }
  ~TTestControllerOf() override = default;

  TTestColumn* AddColumn(const AnsiString& ACaption, TcxValueTypeClass AType)
  {
    Columns.push_back(
        std::make_unique<TTestColumn>(static_cast<Integer>(Columns.size()), ACaption));
    TTestColumn* column = Columns.back().get();
    this->AddItem(column);
    if (AType)
      this->ChangeValueTypeClass(this->GetItemCount() - 1, AType);
    return column;
  }
  Integer ColumnIndex(const AnsiString& ACaption) const
  {
    for (size_t i = 0; i < Columns.size(); ++i)
      if (Columns[i]->Caption == ACaption)
        return this->GetItemIndexOfField(this->Fields()->FindByItem(Columns[i].get()));
    return -1;
  }

  TObject* GetItem(Integer AIndex) override { return this->GetField(AIndex)->Item(); }
  Integer GetItemID(TObject* AItem) override
  {
    return AItem ? static_cast<TTestColumn*>(AItem)->ID : -1;
  }
  void GetItemDisplayName(TObject* AItem, AnsiString& AName) override
  {
    AName = AItem ? static_cast<TTestColumn*>(AItem)->Caption : AnsiString();
  }
  bool GetItemSortByDisplayText(Integer AItemIndex, bool ASortByDisplayText) override
  {
    auto* column = static_cast<TTestColumn*>(this->GetField(AItemIndex)->Item());
    return (column && column->SortByDisplayText) || ASortByDisplayText;
  }
  bool GetItemValueCompare(Integer AItemIndex) override
  {
    auto* column = static_cast<TTestColumn*>(this->GetField(AItemIndex)->Item());
    return column && column->ValueCompare;
  }

  // Fills the records inside one update lock.
  void Fill(const std::vector<std::vector<Variant>>& ARows)
  {
    this->BeginUpdate();
    this->SetRecordCount(static_cast<Integer>(ARows.size()));
    for (size_t r = 0; r < ARows.size(); ++r)
      for (size_t c = 0; c < ARows[r].size(); ++c)
        this->SetValue(static_cast<Integer>(r), static_cast<Integer>(c), ARows[r][c]);
    this->EndUpdate();
  }

  // The logged lines since the last call, joined by " | ".
  std::string TakeLog()
  {
    std::string out;
    for (const std::string& line : Log)
      out += (out.empty() ? "" : " | ") + line;
    Log.clear();
    return out;
  }

  // The values of one column in row order (data rows only), as texts.
  std::string RowTexts(Integer AItemIndex)
  {
    std::string out;
    for (Integer row = 0; row < this->RowCount(); ++row) {
      TcxDataRowInfo info = this->GetRowInfo(row);
      if (!out.empty())
        out += ',';
      if (info.Level < this->Groups()->GroupingItemCount()) {
        Integer item = AItemIndex;
        AnsiString text;
        this->GetRowDisplayText(info, item, text);
        out += "[" + text + "]";
      } else {
        out += this->DisplayText(info.RecordIndex, AItemIndex);
      }
    }
    return out;
  }

  std::vector<std::unique_ptr<TTestColumn>> Columns;
  std::vector<std::string> Log;
};

using TTestDataController = TTestControllerOf<TcxDataController>;

inline std::unique_ptr<TTestDataController> NewController(TComponent* AOwner = nullptr)
{
  return std::unique_ptr<TTestDataController>(
      TcxCustomDataController::Create<TTestDataController>(AOwner));
}

// The goods records: Id, Name, Price, Qty, Sold, Cat, Flag.
enum TGoodsColumn { gcId, gcName, gcPrice, gcQty, gcSold, gcCat, gcFlag };

inline Variant Day(Integer AYear, Integer AMonth, Integer ADay, Integer AHour = 0,
                   Integer AMinute = 0, Integer ASecond = 0)
{
  return VarFromDateTime(EncodeDateTime(AYear, AMonth, ADay, AHour, AMinute, ASecond, 0));
}

inline Variant Money(const char* AText)
{
  return Variant(StrToCurr(AText, InvariantFormatSettings()));
}

inline void AddGoodsColumns(TTestDataController& C)
{
  C.AddColumn("Id", TcxIntegerValueType::Class());
  C.AddColumn("Name", TcxStringValueType::Class());
  C.AddColumn("Price", TcxCurrencyValueType::Class());
  C.AddColumn("Qty", TcxIntegerValueType::Class());
  C.AddColumn("Sold", TcxDateTimeValueType::Class());
  C.AddColumn("Cat", TcxStringValueType::Class());
  C.AddColumn("Flag", TcxBooleanValueType::Class());
}

inline std::vector<std::vector<Variant>> GoodsRows()
{
  return {
      {1, "Apple", Money("1.20"), 10, Day(2024, 1, 15, 9, 30), "A", true},
      {2, "Banana", Money("0.50"), Null(), Day(2024, 1, 14), "A", false},
      {3, "apricot", Money("2.00"), 5, Day(2024, 1, 8), "B", true},
      {4, "Cherry", Money("5.25"), 0, Null(), "B", Null()},
      {5, Null(), Money("3.00"), 7, Day(2023, 12, 31, 23, 59, 59), "C", false},
      {6, "", Money("1.20"), 3, Day(2024, 1, 16), "A", true},
      {7, "O'Brien", Money("9.99"), 1, Day(2024, 2, 1), "C", false},
      {8, "张三", Money("4.00"), 2, Day(2024, 1, 15), "B", true},
      {9, "亂碼", Money("4.00"), 2, Day(2024, 1, 10), "B", true},
      {10, "apple", Money("1.20"), 10, Day(2024, 1, 15), "A", true},
  };
}

inline std::unique_ptr<TTestDataController> NewGoods(TComponent* AOwner = nullptr)
{
  auto c = NewController(AOwner);
  AddGoodsColumns(*c);
  c->Fill(GoodsRows());
  c->Log.clear();
  return c;
}

} // namespace cxtest

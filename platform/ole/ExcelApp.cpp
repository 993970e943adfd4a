// The workbook automation object; see ExcelApp.h.
#include "platform/ole/ExcelApp.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <map>
#include <memory>
#include <set>

#include <xlsxwriter.h>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Pictures.h"
#include "platform/ole/ComObj.h"
#include "platform/rtl/Codec.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/NumFormat.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/ShellAPI.h"

namespace {

const char* const ServerName = "Excel.Application";

// Border bits in the order of the edges' constants 7 (left), 8 (top), 9 (bottom), 10
// (right).
enum : unsigned { bLeft = 1, bTop = 2, bBottom = 4, bRight = 8 };

struct TXlsStyle {
  bool Bold = false, Italic = false, Underline = false;
  AnsiString FontName = "Arial";
  Double FontSize = 10;
  Integer FontColor = -1; // 0xRRGGBB, -1 automatic
  Integer Fill = -1;      // 0xRRGGBB, -1 none
  Integer HAlign = 0, VAlign = 0;
};

struct TXlsCell {
  bool HasText = false;
  AnsiString Text;
  AnsiString Style; // lower case; empty: none
  unsigned Borders = 0;
  bool Wrap = false;
};

struct TXlsPicture {
  Integer Row = 0, Column = 0;
  std::string Png;
  Integer PixelWidth = 1, PixelHeight = 1;
  Double Width = -1, Height = -1; // points; -1 the picture's own size
};

struct TXlsSheet {
  AnsiString Name;
  std::map<std::pair<Integer, Integer>, TXlsCell> Cells; // (row, column), zero-based
  std::vector<std::array<Integer, 4>> Merges;            // first row, column, last row, column
  std::map<Integer, Double> ColumnWidths, RowHeights;    // zero-based
  std::set<Integer> PageBreaks;                          // 1-based rows with a break above
  Double Margins[4] = {-1, -1, -1, -1};                  // left, right, top, bottom (points)
  bool Landscape = false;
  bool WrapAll = false;
  std::vector<TXlsPicture> Pictures;
};

struct TXlsWorkbook {
  std::vector<std::unique_ptr<TXlsSheet>> Sheets;
  std::map<AnsiString, TXlsStyle> Styles; // lower-case names
};

struct TXlsApplication {
  std::vector<std::shared_ptr<TXlsWorkbook>> Books;
  bool Visible = false;
  bool Quit = false;
  AnsiString LastSaved;
};

AnsiString Lower(AnsiString s)
{
  std::transform(s.begin(), s.end(), s.begin(), [](char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  });
  return s;
}

// A colour value as the file takes it: 0xRRGGBB, or -1 for none.
Integer RgbOf(const Variant& Value)
{
  const auto c = static_cast<TColor>(Value.AsInteger());
  if (c == clNone)
    return -1;
  const auto rgb = static_cast<uint32_t>(ColorToRGB(c)) & 0xFFFFFF;
  return static_cast<Integer>(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | (rgb >> 16));
}

[[noreturn]] void Fail(const AnsiString& Message)
{
  throw EOleException(Message, E_FAIL_OLE, ServerName);
}

Variant Disp(IDispatch* Obj)
{
  return VarFromDispatch(Obj);
}

// ---- Objects ----

class TXlsFont : public TAutoDispatch {
public:
  TXlsFont(std::shared_ptr<TXlsWorkbook> Book, AnsiString Style)
      : FBook(std::move(Book)), FStyle(std::move(Style))
  {
    PutOnly("Bold", [this](const Variant& v) { S().Bold = v.AsBoolean(); });
    PutOnly("Italic", [this](const Variant& v) { S().Italic = v.AsBoolean(); });
    PutOnly("Underline", [this](const Variant& v) { S().Underline = v.AsBoolean(); });
    PutOnly("Name", [this](const Variant& v) { S().FontName = v.AsString(); });
    PutOnly("Size", [this](const Variant& v) { S().FontSize = v.AsDouble(); });
    PutOnly("Color", [this](const Variant& v) { S().FontColor = RgbOf(v); });
  }

private:
  TXlsStyle& S() { return FBook->Styles[FStyle]; }
  std::shared_ptr<TXlsWorkbook> FBook;
  AnsiString FStyle;
};

class TXlsInterior : public TAutoDispatch {
public:
  TXlsInterior(std::shared_ptr<TXlsWorkbook> Book, AnsiString Style)
      : FBook(std::move(Book)), FStyle(std::move(Style))
  {
    PutOnly("Color", [this](const Variant& v) { FBook->Styles[FStyle].Fill = RgbOf(v); });
  }

private:
  std::shared_ptr<TXlsWorkbook> FBook;
  AnsiString FStyle;
};

class TXlsStyleObject : public TAutoDispatch {
public:
  TXlsStyleObject(std::shared_ptr<TXlsWorkbook> Book, AnsiString Style)
      : FBook(std::move(Book)), FStyle(std::move(Style))
  {
    Getter("Font", [this] { return Disp(new TXlsFont(FBook, FStyle)); });
    Getter("Interior", [this] { return Disp(new TXlsInterior(FBook, FStyle)); });
    PutOnly("HorizontalAlignment",
            [this](const Variant& v) { FBook->Styles[FStyle].HAlign = v.AsInteger(); });
    PutOnly("VerticalAlignment",
            [this](const Variant& v) { FBook->Styles[FStyle].VAlign = v.AsInteger(); });
  }

private:
  std::shared_ptr<TXlsWorkbook> FBook;
  AnsiString FStyle;
};

class TXlsStyles : public TAutoDispatch {
public:
  explicit TXlsStyles(std::shared_ptr<TXlsWorkbook> Book) : FBook(std::move(Book))
  {
    Member("Add", [this](Integer, const std::vector<Variant>& Args) {
      const AnsiString name = Lower(StrArg(Args, 0));
      if (name.empty() || FBook->Styles.count(name))
        Fail("A style of that name exists already");
      FBook->Styles[name] = TXlsStyle();
      return Disp(new TXlsStyleObject(FBook, name));
    });
  }

private:
  std::shared_ptr<TXlsWorkbook> FBook;
};

struct TXlsArea {
  std::shared_ptr<TXlsWorkbook> Book;
  TXlsSheet* Sheet = nullptr;
  Integer Row1 = 0, Column1 = 0, Row2 = 0, Column2 = 0;
  bool WholeSheet = false;

  template <class F> void ForEach(F Fn) const
  {
    for (Integer r = Row1; r <= Row2; ++r)
      for (Integer c = Column1; c <= Column2; ++c)
        Fn(Sheet->Cells[{r, c}], r, c);
  }
};

class TXlsBorder : public TAutoDispatch {
public:
  TXlsBorder(TXlsArea Area, Integer Edge) : FArea(std::move(Area)), FEdge(Edge)
  {
    PutOnly("LineStyle", [this](const Variant& v) {
      const bool on = v.AsInteger() != -4142; // xlLineStyleNone
      const unsigned bit = FEdge == 7 ? bLeft : FEdge == 8 ? bTop : FEdge == 9 ? bBottom : bRight;
      FArea.ForEach([&](TXlsCell& Cell, Integer r, Integer c) {
        const bool edge = (bit == bLeft && c == FArea.Column1) ||
                          (bit == bRight && c == FArea.Column2) ||
                          (bit == bTop && r == FArea.Row1) || (bit == bBottom && r == FArea.Row2);
        if (edge)
          Cell.Borders = on ? Cell.Borders | bit : Cell.Borders & ~bit;
      });
    });
  }

private:
  TXlsArea FArea;
  Integer FEdge;
};

class TXlsBorders : public TAutoDispatch {
public:
  explicit TXlsBorders(TXlsArea Area) : FArea(std::move(Area))
  {
    Member("Item", [this](Integer, const std::vector<Variant>& Args) {
      const Integer edge = IntArg(Args, 0);
      if (edge < 7 || edge > 10)
        throw EOleSysError("Invalid index", DISP_E_BADINDEX);
      return Disp(new TXlsBorder(FArea, edge));
    });
  }

private:
  TXlsArea FArea;
};

class TXlsRange : public TAutoDispatch {
public:
  explicit TXlsRange(TXlsArea Area) : FArea(std::move(Area))
  {
    Getter("Cells", [this] { return Disp(new TXlsRange(FArea)); });
    Getter("Borders", [this] { return Disp(new TXlsBorders(FArea)); });
    PutOnly("Style", [this](const Variant& v) {
      const AnsiString name = Lower(v.AsString());
      if (!FArea.Book->Styles.count(name))
        Fail("Unknown style: " + v.AsString());
      FArea.ForEach([&](TXlsCell& Cell, Integer, Integer) { Cell.Style = name; });
    });
    PutOnly("MergeCells", [this](const Variant& v) {
      if (v.AsBoolean() && (FArea.Row2 > FArea.Row1 || FArea.Column2 > FArea.Column1))
        FArea.Sheet->Merges.push_back({FArea.Row1, FArea.Column1, FArea.Row2, FArea.Column2});
    });
    PutOnly("WrapText", [this](const Variant& v) {
      if (FArea.WholeSheet)
        FArea.Sheet->WrapAll = v.AsBoolean();
      else
        FArea.ForEach([&](TXlsCell& Cell, Integer, Integer) { Cell.Wrap = v.AsBoolean(); });
    });
    PutOnly("Value", [this](const Variant& v) { SetValue(v); });
    Member("Select", [](Integer, const std::vector<Variant>&) { return Variant(); });
    Member("PasteSpecial", [this](Integer, const std::vector<Variant>&) {
      TBitmap bmp;
      try {
        bmp.Assign(Clipboard());
      } catch (const Exception&) {
        Fail("The clipboard holds no picture");
      }
      TPngImage png;
      png.Assign(&bmp);
      TXlsPicture pic;
      pic.Row = FArea.Row1;
      pic.Column = FArea.Column1;
      pic.Png = png.SaveToBytes();
      pic.PixelWidth = std::max<Integer>(bmp.Width(), 1);
      pic.PixelHeight = std::max<Integer>(bmp.Height(), 1);
      FArea.Sheet->Pictures.push_back(std::move(pic));
      return Variant();
    });
  }

private:
  void SetText(Integer Row, Integer Column, const Variant& Value)
  {
    if (VarIsEmpty(Value) || VarIsNull(Value))
      return;
    TXlsCell& cell = FArea.Sheet->Cells[{Row, Column}];
    cell.Text = VarToStr(Value);
    cell.HasText = true;
  }

  void SetValue(const Variant& Value)
  {
    if (VarArrayDimCount(Value) == 2) {
      const Integer l1 = VarArrayLowBound(Value, 1), h1 = VarArrayHighBound(Value, 1);
      const Integer l2 = VarArrayLowBound(Value, 2), h2 = VarArrayHighBound(Value, 2);
      for (Integer i = l1; i <= h1 && FArea.Row1 + i - l1 <= FArea.Row2; ++i)
        for (Integer j = l2; j <= h2 && FArea.Column1 + j - l2 <= FArea.Column2; ++j)
          SetText(FArea.Row1 + i - l1, FArea.Column1 + j - l2, VarArrayGet(Value, {i, j}));
    } else if (VarIsArray(Value)) {
      Fail("Only two-dimensional arrays are taken");
    } else {
      for (Integer r = FArea.Row1; r <= FArea.Row2; ++r)
        for (Integer c = FArea.Column1; c <= FArea.Column2; ++c)
          SetText(r, c, Value);
    }
  }

  TXlsArea FArea;
};

// A row or column of a sheet (Index zero-based).
class TXlsLine : public TAutoDispatch {
public:
  TXlsLine(std::shared_ptr<TXlsWorkbook> Book, TXlsSheet* Sheet, bool Row, Integer Index)
      : FBook(std::move(Book)), FSheet(Sheet), FIndex(Index)
  {
    if (Row) {
      PutOnly("RowHeight", [this](const Variant& v) {
        FSheet->RowHeights[FIndex] = std::clamp<Double>(v.AsDouble(), 0, 409);
      });
      PutOnly("PageBreak", [this](const Variant& v) {
        if (v.AsInteger() == -4135) // xlPageBreakManual
          FSheet->PageBreaks.insert(FIndex + 1);
        else
          FSheet->PageBreaks.erase(FIndex + 1);
      });
    } else {
      PutOnly("ColumnWidth", [this](const Variant& v) {
        FSheet->ColumnWidths[FIndex] = std::clamp<Double>(v.AsDouble(), 0, 255);
      });
    }
  }

private:
  std::shared_ptr<TXlsWorkbook> FBook;
  TXlsSheet* FSheet;
  Integer FIndex;
};

// Rows or Columns of a sheet: called with a number it gives that row or column.
class TXlsLines : public TAutoDispatch {
public:
  TXlsLines(std::shared_ptr<TXlsWorkbook> Book, TXlsSheet* Sheet, bool Row)
      : FBook(std::move(Book)), FSheet(Sheet), FRow(Row)
  {
    auto item = [this](Integer, const std::vector<Variant>& Args) { return Line(IntArg(Args, 0)); };
    Member(Row ? "Rows" : "Columns", item);
    Member("Item", item);
  }

  Variant Line(Integer N)
  {
    if (N < 1 || N > (FRow ? 1048576 : 16384))
      throw EOleSysError("Invalid index", DISP_E_BADINDEX);
    return Disp(new TXlsLine(FBook, FSheet, FRow, N - 1));
  }

private:
  std::shared_ptr<TXlsWorkbook> FBook;
  TXlsSheet* FSheet;
  bool FRow;
};

class TXlsPictureObject : public TAutoDispatch {
public:
  TXlsPictureObject(std::shared_ptr<TXlsWorkbook> Book, TXlsSheet* Sheet, size_t Index)
      : FBook(std::move(Book)), FSheet(Sheet), FIndex(Index)
  {
    PutOnly("Width", [this](const Variant& v) { FSheet->Pictures[FIndex].Width = v.AsDouble(); });
    PutOnly("Height", [this](const Variant& v) { FSheet->Pictures[FIndex].Height = v.AsDouble(); });
  }

private:
  std::shared_ptr<TXlsWorkbook> FBook;
  TXlsSheet* FSheet;
  size_t FIndex;
};

class TXlsPageSetup : public TAutoDispatch {
public:
  TXlsPageSetup(std::shared_ptr<TXlsWorkbook> Book, TXlsSheet* Sheet)
      : FBook(std::move(Book)), FSheet(Sheet)
  {
    const char* const names[] = {"LeftMargin", "RightMargin", "TopMargin", "BottomMargin"};
    for (Integer i = 0; i < 4; ++i)
      PutOnly(names[i], [this, i](const Variant& v) {
        const Double points = v.AsDouble();
        if (points < 0)
          Fail("A margin cannot be negative");
        FSheet->Margins[i] = points;
      });
    PutOnly("Orientation", [this](const Variant& v) { FSheet->Landscape = v.AsInteger() == 2; });
  }

private:
  std::shared_ptr<TXlsWorkbook> FBook;
  TXlsSheet* FSheet;
};

class TXlsWorksheet : public TAutoDispatch {
public:
  TXlsWorksheet(std::shared_ptr<TXlsWorkbook> Book, TXlsSheet* Sheet)
      : FBook(std::move(Book)), FSheet(Sheet)
  {
    Getter("Name", [this] { return Variant(FSheet->Name); });
    Member("Range", [this](Integer, const std::vector<Variant>& Args) {
      TXlsArea area{FBook, FSheet};
      if (!XlsParseCellName(StrArg(Args, 0), area.Column1, area.Row1))
        Fail("Not a cell name: " + StrArg(Args, 0));
      area.Column2 = area.Column1;
      area.Row2 = area.Row1;
      if (Args.size() > 1 && !XlsParseCellName(StrArg(Args, 1), area.Column2, area.Row2))
        Fail("Not a cell name: " + StrArg(Args, 1));
      if (area.Row2 < area.Row1)
        std::swap(area.Row1, area.Row2);
      if (area.Column2 < area.Column1)
        std::swap(area.Column1, area.Column2);
      return Disp(new TXlsRange(area));
    });
    Getter("Cells", [this] {
      // The whole sheet, as far as it has cells.
      TXlsArea area{FBook, FSheet};
      area.WholeSheet = true;
      area.Row2 = area.Column2 = -1;
      for (const auto& [pos, cell] : FSheet->Cells) {
        area.Row2 = std::max(area.Row2, pos.first);
        area.Column2 = std::max(area.Column2, pos.second);
      }
      return Disp(new TXlsRange(area));
    });
    auto lines = [this](bool Row) {
      return [this, Row](Integer, const std::vector<Variant>& Args) {
        auto* obj = new TXlsLines(FBook, FSheet, Row);
        Variant holder = Disp(obj);
        return Args.empty() ? holder : obj->Line(IntArg(Args, 0));
      };
    };
    Member("Rows", lines(true));
    Member("Columns", lines(false));
    Member("Pictures", [this](Integer, const std::vector<Variant>& Args) {
      const Integer k = IntArg(Args, 0);
      if (k < 1 || static_cast<size_t>(k) > FSheet->Pictures.size())
        throw EOleSysError("Invalid index", DISP_E_BADINDEX);
      return Disp(new TXlsPictureObject(FBook, FSheet, static_cast<size_t>(k - 1)));
    });
    Getter("PageSetup", [this] { return Disp(new TXlsPageSetup(FBook, FSheet)); });
  }

private:
  std::shared_ptr<TXlsWorkbook> FBook;
  TXlsSheet* FSheet;
};

void SaveWorkbook(const TXlsWorkbook& Book, const AnsiString& FileName);

class TXlsWorkbookObject : public TAutoDispatch {
public:
  TXlsWorkbookObject(std::shared_ptr<TXlsApplication> App, std::shared_ptr<TXlsWorkbook> Book)
      : FApp(std::move(App)), FBook(std::move(Book))
  {
    Member("WorkSheets", [this](Integer, const std::vector<Variant>& Args) {
      const Integer n = IntArg(Args, 0);
      if (n < 1 || static_cast<size_t>(n) > FBook->Sheets.size())
        throw EOleSysError("Invalid index", DISP_E_BADINDEX);
      return Disp(new TXlsWorksheet(FBook, FBook->Sheets[static_cast<size_t>(n - 1)].get()));
    });
    Getter("Styles", [this] { return Disp(new TXlsStyles(FBook)); });
    Member("SaveAs", [this](Integer, const std::vector<Variant>& Args) {
      if (FApp->Quit)
        Fail("The application has quit");
      const AnsiString name = StrArg(Args, 0);
      SaveWorkbook(*FBook, name);
      FApp->LastSaved = name;
      if (FApp->Visible)
        ShellOpen(name, {stFile});
      return Variant();
    });
  }

private:
  std::shared_ptr<TXlsApplication> FApp;
  std::shared_ptr<TXlsWorkbook> FBook;
};

class TXlsWorkbooks : public TAutoDispatch {
public:
  explicit TXlsWorkbooks(std::shared_ptr<TXlsApplication> App) : FApp(std::move(App))
  {
    Member("Add", [this](Integer, const std::vector<Variant>&) {
      auto book = std::make_shared<TXlsWorkbook>();
      auto sheet = std::make_unique<TXlsSheet>();
      sheet->Name = "Sheet1";
      book->Sheets.push_back(std::move(sheet));
      FApp->Books.push_back(book);
      return Disp(new TXlsWorkbookObject(FApp, book));
    });
  }

private:
  std::shared_ptr<TXlsApplication> FApp;
};

class TXlsApplicationObject : public TAutoDispatch {
public:
  TXlsApplicationObject() : FApp(std::make_shared<TXlsApplication>())
  {
    Getter("Application", [this] { return Disp(this); });
    for (const char* flag : {"EnableEvents", "EnableAutoComplete", "EnableAnimations",
                             "ScreenUpdating", "Interactive", "DisplayAlerts"})
      Member(flag, [](Integer Flags, const std::vector<Variant>&) {
        return (Flags & DISPATCH_PROPERTYPUT) ? Variant() : Variant(true);
      });
    Member("Visible", [this](Integer Flags, const std::vector<Variant>& Args) {
      if (!(Flags & DISPATCH_PROPERTYPUT))
        return Variant(FApp->Visible);
      FApp->Visible = PutValue(Args).AsBoolean();
      if (FApp->Visible && !FApp->LastSaved.empty())
        ShellOpen(FApp->LastSaved, {stFile});
      return Variant();
    });
    Getter("WorkBooks", [this] { return Disp(new TXlsWorkbooks(FApp)); });
    Getter("ActiveWorkbook", [this] { return Disp(new TXlsWorkbookObject(FApp, Active())); });
    Getter("ActiveSheet",
           [this] { return Disp(new TXlsWorksheet(Active(), Active()->Sheets[0].get())); });
    Member("Quit", [this](Integer, const std::vector<Variant>&) {
      FApp->Books.clear();
      FApp->Quit = true;
      return Variant();
    });
  }

private:
  std::shared_ptr<TXlsWorkbook> Active()
  {
    if (FApp->Books.empty() || FApp->Quit)
      Fail("No workbook is open");
    return FApp->Books.back();
  }

  std::shared_ptr<TXlsApplication> FApp;
};

// ---- Writing ----

struct TFormatKey {
  AnsiString Style;
  unsigned Borders;
  bool Wrap;
  bool operator<(const TFormatKey& o) const
  {
    return std::tie(Style, Borders, Wrap) < std::tie(o.Style, o.Borders, o.Wrap);
  }
};

class TXlsxWriter {
public:
  TXlsxWriter(const TXlsWorkbook& Book, const std::string& OsName) : FBook(Book)
  {
    FWorkbook = workbook_new(OsName.c_str());
    if (!FWorkbook)
      Fail("Cannot create the workbook file");
  }
  ~TXlsxWriter()
  {
    if (FWorkbook) {
      // A failed save still releases what the library holds.
      workbook_close(FWorkbook);
    }
  }

  void Write()
  {
    for (const auto& sheet : FBook.Sheets)
      WriteSheet(*sheet);
    const lxw_error error = workbook_close(FWorkbook);
    FWorkbook = nullptr;
    if (error != LXW_NO_ERROR)
      Fail(AnsiString("The workbook could not be written: ") + lxw_strerror(error));
  }

private:
  lxw_format* Format(const TFormatKey& Key)
  {
    if (Key.Style.empty() && Key.Borders == 0 && !Key.Wrap)
      return nullptr;
    if (auto it = FFormats.find(Key); it != FFormats.end())
      return it->second;
    lxw_format* f = workbook_add_format(FWorkbook);
    if (auto it = FBook.Styles.find(Key.Style); it != FBook.Styles.end()) {
      const TXlsStyle& s = it->second;
      FNames.push_back(GbkToUtf8(s.FontName));
      format_set_font_name(f, FNames.back().c_str());
      format_set_font_size(f, s.FontSize);
      if (s.Bold)
        format_set_bold(f);
      if (s.Italic)
        format_set_italic(f);
      if (s.Underline)
        format_set_underline(f, LXW_UNDERLINE_SINGLE);
      if (s.FontColor >= 0)
        format_set_font_color(f, static_cast<lxw_color_t>(s.FontColor));
      if (s.Fill >= 0) {
        format_set_pattern(f, LXW_PATTERN_SOLID);
        format_set_bg_color(f, static_cast<lxw_color_t>(s.Fill));
      }
      switch (s.HAlign) {
      case -4131:
        format_set_align(f, LXW_ALIGN_LEFT);
        break;
      case -4152:
        format_set_align(f, LXW_ALIGN_RIGHT);
        break;
      case -4108:
        format_set_align(f, LXW_ALIGN_CENTER);
        break;
      case -4130:
        format_set_align(f, LXW_ALIGN_JUSTIFY);
        break;
      default:
        break;
      }
      switch (s.VAlign) {
      case -4160:
        format_set_align(f, LXW_ALIGN_VERTICAL_TOP);
        break;
      case -4107:
        format_set_align(f, LXW_ALIGN_VERTICAL_BOTTOM);
        break;
      case -4108:
        format_set_align(f, LXW_ALIGN_VERTICAL_CENTER);
        break;
      default:
        break;
      }
    }
    if (Key.Borders & bLeft)
      format_set_left(f, LXW_BORDER_THIN);
    if (Key.Borders & bTop)
      format_set_top(f, LXW_BORDER_THIN);
    if (Key.Borders & bBottom)
      format_set_bottom(f, LXW_BORDER_THIN);
    if (Key.Borders & bRight)
      format_set_right(f, LXW_BORDER_THIN);
    if (Key.Wrap)
      format_set_text_wrap(f);
    FFormats.emplace(Key, f);
    return f;
  }

  void WriteSheet(const TXlsSheet& Sheet)
  {
    const std::string name = GbkToUtf8(Sheet.Name);
    lxw_worksheet* ws = workbook_add_worksheet(FWorkbook, name.c_str());
    if (!ws)
      Fail("Cannot add the worksheet");
    for (const auto& [c, w] : Sheet.ColumnWidths)
      worksheet_set_column(ws, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), w, nullptr);
    for (const auto& [r, h] : Sheet.RowHeights)
      worksheet_set_row(ws, static_cast<lxw_row_t>(r), h, nullptr);
    // Merged blocks: one format for the block, with every border side its cells have.
    std::set<std::pair<Integer, Integer>> covered;
    for (const auto& m : Sheet.Merges) {
      bool overlaps = false;
      for (Integer r = m[0]; r <= m[2]; ++r)
        for (Integer c = m[1]; c <= m[3]; ++c)
          overlaps = overlaps || covered.count({r, c});
      if (overlaps)
        continue; // the file format refuses overlapping merges
      unsigned borders = 0;
      for (Integer r = m[0]; r <= m[2]; ++r)
        for (Integer c = m[1]; c <= m[3]; ++c) {
          covered.insert({r, c});
          if (auto it = Sheet.Cells.find({r, c}); it != Sheet.Cells.end())
            borders |= it->second.Borders;
        }
      TXlsCell first;
      if (auto it = Sheet.Cells.find({m[0], m[1]}); it != Sheet.Cells.end())
        first = it->second;
      const std::string text = GbkToUtf8(first.Text);
      lxw_format* f = Format({first.Style, borders, first.Wrap || Sheet.WrapAll});
      Check(worksheet_merge_range(ws, static_cast<lxw_row_t>(m[0]), static_cast<lxw_col_t>(m[1]),
                                  static_cast<lxw_row_t>(m[2]), static_cast<lxw_col_t>(m[3]),
                                  text.c_str(), f));
    }
    for (const auto& [pos, cell] : Sheet.Cells) {
      if (covered.count(pos))
        continue;
      lxw_format* f = Format({cell.Style, cell.Borders, cell.Wrap || Sheet.WrapAll});
      const auto r = static_cast<lxw_row_t>(pos.first);
      const auto c = static_cast<lxw_col_t>(pos.second);
      if (cell.HasText && !cell.Text.empty()) {
        const std::string text = GbkToUtf8(cell.Text);
        Check(worksheet_write_string(ws, r, c, text.c_str(), f));
      } else if (f) {
        Check(worksheet_write_blank(ws, r, c, f));
      }
    }
    for (const TXlsPicture& pic : Sheet.Pictures) {
      lxw_image_options options{};
      options.x_scale = pic.Width < 0 ? 1 : pic.Width * 4 / 3 / pic.PixelWidth;
      options.y_scale = pic.Height < 0 ? 1 : pic.Height * 4 / 3 / pic.PixelHeight;
      Check(worksheet_insert_image_buffer_opt(
          ws, static_cast<lxw_row_t>(pic.Row), static_cast<lxw_col_t>(pic.Column),
          reinterpret_cast<const unsigned char*>(pic.Png.data()), pic.Png.size(), &options));
    }
    std::vector<lxw_row_t> breaks;
    for (Integer row : Sheet.PageBreaks)
      if (row > 1 && breaks.size() < 1023)
        breaks.push_back(static_cast<lxw_row_t>(row - 1));
    if (!breaks.empty()) {
      breaks.push_back(0);
      Check(worksheet_set_h_pagebreaks(ws, breaks.data()));
    }
    const Double defaults[4] = {0.7, 0.7, 0.75, 0.75};
    Double inches[4];
    for (Integer i = 0; i < 4; ++i)
      inches[i] = Sheet.Margins[i] < 0 ? defaults[i] : Sheet.Margins[i] / 72;
    worksheet_set_margins(ws, inches[0], inches[1], inches[2], inches[3]);
    if (Sheet.Landscape)
      worksheet_set_landscape(ws);
  }

  static void Check(lxw_error Error)
  {
    if (Error != LXW_NO_ERROR)
      Fail(AnsiString("The workbook could not be written: ") + lxw_strerror(Error));
  }

  const TXlsWorkbook& FBook;
  lxw_workbook* FWorkbook = nullptr;
  std::map<TFormatKey, lxw_format*> FFormats;
  std::vector<std::string> FNames; // font names the formats point at
};

void SaveWorkbook(const TXlsWorkbook& Book, const AnsiString& FileName)
{
  if (FileName.empty())
    Fail("No file name");
  const AnsiString temp =
      ExtractFilePath(ExpandFileName(FileName)) + "~$" + ExtractFileName(FileName) + ".partial";
  try {
    TXlsxWriter writer(Book, ToOsFileName(temp));
    writer.Write();
  } catch (...) {
    DeleteFile(temp);
    throw;
  }
  if (std::rename(ToOsFileName(temp).c_str(), ToOsFileName(FileName).c_str()) != 0) {
    DeleteFile(temp);
    Fail("Cannot replace " + FileName);
  }
}

} // namespace

AnsiString XlsColumnLetters(Integer Column)
{
  AnsiString s;
  for (Integer n = Column; n > 0; n = (n - 1) / 26)
    s.insert(s.begin(), static_cast<char>('A' + (n - 1) % 26));
  return s;
}

bool XlsParseCellName(const AnsiString& Name, Integer& Column, Integer& Row)
{
  size_t i = 0;
  Int64 col = 0, row = 0;
  while (i < Name.size() && std::isalpha(static_cast<unsigned char>(Name[i])) && col <= 16384)
    col = col * 26 + (std::toupper(static_cast<unsigned char>(Name[i++])) - 'A' + 1);
  const size_t letters = i;
  while (i < Name.size() && std::isdigit(static_cast<unsigned char>(Name[i])) && row <= 1048576)
    row = row * 10 + (Name[i++] - '0');
  if (letters == 0 || i == letters || i != Name.size() || col < 1 || col > 16384 || row < 1 ||
      row > 1048576)
    return false;
  Column = static_cast<Integer>(col - 1);
  Row = static_cast<Integer>(row - 1);
  return true;
}

void RegisterExcelApplication()
{
  RegisterOleClass(ServerName, [] { return new TXlsApplicationObject(); });
}

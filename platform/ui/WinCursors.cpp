// Cursors: the cursor shown, the pictures of the platform's own cursors (dragging, no drop,
// the splitters, multiple drag, database wait) under their standard numbers, cursors made
// from a picture, and named cursor pictures libraries register and load. Windows.h
// describes the interface; a display backend asks CursorPicture what to show.
#include <algorithm>
#include <map>

#include "platform/ui/WindowsPrivate.h"

using namespace wm;

namespace {

// Our pictures of the cursors the platform draws itself. Rows of characters: '#' black,
// '.' white, ' ' transparent, '~' inverse of the screen.
struct TBuiltInCursor {
  HCURSOR Id;
  TPoint HotSpot;
  std::vector<AnsiString> Rows;
};

// The arrow every dragging cursor starts from.
const std::vector<AnsiString>& Arrow()
{
  static const std::vector<AnsiString> rows = {
      "#           ", "##          ", "#.#         ", "#..#        ", "#...#       ",
      "#....#      ", "#.....#     ", "#......#    ", "#.......#   ", "#........#  ",
      "#.....##### ", "#..#..#     ", "#.# #..#    ", "##  #..#    ", "#    #..#   ",
      "     #..#   ", "      ##    "};
  return rows;
}

// The arrow with a picture drawn below and to the right of it.
std::vector<AnsiString> ArrowWith(const std::vector<AnsiString>& extra, Integer left, Integer top)
{
  std::vector<AnsiString> rows = Arrow();
  std::size_t width = 0;
  for (const AnsiString& r : extra)
    width = std::max(width, r.size());
  width += std::size_t(left);
  rows.resize(std::max(rows.size(), std::size_t(top) + extra.size()));
  for (AnsiString& r : rows)
    r.resize(std::max(r.size(), width), ' ');
  for (std::size_t i = 0; i < extra.size(); ++i)
    for (std::size_t j = 0; j < extra[i].size(); ++j)
      if (extra[i][j] != ' ')
        rows[std::size_t(top) + i][std::size_t(left) + j] = extra[i][j];
  for (AnsiString& r : rows)
    r.resize(width, ' ');
  return rows;
}

const std::vector<TBuiltInCursor>& BuiltInCursors()
{
  static const std::vector<TBuiltInCursor> cursors = [] {
    const std::vector<AnsiString> page = {"#########", "#.......#", "#.#####.#", "#.......#",
                                          "#.####..#", "#.......#", "#########"};
    const std::vector<AnsiString> pages = {"  #########", "  #.......#", "#########.#",
                                           "#.......#.#", "#.#####.#.#", "#.......#.#",
                                           "#.####..###", "#.......#  ", "#########  "};
    const std::vector<AnsiString> noEntry = {
        "   #####   ", "  #.....#  ", " #..###..# ", "#..#  ##..#", "#.#  ##.#.#", "#.# ##  #.#",
        "#.###  #.# ", "#..#  #..# ", " #..###..# ", "  #.....#  ", "   #####   "};
    const std::vector<AnsiString> hourglass = {"#########", "#.......#", " #.....# ",
                                               "  #...#  ", "   #.#   ", "  #.#.#  ",
                                               " #.#.#.# ", "#.#.#.#.#", "#########"};
    std::vector<TBuiltInCursor> list;
    list.push_back({-12, {0, 0}, ArrowWith(page, 9, 16)});      // crDrag
    list.push_back({-13, {0, 0}, ArrowWith(noEntry, 9, 15)});   // crNoDrop
    list.push_back({-16, {0, 0}, ArrowWith(pages, 9, 15)});     // crMultiDrag
    list.push_back({-17, {0, 0}, ArrowWith(hourglass, 9, 15)}); // crSQLWait
    // Splitters: a pair of bars with arrows away from them (between columns, rows).
    list.push_back({-14,
                    {10, 8},
                    {"       #.#.#       ", "       #.#.#       ", "       #.#.#       ",
                     "   #   #.#.#   #   ", "  ##   #.#.#   ##  ", " #.#####.#.#####.# ",
                     "#...............#.#", " #.#####.#.#####.# ", "  ##   #.#.#   ##  ",
                     "   #   #.#.#   #   ", "       #.#.#       ", "       #.#.#       ",
                     "       #.#.#       "}});
    list.push_back(
        {-15,
         {8, 10},
         {"        #        ", "       #.#       ", "      #...#      ", "     #.....#     ",
          "       #.#       ", "########.########", "#...............#", "#################",
          "#...............#", "########.########", "       #.#       ", "     #.....#     ",
          "      #...#      ", "       #.#       ", "        #        "}});
    return list;
  }();
  return cursors;
}

// Cursors and named pictures live for the program, whatever resets the windows.
struct TCursorTable {
  std::map<HCURSOR, TCursorPicture> Made; // cursors made from pictures
  std::map<AnsiString, TCursorPicture> Resources;
  HCURSOR Next = 0x10000;
};

TCursorTable& Cursors()
{
  static TCursorTable table;
  return table;
}

// Reads a picture's rows; false when they are empty, ragged, too large, use another
// character, or the hot spot lies outside.
bool ReadArt(const std::vector<AnsiString>& rows, TPoint hotSpot, TCursorPicture& out)
{
  if (rows.empty() || rows.size() > 32 || rows[0].empty() || rows[0].size() > 32)
    return false;
  out = TCursorPicture();
  out.Width = static_cast<Integer>(rows[0].size());
  out.Height = static_cast<Integer>(rows.size());
  out.HotSpot = hotSpot;
  if (hotSpot.X < 0 || hotSpot.Y < 0 || hotSpot.X >= out.Width || hotSpot.Y >= out.Height)
    return false;
  for (const AnsiString& row : rows) {
    if (static_cast<Integer>(row.size()) != out.Width)
      return false;
    for (char c : row) {
      switch (c) {
      case '#':
        out.Pixels.push_back(cpBlack);
        break;
      case '.':
        out.Pixels.push_back(cpWhite);
        break;
      case ' ':
        out.Pixels.push_back(cpTransparent);
        break;
      case '~':
        out.Pixels.push_back(cpInvert);
        break;
      default:
        return false;
      }
    }
  }
  return true;
}

} // namespace

HCURSOR SetCursor(HCURSOR cursor)
{
  HCURSOR old = State().Cursor_;
  State().Cursor_ = cursor;
  if (TWindowBackend* b = WindowBackend(); b && old != cursor)
    b->CursorChanged(cursor);
  return old;
}

HCURSOR GetCursor()
{
  return State().Cursor_;
}

HCURSOR CreateCursorFromArt(const std::vector<AnsiString>& rows, TPoint hotSpot)
{
  TCursorPicture picture;
  if (!ReadArt(rows, hotSpot, picture))
    return 0;
  TCursorTable& t = Cursors();
  HCURSOR h = t.Next++;
  t.Made[h] = std::move(picture);
  return h;
}

bool DestroyCursor(HCURSOR cursor)
{
  if (Cursors().Made.erase(cursor) == 0)
    return false;
  if (GetCursor() == cursor)
    SetCursor(-2); // the arrow takes over
  return true;
}

bool RegisterCursorResource(const AnsiString& name, const std::vector<AnsiString>& rows,
                            TPoint hotSpot)
{
  TCursorPicture picture;
  if (name.empty() || !ReadArt(rows, hotSpot, picture))
    return false;
  Cursors().Resources[name] = std::move(picture);
  return true;
}

HCURSOR LoadCursor(NativeUInt, const AnsiString& name)
{
  TCursorTable& t = Cursors();
  auto it = t.Resources.find(name);
  if (it == t.Resources.end())
    return 0;
  HCURSOR h = t.Next++;
  t.Made[h] = it->second;
  return h;
}

const TCursorPicture* CursorPicture(HCURSOR cursor)
{
  const TCursorTable& t = Cursors();
  if (auto it = t.Made.find(cursor); it != t.Made.end())
    return &it->second;
  static const std::map<HCURSOR, TCursorPicture> builtIn = [] {
    std::map<HCURSOR, TCursorPicture> pictures;
    for (const TBuiltInCursor& c : BuiltInCursors())
      ReadArt(c.Rows, c.HotSpot, pictures[c.Id]);
    return pictures;
  }();
  auto it = builtIn.find(cursor);
  return it == builtIn.end() ? nullptr : &it->second;
}

// The export walk over prepared pages: the order in which an export filter (frxClass.h,
// TfrxCustomExportFilter) sees a report. TfrxPreviewPages::ExportPages runs it; the export
// filters' tests drive it directly.
#pragma once

class TfrxCustomExportFilter;
class TfrxCustomPreviewPages;

// Walks the pages through Filter: its options dialog when ShowDialog (anything but OK ends
// the walk with false), the page range (the preview's current page with CurPage),
// BeginExport (false ends the walk), then for every page in the range BeginPage, the page
// background as a picture object named "_pagebackground", every object of the page and
// EndPage (also after a failure), and finally EndExport (also after a failure). Objects
// carry absolute positions that include the page margins. False for a nil filter or a
// cancelled dialog.
bool frxExportPages(TfrxCustomPreviewPages* Pages, TfrxCustomExportFilter* Filter);

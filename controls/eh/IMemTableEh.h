// IMemTableEh: what an in-memory table offers the data-aware grid so that the grid can show
// every record as a row (the memory-table view, DBGridEhMemTable.cpp) instead of the data
// link's buffer window. The grid finds it on its dataset with dynamic_cast.
#pragma once

#include <memory>

#include "platform/data/DB.h"

class IMemTableDataFieldValueListEh;

// Record indexes are 0-based positions in the table's current order. "The node" is the tree
// node of the record the fields read: the instant-read record between BeginInstantRead and
// EndInstantRead, else the current record.
class IMemTableEh {
public:
  virtual ~IMemTableEh() = default;

  // Makes up to ACount more records available (a table that loads lazily grows
  // MemRecordCount and tells its links the dataset changed).
  virtual void FetchRecords(Integer ACount) = 0;
  // The index of the current record; -1 when there is none.
  virtual Integer CurrentIndex() = 0;
  virtual bool NodeExpanded() = 0;
  virtual bool NodeHasChildren() = 0;
  // Top-level nodes are on level 1.
  virtual Integer NodeLevel() = 0;
  // The index of the record with that bookmark (-1 when none).
  virtual Integer IndexOfBookmark(const TBookmarkStr& ABookmark) = 0;
  // The number of records (rows) the view shows.
  virtual Integer MemRecordCount() = 0;
  virtual bool IsTreeView() = 0;
  // Whether a later sibling follows at level ALevel of the node's ancestry (a vertical tree
  // line continues through that level's slot).
  virtual bool NodeHasNextSibling(Integer ALevel) = 0;
  // Expands or collapses the node of record AIndex; answers the record number the dataset
  // should move to, or a value not above 0 to stay.
  virtual Integer SetNodeExpanded(Integer AIndex, bool AExpanded) = 0;
  // The distinct values of a field (none when the table cannot list them).
  virtual std::shared_ptr<IMemTableDataFieldValueListEh>
  FieldValueList(const AnsiString& AFieldName) = 0;
  // Makes record AIndex readable through the dataset's fields without moving the current
  // record; always paired with EndInstantRead.
  virtual void BeginInstantRead(Integer AIndex) = 0;
  virtual void EndInstantRead() = 0;
};

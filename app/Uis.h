// The application's interface classes over the base controls, and the designer's template
// list as data.
#pragma once

#include <memory>
#include <vector>

#include "app/Objs.h"
#include "app/qhCtrls.h"

// The class on which the designer calls the template statements.
class TTemplateList : public TTemplateSet {};

// The template list of the designer: one level of nodes, each showing a template's name
// (as 8-bit text) and owning a copy of the template's record; at most one node selected.
class TTemplateNodes {
public:
  Integer Count() const { return static_cast<Integer>(FNodes.size()); }
  const AnsiString& Text(Integer Index) const;
  void SetText(Integer Index, const AnsiString& Value);
  const RTemplate& Data(Integer Index) const;
  // -1 when no node is selected.
  Integer Selected() const { return FSelected; }
  void SetSelected(Integer Index);
  // Removes one node (and its record); the selection moves with the nodes that stay.
  void DeleteNode(Integer Index);

  // Lists the stored templates and adds a node for each, in the list's order.
  void LoadTemplates();
  // Appends a node named after BillName holding a copy of Template.
  void AddTemplateNode(const RTemplate& Template);
  // Template.Id becomes 0, then the selected node's record is copied into Template; an Id
  // of 0 therefore means that no template is selected.
  void GetSelectedTemplate(RTemplate& Template) const;
  // Copies Template into the selected node's record, when a node is selected.
  void PutSelectedTemplate(const RTemplate& Template);
  // Deletes the nodes from the last to the first.
  void ClearTemplateNodes();

private:
  struct TNode {
    AnsiString Text;
    std::unique_ptr<RTemplate> Data;
  };
  void CheckIndex(Integer Index) const;

  std::vector<TNode> FNodes;
  Integer FSelected = -1;
};

// The designer's windows take the plain control names; in this program they are the
// program's own controls. They live in the namespace app, since the platform's controls
// hold the plain names.
namespace app {

class TEdit : public TqhEdit {
public:
  using TqhEdit::TqhEdit;
};

class TComboBox : public TqhComboBox {
public:
  using TqhComboBox::TqhComboBox;
};

class TTreeView : public TqhTreeView {
public:
  using TqhTreeView::TqhTreeView;
};

} // namespace app

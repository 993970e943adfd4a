#include "app/Uis.h"

#include "platform/rtl/Codec.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/RtlConsts.h"

void TTemplateNodes::CheckIndex(Integer Index) const
{
  if (Index < 0 || Index >= Count())
    throw EListError(Format(SListIndexError, {Index}));
}

const AnsiString& TTemplateNodes::Text(Integer Index) const
{
  CheckIndex(Index);
  return FNodes[Index].Text;
}

void TTemplateNodes::SetText(Integer Index, const AnsiString& Value)
{
  CheckIndex(Index);
  FNodes[Index].Text = Value;
}

const RTemplate& TTemplateNodes::Data(Integer Index) const
{
  CheckIndex(Index);
  return *FNodes[Index].Data;
}

void TTemplateNodes::SetSelected(Integer Index)
{
  if (Index != -1)
    CheckIndex(Index);
  FSelected = Index;
}

void TTemplateNodes::DeleteNode(Integer Index)
{
  CheckIndex(Index);
  FNodes.erase(FNodes.begin() + Index);
  if (FSelected == Index)
    FSelected = -1;
  else if (FSelected > Index)
    --FSelected;
}

void TTemplateNodes::LoadTemplates()
{
  RTemplates templates;
  TTemplateList::ListTemplates(templates);
  for (const RTemplate& t : templates)
    AddTemplateNode(t);
}

void TTemplateNodes::AddTemplateNode(const RTemplate& Template)
{
  FNodes.push_back(TNode{WideToGbk(Template.BillName), std::make_unique<RTemplate>(Template)});
}

void TTemplateNodes::GetSelectedTemplate(RTemplate& Template) const
{
  Template.Id = 0;
  if (FSelected >= 0)
    Template = *FNodes[FSelected].Data;
}

void TTemplateNodes::PutSelectedTemplate(const RTemplate& Template)
{
  if (FSelected >= 0)
    *FNodes[FSelected].Data = Template;
}

void TTemplateNodes::ClearTemplateNodes()
{
  while (!FNodes.empty())
    DeleteNode(Count() - 1);
}

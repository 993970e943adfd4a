#include "app/Uis.h"

#include <gtest/gtest.h>

#include "platform/rtl/Codec.h"

namespace {

RTemplate MakeTemplate(Integer Id, const char* Name)
{
  RTemplate t;
  t.Id = Id;
  t.BillName = GbkToWide(Name);
  t.Temdata = GbkToWide(AnsiString("layout of ") + Name);
  return t;
}

} // namespace

TEST(TemplateNodes, NodesCarryTheirOwnCopies)
{
  TTemplateNodes nodes;
  RTemplate first = MakeTemplate(1, "申通");
  nodes.AddTemplateNode(first);
  nodes.AddTemplateNode(MakeTemplate(2, "申通")); // same name, told apart by the record
  first.Temdata = u"changed after adding";
  ASSERT_EQ(nodes.Count(), 2);
  EXPECT_EQ(nodes.Text(0), "申通");
  EXPECT_EQ(nodes.Data(0).Temdata, GbkToWide("layout of 申通"));
  EXPECT_EQ(nodes.Data(1).Id, 2);
}

TEST(TemplateNodes, SelectedTemplateIsCopiedInAndOut)
{
  TTemplateNodes nodes;
  nodes.AddTemplateNode(MakeTemplate(7, "a"));
  nodes.AddTemplateNode(MakeTemplate(9, "b"));

  // Nothing selected: the Id 0 says so, and a put changes nothing.
  RTemplate t = MakeTemplate(5, "x");
  nodes.GetSelectedTemplate(t);
  EXPECT_EQ(t.Id, 0);
  nodes.PutSelectedTemplate(MakeTemplate(5, "x"));
  EXPECT_EQ(nodes.Data(0).Id, 7);
  EXPECT_EQ(nodes.Data(1).Id, 9);

  nodes.SetSelected(1);
  nodes.GetSelectedTemplate(t);
  EXPECT_EQ(t.Id, 9);
  t.Temdata = u"saved";
  nodes.PutSelectedTemplate(t);
  EXPECT_EQ(nodes.Data(1).Temdata, u"saved");
  EXPECT_EQ(nodes.Text(1), "b"); // the node text is the caller's to change
}

TEST(TemplateNodes, DeletingKeepsTheSelectionOnItsNode)
{
  TTemplateNodes nodes;
  for (Integer id : {1, 2, 3})
    nodes.AddTemplateNode(MakeTemplate(id, "t"));
  nodes.SetSelected(2);
  nodes.DeleteNode(0);
  ASSERT_EQ(nodes.Selected(), 1);
  EXPECT_EQ(nodes.Data(nodes.Selected()).Id, 3);
  nodes.DeleteNode(1);
  EXPECT_EQ(nodes.Selected(), -1);
  EXPECT_THROW(nodes.DeleteNode(1), EListError);
  EXPECT_THROW(nodes.SetSelected(5), EListError);

  nodes.ClearTemplateNodes();
  EXPECT_EQ(nodes.Count(), 0);
  RTemplate t = MakeTemplate(4, "x");
  nodes.GetSelectedTemplate(t);
  EXPECT_EQ(t.Id, 0);
}

#include "controls/cx/base/cxClasses.h"

#include <gtest/gtest.h>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/TypInfo.h"

namespace {

// A <- B <- C, A <- D, and E unrelated; V* stand for value classes.
class TA : public TObject {};
class TB : public TA {};
class TC : public TB {};
class TD : public TA {};
class TE : public TObject {};
class TVA : public TObject {};
class TVB : public TObject {};
class TVB2 : public TObject {};

struct Classes {
  TClass A, B, C, D, E, VA, VB, VB2;
  Classes()
  {
    TClassRegistration<TA, TObject>("TA");
    TClassRegistration<TB, TA>("TB");
    TClassRegistration<TC, TB>("TC");
    TClassRegistration<TD, TA>("TD");
    TClassRegistration<TE, TObject>("TE");
    TClassRegistration<TVA, TObject>("TVA");
    TClassRegistration<TVB, TObject>("TVB");
    TClassRegistration<TVB2, TObject>("TVB2");
    A = ClassInfoOf<TA>();
    B = ClassInfoOf<TB>();
    C = ClassInfoOf<TC>();
    D = ClassInfoOf<TD>();
    E = ClassInfoOf<TE>();
    VA = ClassInfoOf<TVA>();
    VB = ClassInfoOf<TVB>();
    VB2 = ClassInfoOf<TVB2>();
  }
};

const Classes& K()
{
  static Classes k;
  return k;
}

} // namespace

TEST(cxRegisteredClassList, DescendantRegisteredFirstStillFindsTheNearestAncestor)
{
  const Classes& k = K();
  TcxRegisteredClassList list;
  list.Register(k.B, k.VB);
  list.Register(k.A, k.VA);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.EntryAt(0).ItemClass, k.A) << "ancestors stand before descendants";
  EXPECT_EQ(list.FindValueClass(k.C), k.VB);
  EXPECT_EQ(list.FindValueClass(k.B), k.VB);
  EXPECT_EQ(list.FindValueClass(k.D), k.VA);
  EXPECT_EQ(list.FindValueClass(k.A), k.VA);
  EXPECT_EQ(list.FindValueClass(k.E), nullptr);
  EXPECT_THROW(list.EntryAt(2), EListError);
}

TEST(cxRegisteredClassList, UnregisterRemovesExactPairsOnly)
{
  const Classes& k = K();
  TcxRegisteredClassList list;
  list.Register(k.B, k.VB2);
  list.Register(k.B, k.VB);
  list.Register(k.B, k.VB);
  list.Unregister(k.B, k.VB);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.FindValueClass(k.C), k.VB2);
  list.Unregister(k.A, k.VB2); // not registered: nothing happens
  EXPECT_EQ(list.Count(), 1);
}

TEST(cxRegisteredClassList, FindEntryPointsAtTheFirstDescendantWhenNoAncestorIsRegistered)
{
  const Classes& k = K();
  TcxRegisteredClassList list;
  list.Register(k.E, k.VA);
  list.Register(k.C, k.VB);
  list.Register(k.D, k.VA);
  Integer index = 77;
  EXPECT_FALSE(list.FindEntry(k.A, index));
  EXPECT_EQ(index, 1) << "the front-most entry whose key descends from A";
  // A registered now goes before both descendants.
  list.Register(k.A, k.VA);
  EXPECT_EQ(list.EntryAt(1).ItemClass, k.A);
  index = 77;
  EXPECT_FALSE(TcxRegisteredClassList().FindEntry(k.A, index));
  EXPECT_EQ(index, 77) << "left alone when nothing is related";
}

TEST(cxRegisteredClasses, KeepsFirstDescriptionAndMatchesNamesByCase)
{
  const Classes& k = K();
  TcxRegisteredClasses reg;
  reg.Register(k.B, "B|first");
  reg.Register(k.A, "A|a");
  reg.Register(k.B, "B|second");
  ASSERT_EQ(reg.Count(), 2);
  EXPECT_EQ(reg.Descriptions(0), "B|first");
  EXPECT_EQ(reg.Items(1), k.A);
  EXPECT_EQ(reg.FindByClassName("TB"), k.B);
  EXPECT_EQ(reg.FindByClassName("tb"), nullptr);
  reg.Unregister(k.B);
  EXPECT_EQ(reg.IndexOfClass(k.B), -1);
  EXPECT_EQ(reg.IndexOfClass(k.A), 0);
}

TEST(cxAutoWidthObject, SharesWidthByTheTable)
{
  struct Item {
    Integer Width, MinWidth;
    bool Fixed;
  };
  struct Case {
    const char* Name;
    Integer Available;
    std::vector<Item> Items;
    std::vector<Integer> Expected;
  } cases[] = {
      {"exact", 300, {{100, 0, false}, {100, 0, false}, {100, 0, false}}, {100, 100, 100}},
      {"running sums", 100, {{100, 0, false}, {100, 0, false}, {100, 0, false}}, {33, 34, 33}},
      {"fixed", 150, {{50, 0, true}, {50, 0, false}, {50, 0, false}}, {50, 50, 50}},
      {"one minimum", 100, {{100, 40, false}, {100, 0, false}, {100, 0, false}}, {40, 30, 30}},
      {"two minimums", 100, {{100, 40, false}, {100, 35, false}, {100, 0, false}}, {40, 35, 25}},
      {"all minimums", 90, {{100, 40, false}, {100, 40, false}, {100, 40, false}}, {40, 40, 40}},
      {"mixed", 200, {{100, 80, false}, {50, 0, false}, {50, 30, false}}, {100, 50, 50}},
      {"halves away from zero", 10, {{1, 0, false}, {1, 0, false}, {1, 0, false}}, {3, 4, 3}},
      {"two halves", 7, {{1, 0, false}, {1, 0, false}}, {4, 3}},
      {"all fixed", 50, {{10, 0, true}, {20, 0, true}}, {10, 20}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TcxAutoWidthObject obj(static_cast<Integer>(c.Items.size()));
    obj.AvailableWidth = c.Available;
    for (const Item& i : c.Items) {
      TcxAutoWidthItem* item = obj.NewItem();
      EXPECT_EQ(item->AutoWidth, -1);
      item->Width = i.Width;
      item->MinWidth = i.MinWidth;
      item->Fixed = i.Fixed;
    }
    obj.Calculate();
    std::vector<Integer> got;
    for (Integer i = 0; i < obj.Count(); ++i)
      got.push_back(obj.ItemAt(i)->AutoWidth);
    EXPECT_EQ(got, c.Expected);
  }
}

TEST(cxObjectList, ClearFreesItems)
{
  static Integer freed = 0;
  struct TCounted : TObject {
    ~TCounted() override { ++freed; }
  };
  freed = 0;
  {
    TcxObjectList list;
    list.Add(new TCounted);
    list.Add(new TCounted);
    list.Clear();
    EXPECT_EQ(freed, 2);
    EXPECT_EQ(list.Count(), 0);
    list.Add(new TCounted);
  }
  EXPECT_EQ(freed, 3);
}

TEST(cxClasses, LocalizerReplacesStringTableTexts)
{
  static const TResStringRec text{64999, "blank"};
  RegisterResStrings({&text});
  AnsiString s;
  LoadLocalizedString(&text, s);
  EXPECT_EQ(s, "blank");
  cxSetLocalizedString(&text, "空白");
  LoadLocalizedString(&text, s);
  EXPECT_EQ(s, "空白");
  cxClearLocalizer();
  EXPECT_EQ(cxGetResourceString(&text), "blank");
  UnregisterResStrings({&text});
}

TEST(cxComponent, FakeLinksFollowTheCollectedListOnlyInDesignMode)
{
  struct TLinked : TcxComponent {
    using TcxComponent::TcxComponent;
    std::vector<TComponent*> Links;
    void CollectFakeLinkedComponents(TList* AList) override
    {
      for (TComponent* c : Links)
        AList->Add(c);
    }
  };
  TComponent owner(nullptr);
  TComponent other(nullptr);
  auto* c = new TLinked(&owner);
  c->Links = {&other, &owner, &other, &owner};
  c->UpdateFakeComponentLinks();
  EXPECT_EQ(c->FakeComponentLink1(), nullptr) << "run time: nothing";
  c->SetDesigning(true);
  c->UpdateFakeComponentLinks();
  EXPECT_EQ(c->FakeComponentLink1(), &other);
  EXPECT_EQ(c->FakeComponentLink2(), &owner);
  EXPECT_EQ(c->FakeComponentLink3(), &other);
  c->Links = {&owner};
  c->UpdateFakeComponentLinks();
  EXPECT_EQ(c->FakeComponentLink1(), &owner);
  EXPECT_EQ(c->FakeComponentLink2(), nullptr);
}

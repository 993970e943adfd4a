#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/rtl/Classes.h"
#include "platform/rtl/TypInfo.h"

namespace {

std::vector<std::string> gLog;

// A component that logs its notifications, its loading and its destruction, and keeps
// one reference to another component through free notification.
class TProbe : public TComponent {
public:
  explicit TProbe(TComponent* AOwner, const AnsiString& name = "") : TComponent(AOwner)
  {
    if (!name.empty())
      SetName(name);
  }
  ~TProbe() override { gLog.push_back("destroy " + Name()); }

  bool SetLink(TComponent* value) { return ReplaceComponentReference(this, value, FLink); }
  TComponent* Link() const { return FLink; }
  int LoadedCalls = 0;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override
  {
    TComponent::Notification(AComponent, Operation);
    // A subscriber told of a removal sees the dying component still whole and marked.
    std::string state = AComponent->ComponentState().Contains(csDestroying) ? " destroying" : "";
    gLog.push_back(Name() + (Operation == opInsert ? " insert " : " remove ") + AComponent->Name() +
                   state);
    if (Operation == opRemove && AComponent == FLink)
      FLink = nullptr;
  }
  void Loaded() override
  {
    TComponent::Loaded();
    ++LoadedCalls;
  }

private:
  TComponent* FLink = nullptr;
};

class ComponentTest : public testing::Test {
protected:
  void SetUp() override
  {
    gLog.clear();
    TClassRegistration<TProbe, TComponent>("TProbe").Factory(
        [](TComponent* owner) -> TObject* { return new TProbe(owner); });
    RegisterClass(ClassInfoOf<TProbe>());
  }
};

template <class... T> std::vector<std::string> Log(T... lines)
{
  return {lines...};
}

} // namespace

TEST_F(ComponentTest, OwnerDeletesItsComponentsLastToFirstExactlyOnce)
{
  auto* owner = new TProbe(nullptr, "Owner");
  auto* a = new TProbe(owner, "A");
  auto* b = new TProbe(owner, "B");
  new TProbe(a, "A1");
  ASSERT_EQ(owner->ComponentCount(), 2);
  EXPECT_EQ(owner->Components(0), a);
  EXPECT_EQ(owner->Components(1), b);
  EXPECT_EQ(b->ComponentIndex(), 1);
  gLog.clear();
  delete owner;
  EXPECT_EQ(gLog, Log("destroy Owner", "destroy B", "destroy A", "destroy A1"));
}

TEST_F(ComponentTest, AComponentFreedWhileReferencedIsClearedFromTheReference)
{
  TProbe holder(nullptr, "Holder");
  auto* target = new TProbe(nullptr, "Target");
  EXPECT_TRUE(holder.SetLink(target));
  EXPECT_FALSE(holder.SetLink(target)); // already pointing there: nothing changes
  EXPECT_TRUE(target->ComponentState().Contains(csFreeNotification));
  gLog.clear();
  delete target;
  EXPECT_EQ(holder.Link(), nullptr);
  EXPECT_EQ(gLog, Log("Holder remove Target destroying", "destroy Target"));
}

TEST_F(ComponentTest, FreeNotificationIsTwoWayAndDroppedWhenTheSubscriberDies)
{
  auto* target = new TProbe(nullptr, "Target");
  auto* holder = new TProbe(nullptr, "Holder");
  holder->SetLink(target);
  delete holder; // the target must forget the dead subscriber
  gLog.clear();
  delete target;
  EXPECT_EQ(gLog, Log("destroy Target"));

  // Removing the notification by hand drops it on both sides as well.
  TProbe t(nullptr, "T"), h(nullptr, "H");
  h.SetLink(&t);
  h.SetLink(nullptr);
  gLog.clear();
  auto* t2 = new TProbe(nullptr, "T2");
  h.SetLink(t2);
  h.SetLink(nullptr);
  delete t2;
  EXPECT_EQ(gLog, Log("destroy T2"));
}

TEST_F(ComponentTest, DestructionOrderSubscribersFirstThenOwnedThenTheOwner)
{
  TProbe form(nullptr, "Form");
  auto* panel = new TProbe(&form, "Panel");
  auto* button = new TProbe(panel, "Button");
  auto* sibling = new TProbe(&form, "Sibling");
  TProbe outside(nullptr, "Outside");
  outside.SetLink(panel);
  gLog.clear();
  delete panel;
  EXPECT_EQ(gLog, Log(
                      // the subscriber, while the panel and its children are whole
                      "Outside remove Panel destroying",
                      // derived destructor, then the owned component
                      "destroy Panel", "destroy Button",
                      // the owner passes the removal to all it owns
                      "Sibling remove Panel destroying", "Form remove Panel destroying"));
  EXPECT_EQ(form.ComponentCount(), 1);
  EXPECT_EQ(form.Components(0), sibling);
  (void)button;
}

TEST_F(ComponentTest, ReferencesToComponentsOfADeletedOwnerAreCleared)
{
  auto* form = new TProbe(nullptr, "Form");
  auto* edit = new TProbe(form, "Edit");
  new TProbe(form, "Label");
  TProbe outside(nullptr, "Outside");
  outside.SetLink(edit);
  gLog.clear();
  delete form;
  EXPECT_EQ(outside.Link(), nullptr);
  // Last first: Label leaves quietly; Edit, which others watch, leaves through the owner
  // (which tells everything it still owns, Edit included), then its watchers are told.
  EXPECT_EQ(gLog, Log("destroy Form", "destroy Label", "Edit remove Edit destroying",
                      "Outside remove Edit destroying", "destroy Edit"));
}

TEST_F(ComponentTest, DestroyingMarksOwnedComponents)
{
  TProbe owner(nullptr, "Owner");
  auto* child = new TProbe(&owner, "Child");
  owner.Destroying();
  EXPECT_TRUE(owner.ComponentState().Contains(csDestroying));
  EXPECT_TRUE(child->ComponentState().Contains(csDestroying));
}

TEST_F(ComponentTest, InsertionIsNotifiedThroughTheOwnersComponents)
{
  TProbe form(nullptr, "Form");
  new TProbe(&form, "A");
  gLog.clear();
  new TProbe(&form, ""); // the name is set after insertion
  EXPECT_EQ(gLog, Log("A insert ", "Form insert "));
}

TEST_F(ComponentTest, NameRules)
{
  TProbe form(nullptr, "Form");
  auto* a = new TProbe(&form, "Edit1");
  struct Case {
    const char* Name;
    const char* Message; // null: accepted
  } cases[] = {
      {"1Edit", "''1Edit'' is not a valid component name"},
      {"Edit 2", "''Edit 2'' is not a valid component name"},
      {"编辑", "''编辑'' is not a valid component name"},
      {"EDIT1", "A component named EDIT1 already exists"},
      {"_Edit2", nullptr},
      {"", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TProbe* b = new TProbe(&form, "Other");
    try {
      b->SetName(c.Name);
      EXPECT_EQ(c.Message, nullptr);
      EXPECT_EQ(b->Name(), c.Name);
    } catch (const EComponentError& e) {
      ASSERT_NE(c.Message, nullptr);
      EXPECT_EQ(e.Message(), c.Message);
      EXPECT_EQ(b->Name(), "Other"); // unchanged
    }
    delete b;
  }
  a->SetName("EDIT1"); // renaming itself with another case is no clash
  EXPECT_EQ(form.FindComponent("edit1"), a);
  EXPECT_EQ(form.FindComponent(""), nullptr);
  EXPECT_EQ(form.FindComponent("Missing"), nullptr);

  // A component moving to another owner brings its name along; a clash leaves it where
  // it was.
  TProbe other(nullptr, "Other");
  auto* c = new TProbe(&other, "Edit1");
  EXPECT_THROW(form.InsertComponent(c), EComponentError);
  EXPECT_EQ(c->Owner(), &other);
  c->SetName("Edit2");
  form.InsertComponent(c);
  EXPECT_EQ(c->Owner(), &form);
  EXPECT_EQ(other.ComponentCount(), 0);
}

TEST_F(ComponentTest, ComponentsIndexErrorsAndMoves)
{
  TProbe form(nullptr, "Form");
  auto* a = new TProbe(&form, "A");
  auto* b = new TProbe(&form, "B");
  try {
    form.Components(2);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (2)");
  }
  b->SetComponentIndex(0);
  EXPECT_EQ(form.Components(0), b);
  EXPECT_EQ(a->ComponentIndex(), 1);
  form.RemoveComponent(a);
  EXPECT_EQ(a->Owner(), nullptr);
  EXPECT_EQ(form.ComponentCount(), 1);
  delete a;
}

// The owned list stays in order however components leave it: from the front (where
// removed entries are dropped in batches), from the back, from the middle, moved, and
// with new components added between removals.
TEST_F(ComponentTest, OwnedListKeepsItsOrderThroughRemovalsAtEitherEnd)
{
  struct TStep {
    const char* Name;
    char Op; // 'f' free the first, 'b' free the last, 'm' free the middle one,
             // 'a' add one at the end, 'z' move the last to the front
    int Times;
  };
  const std::vector<TStep> steps = {
      {"front, past the batch size", 'f', 70},
      {"back", 'b', 10},
      {"add after front removals", 'a', 5},
      {"middle", 'm', 3},
      {"move to the front", 'z', 2},
      {"front again", 'f', 15},
      {"back to empty", 'b', 27},
      {"add to an emptied list", 'a', 3},
  };
  TComponent owner(nullptr);
  std::vector<TComponent*> expected;
  for (int i = 0; i < 120; ++i)
    expected.push_back(new TComponent(&owner));
  for (const TStep& step : steps) {
    SCOPED_TRACE(step.Name);
    for (int i = 0; i < step.Times; ++i) {
      ASSERT_TRUE(step.Op == 'a' || !expected.empty());
      size_t at = step.Op == 'f' ? 0 : step.Op == 'm' ? expected.size() / 2 : expected.size() - 1;
      if (step.Op == 'a') {
        expected.push_back(new TComponent(&owner));
      } else if (step.Op == 'z') {
        TComponent* last = expected.back();
        last->SetComponentIndex(0);
        expected.pop_back();
        expected.insert(expected.begin(), last);
      } else {
        delete expected[at];
        expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(at));
      }
    }
    ASSERT_EQ(owner.ComponentCount(), static_cast<Integer>(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(owner.Components(static_cast<Integer>(i)), expected[i]) << i;
      EXPECT_EQ(expected[i]->ComponentIndex(), static_cast<Integer>(i));
    }
  }
}

TEST_F(ComponentTest, DestroyWatchSeesAHandlerFreeTheComponent)
{
  auto* c = new TProbe(nullptr, "C");
  TNotifyEvent handler = [](TObject* sender) { delete sender; };
  TDestroyWatch watch(c);
  handler(c);
  EXPECT_TRUE(watch.Destroyed());

  TProbe alive(nullptr, "Alive");
  TDestroyWatch other(&alive);
  EXPECT_FALSE(other.Destroyed());
}

TEST_F(ComponentTest, LoadingBracketCallsLoadedOnEveryComponent)
{
  TProbe form(nullptr, "Form");
  form.BeginLoading();
  auto* a = new TProbe(&form, "A");
  auto* a1 = new TProbe(a, "A1");
  EXPECT_TRUE(a1->ComponentState().Contains(csLoading));
  form.EndLoading();
  EXPECT_EQ(form.LoadedCalls, 1);
  EXPECT_EQ(a->LoadedCalls, 1);
  EXPECT_EQ(a1->LoadedCalls, 1);
  EXPECT_FALSE(a1->ComponentState().Contains(csLoading));
  EXPECT_FALSE(form.ComponentState().Contains(csLoading));
}

TEST_F(ComponentTest, VirtualConstructionWithOwnerAndPublishedName)
{
  TProbe form(nullptr, "Form");
  TObject* made = FindClass("tprobe")->Create(&form);
  auto* probe = As<TProbe>(made);
  EXPECT_EQ(probe->Owner(), &form);
  SetStrProp(probe, "Name", "Made1");
  EXPECT_EQ(form.FindComponent("MADE1"), probe);
  SetOrdProp(probe, "Tag", 7);
  EXPECT_EQ(probe->Tag(), 7);
  EXPECT_EQ(GetPropInfo(probe, "Name")->PropType, TComponentNameTypeInfo());
  EXPECT_FALSE(IsStoredProp(probe, GetPropInfo(probe, "Name")));
  EXPECT_EQ(probe->GetNamePath(), "Made1");
}

TEST_F(ComponentTest, DesigningSpreadsToOwnedAndLaterInsertedComponents)
{
  TProbe form(nullptr, "Form");
  auto* a = new TProbe(&form, "A");
  auto* a1 = new TProbe(a, "A1");
  form.SetDesigning(true);
  EXPECT_TRUE(a1->ComponentState().Contains(csDesigning));
  auto* b = new TProbe(&form, "B");
  EXPECT_TRUE(b->ComponentState().Contains(csDesigning));
  a->SetDesigning(false, false);
  EXPECT_FALSE(a->ComponentState().Contains(csDesigning));
  EXPECT_TRUE(a1->ComponentState().Contains(csDesigning));
}

TEST_F(ComponentTest, SynchronizeRunsTheMethodAtOnce)
{
  int calls = 0;
  TThread::Synchronize(nullptr, [&calls] { ++calls; });
  EXPECT_EQ(calls, 1);
}

#include "platform/rtl/Events.h"

#include <gtest/gtest.h>

#include "platform/rtl/Object.h"

namespace {

struct TListener : TObject {
  int Calls = 0;
  TObject* LastSender = nullptr;
  void Changed(TObject* Sender)
  {
    ++Calls;
    LastSender = Sender;
  }
  void Other(TObject*) { Calls += 100; }
  virtual void Virt(TObject*) { Calls += 10; }
};

struct TDerivedListener : TListener {
  void Virt(TObject*) override { Calls += 1000; }
};

struct TMixin {
  virtual ~TMixin() = default;
  int Hits = 0;
  void Hit(TObject*) { ++Hits; }
};

struct TMulti : TListener, TMixin {};

int gFreeCalls = 0;
void FreeHandler(TObject*)
{
  ++gFreeCalls;
}

} // namespace

TEST(Events, NullAndAssigned)
{
  TNotifyEvent e;
  EXPECT_FALSE(e);
  EXPECT_FALSE(e.Assigned());
  EXPECT_TRUE(e == nullptr);
  EXPECT_EQ(e, TNotifyEvent());
  TListener* none = nullptr;
  EXPECT_FALSE(TNotifyEvent::Bind(none, &TListener::Changed)); // binding to nil gives nil
  e(nullptr); // calling an unassigned event does nothing
  TEvent<int(int)> f;
  EXPECT_EQ(f(5), 0);
}

TEST(Events, BoundMethodsCallAndCompareByObjectAndMethod)
{
  TListener a, b;
  TNotifyEvent e = TNotifyEvent::Bind(&a, &TListener::Changed);
  ASSERT_TRUE(e);
  e(&b);
  EXPECT_EQ(a.Calls, 1);
  EXPECT_EQ(a.LastSender, &b);
  EXPECT_EQ(e.Object(), &a);

  EXPECT_EQ(e, TNotifyEvent::Bind(&a, &TListener::Changed));
  EXPECT_NE(e, TNotifyEvent::Bind(&b, &TListener::Changed)); // other object
  EXPECT_NE(e, TNotifyEvent::Bind(&a, &TListener::Other));   // other method
  TNotifyEvent copy = e;
  EXPECT_EQ(copy, e);
}

TEST(Events, VirtualMethodsDispatchOnTheObject)
{
  TDerivedListener d;
  TNotifyEvent e = TNotifyEvent::Bind(&d, &TListener::Virt);
  e(nullptr);
  EXPECT_EQ(d.Calls, 1000);
  TListener* asBase = &d;
  EXPECT_EQ(e, TNotifyEvent::Bind(asBase, &TListener::Virt));
}

TEST(Events, MethodOfASecondBaseIsTheSameHandlerWhicheverPointerBindsIt)
{
  TMulti m;
  TMixin* mixin = &m;
  ASSERT_NE(static_cast<void*>(mixin), static_cast<void*>(&m));
  TNotifyEvent viaDerived = TNotifyEvent::Bind(&m, &TMixin::Hit);
  TNotifyEvent viaBase = TNotifyEvent::Bind(mixin, &TMixin::Hit);
  EXPECT_EQ(viaDerived, viaBase);
  viaDerived(nullptr);
  EXPECT_EQ(m.Hits, 1);
  EXPECT_EQ(viaDerived.Object(), static_cast<TObject*>(&m));
  EXPECT_EQ(viaBase.Object(), nullptr); // TMixin is no TObject
}

TEST(Events, LambdasHaveTheirOwnIdentity)
{
  int n = 0;
  auto body = [&n](TObject*) { ++n; };
  TNotifyEvent a = body;
  TNotifyEvent b = body;
  EXPECT_NE(a, b); // two delegates made from lambdas never compare equal
  TNotifyEvent c = a;
  EXPECT_EQ(c, a);
  c(nullptr);
  EXPECT_EQ(n, 1);
  EXPECT_EQ(a.Object(), nullptr);
}

TEST(Events, FunctionsCompareByAddressAndPassReferences)
{
  TNotifyEvent f = FreeHandler;
  EXPECT_EQ(f, TNotifyEvent(FreeHandler));
  f(nullptr);
  EXPECT_EQ(gFreeCalls, 1);

  TKeyEvent k = [](TObject*, Word& key, TShiftState shift) {
    if (shift.Contains(ssCtrl))
      key = 0;
  };
  Word key = 65;
  k(nullptr, key, TShiftState{ssShift});
  EXPECT_EQ(key, 65);
  k(nullptr, key, TShiftState{ssCtrl});
  EXPECT_EQ(key, 0);
}

#include "controls/cx/base/cxLookAndFeels.h"

#include <memory>

#include <gtest/gtest.h>

#include "tests/controls/cx/base/cxRecordingTheme.h"

using namespace cxtest;

namespace {

// Records the changed values each look and feel reports.
struct TChanges {
  std::vector<std::pair<TcxLookAndFeel*, TcxLookAndFeelValues>> Log;
  void Watch(TcxLookAndFeel* l)
  {
    l->OnChanged = [this](TcxLookAndFeel* s, TcxLookAndFeelValues v) { Log.push_back({s, v}); };
  }
  Integer Count(TcxLookAndFeel* l) const
  {
    Integer n = 0;
    for (auto& e : Log)
      n += e.first == l;
    return n;
  }
};

} // namespace

TEST(cxLookAndFeel, NewLookAndFeelInheritsTheRootDefaults)
{
  TcxLookAndFeel l(nullptr);
  EXPECT_EQ(l.Kind(), lfUltraFlat);
  EXPECT_FALSE(l.NativeStyle());
  EXPECT_EQ(l.PainterClass(), TcxUltraFlatLookAndFeelPainter::Class());
  EXPECT_EQ(l.EffectiveMaster(), RootLookAndFeel());
  TChanges changes;
  changes.Watch(&l);
  l.SetKind(lfUltraFlat);
  EXPECT_TRUE(l.AssignedValues().Contains(lfvKind)) << "assigned though unchanged";
  EXPECT_TRUE(changes.Log.empty());
  l.SetKind(lfFlat);
  EXPECT_EQ(l.PainterClass(), TcxFlatLookAndFeelPainter::Class());
  ASSERT_EQ(changes.Log.size(), 1u);
  EXPECT_EQ(changes.Log[0].second, TcxLookAndFeelValues{lfvKind});
}

TEST(cxLookAndFeel, ControllerChangesReachOnlyUnassignedLooks)
{
  auto* A = new TcxLookAndFeel(nullptr);
  auto* B = new TcxLookAndFeel(nullptr);
  auto* C = new TcxLookAndFeel(nullptr);
  B->SetMasterLookAndFeel(A);
  C->SetMasterLookAndFeel(B);
  C->SetKind(lfFlat);
  TChanges changes;
  for (auto* l : {A, B, C})
    changes.Watch(l);
  auto* K = new TcxLookAndFeelController(nullptr);
  EXPECT_EQ(cxLookAndFeelControllerCount(), 1);
  K->SetKind(lfStandard);
  EXPECT_EQ(A->Kind(), lfStandard);
  EXPECT_EQ(B->Kind(), lfStandard);
  EXPECT_EQ(C->Kind(), lfFlat);
  EXPECT_EQ(changes.Count(A), 1);
  EXPECT_EQ(changes.Count(B), 1);
  EXPECT_EQ(changes.Count(C), 0);
  // A controller added with another look and feel as its target is not registered there.
  A->AddChangeListener(K);
  EXPECT_EQ(A->ListenerCount(), 1) << "only B";
  // Freeing A: B falls back to the root; nothing changed, so nothing is reported.
  changes.Log.clear();
  delete A;
  EXPECT_EQ(B->EffectiveMaster(), RootLookAndFeel());
  EXPECT_EQ(B->Kind(), lfStandard);
  EXPECT_EQ(changes.Count(B), 0);
  // Freeing the last controller resets the root, and the children follow.
  delete K;
  EXPECT_EQ(cxLookAndFeelControllerCount(), 0);
  EXPECT_TRUE(RootLookAndFeel()->AssignedValues().Empty());
  EXPECT_EQ(B->Kind(), lfUltraFlat);
  EXPECT_EQ(changes.Count(B), 1);
  delete C;
  delete B;
}

TEST(cxLookAndFeel, MasterCyclesAreRefused)
{
  TcxLookAndFeel a(nullptr), b(nullptr), c(nullptr);
  b.SetMasterLookAndFeel(&a);
  c.SetMasterLookAndFeel(&b);
  a.SetMasterLookAndFeel(&c); // would close a ring a -> c -> b -> a
  EXPECT_EQ(a.EffectiveMaster(), RootLookAndFeel());
  a.SetMasterLookAndFeel(&a);
  EXPECT_EQ(a.EffectiveMaster(), RootLookAndFeel());
  a.SetKind(lfStandard); // ends: a notification walks down the chain once
  EXPECT_EQ(c.Kind(), lfStandard);
}

TEST(cxLookAndFeel, NativeStyleUsesTheThemedPainterOnlyWhenThemesAreAvailable)
{
  TRecordingTheme theme;
  theme.Active = false;
  theme.Changed();
  TcxLookAndFeel l(nullptr);
  l.SetNativeStyle(true);
  EXPECT_EQ(l.PainterClass(), TcxUltraFlatLookAndFeelPainter::Class());
  theme.Active = true;
  theme.Changed();
  EXPECT_EQ(l.PainterClass(), TcxWinXPLookAndFeelPainter::Class());
  theme.Refused = {"Header"};
  EXPECT_EQ(l.PainterForThemes(ThemeClassBit(tcHeader)), TcxUltraFlatLookAndFeelPainter::Class());
  EXPECT_EQ(l.PainterForThemes(ThemeClassBit(tcButton)), TcxWinXPLookAndFeelPainter::Class());
}

TEST(cxLookAndFeel, SystemColourChangeReportsNativeStyle)
{
  TcxLookAndFeel l(nullptr);
  TChanges changes;
  changes.Watch(&l);
  SetSysColor(COLOR_BTNFACE, RGB(1, 2, 3));
  ResetSysColors();
  ASSERT_GE(changes.Log.size(), 1u);
  EXPECT_EQ(changes.Log[0].second, TcxLookAndFeelValues{lfvNativeStyle});
}

TEST(cxLookAndFeel, ListenersAddedDuringNotificationWaitForTheNextOne)
{
  struct TAdder : IcxLookAndFeelListener {
    TcxLookAndFeel* Target;
    std::vector<std::unique_ptr<TcxLookAndFeel>> Made;
    Integer Calls = 0;
    TObject* GetObject() override { return nullptr; }
    void MasterChanged(TcxLookAndFeel*, TcxLookAndFeelValues) override
    {
      ++Calls;
      Made.push_back(std::make_unique<TcxLookAndFeel>(nullptr));
      Made.back()->SetMasterLookAndFeel(Target);
    }
    void MasterDestroying(TcxLookAndFeel*) override {}
  };
  TcxLookAndFeel m(nullptr);
  TAdder adder;
  adder.Target = &m;
  m.AddChangeListener(&adder);
  m.SetKind(lfFlat);
  EXPECT_EQ(adder.Calls, 1);
  EXPECT_EQ(m.ListenerCount(), 2);
  adder.Made.clear();
  m.RemoveChangeListener(&adder);
  EXPECT_EQ(m.ListenerCount(), 0);
}

TEST(cxLookAndFeel, AssignCopiesValuesAndMaster)
{
  TcxLookAndFeel master(nullptr), source(nullptr), dest(nullptr);
  master.SetKind(lfStandard);
  source.SetMasterLookAndFeel(&master);
  source.SetNativeStyle(false);
  dest.SetKind(lfFlat);
  dest.Assign(&source);
  EXPECT_EQ(dest.MasterLookAndFeel(), &master);
  EXPECT_EQ(dest.AssignedValues(), TcxLookAndFeelValues{lfvNativeStyle});
  EXPECT_EQ(dest.Kind(), lfStandard);
}

#include "platform/rtl/Sets.h"

#include <gtest/gtest.h>

namespace {

enum TStyle { stBold, stItalic, stUnderline, stStrikeOut };
enum TWide { wA = 0, wB = 31, wC = 32, wD = 200, wE = 255 };
using TStyles = TSet<TStyle>;
using TWides = TSet<TWide>;

} // namespace

TEST(Sets, MembershipAndOperators)
{
  TStyles s{stBold, stUnderline};
  EXPECT_TRUE(s.Contains(stBold));
  EXPECT_FALSE(s.Contains(stItalic));
  EXPECT_EQ(s.Count(), 2);

  TStyles t{stUnderline, stStrikeOut};
  EXPECT_EQ(s + t, (TStyles{stBold, stUnderline, stStrikeOut}));
  EXPECT_EQ(s - t, TStyles{stBold});
  EXPECT_EQ(s * t, TStyles{stUnderline});
  EXPECT_TRUE((s * TStyles{stItalic}).Empty());

  s.Include(stItalic).Exclude(stBold);
  EXPECT_EQ(s, (TStyles{stItalic, stUnderline}));
  s.Exclude(stBold); // excluding a non-member changes nothing
  EXPECT_EQ(s, (TStyles{stItalic, stUnderline}));
}

TEST(Sets, SubsetAndSuperset)
{
  TStyles small{stBold}, big{stBold, stItalic};
  EXPECT_TRUE(small <= big);
  EXPECT_FALSE(big <= small);
  EXPECT_TRUE(big >= small);
  EXPECT_TRUE(TStyles{} <= small);
  EXPECT_TRUE(big <= big);
}

TEST(Sets, RawMaskCoversTheFirst32Elements)
{
  TStyles s{stBold, stUnderline};
  EXPECT_EQ(s.Raw(), 0b101u);
  EXPECT_EQ(TStyles::FromRaw(0b1010), (TStyles{stItalic, stStrikeOut}));

  TWides w{wA, wB, wC, wD, wE};
  EXPECT_EQ(w.Raw(), 0x80000001u); // elements 32 and above are not in the mask
  EXPECT_EQ(w.Count(), 5);
  EXPECT_TRUE(w.Contains(wE));
  EXPECT_TRUE(w.Contains(wD));
  w.Exclude(wD);
  EXPECT_FALSE(w.Contains(wD));
  EXPECT_TRUE(w.Contains(wC));
}

TEST(Sets, OrdinalsOutsideTheRangeAreNeverMembers)
{
  TStyles s;
  s.IncludeOrd(-1).IncludeOrd(256);
  EXPECT_TRUE(s.Empty());
  EXPECT_FALSE(s.ContainsOrd(300));
}

static_assert(TStyles{stBold}.Contains(stBold), "sets are usable in constant expressions");

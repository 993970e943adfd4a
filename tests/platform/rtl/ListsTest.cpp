#include "platform/rtl/Lists.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>

#include "platform/rtl/Streams.h"

namespace {

void* P(std::intptr_t n)
{
  return reinterpret_cast<void*>(n);
}

std::vector<AnsiString> Items(const TStrings& list)
{
  std::vector<AnsiString> out;
  for (Integer i = 0; i < list.Count(); ++i)
    out.push_back(list.Strings(i));
  return out;
}

template <class E, class F> AnsiString MessageOf(F&& f)
{
  try {
    f();
  } catch (const E& e) {
    return e.Message();
  }
  return "<no exception>";
}

// Counts live instances, so ownership mistakes show as a wrong count.
class TCounted : public TObject {
public:
  explicit TCounted(int& live) : FLive(live) { ++FLive; }
  ~TCounted() override { --FLive; }

private:
  int& FLive;
};

} // namespace

// ---- TList ----

TEST(List, EditsAndIndexErrors)
{
  TList list;
  list.Add(P(1));
  list.Add(P(2));
  list.Insert(0, P(0));
  list.Insert(3, P(3));
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list.First(), P(0));
  EXPECT_EQ(list.Last(), P(3));
  list.Move(0, 3);     // 1 2 3 0
  list.Exchange(0, 1); // 2 1 3 0
  EXPECT_EQ(list.List(), (std::vector<void*>{P(2), P(1), P(3), P(0)}));
  EXPECT_EQ(list.Remove(P(3)), 2);
  EXPECT_EQ(list.Remove(P(3)), -1);
  EXPECT_EQ(list.Extract(P(1)), P(1));
  EXPECT_EQ(list.Extract(P(9)), nullptr);
  list.SetCount(4); // 2 0 nil nil
  list.SetItems(1, nullptr);
  list.Pack();
  EXPECT_EQ(list.List(), (std::vector<void*>{P(2)}));

  EXPECT_EQ(MessageOf<EListError>([&] { list.Items(1); }), "List index out of bounds (1)");
  EXPECT_EQ(MessageOf<EListError>([&] { list.Delete(-1); }), "List index out of bounds (-1)");
  EXPECT_EQ(MessageOf<EListError>([&] { list.Insert(3, P(1)); }), "List index out of bounds (3)");
  EXPECT_EQ(MessageOf<EListError>([&] { list.Move(0, 5); }), "List index out of bounds (5)");
  EXPECT_EQ(MessageOf<EListError>([&] { list.SetCount(-2); }), "List count out of bounds (-2)");
  EXPECT_EQ(MessageOf<EListError>([&] { list.SetCapacity(0); }), "List capacity out of bounds (0)");
  list.Clear();
  EXPECT_EQ(MessageOf<EListError>([&] { list.First(); }), "List index out of bounds (0)");
}

TEST(List, SortOrdersItems)
{
  TList list;
  for (std::intptr_t v : {5, 3, 9, 1, 3, 7, 2, 8, 0, 6})
    list.Add(P(v));
  list.Sort([](void* a, void* b) {
    return static_cast<Integer>(reinterpret_cast<std::intptr_t>(a) -
                                reinterpret_cast<std::intptr_t>(b));
  });
  std::vector<void*> expected;
  for (std::intptr_t v : {0, 1, 2, 3, 3, 5, 6, 7, 8, 9})
    expected.push_back(P(v));
  EXPECT_EQ(list.List(), expected);
}

TEST(List, SortSurvivesInconsistentComparators)
{
  // Comparators that lie (random, always "less", always "greater") must neither loop nor
  // step outside the list; the items stay a permutation of the input.
  std::uint32_t seed = 12345;
  auto random = [&seed](void*, void*) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<Integer>((seed >> 16) % 3) - 1;
  };
  const std::vector<TListSortCompare> liars = {random, [](void*, void*) { return -1; },
                                               [](void*, void*) { return 1; }};
  for (size_t k = 0; k < liars.size(); ++k) {
    SCOPED_TRACE(k);
    for (Integer n : {2, 3, 17, 500}) {
      TList list;
      for (Integer i = 0; i < n; ++i)
        list.Add(P(i + 1));
      list.Sort(liars[k]);
      std::vector<bool> seen(n + 1, false);
      for (void* item : list.List()) {
        const auto v = reinterpret_cast<std::intptr_t>(item);
        ASSERT_TRUE(v >= 1 && v <= n && !seen[v]);
        seen[v] = true;
      }
    }
  }
}

TEST(ObjectList, OwnsWhatItDeletesReplacesAndClears)
{
  int live = 0;
  std::unique_ptr<TObject> kept;
  {
    TObjectList list;
    for (int i = 0; i < 5; ++i)
      list.Add(new TCounted(live));
    list.Delete(0);
    EXPECT_EQ(live, 4);
    list.Remove(list.Items(0));
    EXPECT_EQ(live, 3);
    list.SetItems(0, new TCounted(live)); // the replaced object is freed
    EXPECT_EQ(live, 3);
    kept.reset(list.Extract(list.Items(0)));
    EXPECT_EQ(live, 3);
    EXPECT_EQ(list.Count(), 2);
  }
  EXPECT_EQ(live, 1); // the extracted one
  {
    TObjectList borrowed(false);
    TCounted a(live);
    borrowed.Add(&a);
    borrowed.Clear();
    EXPECT_EQ(live, 2);
  }
  EXPECT_EQ(live, 1);
  kept.reset();
  EXPECT_EQ(live, 0);
}

// ---- Listener lists ----

namespace {
struct TListener {
  std::vector<int>* Log = nullptr;
  int Id = 0;
  std::function<void()> Action;
};
} // namespace

TEST(ListenerList, ChangesDuringNotificationAffectOnlyLaterPasses)
{
  std::vector<int> log;
  TListenerList<TListener> list;
  TListener a{&log, 1}, b{&log, 2}, c{&log, 3}, d{&log, 4};
  a.Action = [&] {
    list.Remove(&a); // itself
    list.Remove(&b); // one not yet called: skipped in this pass
    list.Add(&d);    // added: waits for the next pass
  };
  for (TListener* l : {&a, &b, &c})
    list.Add(l);
  auto notify = [](TListener* l) {
    l->Log->push_back(l->Id);
    if (l->Action)
      l->Action();
  };
  list.Notify(notify);
  EXPECT_EQ(log, (std::vector<int>{1, 3}));
  log.clear();
  list.Notify(notify);
  EXPECT_EQ(log, (std::vector<int>{3, 4}));
  EXPECT_EQ(list.Count(), 2);
}

TEST(ListenerList, ThrowingListenerDoesNotStopThePass)
{
  TListenerList<int> list;
  int one = 1, two = 2, three = 3;
  list.Add(&one);
  list.Add(&two);
  list.Add(&three);
  std::vector<int> called;
  try {
    list.Notify([&](int* v) {
      called.push_back(*v);
      if (*v != 2)
        throw std::runtime_error("listener " + std::to_string(*v));
    });
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "listener 1"); // the first one is rethrown
  }
  EXPECT_EQ(called, (std::vector<int>{1, 2, 3}));
}

// ---- Comma text ----

TEST(StringList, CommaTextWritesAndReadsBack)
{
  struct Case {
    const char* name;
    std::vector<AnsiString> items;
    AnsiString text;
  };
  const Case cases[] = {
      {"empty list", {}, ""},
      {"one empty item", {""}, "\"\""},
      {"plain", {"a", "b"}, "a,b"},
      {"space", {"a b"}, "\"a b\""},
      {"comma", {"x,y", "z"}, "\"x,y\",z"},
      {"quote", {"say \"hi\""}, "\"say \"\"hi\"\"\""},
      {"quote only", {"\""}, "\"\"\"\""},
      {"control bytes", {"a\tb", "c\r\nd"}, "\"a\tb\",\"c\r\nd\""},
      {"empty items", {"", "a", "", ""}, ",a,,"},
      {"two empty", {"", ""}, ","},
      {"equals", {"Font-Name=宋体", "Text=寄件人"}, "Font-Name=宋体,Text=寄件人"},
      {"gbk with space", {"张 三"}, "\"张 三\""},
      // Trail bytes that equal ASCII letters, '\', '_' and '|' are never taken for them.
      {"gbk trail bytes", {"乤丩", "乗癬亅"}, "乤丩,乗癬亅"},
      {"high bytes", {"\x80\xff", "\x7f"}, "\x80\xff,\x7f"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TStringList list;
    for (const AnsiString& s : c.items)
      list.Add(s);
    EXPECT_EQ(list.CommaText(), c.text);
    TStringList back;
    back.SetCommaText(c.text);
    EXPECT_EQ(Items(back), c.items);
  }
}

TEST(StringList, CommaTextReadingRules)
{
  struct Case {
    const char* name;
    AnsiString text;
    std::vector<AnsiString> items;
  };
  const Case cases[] = {
      {"unquoted item ends at a blank", "a b,c", {"a", "b", "c"}},
      {"blanks around items skipped", "  a ,\t b  ", {"a", "b"}},
      {"final comma adds an empty item", "a,", {"a", ""}},
      {"final comma after blanks", "a , ", {"a"}},
      {"doubled quotes", "\"a\"\"b\",c", {"a\"b", "c"}},
      {"text after a closing quote is the next item", "\"a\"b", {"a", "b"}},
      {"unterminated quote runs to the end", "\"abc", {"abc"}},
      {"only blanks", " \t\r\n", {}},
      {"zero byte ends the text", AnsiString("a,b\0c,d", 7), {"a", "b"}},
      {"gbk trail 0x5C and 0x7C inside unquoted item", "乗亅 x", {"乗亅", "x"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TStringList list;
    list.SetCommaText(c.text);
    EXPECT_EQ(Items(list), c.items);
  }
}

TEST(StringList, DelimitedTextNeverSplitsAtTrailBytes)
{
  // 亅 is 81 7C: its trail byte is the delimiter's byte, yet it is neither split nor quoted.
  TStringList list;
  list.SetDelimiter('|');
  list.SetQuoteChar('\'');
  list.Add("亅");
  list.Add("a|b");
  list.Add("it's");
  EXPECT_EQ(list.DelimitedText(), "亅|'a|b'|'it''s'");
  TStringList back;
  back.SetDelimiter('|');
  back.SetQuoteChar('\'');
  back.SetDelimitedText(list.DelimitedText());
  EXPECT_EQ(Items(back), Items(list));
  // CommaText keeps its own delimiter and quote.
  EXPECT_EQ(list.CommaText(), "亅,a|b,it's");
}

TEST(StringList, NestedLayoutTextRoundTrips)
{
  // A label's name=value list nested inside an outer list, as template layouts store them.
  TStringList inner;
  inner.Add("Visible=-1");
  inner.Add("Left=40");
  inner.Add("Font-Name=宋体");
  inner.Add("Text=张 三, \"李\"");
  TStringList outer;
  outer.Add("l13=" + inner.CommaText());
  outer.Add("PaperWidth=230");
  const AnsiString text = outer.CommaText();
  EXPECT_EQ(text,
            "\"l13=Visible=-1,Left=40,Font-Name=宋体,\"\"Text=张 三, \"\"\"\"李\"\"\"\"\"\"\","
            "PaperWidth=230");
  TStringList outerBack, innerBack;
  outerBack.SetCommaText(text);
  innerBack.SetCommaText(outerBack.Values("L13"));
  EXPECT_TRUE(innerBack.Equals(&inner));
  EXPECT_EQ(outerBack.Values("PaperWidth"), "230");
}

// ---- Text ----

TEST(StringList, TextRules)
{
  struct Case {
    const char* name;
    AnsiString text;
    std::vector<AnsiString> items;
  };
  const Case cases[] = {
      {"empty", "", {}},
      {"no final break", "a\r\nb", {"a", "b"}},
      {"final break adds no line", "a\r\n", {"a"}},
      {"empty last line", "a\r\n\r\n", {"a", ""}},
      {"lone LF and CR", "a\nb\rc", {"a", "b", "c"}},
      {"CR CR LF", "\r\r\n", {"", ""}},
      {"LF CR is two breaks", "a\n\rb", {"a", "", "b"}},
      {"bytes kept", AnsiString("\x81\x5c\x00\xff", 4), {AnsiString("\x81\x5c\x00\xff", 4)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TStringList list;
    list.SetText(c.text);
    EXPECT_EQ(Items(list), c.items);
  }
  TStringList list;
  list.Add("a");
  list.Add("");
  list.Add("b");
  EXPECT_EQ(list.Text(), "a\r\n\r\nb\r\n");
}

TEST(StringList, StreamsCarryTheTextBytes)
{
  TStringList list;
  list.SetText("第一\r\n\x81\x5c\nlast");
  TMemoryStream stream;
  list.SaveToStream(&stream);
  EXPECT_EQ(stream.Size(), 16);
  const AnsiString bytes(static_cast<const char*>(stream.Memory()), 16);
  EXPECT_EQ(bytes, "第一\r\n\x81\x5c\r\nlast\r\n");
  // Loading reads from the stream's position to its end.
  stream.SetPosition(6);
  TStringList back;
  back.LoadFromStream(&stream);
  EXPECT_EQ(Items(back), (std::vector<AnsiString>{"\x81\x5c", "last"}));
}

// ---- Sorted lists ----

TEST(StringList, SortedListFindAndDuplicates)
{
  TStringList list;
  list.SetSorted(true);
  for (const char* s : {"pear", "Apple", "fig", "apple2", "banana"})
    list.Add(s);
  EXPECT_EQ(Items(list), (std::vector<AnsiString>{"Apple", "apple2", "banana", "fig", "pear"}));
  Integer index = -1;
  EXPECT_TRUE(list.Find("FIG", index));
  EXPECT_EQ(index, 3);
  EXPECT_FALSE(list.Find("cherry", index));
  EXPECT_EQ(index, 3); // where it would go
  EXPECT_FALSE(list.Find("zz", index));
  EXPECT_EQ(index, 5);
  EXPECT_EQ(list.IndexOf("PEAR"), 4);
  EXPECT_EQ(list.IndexOf("kiwi"), -1);

  // dupIgnore: the existing index, nothing added.
  EXPECT_EQ(list.Add("BANANA"), 2);
  EXPECT_EQ(list.Count(), 5);
  list.SetDuplicates(dupError);
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.Add("fig"); }),
            "String list does not allow duplicates");
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.Insert(0, "x"); }),
            "Operation not allowed on sorted list");
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.SetStrings(0, "x"); }),
            "Operation not allowed on sorted list");
  // dupAccept: a new equal item goes before the existing equals, Find reports the first.
  list.SetDuplicates(dupAccept);
  TObject marker;
  EXPECT_EQ(list.AddObject("Fig", &marker), 3);
  EXPECT_EQ(list.Objects(3), &marker);
  EXPECT_EQ(list.Strings(4), "fig");
  EXPECT_TRUE(list.Find("fig", index));
  EXPECT_EQ(index, 3);
}

TEST(StringList, SortOrderFollowsCaseSensitivity)
{
  TStringList list;
  for (const char* s : {"b", "B", "a", "A", "_", "乤"})
    list.Add(s);
  list.SetCaseSensitive(true);
  list.SetSorted(true);
  // Letters fold to lower case for the order ('_' before letters); ties put lower case first.
  EXPECT_EQ(Items(list), (std::vector<AnsiString>{"_", "a", "A", "b", "B", "乤"}));
  EXPECT_EQ(list.IndexOf("B"), 4);
  list.SetCaseSensitive(false);
  list.SetDuplicates(dupIgnore);
  EXPECT_EQ(list.IndexOf("B") / 2, 1); // "b" or "B": both equal now
  EXPECT_EQ(list.Add("A"), list.IndexOf("a"));
}

TEST(StringList, CustomSortAndExchangeCarryObjects)
{
  TStringList list;
  TObject o1, o2, o3;
  list.AddObject("10", &o1);
  list.AddObject("9", &o2);
  list.AddObject("100", &o3);
  list.CustomSort([](TStringList* l, Integer a, Integer b) {
    return static_cast<Integer>(l->Strings(a).size()) - static_cast<Integer>(l->Strings(b).size());
  });
  EXPECT_EQ(Items(list), (std::vector<AnsiString>{"9", "10", "100"}));
  EXPECT_EQ(list.Objects(0), &o2);
  EXPECT_EQ(list.IndexOfObject(&o3), 2);
  list.Exchange(0, 2);
  list.Move(2, 0);
  EXPECT_EQ(Items(list), (std::vector<AnsiString>{"9", "100", "10"}));
  EXPECT_EQ(list.Objects(0), &o2);
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.Strings(3); }), "List index out of bounds (3)");
  EXPECT_THROW(list.Objects(-1), EListError);
}

// ---- Names and values ----

TEST(StringList, NamesAndValues)
{
  TStringList list;
  list.SetCommaText("l11=a,l1=b,L1=c,noequals,x==y,乤=gbk");
  EXPECT_EQ(list.Values("l1"), "b"); // whole name, first match, any case
  EXPECT_EQ(list.Values("L11"), "a");
  EXPECT_EQ(list.Values("l"), "");
  EXPECT_EQ(list.Values("noequals"), "");
  EXPECT_EQ(list.Values("x"), "=y");
  EXPECT_EQ(list.Values("乤"), "gbk");
  EXPECT_EQ(list.Values("\x81\x41"), ""); // differs from 乤 only by the trail byte's case
  EXPECT_EQ(list.IndexOfName("L1"), 1);
  EXPECT_EQ(list.Names(3), "");
  EXPECT_EQ(list.ValueFromIndex(3), "");
  EXPECT_EQ(list.ValueFromIndex(4), "=y");

  list.SetValues("l1", "B2");
  EXPECT_EQ(list.Strings(1), "l1=B2");
  list.SetValues("new", "v");
  EXPECT_EQ(list.Strings(list.Count() - 1), "new=v");
  list.SetValues("l1", ""); // removes the first l1 item
  EXPECT_EQ(list.Values("l1"), "c");
  const Integer before = list.Count();
  list.SetValues("absent", ""); // adds nothing
  EXPECT_EQ(list.Count(), before);
  list.SetValueFromIndex(0, "z");
  EXPECT_EQ(list.Strings(0), "l11=z");

  list.SetNameValueSeparator(':');
  list.Clear();
  list.Add("a:1");
  EXPECT_EQ(list.Values("A"), "1");
}

// ---- Change events, assignment ----

TEST(StringList, ChangeEventsAndUpdates)
{
  TStringList list;
  int changing = 0, changed = 0;
  list.OnChanging = [&](TObject* sender) {
    EXPECT_EQ(sender, &list);
    ++changing;
  };
  list.OnChange = [&](TObject*) { ++changed; };
  list.Add("a");
  list.SetStrings(0, "b");
  EXPECT_EQ(changing, 2);
  EXPECT_EQ(changed, 2);
  list.BeginUpdate();
  list.BeginUpdate();
  list.Add("c");
  list.Delete(0);
  list.EndUpdate();
  EXPECT_EQ(changed, 2);
  list.EndUpdate();
  EXPECT_EQ(changing, 3); // once for the whole update
  EXPECT_EQ(changed, 3);
  list.SetCommaText("x,y,z");
  EXPECT_EQ(changed, 4);
}

TEST(StringList, AssignAndAddStrings)
{
  TStringList source;
  TObject obj;
  source.AddObject("b", &obj);
  source.Add("a");
  TStringList dest;
  dest.Add("old");
  dest.Assign(&source);
  EXPECT_TRUE(dest.Equals(&source));
  EXPECT_EQ(dest.Objects(0), &obj);
  dest.AddStrings(&dest); // adding a list to itself doubles it once
  EXPECT_EQ(dest.CommaText(), "b,a,b,a");

  TStringList sorted;
  sorted.SetSorted(true);
  sorted.Assign(&dest);
  EXPECT_EQ(sorted.CommaText(), "a,b");

  EXPECT_EQ(dest.ClassName(), "TStringList");
  TPersistent other;
  EXPECT_EQ(MessageOf<EConvertError>([&] { dest.Assign(&other); }),
            "Cannot assign a TPersistent to a TStringList");
  EXPECT_FALSE(dest.Equals(&sorted));
}

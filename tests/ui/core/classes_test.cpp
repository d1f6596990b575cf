#include "ui/core/classes.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// A component that writes its life events into a shared log.
class TLogged : public TComponent {
  LB_CLASS(TLogged)
 public:
  TLogged(TComponent* owner, const std::string& name, std::vector<std::string>* log) : TComponent(owner), log_(log) {
    SetName(name);
  }
  ~TLogged() override { log_->push_back("free " + Name()); }
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    // Only log news about components that are alive enough to have a name.
    log_->push_back(Name() + (op == opInsert ? " +" : " -") + c->Name());
  }

 private:
  std::vector<std::string>* log_;
};

TEST(Component, OwnerFreesChildrenInReverseOrder) {
  std::vector<std::string> log;
  auto* owner = new TLogged(nullptr, "Owner", &log);
  new TLogged(owner, "A", &log);
  new TLogged(owner, "B", &log);
  new TLogged(owner, "C", &log);
  ASSERT_EQ(owner->ComponentCount(), 3);
  log.clear();
  delete owner;
  // The owner's own part goes first (C++ destroys the derived part before the base one
  // that frees the children); then the children, last first.
  std::vector<std::string> expect{"free Owner", "free C", "free B", "free A"};
  EXPECT_EQ(log, expect);
}

TEST(Component, ChildFreedEarlyLeavesItsOwner) {
  std::vector<std::string> log;
  auto owner = std::make_unique<TLogged>(nullptr, "Owner", &log);
  new TLogged(owner.get(), "A", &log);
  auto* b = new TLogged(owner.get(), "B", &log);
  new TLogged(owner.get(), "C", &log);
  log.clear();
  delete b;
  EXPECT_EQ(owner->ComponentCount(), 2);
  EXPECT_EQ(owner->FindComponent("b"), nullptr);
  EXPECT_EQ(owner->Components(0)->Name(), "A");
  EXPECT_EQ(owner->Components(1)->Name(), "C");
  // The owner heard of the removal (and passed it on to the remaining children).
  EXPECT_NE(std::find(log.begin(), log.end(), "Owner -B"), log.end());
  log.clear();
  owner.reset();
  std::vector<std::string> expect{"free Owner", "free C", "free A"};
  EXPECT_EQ(log, expect);
}

TEST(Component, InsertNotifiesOwnerAndSiblings) {
  std::vector<std::string> log;
  TLogged owner(nullptr, "Owner", &log);
  new TLogged(&owner, "A", &log);
  log.clear();
  auto* b = new TLogged(nullptr, "B", &log);
  owner.InsertComponent(b);
  // The owner passes the news to every child, the new one included, then sees it itself.
  std::vector<std::string> expect{"B +B", "A +B", "Owner +B"};
  EXPECT_EQ(log, expect);
  EXPECT_EQ(b->Owner(), &owner);
  EXPECT_EQ(b->ComponentIndex(), 1);
}

TEST(Component, FreeNotificationFiresAndUnlinksBothWays) {
  std::vector<std::string> log;
  auto watcher = std::make_unique<TLogged>(nullptr, "W", &log);
  auto* target = new TLogged(nullptr, "T", &log);
  target->FreeNotification(watcher.get());
  log.clear();
  delete target;
  std::vector<std::string> expect{"free T", "W -T"};
  EXPECT_EQ(log, expect);

  // The other way round: the watcher goes first; the target must not call it later.
  auto* target2 = new TLogged(nullptr, "T2", &log);
  target2->FreeNotification(watcher.get());
  watcher.reset();
  log.clear();
  delete target2;  // ASan would catch a call into the freed watcher
  EXPECT_EQ(log, std::vector<std::string>{"free T2"});
}

TEST(Component, MovingToAnotherOwner) {
  std::vector<std::string> log;
  TLogged a(nullptr, "A", &log), b(nullptr, "B", &log);
  auto* c = new TLogged(&a, "C", &log);
  b.InsertComponent(c);
  EXPECT_EQ(a.ComponentCount(), 0);
  EXPECT_EQ(b.ComponentCount(), 1);
  EXPECT_EQ(c->Owner(), &b);
}

struct NameCase {
  const char* name;
  bool ok;
};
class ComponentName : public ::testing::TestWithParam<NameCase> {};

TEST_P(ComponentName, Validation) {
  TComponent owner(nullptr);
  auto* existing = new TComponent(&owner);
  existing->SetName("Button1");
  auto* c = new TComponent(&owner);
  if (GetParam().ok) {
    EXPECT_NO_THROW(c->SetName(GetParam().name));
    EXPECT_EQ(owner.FindComponent(GetParam().name), std::string(GetParam().name).empty() ? nullptr : c);
  } else {
    EXPECT_THROW(c->SetName(GetParam().name), EComponentError);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, ComponentName,
                         ::testing::Values(NameCase{"ListBox1", true}, NameCase{"_x", true}, NameCase{"", true},
                                           NameCase{"1abc", false}, NameCase{"a b", false},
                                           NameCase{"button1", false},  // same as Button1 ignoring case
                                           NameCase{"Button1", false}, NameCase{"a-b", false}));

TEST(Component, RenameMessages) {
  TComponent owner(nullptr);
  (new TComponent(&owner))->SetName("Edit1");
  auto* c = new TComponent(&owner);
  try {
    c->SetName("EDIT1");
    FAIL();
  } catch (const EComponentError& e) {
    EXPECT_STREQ(e.what(), "A component named EDIT1 already exists");
  }
  try {
    c->SetName("9");
    FAIL();
  } catch (const EComponentError& e) {
    EXPECT_STREQ(e.what(), "''9'' is not a valid component name");
  }
}

TEST(Component, LoadingState) {
  TComponent c(nullptr);
  c.Loading();
  EXPECT_TRUE(c.ComponentState().Contains(csLoading));
  EXPECT_TRUE(c.ComponentState().Contains(csReading));
  c.ReadingDone();
  EXPECT_FALSE(c.ComponentState().Contains(csReading));
  c.Loaded();
  EXPECT_FALSE(c.IsLoading());
}

// ---------------------------------------------------------------------------------------
// TList

TEST(List, OperationsAndIndexErrors) {
  int v[5];
  TList l;
  for (int& x : v) l.Add(&x);
  l.Move(0, 4);  // 1 2 3 4 0
  EXPECT_EQ(l.Items(4), &v[0]);
  l.Exchange(0, 1);  // 2 1 3 4 0
  EXPECT_EQ(l.Items(0), &v[2]);
  EXPECT_EQ(l.Remove(&v[3]), 2);
  EXPECT_EQ(l.IndexOf(&v[3]), -1);
  l.Insert(0, nullptr);
  l.Pack();
  EXPECT_EQ(l.Count(), 4);
  for (int bad : {-1, 4, 100}) {
    try {
      l.Items(bad);
      FAIL() << bad;
    } catch (const EListError& e) {
      EXPECT_EQ(std::string(e.what()), "List index out of bounds (" + std::to_string(bad) + ")");
    }
  }
  EXPECT_THROW(l.Insert(5, nullptr), EListError);
  EXPECT_NO_THROW(l.Insert(4, nullptr));  // at the end is fine
  EXPECT_THROW(l.Delete(5), EListError);
  l.Clear();
  EXPECT_EQ(l.Count(), 0);
}

// ---------------------------------------------------------------------------------------
// TCollection

class TNamedItem : public TCollectionItem {
  LB_CLASS(TNamedItem)
 public:
  std::string name;
  void SetName(const std::string& n) {
    name = n;
    Changed(false);
  }
  void Assign(TPersistent* source) override {
    if (auto* o = dynamic_cast<TNamedItem*>(source)) {
      name = o->name;
      return;
    }
    TCollectionItem::Assign(source);
  }
  std::string GetDisplayName() override { return name.empty() ? TCollectionItem::GetDisplayName() : name; }
};

std::unique_ptr<TCollectionItem> MakeNamed(TCollection*) { return std::make_unique<TNamedItem>(); }

class TRecordingCollection : public TCollection {
 public:
  TRecordingCollection() : TCollection(&MakeNamed) {}
  std::vector<TCollectionItem*> updates;
  std::vector<std::pair<TCollectionItem*, TCollectionNotification>> notes;

 protected:
  void Update(TCollectionItem* item) override { updates.push_back(item); }
  void Notify(TCollectionItem* item, TCollectionNotification a) override { notes.emplace_back(item, a); }
};

class CollectionUpdate : public ::testing::TestWithParam<int> {};

TEST_P(CollectionUpdate, ChangesInsideAnUpdateAreReportedOnce) {
  TRecordingCollection c;
  auto* first = static_cast<TNamedItem*>(c.Add());
  c.updates.clear();
  c.BeginUpdate();
  c.BeginUpdate();  // nested: only the outermost end reports
  for (int i = 0; i < GetParam(); ++i) {
    if (i % 3 == 0) c.Add();
    else if (i % 3 == 1) first->SetName("n" + std::to_string(i));
    else c.Delete(c.Count() - 1);
  }
  c.EndUpdate();
  EXPECT_TRUE(c.updates.empty());
  c.EndUpdate();
  ASSERT_EQ(c.updates.size(), 1u);
  EXPECT_EQ(c.updates[0], nullptr);
  c.EndUpdate();  // unbalanced: ignored
  EXPECT_EQ(c.updates.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Counts, CollectionUpdate, ::testing::Values(0, 1, 2, 3, 10));

TEST(Collection, ItemChangeReportsTheItem) {
  TRecordingCollection c;
  auto* a = static_cast<TNamedItem*>(c.Add());
  ASSERT_EQ(c.updates.size(), 1u);
  EXPECT_EQ(c.updates[0], nullptr);
  a->SetName("x");
  ASSERT_EQ(c.updates.size(), 2u);
  EXPECT_EQ(c.updates[1], a);
  EXPECT_EQ(a->GetDisplayName(), "x");
  EXPECT_EQ(c.notes.at(0).second, cnAdded);
}

struct MoveCase {
  int from, to;
  const char* order;
};
class CollectionSetIndex : public ::testing::TestWithParam<MoveCase> {};

TEST_P(CollectionSetIndex, Moves) {
  TRecordingCollection c;
  for (const char* n : {"a", "b", "c", "d"}) static_cast<TNamedItem*>(c.Add())->name = n;
  c.Items(GetParam().from)->SetIndex(GetParam().to);
  std::string order;
  for (int i = 0; i < c.Count(); ++i) order += static_cast<TNamedItem*>(c.Items(i))->name;
  EXPECT_EQ(order, GetParam().order);
  for (int i = 0; i < c.Count(); ++i) EXPECT_EQ(c.Items(i)->Index(), i);
}

INSTANTIATE_TEST_SUITE_P(Table, CollectionSetIndex,
                         ::testing::Values(MoveCase{0, 3, "bcda"}, MoveCase{3, 0, "dabc"}, MoveCase{1, 2, "acbd"},
                                           MoveCase{2, 2, "abcd"}, MoveCase{0, 99, "bcda"},
                                           MoveCase{3, -5, "dabc"}));

TEST(Collection, IdsInsertDeleteAssign) {
  TRecordingCollection c;
  auto* a = c.Add();
  auto* b = c.Insert(0);
  EXPECT_EQ(c.IndexOf(b), 0);
  EXPECT_EQ(a->ID(), 0);
  EXPECT_EQ(b->ID(), 1);
  EXPECT_EQ(c.FindItemID(1), b);
  static_cast<TNamedItem*>(a)->name = "A";
  c.Delete(0);
  EXPECT_EQ(c.Count(), 1);
  EXPECT_EQ(c.Add()->ID(), 2);  // IDs are never reused
  EXPECT_THROW(c.Items(2), EListError);

  TRecordingCollection copy;
  copy.Assign(&c);
  ASSERT_EQ(copy.Count(), 2);
  EXPECT_EQ(static_cast<TNamedItem*>(copy.Items(0))->name, "A");
  EXPECT_EQ(copy.updates.size(), 1u);  // one report for the whole copy

  std::unique_ptr<TCollectionItem> out = c.Extract(c.Items(0));
  EXPECT_EQ(out->Collection(), nullptr);
  EXPECT_EQ(c.Count(), 1);
  c.Clear();
  EXPECT_EQ(c.Count(), 0);
}

TEST(Persistent, AssignToUnrelatedClassNamesBoth) {
  TStringList s;
  TComponent c(nullptr);
  try {
    s.Assign(&c);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TComponent to a TStringList.");
  }
}

// ---------------------------------------------------------------------------------------
// TStringList

TEST(StringList, TextIndexOfObjectsAndUpdates) {
  TStringList s;
  int changes = 0;
  s.OnChange = [&](TObject*) { ++changes; };
  s.SetText("one\r\ntwo\nthree\rfour");
  EXPECT_EQ(changes, 1);
  ASSERT_EQ(s.Count(), 4);
  EXPECT_EQ(s.Text(), "one\r\ntwo\r\nthree\r\nfour\r\n");
  EXPECT_EQ(s.IndexOf("TWO"), 1);
  int tag = 7;
  s.AddObject("five", &tag);
  EXPECT_EQ(s.Objects(4), &tag);
  s.Move(4, 0);
  EXPECT_EQ(s.Strings(0), "five");
  EXPECT_EQ(s.Objects(0), &tag);
  EXPECT_THROW(s.Strings(9), EStringListError);
  s.SetValues("key", "v");
  EXPECT_EQ(s.Values("KEY"), "v");
  s.SetSorted(true);
  EXPECT_EQ(s.Strings(0), "five");
  EXPECT_EQ(s.Strings(1), "four");
  EXPECT_EQ(s.Add("a"), 0);
  EXPECT_THROW(s.Insert(0, "x"), EStringListError);
}

}  // namespace

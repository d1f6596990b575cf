// Sections: TPersistent, TList, TComponent, TCollectionItem / TCollection, TStrings,
// TStringList.
#include "ui/core/classes.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------
// TPersistent

void TPersistent::Assign(TPersistent* source) {
  if (source) {
    source->AssignTo(this);
    return;
  }
  throw EConvertError(std::string("Cannot assign a nil to a ") + ClassName() + ".");
}

void TPersistent::AssignTo(TPersistent* dest) {
  std::string destName = dest ? dest->ClassName() : "nil";
  throw EConvertError(std::string("Cannot assign a ") + ClassName() + " to a " + destName + ".");
}

std::string TPersistent::GetNamePath() { return ClassName(); }

// ---------------------------------------------------------------------------------------
// TList

namespace {
[[noreturn]] void ListIndexError(int index) {
  throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}
}  // namespace

void TList::Check(int index) const {
  if (index < 0 || index >= Count()) ListIndexError(index);
}

int TList::Add(void* item) {
  items_.push_back(item);
  return Count() - 1;
}

void TList::Insert(int index, void* item) {
  if (index < 0 || index > Count()) ListIndexError(index);
  items_.insert(items_.begin() + index, item);
}

void TList::Delete(int index) {
  Check(index);
  items_.erase(items_.begin() + index);
}

int TList::Remove(void* item) {
  int i = IndexOf(item);
  if (i >= 0) Delete(i);
  return i;
}

void* TList::Extract(void* item) {
  int i = IndexOf(item);
  if (i < 0) return nullptr;
  Delete(i);
  return item;
}

int TList::IndexOf(void* item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : int(it - items_.begin());
}

void* TList::Items(int index) const {
  Check(index);
  return items_[std::size_t(index)];
}

void TList::SetItems(int index, void* item) {
  Check(index);
  items_[std::size_t(index)] = item;
}

void TList::Exchange(int index1, int index2) {
  Check(index1);
  Check(index2);
  std::swap(items_[std::size_t(index1)], items_[std::size_t(index2)]);
}

void TList::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  Check(curIndex);
  Check(newIndex);
  void* item = items_[std::size_t(curIndex)];
  items_.erase(items_.begin() + curIndex);
  items_.insert(items_.begin() + newIndex, item);
}

void TList::Pack() { items_.erase(std::remove(items_.begin(), items_.end(), nullptr), items_.end()); }

// ---------------------------------------------------------------------------------------
// TComponent

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

void TComponent::SetEventBinding(const std::string& event, const std::string& method) {
  auto it = std::find_if(eventBindings_.begin(), eventBindings_.end(),
                         [&](const TEventBinding& b) { return SameText(b.first, event); });
  if (method.empty()) {
    if (it != eventBindings_.end()) eventBindings_.erase(it);
  } else if (it != eventBindings_.end()) {
    it->second = method;
  } else {
    eventBindings_.emplace_back(event, method);
  }
}

TComponent::~TComponent() {
  Destroying();
  // Each watcher forgets us; RemoveFreeNotification on their side edits our list, so
  // take the entries one at a time from the end.
  while (!freeNotifies_.empty()) {
    TComponent* other = freeNotifies_.back();
    freeNotifies_.pop_back();
    auto& theirs = other->freeNotifies_;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
    other->Notification(this, opRemove);
  }
  DestroyComponents();
  if (owner_) owner_->RemoveComponent(this);
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount()) ListIndexError(index);
  return components_[std::size_t(index)];
}

int TComponent::ComponentIndex() const {
  if (!owner_) return -1;
  auto& list = owner_->components_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : int(it - list.begin());
}

void TComponent::Insert(TComponent* component) {
  components_.push_back(component);
  component->owner_ = this;
}

void TComponent::Remove(TComponent* component) {
  components_.erase(std::remove(components_.begin(), components_.end(), component), components_.end());
  component->owner_ = nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
  if (!component || component->owner_ == this) return;
  ValidateRename(component, "", component->name_);
  if (component->owner_) component->owner_->RemoveComponent(component);
  Insert(component);
  Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (!component || component->owner_ != this) return;
  Notification(component, opRemove);
  Remove(component);
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* c = components_.back();
    // Out of the list first, so its destructor does not come back to us.
    Remove(c);
    delete c;
  }
}

TComponent* TComponent::FindComponent(const std::string& name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_)
    if (SameText(c->name_, name)) return c;
  return nullptr;
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end())
    freeNotifies_.push_back(component);
  auto& theirs = component->freeNotifies_;
  if (std::find(theirs.begin(), theirs.end(), this) == theirs.end()) theirs.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (!component) return;
  freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), component), freeNotifies_.end());
  auto& theirs = component->freeNotifies_;
  theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
}

void TComponent::Loading() {
  state_.Include(csLoading);
  state_.Include(csReading);
}

void TComponent::ReadingDone() { state_.Exclude(csReading); }

void TComponent::Loaded() {
  state_.Exclude(csLoading);
  state_.Exclude(csReading);
}

void TComponent::Destroying() {
  if (state_.Contains(csDestroying)) return;
  state_.Include(csDestroying);
  for (TComponent* c : components_) c->Destroying();
}

void TComponent::SetDesigning(bool value, bool includeChildren) {
  if (value) state_.Include(csDesigning);
  else state_.Exclude(csDesigning);
  if (includeChildren)
    for (TComponent* c : components_) c->SetDesigning(value, true);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component) RemoveFreeNotification(component);
  // Copy: a child may react by freeing or moving components.
  std::vector<TComponent*> children = components_;
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if (std::find(components_.begin(), components_.end(), *it) != components_.end())
      (*it)->Notification(component, operation);
  }
}

namespace {
bool IsValidIdent(const std::string& s) {
  if (s.empty()) return false;
  auto alpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
  if (!alpha(s[0])) return false;
  for (char c : s)
    if (!alpha(c) && !(c >= '0' && c <= '9')) return false;
  return true;
}
}  // namespace

void TComponent::ValidateRename(TComponent* component, const std::string& curName, const std::string& newName) {
  if (newName.empty() || SameText(curName, newName)) return;
  TComponent* existing = FindComponent(newName);
  if (existing && existing != component)
    throw EComponentError("A component named " + newName + " already exists");
}

void TComponent::SetName(const std::string& name) {
  if (name == name_) return;
  if (!name.empty() && !IsValidIdent(name))
    throw EComponentError("''" + name + "'' is not a valid component name");
  if (owner_) owner_->ValidateRename(this, name_, name);
  else ValidateRename(nullptr, name_, name);
  name_ = name;
}

// ---------------------------------------------------------------------------------------
// TCollectionItem

TCollectionItem::~TCollectionItem() = default;

int TCollectionItem::Index() const { return collection_ ? collection_->IndexOf(this) : -1; }

void TCollectionItem::SetIndex(int value) {
  if (!collection_) return;
  int cur = Index();
  if (value < 0) value = 0;
  if (value >= collection_->Count()) value = collection_->Count() - 1;
  if (cur >= 0 && value != cur) {
    collection_->MoveItem(this, value);
    Changed(true);
  }
}

std::string TCollectionItem::GetDisplayName() { return ClassName(); }

TPersistent* TCollectionItem::GetOwner() { return collection_; }

std::string TCollectionItem::GetNamePath() {
  if (!collection_) return ClassName();
  return collection_->GetNamePath() + "[" + std::to_string(Index()) + "]";
}

void TCollectionItem::Changed(bool allItems) {
  if (collection_) collection_->ItemChanged(allItems ? nullptr : this);
}

// ---------------------------------------------------------------------------------------
// TCollection

TCollection::TCollection(TCollectionItemClass itemClass) : itemClass_(itemClass) {}

TCollection::~TCollection() {
  // Items go without change reports: the collection is going away.
  updateCount_ = 1;
  while (!items_.empty()) {
    std::unique_ptr<TCollectionItem> item = std::move(items_.back());
    items_.pop_back();
    item->collection_ = nullptr;
  }
}

TCollectionItem* TCollection::Add() { return Insert(Count()); }

TCollectionItem* TCollection::Insert(int index) {
  if (!itemClass_) throw EInvalidOperation(std::string(ClassName()) + " has no item class");
  return AddItem(itemClass_(this), index);
}

TCollectionItem* TCollection::AddItem(std::unique_ptr<TCollectionItem> item, int index) {
  if (!item) return nullptr;
  if (index < 0 || index > Count()) index = Count();
  TCollectionItem* raw = item.get();
  if (raw->collection_) raw->collection_->Extract(raw).release();
  raw->collection_ = this;
  raw->id_ = nextId_++;
  items_.insert(items_.begin() + index, std::move(item));
  Notify(raw, cnAdded);
  Changed();
  return raw;
}

void TCollection::Delete(int index) {
  TCollectionItem* item = Items(index);
  Notify(item, cnDeleting);
  std::unique_ptr<TCollectionItem> owned = Extract(item);
  owned.reset();
}

std::unique_ptr<TCollectionItem> TCollection::Extract(TCollectionItem* item) {
  int i = IndexOf(item);
  if (i < 0) return nullptr;
  Notify(item, cnExtracting);
  std::unique_ptr<TCollectionItem> owned = std::move(items_[std::size_t(i)]);
  items_.erase(items_.begin() + i);
  owned->collection_ = nullptr;
  Changed();
  return owned;
}

void TCollection::Clear() {
  if (items_.empty()) return;
  TUpdateScope update(this);
  while (!items_.empty()) Delete(Count() - 1);
}

TCollectionItem* TCollection::Items(int index) const {
  if (index < 0 || index >= Count()) ListIndexError(index);
  return items_[std::size_t(index)].get();
}

TCollectionItem* TCollection::FindItemID(int id) const {
  for (auto& i : items_)
    if (i->id_ == id) return i.get();
  return nullptr;
}

int TCollection::IndexOf(const TCollectionItem* item) const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == item) return int(i);
  return -1;
}

void TCollection::BeginUpdate() { ++updateCount_; }

void TCollection::EndUpdate() {
  if (updateCount_ <= 0) return;
  if (--updateCount_ == 0) Changed();
}

void TCollection::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TCollection*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  TUpdateScope update(this);
  Clear();
  for (int i = 0; i < other->Count(); ++i) Add()->Assign(other->Items(i));
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}

void TCollection::Changed() {
  if (updateCount_ == 0) Update(nullptr);
}

void TCollection::ItemChanged(TCollectionItem* item) {
  if (updateCount_ == 0) Update(item);
}

void TCollection::MoveItem(TCollectionItem* item, int newIndex) {
  int cur = IndexOf(item);
  if (cur < 0 || cur == newIndex) return;
  std::unique_ptr<TCollectionItem> owned = std::move(items_[std::size_t(cur)]);
  items_.erase(items_.begin() + cur);
  items_.insert(items_.begin() + newIndex, std::move(owned));
}

// ---------------------------------------------------------------------------------------
// TStrings

void TStrings::SetStrings(int index, const std::string& value) {
  void* obj = Objects(index);
  Delete(index);
  InsertObject(index, value, obj);
}

void* TStrings::Objects(int) const { return nullptr; }

void TStrings::SetObjects(int, void*) {}

void TStrings::InsertObject(int index, const std::string& s, void* object) {
  Insert(index, s);
  SetObjects(index, object);
}

int TStrings::Add(const std::string& s) { return AddObject(s, nullptr); }

int TStrings::AddObject(const std::string& s, void* object) {
  int index = Count();
  InsertObject(index, s, object);
  return index;
}

void TStrings::AddStrings(const TStrings& strings) {
  TUpdateScope update(this);
  for (int i = 0; i < strings.Count(); ++i) AddObject(strings.Strings(i), strings.Objects(i));
}

int TStrings::IndexOf(const std::string& s) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(Strings(i), s)) return i;
  return -1;
}

void TStrings::Exchange(int index1, int index2) {
  std::string s1 = Strings(index1), s2 = Strings(index2);
  void* o1 = Objects(index1);
  void* o2 = Objects(index2);
  TUpdateScope update(this);
  SetStrings(index1, s2);
  SetObjects(index1, o2);
  SetStrings(index2, s1);
  SetObjects(index2, o1);
}

void TStrings::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  std::string s = Strings(curIndex);
  void* o = Objects(curIndex);
  if (newIndex < 0 || newIndex >= Count())
    throw EStringListError("List index out of bounds (" + std::to_string(newIndex) + ")");
  TUpdateScope update(this);
  Delete(curIndex);
  InsertObject(newIndex, s, o);
}

std::string TStrings::Text() const {
  std::string out;
  for (int i = 0; i < Count(); ++i) out += Strings(i) + "\r\n";
  return out;
}

void TStrings::SetText(const std::string& text) {
  TUpdateScope update(this);
  Clear();
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t j = text.find_first_of("\r\n", i);
    if (j == std::string::npos) {
      Add(text.substr(i));
      break;
    }
    Add(text.substr(i, j - i));
    if (text[j] == '\r' && j + 1 < text.size() && text[j + 1] == '\n') ++j;
    i = j + 1;
  }
}

std::string TStrings::Names(int index) const {
  std::string s = Strings(index);
  std::size_t eq = s.find('=');
  return eq == std::string::npos ? "" : s.substr(0, eq);
}

int TStrings::IndexOfName(const std::string& name) const {
  for (int i = 0; i < Count(); ++i) {
    std::string s = Strings(i);
    std::size_t eq = s.find('=');
    if (eq != std::string::npos && SameText(s.substr(0, eq), name)) return i;
  }
  return -1;
}

std::string TStrings::Values(const std::string& name) const {
  int i = IndexOfName(name);
  if (i < 0) return "";
  std::string s = Strings(i);
  return s.substr(s.find('=') + 1);
}

void TStrings::SetValues(const std::string& name, const std::string& value) {
  int i = IndexOfName(name);
  if (value.empty()) {
    if (i >= 0) Delete(i);
    return;
  }
  if (i < 0) Add(name + "=" + value);
  else SetStrings(i, name + "=" + value);
}

void TStrings::BeginUpdate() {
  if (updateCount_++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
  if (updateCount_ <= 0) return;
  if (--updateCount_ == 0) SetUpdateState(false);
}

void TStrings::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TStrings*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  TUpdateScope update(this);
  Clear();
  AddStrings(*other);
}

// ---------------------------------------------------------------------------------------
// TStringList

void TStringList::Check(int index) const {
  if (index < 0 || index >= Count())
    throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
}

std::string TStringList::Strings(int index) const {
  Check(index);
  return items_[std::size_t(index)].text;
}

void TStringList::SetStrings(int index, const std::string& value) {
  if (sorted_) throw EStringListError("Operation not allowed on sorted list");
  Check(index);
  Changing();
  items_[std::size_t(index)].text = value;
  Changed();
}

void* TStringList::Objects(int index) const {
  Check(index);
  return items_[std::size_t(index)].object;
}

void TStringList::SetObjects(int index, void* object) {
  Check(index);
  Changing();
  items_[std::size_t(index)].object = object;
  Changed();
}

void TStringList::Insert(int index, const std::string& s) { InsertObject(index, s, nullptr); }

void TStringList::InsertObject(int index, const std::string& s, void* object) {
  if (sorted_) throw EStringListError("Operation not allowed on sorted list");
  if (index < 0 || index > Count())
    throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
  InsertItem(index, s, object);
}

void TStringList::InsertItem(int index, const std::string& s, void* object) {
  Changing();
  items_.insert(items_.begin() + index, Item{s, object});
  Changed();
}

void TStringList::Delete(int index) {
  Check(index);
  Changing();
  items_.erase(items_.begin() + index);
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  items_.clear();
  Changed();
}

int TStringList::AddObject(const std::string& s, void* object) {
  if (!sorted_) {
    int index = Count();
    InsertItem(index, s, object);
    return index;
  }
  int index;
  if (Find(s, index)) return index;  // a sorted list keeps one of each string
  InsertItem(index, s, object);
  return index;
}

int TStringList::IndexOf(const std::string& s) const {
  if (!sorted_) return TStrings::IndexOf(s);
  int index;
  return Find(s, index) ? index : -1;
}

void TStringList::SetSorted(bool value) {
  if (value == sorted_) return;
  if (value) Sort();
  sorted_ = value;
}

void TStringList::Sort() {
  Changing();
  std::stable_sort(items_.begin(), items_.end(),
                   [](const Item& a, const Item& b) { return CompareText(a.text, b.text) < 0; });
  Changed();
}

bool TStringList::Find(const std::string& s, int& index) const {
  int lo = 0, hi = Count() - 1;
  bool found = false;
  while (lo <= hi) {
    int mid = (lo + hi) / 2;
    int c = CompareText(items_[std::size_t(mid)].text, s);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        lo = mid;
      }
    }
  }
  index = lo;
  return found;
}

void TStringList::SetUpdateState(bool updating) {
  // One report for the whole update: "changing" as it starts, "changed" as it ends.
  if (updating) {
    if (OnChanging) OnChanging(this);
  } else if (OnChange) {
    OnChange(this);
  }
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

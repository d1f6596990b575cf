// The object model of the class library: persistent objects that copy into each other,
// pointer lists, components that own components, collections of owned items and string lists.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ui/core/sysutils.h"

LB_DECLARE_EXCEPTION(EComponentError, Exception);
LB_DECLARE_EXCEPTION(EStringListError, Exception);

// An event that only says who raised it.
using TNotifyEvent = std::function<void(TObject* sender)>;

// ---------------------------------------------------------------------------------------
// TPersistent: an object whose state can be copied into another object.

class TPersistent : public TObject {
  LB_CLASS(TPersistent)
 public:
  // Copies source into this object. The base asks the source to copy itself here
  // (source->AssignTo(this)); a null source raises EConvertError too.
  virtual void Assign(TPersistent* source);
  // Copies this object into dest. The base raises EConvertError
  // "Cannot assign a <source ClassName> to a <dest ClassName>.".
  virtual void AssignTo(TPersistent* dest);
  // The object that owns this one in the stored form (components, collections); may be null.
  virtual TPersistent* GetOwner() { return nullptr; }
  // Dotted path of the object as the form writer names it ("Form1.ListBox1").
  virtual std::string GetNamePath();
};

// ---------------------------------------------------------------------------------------
// TList: a list of untyped pointers. Index errors raise EListError "List index out of bounds (%d)".

class TList : public TObject {
  LB_CLASS(TList)
 public:
  int Add(void* item);
  void Insert(int index, void* item);
  void Delete(int index);
  int Remove(void* item);  // returns the index it had, -1 when absent
  void* Extract(void* item);
  int IndexOf(void* item) const;
  int Count() const { return int(items_.size()); }
  void* Items(int index) const;
  void SetItems(int index, void* item);
  void* First() const { return Items(0); }
  void Clear() { items_.clear(); }
  void Exchange(int index1, int index2);
  void Move(int curIndex, int newIndex);
  void Pack();  // drops the null entries

 private:
  void Check(int index) const;
  std::vector<void*> items_;
};

// ---------------------------------------------------------------------------------------
// TComponent: a named object owned by another component, which frees it with itself.

enum TOperation { opInsert, opRemove };
enum TComponentStateFlag { csLoading, csReading, csWriting, csDestroying, csDesigning, csUpdating };
using TComponentState = TSet<TComponentStateFlag>;

class TComponent : public TPersistent {
  LB_CLASS(TComponent)
 public:
  // The owner (may be null) takes the new component into its list and frees it with itself.
  explicit TComponent(TComponent* owner);
  // Tells the components that asked for free notification, frees the owned components
  // (last first) and leaves the owner's list. Derived classes whose Notification must see
  // their children go call DestroyComponents() at the start of their own destructor,
  // because by the time this base destructor runs their overrides are gone.
  ~TComponent() override;

  TComponent* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  // Raises EComponentError "''<name>'' is not a valid component name" or
  // "A component named <name> already exists" (the check is case-insensitive).
  virtual void SetName(const std::string& name);
  std::intptr_t Tag() const { return tag_; }
  void SetTag(std::intptr_t tag) { tag_ = tag; }
  // Where a designer placed a component that is not a control: Left in the low 16 bits,
  // Top in the high 16 bits (both signed). Stored as "Left" and "Top"; no other meaning.
  std::int32_t DesignInfo() const { return designInfo_; }
  void SetDesignInfo(std::int32_t value) { designInfo_ = value; }
  // The names of the root's methods that a window definition bound to this component's
  // events ("OnClick" -> "ButtonOKClick"), in binding order, so the component writer can
  // name them again. An empty method name removes the entry.
  using TEventBinding = std::pair<std::string, std::string>;
  const std::vector<TEventBinding>& EventBindings() const { return eventBindings_; }
  void SetEventBinding(const std::string& event, const std::string& method);

  int ComponentCount() const { return int(components_.size()); }
  TComponent* Components(int index) const;  // EListError when out of range
  int ComponentIndex() const;               // index in the owner's list, -1 without owner
  // Takes a component into this one's list (removing it from its former owner first).
  void InsertComponent(TComponent* component);
  // Gives up ownership: the component is no longer freed by this one.
  void RemoveComponent(TComponent* component);
  // Frees every owned component, last first.
  void DestroyComponents();
  // The owned component of that name (case-insensitive), or null.
  TComponent* FindComponent(const std::string& name) const;

  // Asks that `component` be told (Notification(this, opRemove)) when this one is
  // destroyed. The link is mutual and is undone by either side's destruction.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  TComponentState ComponentState() const { return state_; }
  bool IsLoading() const { return state_.Contains(csLoading); }
  bool IsDesigning() const { return state_.Contains(csDesigning); }
  bool IsDestroying() const { return state_.Contains(csDestroying); }
  // Hooks of the form reader: Loading() before the properties are read (csLoading and
  // csReading on), ReadingDone() when they have been read (csReading off), Loaded() once
  // the whole form is read (csLoading off).
  virtual void Loading();
  void ReadingDone();
  virtual void Loaded();
  // Marks the start of destruction (csDestroying) for this component and its children.
  void Destroying();
  void SetDesigning(bool value, bool includeChildren = true);

  // Controls name the control they sit in; plain components have none.
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual bool HasParent() const { return false; }
  TPersistent* GetOwner() override { return owner_; }
  std::string GetNamePath() override { return name_; }

  // Told when a component joins or leaves this one's list, or when a component this one
  // asked to watch is destroyed. The base passes the news on to every owned component.
  virtual void Notification(TComponent* component, TOperation operation);

 protected:
  // Called before a rename; the base checks the new name.
  virtual void ValidateRename(TComponent* component, const std::string& curName, const std::string& newName);

 private:
  void Insert(TComponent* component);
  void Remove(TComponent* component);

  TComponent* owner_ = nullptr;
  std::string name_;
  std::intptr_t tag_ = 0;
  std::int32_t designInfo_ = 0;
  std::vector<TEventBinding> eventBindings_;
  TComponentState state_;
  // Owned: each is deleted by DestroyComponents; a component freed early takes itself out.
  std::vector<TComponent*> components_;
  std::vector<TComponent*> freeNotifies_;
};

// ---------------------------------------------------------------------------------------
// TCollection: an ordered set of items of one class, owned by the collection.

class TCollection;
class TCollectionItem;
// Makes one item of a collection's item class; it gets the collection it is made for
// (the item joins it right after construction, at the end unless inserted elsewhere).
using TCollectionItemClass = std::unique_ptr<TCollectionItem> (*)(TCollection* collection);

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollectionItem : public TPersistent {
  LB_CLASS(TCollectionItem)
 public:
  TCollectionItem() = default;
  ~TCollectionItem() override;

  TCollection* Collection() const { return collection_; }
  int ID() const { return id_; }
  int Index() const;  // -1 outside a collection
  // Moves the item to another position in its collection (clamped to the valid range).
  virtual void SetIndex(int value);
  // The name shown for the item; the base gives its class name.
  virtual std::string GetDisplayName();
  TPersistent* GetOwner() override;
  std::string GetNamePath() override;

 protected:
  // Reports a change of this item (or of all items) to the collection; while the
  // collection is updating the report waits for its final EndUpdate.
  void Changed(bool allItems);

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
  int id_ = 0;
};

class TCollection : public TPersistent {
  LB_CLASS(TCollection)
 public:
  explicit TCollection(TCollectionItemClass itemClass);
  ~TCollection() override;

  TCollectionItem* Add();
  TCollectionItem* Insert(int index);
  // Takes an item made elsewhere (for item constructors with arguments); index -1 appends.
  TCollectionItem* AddItem(std::unique_ptr<TCollectionItem> item, int index = -1);
  void Delete(int index);
  // Takes the item out of the collection without freeing it.
  std::unique_ptr<TCollectionItem> Extract(TCollectionItem* item);
  void Clear();
  int Count() const { return int(items_.size()); }
  TCollectionItem* Items(int index) const;  // EListError when out of range
  TCollectionItem* FindItemID(int id) const;
  int IndexOf(const TCollectionItem* item) const;

  // Changes while updating are reported once, by the final EndUpdate, as Update(nullptr).
  virtual void BeginUpdate();
  virtual void EndUpdate();
  int UpdateCount() const { return updateCount_; }

  // Copies the items of another collection: clears this one, then adds one item per
  // source item and lets it Assign the source item; one change report at the end.
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() override { return nullptr; }

 protected:
  // A change: item is the changed item, or null when the whole collection changed.
  virtual void Update(TCollectionItem* item);
  // An item joined (cnAdded) or is about to leave (cnExtracting, cnDeleting).
  virtual void Notify(TCollectionItem* item, TCollectionNotification action);
  // Reports a whole-collection change, or nothing while updating.
  void Changed();

 private:
  friend class TCollectionItem;
  void ItemChanged(TCollectionItem* item);
  void MoveItem(TCollectionItem* item, int newIndex);

  TCollectionItemClass itemClass_;
  std::vector<std::unique_ptr<TCollectionItem>> items_;
  int nextId_ = 0;
  int updateCount_ = 0;
};

// A collection that names an owner (the component it belongs to) for the stored form.
class TOwnedCollection : public TCollection {
  LB_CLASS(TOwnedCollection)
 public:
  TOwnedCollection(TPersistent* owner, TCollectionItemClass itemClass)
      : TCollection(itemClass), owner_(owner) {}
  TPersistent* GetOwner() override { return owner_; }

 private:
  TPersistent* owner_;
};

// ---------------------------------------------------------------------------------------
// TStrings / TStringList: lists of texts, each with an untyped object pointer.

class TStrings : public TPersistent {
  LB_CLASS(TStrings)
 public:
  virtual int Count() const = 0;
  virtual std::string Strings(int index) const = 0;  // EStringListError when out of range
  virtual void SetStrings(int index, const std::string& value);
  virtual void* Objects(int index) const;
  virtual void SetObjects(int index, void* object);
  virtual void Insert(int index, const std::string& s) = 0;
  virtual void InsertObject(int index, const std::string& s, void* object);
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;

  int Add(const std::string& s);
  virtual int AddObject(const std::string& s, void* object);
  void AddStrings(const TStrings& strings);
  virtual int IndexOf(const std::string& s) const;  // case-insensitive, -1 when absent
  void Exchange(int index1, int index2);
  void Move(int curIndex, int newIndex);
  // All lines joined with CRLF after each one; setting splits at CR, LF or CRLF.
  std::string Text() const;
  void SetText(const std::string& text);
  // "Name=Value" lines.
  std::string Names(int index) const;
  std::string Values(const std::string& name) const;
  void SetValues(const std::string& name, const std::string& value);
  int IndexOfName(const std::string& name) const;

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }
  void Assign(TPersistent* source) override;

 protected:
  // Told when an update starts (true) and ends (false); lists that show the strings
  // redraw once at the end.
  virtual void SetUpdateState(bool updating) { (void)updating; }

 private:
  int updateCount_ = 0;
};

// Keeps an update of a collection or a string list open for one scope: BeginUpdate when
// made, the matching EndUpdate when the scope ends, also when it ends by an exception.
// A failing EndUpdate raises on a normal exit; while another exception is already on its
// way out, that first error is the one the caller gets.
template <class T>
class TUpdateScope {
 public:
  explicit TUpdateScope(T* target) : target_(target), pending_(std::uncaught_exceptions()) {
    target_->BeginUpdate();
  }
  ~TUpdateScope() noexcept(false) {
    if (std::uncaught_exceptions() == pending_) {
      target_->EndUpdate();
      return;
    }
    try {
      target_->EndUpdate();
    } catch (...) {
    }
  }
  TUpdateScope(const TUpdateScope&) = delete;
  TUpdateScope& operator=(const TUpdateScope&) = delete;

 private:
  T* target_;
  int pending_;
};

class TStringList : public TStrings {
  LB_CLASS(TStringList)
 public:
  TStringList() = default;
  int Count() const override { return int(items_.size()); }
  std::string Strings(int index) const override;
  void SetStrings(int index, const std::string& value) override;
  void* Objects(int index) const override;
  void SetObjects(int index, void* object) override;
  void Insert(int index, const std::string& s) override;
  void InsertObject(int index, const std::string& s, void* object) override;
  void Delete(int index) override;
  void Clear() override;
  int AddObject(const std::string& s, void* object) override;
  int IndexOf(const std::string& s) const override;

  // A sorted list keeps its strings in case-insensitive order; Insert then raises
  // EStringListError "Operation not allowed on sorted list".
  void SetSorted(bool value);
  void Sort();
  // Binary search of a sorted list: true and the index when found, else the insert point.
  bool Find(const std::string& s, int& index) const;

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  void SetUpdateState(bool updating) override;
  void Changing();
  void Changed();

 private:
  struct Item {
    std::string text;
    void* object = nullptr;
  };
  void Check(int index) const;
  void InsertItem(int index, const std::string& s, void* object);
  std::vector<Item> items_;
  bool sorted_ = false;
};

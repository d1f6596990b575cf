// Builds components from a window definition: a registry of component classes by name, of
// the properties each class can read, of the hooks that put a control into its parent, and
// the binding of event properties to the root's methods by name.
//
// How a class library registers a class (once, before the first form is read):
//
//   RegisterComponentClass("TListBox", "TWinControl",
//                          [](TComponent* owner) -> TComponent* { return new TListBox(owner); });
//   RegisterProperty("TControl", "Left", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
//     static_cast<TControl*>(o)->SetLeft(ctx.Integer(v));
//   });
//   RegisterProperty("TControl", "Font.*", ...);          // every Font.X, see SubPropertyName()
//   RegisterEvent<TNotifyEvent>("TListBox", "OnClick",
//                               [](TPersistent* o, TNotifyEvent e) { static_cast<TListBox*>(o)->OnClick = e; });
//   RegisterParentHook("TControl", [](TComponent* child, TComponent* parent) { ... SetParent ... });
//
// Properties, parent hooks and the class chain are looked up by the object's ClassName()
// and then through the registered parents; names compare case-insensitively.
#pragma once

#include <any>
#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

#include "ui/core/classes.h"
#include "ui/core/streams.h"
#include "ui/forms/formdoc.h"

// A definition that does not fit the components: unknown property, wrong value kind,
// unknown or mismatched event handler. The message says "Error reading <path>: <what>".
LB_DECLARE_EXCEPTION(EFormLoadError, EReadError);

// Implemented by roots (forms) whose definitions bind event handlers by name. Returns the
// handler as the event's std::function type, or an empty std::any when there is none.
class IMethodProvider {
 public:
  virtual ~IMethodProvider() = default;
  virtual std::any FindMethod(const std::string& name) = 0;
};

// A ready-made method table for roots: Add("FormCreate", TNotifyEvent(...)).
class TMethodTable : public IMethodProvider {
 public:
  template <class F>
  void Add(const std::string& name, F handler) {
    methods_.push_back({name, std::any(std::move(handler))});
  }
  std::any FindMethod(const std::string& name) override;

 private:
  struct Entry {
    std::string name;
    std::any handler;
  };
  std::vector<Entry> methods_;
};

// What a method provider may return instead of a handler: only the method's name. The
// reader then records the binding (TComponent::EventBindings) and leaves the event empty;
// tools that rebuild components to write them back use this (TNameOnlyMethods).
struct TMethodName {
  std::string name;
};

// Answers every method name with a TMethodName.
class TNameOnlyMethods : public IMethodProvider {
 public:
  std::any FindMethod(const std::string& name) override { return TMethodName{name}; }
};

class TReaderContext;
using TComponentFactory = std::function<TComponent*(TComponent* owner)>;
using TPropertySetter = std::function<void(TPersistent* obj, const TfValue& value, TReaderContext& ctx)>;
using TParentHook = std::function<void(TComponent* child, TComponent* parent)>;

// What a property setter knows about where it is, and the checked conversions it uses.
class TReaderContext {
 public:
  TComponent* Root() const { return root_; }
  // The component whose record is being read (the root for its own properties).
  TComponent* Current() const { return current_; }
  // "ListBoxMain.Items.Strings": the component path and the full property name.
  std::string PropertyPath() const { return path_ + "." + property_; }
  const std::string& PropertyName() const { return property_; }
  // For a setter registered as "Font.*": what follows the prefix ("Style" of "Font.Style").
  const std::string& SubPropertyName() const { return subProperty_; }

  // Raises EFormLoadError "Error reading <path>: <message>".
  [[noreturn]] void Error(const std::string& message) const;
  // Checked views of a value; a value of another kind raises "Invalid property value".
  std::int64_t Integer(const TfValue& v) const;
  int Int32(const TfValue& v) const;
  bool Boolean(const TfValue& v) const;
  double Double(const TfValue& v) const;
  // Any string kind, in the code page (wide and UTF-8 strings converted, "?" for what it lacks).
  std::string String(const TfValue& v) const;
  std::string Ident(const TfValue& v) const;
  const std::vector<std::uint8_t>& Binary(const TfValue& v) const;
  // The root's method of that name (or the loader's method provider's, when it was given
  // one); raises when there is none of that name.
  std::any FindMethod(const std::string& name) const;

  // Applies properties to a sub-object (a collection item, a nested persistent) through
  // the registry of its class; pathSuffix extends the path in messages ("PngImages[0]").
  void ReadProperties(TPersistent* obj, const std::vector<TfProperty>& props, const std::string& pathSuffix);
  // The usual collection property: an empty list leaves the collection as it is, otherwise
  // it is cleared and one item is added and read per entry, in one update.
  void ReadCollection(TCollection* collection, const TfValue& value);
  // A reference to the root's component of that name: assign gets it (null when there is
  // none; an error instead when required) once the whole definition has been read, before
  // the components' Loaded().
  void Reference(const std::string& name, bool required, std::function<void(TComponent*)> assign);

 private:
  friend class TComponentLoader;
  struct TReference {
    std::string path, property, name;
    bool required;
    std::function<void(TComponent*)> assign;
  };
  std::vector<TReference>* references_ = nullptr;
  TComponent* root_ = nullptr;
  IMethodProvider* methods_ = nullptr;
  TComponent* current_ = nullptr;
  std::string path_;
  std::string property_;
  std::string subProperty_;
};

void RegisterComponentClass(const std::string& name, const std::string& parentClassName,
                            TComponentFactory factory);
// A class that is only read into (collection items, nested persistents): no factory.
void RegisterPersistentClass(const std::string& name, const std::string& parentClassName);
void RegisterProperty(const std::string& className, const std::string& propName, TPropertySetter setter);
void RegisterParentHook(const std::string& className, TParentHook hook);
bool IsClassRegistered(const std::string& name);
// The registered names from className up through its registered parents (className
// first); empty when className is not registered.
std::vector<std::string> RegisteredClassChain(const std::string& className);
// A new component of a registered class with a factory; raises EClassNotFound
// "Class <name> not found" for any other name.
TComponent* CreateRegisteredComponent(const std::string& className, TComponent* owner);

// A setter for an event property: an identifier names the root's method (found through
// IMethodProvider and any_cast to Event), nil clears the event.
TPropertySetter EventSetter(std::function<void(TPersistent* obj, const std::any& handler, TReaderContext& ctx)> assign);
template <class Event>
TPropertySetter EventSetterOf(std::function<void(TPersistent* obj, Event handler)> assign) {
  return EventSetter([assign](TPersistent* obj, const std::any& handler, TReaderContext& ctx) {
    if (!handler.has_value()) {
      assign(obj, Event());
      return;
    }
    if (handler.type() == typeid(TMethodName)) return;
    const Event* e = std::any_cast<Event>(&handler);
    if (!e) ctx.Error("Method has the wrong type for event " + ctx.PropertyName());
    assign(obj, *e);
  });
}
template <class Event>
void RegisterEvent(const std::string& className, const std::string& propName,
                   std::function<void(TPersistent* obj, Event handler)> assign) {
  RegisterProperty(className, propName, EventSetterOf<Event>(std::move(assign)));
}

// Reads the definition into root: the root's own properties, then every child record as a
// new component owned by root (found instead of made for inherited and inline records),
// named, put into its parent by the parent hook, its properties applied in stream order.
// Components are csLoading meanwhile; Loaded() runs for each (root first) at the end, and
// also when an error stops the reading, so what was built is usable. Errors propagate.
// Event handlers come from methods when it is given, otherwise from the root.
void LoadComponent(TComponent* root, const TfObject& doc, IMethodProvider* methods = nullptr);
void ReadComponentFromStream(TComponent* root, TStream& stream);
void ReadComponentResource(TComponent* root, const std::string& resourceName);

// The root's component of that name as T; raises EFormLoadError when absent or of another type.
template <class T>
T* FindField(TComponent* root, const std::string& name) {
  T* c = dynamic_cast<T*>(root->FindComponent(name));
  if (!c) throw EFormLoadError("Field " + name + " of " + root->Name() + " not found or of the wrong class");
  return c;
}

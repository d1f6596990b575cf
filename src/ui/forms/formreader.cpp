#include "ui/forms/formreader.h"

#include <map>
#include <utility>

#include "platform/base/ascii.h"
#include "platform/base/cp1252.h"

namespace {

struct ClassInfo {
  std::string name;
  std::string parent;  // lower-case key of the parent class, "" at the top
  TComponentFactory factory;
  std::map<std::string, TPropertySetter> properties;  // lower-case names
  TParentHook parentHook;
};

std::map<std::string, ClassInfo>& Registry() {
  static std::map<std::string, ClassInfo> registry;
  return registry;
}

ClassInfo& Entry(const std::string& name) {
  ClassInfo& info = Registry()[AsciiLowerCase(name)];
  if (info.name.empty()) info.name = name;
  return info;
}

const ClassInfo* Find(const std::string& name) {
  auto it = Registry().find(AsciiLowerCase(name));
  return it == Registry().end() ? nullptr : &it->second;
}

// Walks a class and its registered parents; a cycle in the registrations stops the walk.
template <class Fn>
bool WalkChain(const std::string& className, Fn fn) {
  const ClassInfo* info = Find(className);
  for (int guard = 0; info && guard < 256; ++guard) {
    if (fn(*info)) return true;
    if (info->parent.empty()) break;
    info = Find(info->parent);
  }
  return false;
}

// The setter for a property: its exact name first, then "Prefix.*" from the longest prefix.
const TPropertySetter* FindSetter(const std::string& className, const std::string& propName, std::string& sub) {
  const std::string key = AsciiLowerCase(propName);
  const TPropertySetter* found = nullptr;
  WalkChain(className, [&](const ClassInfo& info) {
    auto it = info.properties.find(key);
    if (it == info.properties.end()) return false;
    found = &it->second;
    return true;
  });
  if (found) {
    sub.clear();
    return found;
  }
  for (std::size_t dot = key.rfind('.'); dot != std::string::npos && dot > 0; dot = key.rfind('.', dot - 1)) {
    const std::string wild = key.substr(0, dot) + ".*";
    WalkChain(className, [&](const ClassInfo& info) {
      auto it = info.properties.find(wild);
      if (it == info.properties.end()) return false;
      found = &it->second;
      return true;
    });
    if (found) {
      sub = propName.substr(dot + 1);
      return found;
    }
  }
  return nullptr;
}

const TParentHook* FindParentHook(const std::string& className) {
  const TParentHook* hook = nullptr;
  WalkChain(className, [&](const ClassInfo& info) {
    if (!info.parentHook) return false;
    hook = &info.parentHook;
    return true;
  });
  return hook;
}

}  // namespace

// ---------------------------------------------------------------------------------------

std::any TMethodTable::FindMethod(const std::string& name) {
  const std::string key = AsciiLowerCase(name);
  for (const Entry& e : methods_)
    if (AsciiLowerCase(e.name) == key) return e.handler;
  return {};
}

void RegisterComponentClass(const std::string& name, const std::string& parentClassName, TComponentFactory factory) {
  ClassInfo& info = Entry(name);
  info.parent = AsciiLowerCase(parentClassName);
  info.factory = std::move(factory);
}

void RegisterPersistentClass(const std::string& name, const std::string& parentClassName) {
  Entry(name).parent = AsciiLowerCase(parentClassName);
}

void RegisterProperty(const std::string& className, const std::string& propName, TPropertySetter setter) {
  Entry(className).properties[AsciiLowerCase(propName)] = std::move(setter);
}

void RegisterParentHook(const std::string& className, TParentHook hook) { Entry(className).parentHook = std::move(hook); }

bool IsClassRegistered(const std::string& name) { return Find(name) != nullptr; }

std::vector<std::string> RegisteredClassChain(const std::string& className) {
  std::vector<std::string> chain;
  WalkChain(className, [&](const ClassInfo& info) {
    chain.push_back(info.name);
    return false;
  });
  return chain;
}

TComponent* CreateRegisteredComponent(const std::string& className, TComponent* owner) {
  const ClassInfo* info = Find(className);
  if (!info || !info->factory) throw EClassNotFound("Class " + className + " not found");
  TComponent* comp = info->factory(owner);
  if (!comp) throw EClassNotFound("Class " + className + " made no component");
  return comp;
}

TPropertySetter EventSetter(std::function<void(TPersistent*, const std::any&, TReaderContext&)> assign) {
  return [assign](TPersistent* obj, const TfValue& v, TReaderContext& ctx) {
    auto* component = dynamic_cast<TComponent*>(obj);
    if (v.type == vaNil) {
      assign(obj, std::any(), ctx);
      if (component) component->SetEventBinding(ctx.PropertyName(), "");
      return;
    }
    if (v.type != vaIdent) ctx.Error("Invalid property value (an event takes a method name)");
    std::any handler = ctx.FindMethod(v.text);
    assign(obj, handler, ctx);
    if (component) component->SetEventBinding(ctx.PropertyName(), v.text);
  };
}

// ---------------------------------------------------------------------------------------
// TReaderContext

void TReaderContext::Error(const std::string& message) const {
  throw EFormLoadError("Error reading " + PropertyPath() + ": " + message);
}

std::int64_t TReaderContext::Integer(const TfValue& v) const {
  if (!v.IsInteger()) Error("Invalid property value");
  return v.integer;
}

int TReaderContext::Int32(const TfValue& v) const {
  std::int64_t n = Integer(v);
  if (n < INT32_MIN || n > INT32_MAX) Error("Property value out of range");
  return int(n);
}

bool TReaderContext::Boolean(const TfValue& v) const {
  if (v.type != vaTrue && v.type != vaFalse) Error("Invalid property value");
  return v.type == vaTrue;
}

double TReaderContext::Double(const TfValue& v) const {
  if (!v.IsInteger() && !v.IsReal()) Error("Invalid property value");
  return v.AsDouble();
}

std::string TReaderContext::String(const TfValue& v) const {
  if (!v.IsString()) Error("Invalid property value");
  // Captions, fonts and titles take the code page; wide and UTF-8 values are Unicode.
  if (v.type == vaWString || v.type == vaUTF8String) return Utf8ToCp1252(v.AsString());
  return v.AsString();
}

std::string TReaderContext::Ident(const TfValue& v) const {
  if (v.type != vaIdent) Error("Invalid property value");
  return v.text;
}

const std::vector<std::uint8_t>& TReaderContext::Binary(const TfValue& v) const {
  if (v.type != vaBinary) Error("Invalid property value");
  return v.bytes;
}

std::any TReaderContext::FindMethod(const std::string& name) const {
  auto* provider = methods_ ? methods_ : dynamic_cast<IMethodProvider*>(root_);
  if (!provider) Error(std::string("Root ") + root_->ClassName() + " has no methods; cannot bind " + name);
  std::any handler = provider->FindMethod(name);
  if (!handler.has_value()) Error("Method " + name + " not found");
  return handler;
}

// ---------------------------------------------------------------------------------------
// Loading

class TComponentLoader {
 public:
  explicit TComponentLoader(TComponent* root, IMethodProvider* methods = nullptr) : root_(root) {
    ctx_.root_ = root;
    ctx_.methods_ = methods;
    ctx_.references_ = &references_;
  }

  void Load(const TfObject& doc) {
    root_->Loading();
    loaded_.push_back(root_);
    try {
      ctx_.current_ = root_;
      ctx_.path_ = doc.name.empty() ? root_->Name() : doc.name;
      if (!doc.name.empty() && root_->Name().empty()) Guard("Name", [&] { root_->SetName(doc.name); });
      Apply(root_, doc.className, doc.properties);
      for (const TfObject& child : doc.children) ReadChild(child, root_, 1);
      ResolveReferences();
    } catch (...) {
      Finish(true);
      throw;
    }
    Finish(false);
  }

  // Applies props to obj with the setters of className's chain.
  void Apply(TPersistent* obj, const std::string& className, const std::vector<TfProperty>& props) {
    for (const TfProperty& p : props) {
      ctx_.property_ = p.name;
      const TPropertySetter* setter = FindSetter(className, p.name, ctx_.subProperty_);
      if (!setter) ctx_.Error("Property " + p.name + " does not exist");
      Guard(p.name, [&] { (*setter)(obj, p.value, ctx_); });
    }
  }

  TReaderContext ctx_;

 private:
  // Runs fn; errors that do not yet say where they happened get the path put in front.
  template <class Fn>
  void Guard(const std::string& prop, Fn fn) {
    try {
      fn();
    } catch (const EFormLoadError&) {
      throw;
    } catch (const EClassNotFound&) {
      throw;
    } catch (const Exception& e) {
      ctx_.property_ = prop;
      ctx_.Error(e.Message());
    }
  }

  void ReadChild(const TfObject& rec, TComponent* parent, int depth) {
    ctx_.current_ = nullptr;
    ctx_.path_ = rec.name.empty() ? rec.className : rec.name;
    ctx_.property_.clear();
    if (depth > kMaxFormDepth)
      throw EFormLoadError("Error reading " + ctx_.path_ + ": Components nested too deep");
    TComponent* comp = nullptr;
    if (rec.hasFlags && (rec.flags & (ffInherited | ffInline))) {
      comp = root_->FindComponent(rec.name);
      if (!comp) throw EFormLoadError("Error reading " + ctx_.path_ + ": Ancestor for '" + rec.name + "' not found");
      if (!comp->IsLoading()) {
        comp->Loading();
        loaded_.push_back(comp);
      }
    } else {
      const ClassInfo* info = Find(rec.className);
      if (!info || !info->factory)
        throw EClassNotFound("Error reading " + ctx_.path_ + ": Class " + rec.className + " not found");
      comp = info->factory(root_);
      if (!comp) throw EFormLoadError("Error reading " + ctx_.path_ + ": Class " + rec.className + " made no component");
      if (comp->Owner() != root_) root_->InsertComponent(comp);
      comp->Loading();
      loaded_.push_back(comp);
      Guard("Name", [&] { comp->SetName(rec.name); });
      if (const TParentHook* hook = FindParentHook(rec.className)) Guard("Parent", [&] { (*hook)(comp, parent); });
    }
    ctx_.current_ = comp;
    Apply(comp, rec.className, rec.properties);
    for (const TfObject& child : rec.children) ReadChild(child, comp, depth + 1);
  }

  void ResolveReferences() {
    for (TReaderContext::TReference& r : references_) {
      ctx_.path_ = r.path;
      ctx_.property_ = r.property;
      TComponent* found = root_->FindComponent(r.name);
      if (!found && r.required) ctx_.Error("Component " + r.name + " not found");
      Guard(r.property, [&] { r.assign(found); });
    }
    references_.clear();
  }

  void Finish(bool failing) {
    for (TComponent* c : loaded_) c->ReadingDone();
    for (TComponent* c : loaded_) {
      if (!failing) {
        c->Loaded();
        continue;
      }
      // The first error is the one to report; later ones from half-read components are not.
      try {
        c->Loaded();
      } catch (...) {
      }
    }
  }

  TComponent* root_;
  std::vector<TComponent*> loaded_;
  std::vector<TReaderContext::TReference> references_;
};

void TReaderContext::ReadProperties(TPersistent* obj, const std::vector<TfProperty>& props,
                                    const std::string& pathSuffix) {
  TReaderContext saved = *this;
  TComponentLoader loader(root_);
  loader.ctx_ = *this;
  loader.ctx_.path_ = PropertyPath() + pathSuffix;
  loader.Apply(obj, obj->ClassName(), props);
  *this = saved;
}

void TReaderContext::ReadCollection(TCollection* collection, const TfValue& value) {
  if (value.type != vaCollection) Error("Invalid property value (a collection expected)");
  if (value.items.empty()) return;
  TUpdateScope update(collection);
  collection->Clear();
  for (std::size_t i = 0; i < value.items.size(); ++i) {
    TCollectionItem* item = collection->Add();
    ReadProperties(item, value.items[i].properties, "[" + std::to_string(i) + "]");
  }
}

void TReaderContext::Reference(const std::string& name, bool required, std::function<void(TComponent*)> assign) {
  references_->push_back({path_, property_, name, required, std::move(assign)});
}

void LoadComponent(TComponent* root, const TfObject& doc, IMethodProvider* methods) {
  TComponentLoader loader(root, methods);
  loader.Load(doc);
}

void ReadComponentFromStream(TComponent* root, TStream& stream) { LoadComponent(root, ReadTpf0(stream)); }

void ReadComponentResource(TComponent* root, const std::string& resourceName) {
  TResourceStream stream(resourceName);
  ReadComponentFromStream(root, stream);
}

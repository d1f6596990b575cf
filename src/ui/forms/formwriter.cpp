#include "ui/forms/formwriter.h"

#include <algorithm>
#include <map>

#include "ui/forms/formreader.h"

namespace {

struct Writers {
  std::vector<TPropertyWriter> published;
  std::vector<TPropertyWriter> defined;
};

std::map<std::string, Writers>& WriterRegistry() {
  static std::map<std::string, Writers> registry;
  return registry;
}

const Writers* WritersOf(const std::string& className) {
  auto it = WriterRegistry().find(LowerCase(className));
  return it == WriterRegistry().end() ? nullptr : &it->second;
}

// The writers of one phase for obj's class chain, top of the chain (or fromClass) first.
std::vector<const TPropertyWriter*> ChainWriters(TPersistent* obj, TWriterPhase phase, const std::string& fromClass = "") {
  std::vector<std::string> chain = RegisteredClassChain(obj->ClassName());
  auto top = std::find_if(chain.begin(), chain.end(), [&](const std::string& c) { return SameText(c, fromClass); });
  if (top != chain.end()) chain.erase(top + 1, chain.end());
  std::vector<const TPropertyWriter*> out;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    const Writers* w = WritersOf(*it);
    if (!w) continue;
    for (const TPropertyWriter& f : phase == TWriterPhase::Published ? w->published : w->defined) out.push_back(&f);
  }
  return out;
}

}  // namespace

class TComponentWriter {
 public:
  explicit TComponentWriter(TComponent* root) : root_(root) {}

  TfObject Record(TComponent* c, int depth) {
    if (depth > kMaxFormDepth) throw EFormWriteError("Components nested too deep");
    TfObject rec;
    rec.className = c->ClassName();
    rec.name = c->Name();
    if (RegisteredClassChain(rec.className).empty())
      throw EFormWriteError("Class " + rec.className + " is not registered");
    TWriterContext ctx = Context(rec.properties, c);
    for (const TPropertyWriter* w : ChainWriters(c, TWriterPhase::Published)) (*w)(c, ctx);
    if (!c->HasParent() && c->DesignInfo() != 0) {
      ctx.Write("Left", TfValue::Integer(std::int16_t(c->DesignInfo() & 0xFFFF), vaInt16));
      ctx.Write("Top", TfValue::Integer(std::int16_t(std::uint32_t(c->DesignInfo()) >> 16), vaInt16));
    }
    for (const TPropertyWriter* w : ChainWriters(c, TWriterPhase::Defined)) (*w)(c, ctx);
    for (const TComponent::TEventBinding& binding : c->EventBindings()) {
      bool done = std::any_of(ctx.eventsWritten_.begin(), ctx.eventsWritten_.end(),
                              [&](const std::string& e) { return SameText(e, binding.first); });
      if (!done) ctx.Write(binding.first, TfValue::Ident(binding.second));
    }
    for (int i = 0; i < root_->ComponentCount(); ++i) {
      TComponent* child = root_->Components(i);
      TComponent* parent = child->GetParentComponent();
      if (child != c && (parent == c || (!parent && c == root_))) rec.children.push_back(Record(child, depth + 1));
    }
    return rec;
  }

  TWriterContext Context(std::vector<TfProperty>& out, TPersistent* current) {
    TWriterContext ctx;
    ctx.writer_ = this;
    ctx.current_ = current;
    ctx.root_ = root_;
    ctx.out_ = &out;
    return ctx;
  }

  TPersistent* DefaultsFor(TPersistent* obj) {
    if (!dynamic_cast<TComponent*>(obj)) return nullptr;
    const std::string cls = obj->ClassName();
    auto it = defaults_.find(cls);
    if (it != defaults_.end()) return it->second.get();
    std::unique_ptr<TComponent> fresh;
    try {
      fresh.reset(CreateRegisteredComponent(cls, nullptr));
    } catch (const EClassNotFound&) {
    }
    return (defaults_[cls] = std::move(fresh)).get();
  }

 private:
  TComponent* root_;
  std::map<std::string, std::unique_ptr<TComponent>> defaults_;
};

void TWriterContext::Write(const std::string& name, TfValue value) { out_->push_back(TfProperty{name, std::move(value)}); }

bool TWriterContext::Unwrite(const std::string& name) {
  auto it = std::find_if(out_->begin(), out_->end(), [&](const TfProperty& p) { return p.name == name; });
  if (it == out_->end()) return false;
  out_->erase(it);
  return true;
}

void TWriterContext::WriteEvent(TComponent* component, const std::string& event) {
  for (const auto& [e, method] : component->EventBindings()) {
    if (!SameText(e, event)) continue;
    Write(event, TfValue::Ident(method));
    eventsWritten_.push_back(event);
    return;
  }
}

TfValue TWriterContext::Collection(TCollection* collection) {
  TfValue v;
  v.type = vaCollection;
  for (int i = 0; i < collection->Count(); ++i) {
    TfCollectionItem entry;
    TCollectionItem* item = collection->Items(i);
    TWriterContext ctx = writer_->Context(entry.properties, item);
    for (const TPropertyWriter* w : ChainWriters(item, TWriterPhase::Published)) (*w)(item, ctx);
    for (const TPropertyWriter* w : ChainWriters(item, TWriterPhase::Defined)) (*w)(item, ctx);
    v.items.push_back(std::move(entry));
  }
  return v;
}

TPersistent* TWriterContext::Defaults() { return writer_->DefaultsFor(current_); }

void RegisterPropertyWriter(const std::string& className, TPropertyWriter writer, TWriterPhase phase) {
  Writers& w = WriterRegistry()[LowerCase(className)];
  (phase == TWriterPhase::Published ? w.published : w.defined).push_back(std::move(writer));
}

void RegisterComponentBaseClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterPersistentClass("TPersistent", "");
  RegisterPersistentClass("TComponent", "TPersistent");
  RegisterProperty("TComponent", "Tag", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    static_cast<TComponent*>(o)->SetTag(std::intptr_t(ctx.Integer(v)));
  });
  // Controls register Left and Top of their own, which the class chain finds first.
  RegisterProperty("TComponent", "Left", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    auto* c = static_cast<TComponent*>(o);
    const std::uint32_t left = std::uint16_t(ctx.Int32(v));
    c->SetDesignInfo(std::int32_t((std::uint32_t(c->DesignInfo()) & 0xFFFF0000u) | left));
  });
  RegisterProperty("TComponent", "Top", [](TPersistent* o, const TfValue& v, TReaderContext& ctx) {
    auto* c = static_cast<TComponent*>(o);
    const std::uint32_t top = std::uint16_t(ctx.Int32(v));
    c->SetDesignInfo(std::int32_t((std::uint32_t(c->DesignInfo()) & 0xFFFFu) | (top << 16)));
  });
  RegisterPropertyWriter("TComponent", [](TPersistent* o, TWriterContext& ctx) {
    if (auto tag = static_cast<TComponent*>(o)->Tag()) ctx.Write("Tag", TfValue::Integer(tag));
  });
}

TfObject WriteComponent(TComponent* root) { return TComponentWriter(root).Record(root, 0); }

std::vector<TfProperty> WriteClassProperties(TComponent* component, const std::string& fromClass) {
  TComponentWriter writer(component);
  std::vector<TfProperty> out;
  TWriterContext ctx = writer.Context(out, component);
  for (const TPropertyWriter* w : ChainWriters(component, TWriterPhase::Published, fromClass)) (*w)(component, ctx);
  return out;
}

// Writes live components back as a window definition. Each class registers property
// writers; a record gets, in order, the writers of its classes from the top of the chain
// down (each class's in registration order), the designer position of a component that
// is not a control, then the stored data properties (the "Defined" writers, such as an
// image list's "Bitmap"), then any event binding no writer named. Child records are the
// root's components whose parent component is the record's component, in the root's order.
//
//   RegisterPropertyWriter("TControl", [](TPersistent* o, TWriterContext& ctx) {
//     ctx.Write("Left", TfValue::Integer(static_cast<TControl*>(o)->Left()));
//   });
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/core/classes.h"
#include "ui/core/streams.h"
#include "ui/forms/formdoc.h"

enum class TWriterPhase { Published, Defined };

class TComponentWriter;

class TWriterContext {
 public:
  TComponent* Root() const { return root_; }
  // Appends a property to the record or collection item being written.
  void Write(const std::string& name, TfValue value);
  // Takes back a property an earlier writer of the chain wrote: for a class whose rule
  // for storing it is not its base's. True when there was one.
  bool Unwrite(const std::string& name);
  // Writes the event as the name of the root's method a window definition bound to it.
  void WriteEvent(TComponent* component, const std::string& event);
  // A collection value: one entry per item with the properties its class's writers give.
  TfValue Collection(TCollection* collection);
  // A new component of the written component's class, as its factory makes it, to tell
  // which properties differ from their defaults; null for collection items and classes
  // without a factory. Made once per class and write.
  TPersistent* Defaults();

 private:
  friend class TComponentWriter;
  TComponentWriter* writer_ = nullptr;
  TPersistent* current_ = nullptr;
  TComponent* root_ = nullptr;
  std::vector<TfProperty>* out_ = nullptr;
  std::vector<std::string> eventsWritten_;
};

using TPropertyWriter = std::function<void(TPersistent* obj, TWriterContext& ctx)>;

void RegisterPropertyWriter(const std::string& className, TPropertyWriter writer,
                            TWriterPhase phase = TWriterPhase::Published);

// The properties every component has: Tag, and the designer position "Left" and "Top"
// of components that are not controls (read and write). Safe to call again.
void RegisterComponentBaseClasses();

// The root's record with its children. The root's class must be registered.
TfObject WriteComponent(TComponent* root);

// What the published writers of fromClass and the classes below it in the component's
// chain store for it, in record order: the properties those classes add to its record.
std::vector<TfProperty> WriteClassProperties(TComponent* component, const std::string& fromClass);

// Event adapters: a script routine assigned to an event property of a native object
// (Button1.OnClick := @Button1Click) runs when the object raises the event. One generic sink,
// TfsCustomEvent, runs the routine over a list of Variants; an adapter describes one native
// event signature and turns the native arguments into that list and the by-reference ones
// back. fsScript.h holds the event member of a class entry that creates the sinks.
#pragma once

#include <cstdint>
#include <memory>
#include <type_traits>
#include <typeinfo>
#include <vector>

#include "platform/rtl/Events.h"
#include "platform/rtl/ObjectHandles.h"
#include "platform/rtl/Variants.h"

class TfsProcVariable;

// The sink behind one assignment of a routine to one object's event. Native events hold it
// (shared) for as long as they point at it; the global event list keeps it until the script
// frees the object or the interpreter shuts down. When the routine dies first (the script is
// recompiled or freed), the sink stays but does nothing.
class TfsCustomEvent : public TObject {
public:
  TfsCustomEvent(TObject* instance, TfsProcVariable* handler);
  ~TfsCustomEvent() override;

  // Runs the handler with the values as its parameters, in order: a parameter beyond the
  // values gets Null, a value beyond the parameters is not passed. Afterwards each value the
  // handler has a parameter for holds that parameter's value, so by-reference arguments can
  // be copied back. An event raised while its handler already runs (a resize caused by the
  // resize handler) is not passed to the script again.
  void CallHandler(std::vector<Variant>& values);

  TfsProcVariable* Handler() const { return FHandler; }
  // The handle of the object the sink was made for (0 once that object died).
  Integer InstanceHandle() const { return FInstance; }
  // Called when a routine dies: every sink running it goes quiet.
  static void HandlerDestroyed(TfsProcVariable* handler);

private:
  Integer FInstance;
  TfsProcVariable* FHandler;
};

// One native event signature: its name, the C++ signature, and how to make a handler of that
// signature that calls a sink.
class TfsEventAdapter {
public:
  virtual ~TfsEventAdapter() = default;
  virtual const char* Name() const = 0;
  virtual const std::type_info& Signature() const = 0;
  // A native handler that converts its arguments and calls the sink; it keeps the sink alive.
  virtual TMethod MakeMethod(const std::shared_ptr<TfsCustomEvent>& sink) const = 0;
};

namespace fsevents_detail {

// Native argument -> Variant, the way scripts see it: objects as handles, enumerations as
// ordinals, sets as bit masks, characters as one-character texts.
template <class T> Variant ToVariant(const T& value)
{
  if constexpr (std::is_pointer_v<T>)
    return VarFromObject(value);
  else if constexpr (std::is_same_v<T, bool>)
    return Variant(value);
  else if constexpr (std::is_same_v<T, char>)
    return Variant(AnsiString(1, value));
  else if constexpr (std::is_enum_v<T>)
    return Variant(static_cast<Integer>(value));
  else if constexpr (std::is_integral_v<T> && sizeof(T) <= sizeof(Integer))
    return Variant(static_cast<Integer>(value));
  else if constexpr (std::is_integral_v<T>)
    return Variant(static_cast<Int64>(value));
  else if constexpr (std::is_floating_point_v<T>)
    return Variant(static_cast<Double>(value));
  else if constexpr (std::is_same_v<T, AnsiString>)
    return Variant(value);
  else
    return Variant(static_cast<Integer>(value.Raw())); // a TSet: its bit mask
}

// Variant -> the native by-reference argument after the routine ran.
template <class T> void FromVariant(const Variant& value, T& target)
{
  if constexpr (std::is_same_v<T, bool>) {
    target = value.AsBoolean();
  } else if constexpr (std::is_same_v<T, char>) {
    const AnsiString text = VarToStr(value);
    target = text.empty() ? '\0' : text[0];
  } else if constexpr (std::is_enum_v<T>) {
    target = static_cast<T>(value.AsInteger());
  } else if constexpr (std::is_integral_v<T>) {
    target = static_cast<T>(value.AsInt64());
  } else if constexpr (std::is_floating_point_v<T>) {
    target = static_cast<T>(value.AsDouble());
  } else if constexpr (std::is_same_v<T, AnsiString>) {
    target = VarToStr(value);
  } else {
    target = T::FromRaw(static_cast<std::uint32_t>(value.AsInteger()));
  }
}

// Copies a value back into a native argument declared as a non-const reference (A is the
// argument's declared type).
template <class A> void WriteBack(const Variant& value, std::remove_reference_t<A>& arg)
{
  using T = std::remove_reference_t<A>;
  if constexpr (std::is_lvalue_reference_v<A> && !std::is_const_v<T>)
    FromVariant(value, arg);
}

template <class Signature> class TEventAdapterOf;

template <class... Args> class TEventAdapterOf<void(Args...)> final : public TfsEventAdapter {
public:
  explicit TEventAdapterOf(const char* name) : FName(name) {}
  const char* Name() const override { return FName; }
  const std::type_info& Signature() const override { return typeid(void(Args...)); }
  TMethod MakeMethod(const std::shared_ptr<TfsCustomEvent>& sink) const override
  {
    TEvent<void(Args...)> event([sink](Args... args) {
      std::vector<Variant> values{ToVariant(static_cast<const std::decay_t<Args>&>(args))...};
      sink->CallHandler(values);
      size_t i = 0;
      (WriteBack<Args>(values[i++], args), ...);
    });
    return TMethod(event);
  }

private:
  const char* FName;
};

} // namespace fsevents_detail

// The adapter of event type E (a TEvent<void(...)>), made once; name is the adapter's name
// ("TfsNotifyEvent", "TfsMouseEvent" ...).
template <class E> const TfsEventAdapter& fsEventAdapter(const char* name)
{
  static const fsevents_detail::TEventAdapterOf<typename E::Signature> adapter(name);
  return adapter;
}

// The global event list: every sink made by an event assignment, until the script frees the
// object it was made for or the interpreter shuts down.
void AddToEventList(std::shared_ptr<TfsCustomEvent> sink);
// Drops the sinks made for that object (a script frees it).
void RemoveEventsOfInstance(TObject* instance);
// The number of sinks in the list.
Integer EventListCount();
void ClearEventList();

// Events: TEvent<Signature>, the one delegate type behind every OnXxx member, and the common
// event types. A delegate is called like std::function and carries an identity (the object
// and the method it names), so two handlers compare equal when they name the same method of
// the same object; reflection (TypInfo.h) moves them around type-erased as TMethod.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>
#include <typeinfo>
#include <utility>

#include "platform/rtl/Sets.h"
#include "platform/rtl/Types.h"

class TObject;

// What makes two handlers the same: the object they are bound to, the code they run and the
// class whose member that code is. A lambda or functor gets a serial number of its own as its
// code; copies of one delegate share it.
struct TMethodIdentity {
  const void* Data = nullptr;
  std::uintptr_t Code[2] = {0, 0};
  const std::type_info* Kind = nullptr;

  bool IsNull() const { return Kind == nullptr; }
  friend bool operator==(const TMethodIdentity& a, const TMethodIdentity& b)
  {
    if (a.Kind != b.Kind && (!a.Kind || !b.Kind || *a.Kind != *b.Kind))
      return false;
    return a.Data == b.Data && a.Code[0] == b.Code[0] && a.Code[1] == b.Code[1];
  }
};

namespace events_detail {

// Identity kind of handlers made from lambdas and functors.
struct LambdaKind {};

// Handlers are made on the main thread only, so a plain counter serves.
inline std::uintptr_t NextLambdaSerial()
{
  static std::uintptr_t serial = 0;
  return ++serial;
}

} // namespace events_detail

template <class Signature> class TEvent;

template <class R, class... Args> class TEvent<R(Args...)> {
public:
  using Signature = R(Args...);

  TEvent() = default;
  TEvent(std::nullptr_t) {}

  // A plain function: its address is its identity.
  TEvent(R (*fn)(Args...))
  {
    if (!fn)
      return;
    FId.Kind = &typeid(Signature);
    FId.Code[0] = reinterpret_cast<std::uintptr_t>(fn);
    FThunk = [](const TEvent& e, Args... args) -> R {
      return reinterpret_cast<R (*)(Args...)>(e.FId.Code[0])(std::forward<Args>(args)...);
    };
  }

  // A lambda or functor: a new identity, equal only to copies of this delegate.
  template <class F, class = std::enable_if_t<!std::is_same_v<std::decay_t<F>, TEvent> &&
                                              !std::is_pointer_v<std::decay_t<F>> &&
                                              std::is_invocable_r_v<R, std::decay_t<F>&, Args...>>>
  TEvent(F&& f)
  {
    using Fn = std::decay_t<F>;
    FCallable = std::make_shared<Fn>(std::forward<F>(f));
    FId.Kind = &typeid(events_detail::LambdaKind);
    FId.Code[0] = events_detail::NextLambdaSerial();
    FThunk = [](const TEvent& e, Args... args) -> R {
      return (*static_cast<Fn*>(e.FCallable.get()))(std::forward<Args>(args)...);
    };
  }

  // A method of an object: TNotifyEvent::Bind(this, &TFoo::ListChanged).
  template <class C, class B> static TEvent Bind(C* obj, R (B::*method)(Args...))
  {
    return BindMember<B, R (B::*)(Args...)>(obj, method);
  }
  template <class C, class B> static TEvent Bind(const C* obj, R (B::*method)(Args...) const)
  {
    return BindMember<const B, R (B::*)(Args...) const>(obj, method);
  }

  // Calls the handler. An unassigned delegate does nothing (and returns R()), so a
  // forgotten test cannot jump through a null pointer.
  R operator()(Args... args) const
  {
    if (!FThunk) {
      if constexpr (std::is_void_v<R>)
        return;
      else
        return R();
    }
    return FThunk(*this, std::forward<Args>(args)...);
  }

  bool Assigned() const { return FThunk != nullptr; }
  explicit operator bool() const { return Assigned(); }

  // The object a bound method belongs to (null for functions and lambdas); Object() is the
  // same object when its class derives from TObject.
  const void* Data() const { return FId.Data; }
  TObject* Object() const { return FObject; }
  const TMethodIdentity& Identity() const { return FId; }

  friend bool operator==(const TEvent& a, const TEvent& b) { return a.FId == b.FId; }
  friend bool operator==(const TEvent& a, std::nullptr_t) { return !a.Assigned(); }

private:
  using Thunk = R (*)(const TEvent&, Args...);

  template <class B, class M, class C> static TEvent BindMember(C* obj, M method)
  {
    static_assert(std::is_base_of_v<std::remove_const_t<B>, std::remove_const_t<C>>,
                  "the method must belong to the object's class");
    static_assert(sizeof(M) <= sizeof(TMethodIdentity::Code), "unexpected member pointer size");
    TEvent e;
    if (!obj || !method)
      return e;
    B* self = obj; // the method's own class: the same address whichever way it is reached
    e.FId.Data = static_cast<const void*>(self);
    e.FId.Kind = &typeid(M);
    std::memcpy(e.FId.Code, &method, sizeof(M));
    if constexpr (std::is_base_of_v<TObject, std::remove_const_t<C>>)
      e.FObject = const_cast<std::remove_const_t<C>*>(obj);
    e.FThunk = [](const TEvent& ev, Args... args) -> R {
      M m;
      std::memcpy(&m, ev.FId.Code, sizeof(M));
      B* target = static_cast<B*>(const_cast<void*>(ev.FId.Data));
      return (target->*m)(std::forward<Args>(args)...);
    };
    return e;
  }

  TMethodIdentity FId;
  Thunk FThunk = nullptr;
  TObject* FObject = nullptr;
  std::shared_ptr<void> FCallable; // lambdas and functors only
};

// Keyboard and mouse modifier state of input events.
enum TShiftStateElement { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateElement>;

// The common event types.
using TNotifyEvent = TEvent<void(TObject* Sender)>;
using TGetStrProc = TEvent<void(const AnsiString& S)>;
using TKeyEvent = TEvent<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = TEvent<void(TObject* Sender, char& Key)>;

// A handler of any event type, as reflection reads and writes method properties: a copy of
// a TEvent<Signature> together with that signature. Two values compare equal when their
// handlers do.
class TMethod {
public:
  TMethod() = default;
  TMethod(std::nullptr_t) {}
  template <class Signature> TMethod(const TEvent<Signature>& event)
  {
    if (!event)
      return;
    FSignature = &typeid(Signature);
    FId = event.Identity();
    FObject = event.Object();
    FEvent = std::make_shared<TEvent<Signature>>(event);
  }

  bool Assigned() const { return FEvent != nullptr; }
  explicit operator bool() const { return Assigned(); }
  const TMethodIdentity& Identity() const { return FId; }
  const void* Data() const { return FId.Data; }
  TObject* Object() const { return FObject; }
  // The signature of the handler; null when unassigned.
  const std::type_info* Signature() const { return FSignature; }

  // The handler as an event of type E; an unassigned value gives an unassigned event, a
  // handler of another signature raises EPropertyError "Invalid property value".
  template <class E> E As() const
  {
    if (!FEvent)
      return E();
    if (*FSignature != typeid(typename E::Signature))
      RaiseSignatureMismatch();
    return *static_cast<const E*>(FEvent.get());
  }

  friend bool operator==(const TMethod& a, const TMethod& b) { return a.FId == b.FId; }

private:
  [[noreturn]] static void RaiseSignatureMismatch();

  const std::type_info* FSignature = nullptr;
  TMethodIdentity FId;
  TObject* FObject = nullptr;
  std::shared_ptr<const void> FEvent;
};

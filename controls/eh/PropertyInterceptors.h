// Read-property interceptors: a registry pairing a class with the interceptor class that
// would stand in for its objects while their stored properties are read, the base
// interceptor, and the one for forms, which restores a form's placement and rescales it to
// the screen's resolution. The registry is filled at start-up (forms here, the grid's
// columns in their own unit); nothing in the program reads through it yet.
#pragma once

#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/Object.h"
#include "platform/ui/Forms.h"

class TStoragePropertyInterceptor;

// An interceptor class: its class record and its virtual constructor.
struct TStoragePropertyInterceptorClass {
  TClass Class = nullptr;
  TStoragePropertyInterceptor* (*Create)(TPersistent* Target) = nullptr;
  friend bool operator==(const TStoragePropertyInterceptorClass& A,
                         const TStoragePropertyInterceptorClass& B)
  {
    return A.Class == B.Class;
  }
};
template <class T> TStoragePropertyInterceptorClass InterceptorClassOf()
{
  return {ClassInfoOf(typeid(T)),
          [](TPersistent* Target) -> TStoragePropertyInterceptor* { return new T(Target); }};
}

// Stands for a target object while its stored properties are read.
class TStoragePropertyInterceptor : public TPersistent {
public:
  explicit TStoragePropertyInterceptor(TPersistent* Target) : FTarget(Target) {}
  TPersistent* Target() const { return FTarget; }
  virtual bool WantsIntercept() { return true; }
  // Called once every property was read.
  virtual void AfterRead() {}

private:
  TPersistent* FTarget; // not owned
};

// A form's placement: the bounds of its normal (restored) state, its window state, its
// resolution and its focused control.
class TFormStoragePropertyInterceptor : public TStoragePropertyInterceptor {
public:
  explicit TFormStoragePropertyInterceptor(TPersistent* Target);

  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* Value) { FActiveControl = Value; }
  // Reading a bound answers the target form's current restored bounds (0 without a form).
  Integer Left() const;
  void SetLeft(Integer Value);
  Integer Top() const;
  void SetTop(Integer Value);
  Integer Width() const;
  void SetWidth(Integer Value) { FWidth = Value; }
  Integer Height() const;
  void SetHeight(Integer Value) { FHeight = Value; }
  Integer PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(Integer Value) { FPixelsPerInch = Value; }
  TWindowState WindowState() const { return FWindowState; }
  void SetWindowState(TWindowState Value) { FWindowState = Value; }
  bool PositionPresent() const { return FPosPresent; }

  // Rescales the bounds read by the screen's resolution over the stored one, then puts
  // state, focus and bounds on the form.
  void AfterRead() override;

private:
  TCustomForm* Form() const;

  TWinControl* FActiveControl = nullptr;
  Integer FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  Integer FPixelsPerInch = 0;
  TWindowState FWindowState = wsNormal;
  bool FPosPresent = false;
};

// Every pair registered for TargetClass is replaced by this one.
void AddReadInterceptor(TClass TargetClass, const TStoragePropertyInterceptorClass& Interceptor);
// Removes the pairs that match both.
void RemoveReadInterceptor(TClass TargetClass, const TStoragePropertyInterceptorClass& Interceptor);
// The interceptor class registered for exactly that class; Class is null when none is.
TStoragePropertyInterceptorClass FindReadInterceptor(TClass TargetClass);

// The bounds of the form's normal state: its window placement's normal rectangle when it is
// minimised or maximised and has a window, else Left, Top, Left + Width, Top + Height.
TRect FormRestoredBounds(TCustomForm* Form);

void PropertyInterceptorsInitialization();
void PropertyInterceptorsFinalization();

// TDataModule: the non-visual container root. It owns connections, datasets and other
// non-visual components and streams every one of them as its children; the modules alive
// are listed, so components can be found by their module's name (the window layer's screen
// and global lookup read the list). Classes.h has the component model.
#pragma once

#include "platform/rtl/Classes.h"

class TDataModule : public TComponent {
public:
  explicit TDataModule(TComponent* AOwner);
  ~TDataModule() override;
  void AfterConstruction() override; // fires OnCreate
  void BeforeDestruction() override; // fires OnDestroy

  // The owned components that are not written by a parent component of their own (a
  // dataset writes its fields), in the order they were created.
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
};

// The data modules alive now, in the order they were created; a bad index raises
// EListError "List index out of bounds (<index>)".
Integer DataModuleCount();
TDataModule* DataModules(Integer Index);

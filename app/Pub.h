// The shared data module: the program's 16 x 16 image list.
#pragma once

#include "platform/ui/Forms.h"

class TImageList;

class TPubFrm : public TDataModule {
public:
  explicit TPubFrm(TComponent* AOwner);

  TImageList* ImageList1;
};

extern TPubFrm* PubFrm;

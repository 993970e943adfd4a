// The shared data module; see Pub.h.
#include "app/Pub.h"

#include "platform/graphics/ImgList.h"

TPubFrm* PubFrm = nullptr;

TPubFrm::TPubFrm(TComponent* AOwner) : TDataModule(AOwner)
{
  SetName("PubFrm");
  ImageList1 = new TImageList(16, 16, this);
  ImageList1->SetName("ImageList1");
}

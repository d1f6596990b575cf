// The image-list classes as window definitions store them: one table row per property, in
// the order the stored form keeps.
#include "ui/forms/proptable.h"
#include "ui/imglist/imglist.h"

void RegisterImageListClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterComponentBaseClasses();
  RegisterComponentClass("TCustomImageList", "TComponent", nullptr);
  RegisterComponentClass("TDragImageList", "TCustomImageList", nullptr);
  RegisterComponentClass("TImageList", "TDragImageList", [](TComponent* owner) { return new TImageList(owner); });
  using L = TCustomImageList;
  TPropertyTable<L>("TCustomImageList")
      .Color("BlendColor", &L::BlendColor, &L::SetBlendColor)
      .Color("BkColor", &L::BkColor, &L::SetBkColor)
      .Int("AllocBy", &L::AllocBy, &L::SetAllocBy)
      .Enum("DrawingStyle", &L::DrawingStyle, &L::SetDrawingStyle,
            TEnumNames::Indexed({"dsFocus", "dsSelected", "dsNormal", "dsTransparent"}))
      .Int("Height", &L::Height, &L::SetHeight)
      .Enum("ImageType", &L::ImageType, &L::SetImageType, TEnumNames::Indexed({"itImage", "itMask"}))
      .Bool("Masked", &L::Masked, &L::SetMasked)
      .Event("OnChange", &L::OnChange, true)
      .Bool("ShareImages", &L::ShareImages, &L::SetShareImages)
      .Int("Width", &L::Width, &L::SetWidth)
      .Binary("Bitmap", &L::WriteData, &L::ReadData).Stored([](L* l) { return l->Count() > 0; }).Defined()
      .Register();
}

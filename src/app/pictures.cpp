#include "app/pictures.h"

namespace corvane {

ShellPictures pictures;

void LoadPictures() {
  logoPicture = tk::LoadPicture(kLogoPicture);
  downloadPicture = tk::LoadPicture(kDownloadPicture);
  packagePicture = tk::LoadPicture(kPackagePicture);
  iconStrip = tk::LoadIconStrip(kIconStrip);
}

void ResetPictures() {
  logoPicture.reset();
  downloadPicture.reset();
  packagePicture.reset();
  iconStrip.reset();
}

tk::Gadget* AddPicturePanel(tk::Gadget* container, int x, int y, int w, int h,
                            const tk::PicturePtr& picture) {
  tk::Gadget* panel = tk::CreatePanel(x, y, w, h, container, 0);
  if (panel && picture) panel->SetPicture(picture, tk::kPictureStretch);
  return panel;
}

}  // namespace corvane

// The pictures the shell shows, decoded from the resources embedded in the
// program: the toolchain logo (Start page, Info box), the Download and
// Install page pictures, and the strip of package-kind icons.  A picture that
// cannot be loaded stays null and its panel or box simply has none.
#pragma once

#include "toolkit/toolkit.h"

namespace corvane {

inline constexpr const char* kLogoPicture = "incbin::gfx/tarnic120_T.png";
inline constexpr const char* kDownloadPicture = "incbin::gfx/download_128x128.png";
inline constexpr const char* kPackagePicture = "incbin::gfx/package_128x128.png";
inline constexpr const char* kIconStrip = "incbin::gfx/icons.png";

// The decoded pictures, loaded by LoadPictures.
struct ShellPictures {
  tk::PicturePtr logoPicture{};
  tk::PicturePtr downloadPicture{};
  tk::PicturePtr packagePicture{};
  tk::IconStripPtr iconStrip{};
};
extern ShellPictures pictures;
// The names the rest of the program and the tests use.
inline tk::PicturePtr& logoPicture = pictures.logoPicture;
inline tk::PicturePtr& downloadPicture = pictures.downloadPicture;
inline tk::PicturePtr& packagePicture = pictures.packagePicture;
inline tk::IconStripPtr& iconStrip = pictures.iconStrip;

// Loads all four; those that fail stay null.  Nothing is reported.
void LoadPictures();
// Drops them (back to null).
void ResetPictures();

// A panel at x, y, w, h in container showing picture stretched to fill it;
// the panel stays empty when picture is null.  Returns the panel.
tk::Gadget* AddPicturePanel(tk::Gadget* container, int x, int y, int w, int h,
                            const tk::PicturePtr& picture);

}  // namespace corvane

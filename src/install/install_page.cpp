#include "install/install_page.h"

namespace corvane {

TMultiButton* packageChooser = nullptr;
tk::Gadget* installOutput = nullptr;
tk::Gadget* installProgress = nullptr;
tk::Gadget* installStopButton = nullptr;
tk::Gadget* installButton = nullptr;
tk::Gadget* installBackButton = nullptr;
tk::Gadget* installFinishButton = nullptr;
tk::Gadget* installSelectAllButton = nullptr;
tk::Gadget* installDeselectAllButton = nullptr;
int packagesToInstall = 0;

}  // namespace corvane

// norvask_cfg: the operator's console of the transport service.
#include "console/norvask_cfgmain.h"
#include "console/resource.h"
#include "forms/application.h"
#include "forms/resstrings.h"
#include "shared/sharedunits.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  InitSharedUnits();
  Application.Title = LoadStr(IDS_APP_TITLE);
  auto Window = NewForm<TMainWnd>();
  MainWnd = Window.get();
  Application.Run(*Window);
  Window.reset();
  MainWnd = nullptr;
  return 0;
}

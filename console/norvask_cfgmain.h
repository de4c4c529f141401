// The console's main window, bound to the transport service.
#pragma once
#include "console/basesvc_acess.h"

class TMainWnd : public TSvcWndBase {
public:
  void FormCreate() override;
  // The account the service logs on with: from the configuration just sent.
  void ChangeServiceLogon(SC_HANDLE ServiceManager) override;
};

extern TMainWnd* MainWnd;

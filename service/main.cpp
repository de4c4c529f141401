// norvask: the transport service program.
#include "svcframework/serviceapp.h"
#include "service/pipesecurity.h"
#include "service/transportsvc.h"
#include "shared/sharedunits.h"

int main(int argc, char** argv) {
  InitSharedUnits();
  InitPipeSecurity();
  TTransportSvc TransportSvc;
  TServiceApplication Application(TransportSvc);
  return Application.Run(ProgramArgs(argc, argv));
}

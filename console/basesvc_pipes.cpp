// One transaction on a pipe of the service: the statistics and the
// configuration flow both go through it.
#include "console/basesvc_acess.h"

// Does not wait for a free instance: a busy or missing pipe fails at once.
bool TSvcWndBase::CallPipe(const std::string& PipeName, int32_t RequestSize, DWORD& AnswerSize) {
  AnswerSize = 0;
  return CallNamedPipeA((GetPipePrefix() + PipeName).c_str(), FRequest, RequestSize, FAnswer, sizeof(FAnswer),
                        &AnswerSize, NMPWAIT_NOWAIT) != FALSE;
}

#include "service/pipesecurity.h"

#include "shared/debuglog.h"

SECURITY_DESCRIPTOR PipeSecurityDescriptor;
SECURITY_ATTRIBUTES PipeSecurityAttributes;
SECURITY_DESCRIPTOR ControlPipeSecurityDescriptor;
SECURITY_ATTRIBUTES ControlPipeSecurityAttributes;
std::string ControlPipeSecurityError = "The control pipe's security descriptor was not built";

namespace {

// The control DACL and its SIDs must live as long as the descriptor that points at them.
alignas(DWORD) BYTE AdministratorsSid[SECURITY_MAX_SID_SIZE];
alignas(DWORD) BYTE LocalSystemSid[SECURITY_MAX_SID_SIZE];
alignas(DWORD) BYTE ControlPipeAcl[sizeof(ACL) + 2 * (sizeof(ACCESS_ALLOWED_ACE) + SECURITY_MAX_SID_SIZE)];

bool LogLastError() {
  DebugLog(LogError, SysErrorMessage(GetLastError()));
  return false;
}

bool MakeWellKnownSid(WELL_KNOWN_SID_TYPE Type, BYTE* Sid) {
  DWORD Size = SECURITY_MAX_SID_SIZE;
  return CreateWellKnownSid(Type, nullptr, Sid, &Size) != FALSE;
}

bool InitOpenDescriptor() {
  if (!InitializeSecurityDescriptor(&PipeSecurityDescriptor, SECURITY_DESCRIPTOR_REVISION)) { return LogLastError(); }
  if (!SetSecurityDescriptorDacl(&PipeSecurityDescriptor, TRUE, nullptr, FALSE)) { return LogLastError(); }
  return true;
}

bool InitControlDescriptor() {
  PACL Acl = reinterpret_cast<PACL>(ControlPipeAcl);
  return MakeWellKnownSid(WinBuiltinAdministratorsSid, AdministratorsSid) &&
         MakeWellKnownSid(WinLocalSystemSid, LocalSystemSid) &&
         InitializeAcl(Acl, sizeof(ControlPipeAcl), ACL_REVISION) &&
         AddAccessAllowedAce(Acl, ACL_REVISION, FILE_ALL_ACCESS, AdministratorsSid) &&
         AddAccessAllowedAce(Acl, ACL_REVISION, FILE_ALL_ACCESS, LocalSystemSid) &&
         InitializeSecurityDescriptor(&ControlPipeSecurityDescriptor, SECURITY_DESCRIPTOR_REVISION) &&
         SetSecurityDescriptorDacl(&ControlPipeSecurityDescriptor, TRUE, Acl, FALSE);
}

}  // namespace

const SECURITY_ATTRIBUTES& ControlPipeSecurity() {
  if (ControlPipeSecurityAttributes.nLength == 0) { throw EPipeSecurityError(ControlPipeSecurityError); }
  return ControlPipeSecurityAttributes;
}

void InitPipeSecurity() {
  if (InitOpenDescriptor()) {
    PipeSecurityAttributes = {sizeof(SECURITY_ATTRIBUTES), &PipeSecurityDescriptor, FALSE};
  }
  if (InitControlDescriptor()) {
    ControlPipeSecurityAttributes = {sizeof(SECURITY_ATTRIBUTES), &ControlPipeSecurityDescriptor, FALSE};
    ControlPipeSecurityError.clear();
  } else {
    ControlPipeSecurityError = SysErrorMessage(GetLastError());
  }
}

#include "console/shopinfo.h"

#include <windows.h>

#include "console/resource.h"
#include "forms/resstrings.h"
#include "rtl/datetime.h"
#include "rtl/exceptions.h"
#include "rtl/format.h"
#include "rtl/formatdatetime.h"
#include "rtl/strings.h"
#include "rtl/textfile.h"

void WriteRegistrationRequest(const std::string& FileName, const std::string& ShopDir, const std::string& Comment,
                              const std::string& DisplayName, const std::string& ShopNum, const std::string& Region,
                              const std::string& Address, const std::string& Email, const std::string& Phones,
                              const std::string& ContactPerson) {
  const TDateTime Moment = Now();
  // Written beside its final name, then renamed: a half-written request would
  // be sent by the service as it stands.
  const std::string NewFileName = FileName + ".new";
  try {
    TTextFileWriter File(NewFileName);
    File.WriteLine("#");
    File.WriteLine("#  It is the registration request from the shop specified below:");
    File.WriteLine(Format("#    Shop   : %s (%s)", DisplayName, ShopDir));
    File.WriteLine(Format("#    Region : %s", Region));
    File.WriteLine(Format("#  This file has been created at %s %s", FormatDateTime("ddddd", Moment),
                          FormatDateTime("tt", Moment)));
    if (!Comment.empty()) { File.WriteLine(Format("#  %s", Comment)); }
    File.WriteLine("#");
    File.WriteLine("displayname=" + DisplayName);
    File.WriteLine("shopnum=" + ShopNum);
    File.WriteLine("region=" + Region);
    File.WriteLine("address=" + Address);
    File.WriteLine("email=" + Email);
    File.WriteLine("phones=" + Phones);
    File.WriteLine("contactperson=" + ContactPerson);
    File.Close();
    if (!MoveFileExA(NewFileName.c_str(), FileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      RaiseLastOSError();
    }
  } catch (...) {
    DeleteFileA(NewFileName.c_str());
    throw;
  }
}

std::string CheckShopName(const std::string& Name) {
  const std::string Result = ReplaceAll(Name, " ", "");
  if (Result.empty()) { throw Exception(LoadStr(IDS_SHOPNAME_EMPTY)); }
  for (char C : Result) {
    const unsigned char Code = static_cast<unsigned char>(C);
    if (Code < 33 || Code > 126) { throw Exception(Format(LoadStr(IDS_SHOPNAME_BADCHAR), std::string(1, C), Result)); }
  }
  return AnsiUpperCase(Result);
}

// The shop registration request "shopinfo.arg", which the service sends like
// any other file of the tracked directory, and the check of shop names.
#pragma once
#include <string>

// Writes the request file FileName anew; raises the I/O error when it cannot.
// The file appears whole or not at all: the service may pick it up at any moment.
void WriteRegistrationRequest(const std::string& FileName, const std::string& ShopDir, const std::string& Comment,
                              const std::string& DisplayName, const std::string& ShopNum, const std::string& Region,
                              const std::string& Address, const std::string& Email, const std::string& Phones,
                              const std::string& ContactPerson);

// The name without blanks, upper-cased; raises when nothing is left or when a
// character is not printable ASCII (33 to 126).
std::string CheckShopName(const std::string& Name);

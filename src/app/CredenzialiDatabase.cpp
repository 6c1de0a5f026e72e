#include "app/CredenzialiDatabase.h"

#include <cstdlib>
#include <string>

namespace qorita {
namespace {

// The calling application's database account.
constexpr const char* DefaultUserName = "SYSDBA";
constexpr const char* BuiltInPassword = "quillbark";

std::string FromEnvironment(const char* AName, const char* ADefault)
{
    const char* value = std::getenv(AName);
    return value != nullptr && *value != '\0' ? value : ADefault;
}

}  // namespace

fb::TFbConnectionOptions CredenzialiDatabase()
{
    return {FromEnvironment("ISC_USER", DefaultUserName), FromEnvironment("ISC_PASSWORD", BuiltInPassword)};
}

}  // namespace qorita

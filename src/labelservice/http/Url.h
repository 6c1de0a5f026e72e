#pragma once

// URL arithmetic needed by the description lookup (imports name their
// location relative to the importing description).

#include <string>

namespace qorita::http {

// ARelative resolved against the absolute URL ABase; an absolute ARelative is
// returned normalised. Raises an Exception for a malformed URL.
std::string ResolveUrl(const std::string& ABase, const std::string& ARelative);

// True when the location starts with "http://" or "https://", in any case.
bool IsHttpUrl(const std::string& ALocation);

// True when the location starts with "https://", in any case.
bool IsHttpsUrl(const std::string& ALocation);

}  // namespace qorita::http

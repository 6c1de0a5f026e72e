#include "common/Paths.h"

namespace qorita {

std::filesystem::path PathFromUtf8(std::string_view AText)
{
    return std::filesystem::path(std::u8string(AText.begin(), AText.end()));
}

std::string Utf8FromPath(const std::filesystem::path& APath)
{
    const std::u8string text = APath.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace qorita

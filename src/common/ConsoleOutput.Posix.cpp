#include "common/ConsoleOutput.h"

namespace qorita {

void WriteConsoleText(std::FILE* AStream, std::string_view AText)
{
    std::fwrite(AText.data(), 1, AText.size(), AStream);
}

}  // namespace qorita

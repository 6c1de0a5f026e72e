#include "app/Console.h"

namespace qorita {

void WriteLines(std::FILE* AStream, std::string_view AMessage)
{
    std::size_t start = 0;
    while (start <= AMessage.size()) {
        std::size_t end = AMessage.find('\n', start);
        if (end == std::string_view::npos) end = AMessage.size();
        std::string_view line = AMessage.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::fwrite(line.data(), 1, line.size(), AStream);
        std::fwrite("\r\n", 1, 2, AStream);
        if (end == AMessage.size()) break;
        start = end + 1;
    }
    std::fflush(AStream);
}

}  // namespace qorita

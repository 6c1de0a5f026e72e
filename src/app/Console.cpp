#include "app/Console.h"

#include "common/ConsoleOutput.h"

#include <string>

namespace qorita {

void WriteLines(std::FILE* AStream, std::string_view AMessage)
{
    // One write for the whole message: a console gets it converted once.
    std::string text;
    text.reserve(AMessage.size() + 2);
    std::size_t start = 0;
    while (start <= AMessage.size()) {
        std::size_t end = AMessage.find('\n', start);
        if (end == std::string_view::npos) end = AMessage.size();
        std::string_view line = AMessage.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        text.append(line);
        text.append("\r\n");
        if (end == AMessage.size()) break;
        start = end + 1;
    }
    WriteConsoleText(AStream, text);
    std::fflush(AStream);
}

}  // namespace qorita

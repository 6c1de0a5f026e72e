// qorita-manpage: writes the manual page qorita(1) from the document that also
// gives "qorita --help" (app/Usage.h), at build time, for the package.
//   qorita-manpage <date> <file>
#include "app/Usage.h"

#include <fstream>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "Usage: qorita-manpage <date> <file>\n";
        return 2;
    }
    std::ofstream file(argv[2], std::ios::binary | std::ios::trunc);
    file << qorita::ManPage(argv[1]);
    file.close();
    if (!file) {
        std::cerr << "cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}

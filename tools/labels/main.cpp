// qorita-labels: writes the labels that qorita stored for a shipment to files,
// one per parcel: <folder>/<header>-<parcel>.pdf for PDF labels (stored as
// base64), .zpl for ZPL labels. For integrators who want to look at or print a
// label without their order-management application. It connects with the
// program's own account (ISC_USER / ISC_PASSWORD, else the built-in pair).
//   qorita-labels <database> <header id> <folder>
#include "app/CredenzialiDatabase.h"
#include "data/fb/FbConnection.h"
#include "data/fb/FbStatement.h"
#include "data/fb/FbTransaction.h"

#include <openssl/evp.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

std::string DecodeBase64(const std::string& AText)
{
    std::string clean;
    for (char c : AText) {
        if (c != '\r' && c != '\n' && c != ' ') clean += c;
    }
    std::vector<unsigned char> out(clean.size() / 4 * 3 + 3);
    const int length = EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(clean.data()),
                                       static_cast<int>(clean.size()));
    if (length < 0) throw std::runtime_error("the label is not valid base64");
    std::size_t size = static_cast<std::size_t>(length);
    // EVP_DecodeBlock counts the padding as data.
    if (clean.size() >= 1 && clean.back() == '=') --size;
    if (clean.size() >= 2 && clean[clean.size() - 2] == '=') --size;
    return std::string(reinterpret_cast<const char*>(out.data()), size);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::cerr << "Usage: qorita-labels <database> <header id> <folder>\n";
        return 2;
    }
    try {
        qorita::fb::TFbConnection connection;
        connection.Open(argv[1], qorita::CredenzialiDatabase());
        qorita::fb::TFbTransaction transaction(connection, {.Access = qorita::fb::TFbAccessMode::ReadOnly});
        transaction.Start();
        qorita::fb::TFbStatement select(connection, transaction,
                                        "SELECT R.NCOLLO, R.ETICHETTA, T.TIPOETICHETTA FROM QORITA_RIGHE R "
                                        "JOIN QORITA_TESTATE T ON T.ID = R.TESTATA WHERE R.TESTATA=:TESTATA "
                                        "ORDER BY R.NCOLLO");
        select.Param("TESTATA").SetInt32(std::stoi(argv[2]));
        std::filesystem::create_directories(argv[3]);
        for (select.Execute(); !select.Eof(); select.Fetch()) {
            const std::string label = select.Field("ETICHETTA").AsText();
            if (label.empty()) continue;
            const bool pdf = select.Field("TIPOETICHETTA").AsText() == "PDF";
            const std::filesystem::path file =
                std::filesystem::path(argv[3]) /
                (std::string(argv[2]) + "-" + select.Field("NCOLLO").AsText() + (pdf ? ".pdf" : ".zpl"));
            std::ofstream(file, std::ios::binary) << (pdf ? DecodeBase64(label) : label);
            std::cout << file.string() << "\n";
        }
        select.Close();
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return 1;
    }
    return 0;
}

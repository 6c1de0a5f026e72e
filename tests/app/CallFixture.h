#pragma once

// A calling application in miniature: a fresh database with the courier
// parameters, shipments and call rows, and the real binary run on them.
#include "RunProgram.h"
#include "SandboxCourier.h"
#include "TestDatabase.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qorita::test {

// A QORITA_RIGHE row as AddShipment writes it.
struct TParcelRow {
    double Peso = 1.5;
    double Contrassegno = 0.0;
    // Set to make the parcel already sent.
    std::optional<std::string> InvioDataOra = std::nullopt;
};

// A QORITA_TESTATE row and its parcels, as AddShipment writes them.
struct TShipmentRow {
    std::string RagioneSociale = "Rossi Srl";
    std::string ZipCode = "20100";
    std::string TipoEtichetta = "ZPL";
    std::int32_t NumeroSpedizione = 0;
    std::optional<std::string> ConfermaDataOra = std::nullopt;
    std::vector<TParcelRow> Parcels{TParcelRow{}};
};

// A courier answer as the sandbox writes its own, around APayload (the answer
// document), for answers a test queues.
std::string SoapAnswer(const std::string& AOperation, const std::string& APayload);
// An AddParcel answer accepting one parcel per number given, with counters
// AFirstCounter, AFirstCounter + 1, ... and a minimal ZPL label.
std::string AcceptedAddParcel(const std::vector<std::int32_t>& ANumbers, std::int32_t AFirstCounter = 1);

class CallFixture : public ::testing::Test {
protected:
    explicit CallFixture(bool AThroughServer = false);

    // The six required values plus the service location and CA when given.
    void SetParameters(const std::string& AServiceUrl = {}, const std::string& ACaFile = {});
    std::int32_t AddShipment(const TShipmentRow& AShipment = {});
    std::int32_t AddCall(std::int32_t ATestata, std::int32_t AOperatore = 42);
    TRunResult Run(const std::string& ACommand, std::int32_t AChiamataId);
    std::vector<std::string> Arguments(const std::string& ACommand, std::int32_t AChiamataId) const;

    TRow CallRow(std::int32_t AId);
    TRow Header(std::int32_t AId);
    std::vector<TRow> Parcels(std::int32_t ATestata);
    std::vector<TRow> LogRows();

    TTestDatabase Db;
    std::string ExchangeDir;
};

// A call fixture whose courier is the sandbox, started, with the parameters
// pointing at it.
class CourierCallFixture : public CallFixture {
protected:
    explicit CourierCallFixture(bool AThroughServer = false, sandbox::TSandboxOptions ACourierOptions = {});

    sandbox::TSandboxCourier Courier;
};

}  // namespace qorita::test

#include "CourierLedger.h"

#include "SandboxCourier.h"

#include <map>
#include <set>

namespace qorita::test {

std::string TLedger::Report() const
{
    std::string text = std::to_string(SentParcels) + " parcels sent, " + std::to_string(Registrations) +
                       " registrations, " + std::to_string(Duplicates) + " duplicates, " + std::to_string(LostLabels) +
                       " lost labels, " + std::to_string(Mismatches) + " mismatches";
    for (const std::string& problem : Problems) text += "\n  " + problem;
    return text;
}

TLedger CompareWithCourier(TTestDatabase& ADb, const sandbox::TSandboxCourier& ACourier, std::int32_t ACodiceCliente)
{
    TLedger ledger;
    std::map<std::int32_t, std::int32_t> numberOfCounter;
    for (const auto& shipment : ACourier.Shipments()) {
        for (const auto& parcel : shipment.Parcels)
            numberOfCounter[parcel.ContatoreProgressivo] = shipment.NumeroSpedizione;
    }
    std::map<std::int32_t, int> heldBy;  // counter -> parcels of the database holding it
    std::map<std::string, std::set<std::string>> numbersOfHeader;
    std::map<std::string, std::string> headerNumber;
    const auto rows = ADb.Query(
        "SELECT R.TESTATA, R.NCOLLO, R.CONTATOREPROGRESSIVO, R.ETICHETTA, T.NUMEROSPEDIZIONE FROM QORITA_RIGHE R "
        "JOIN QORITA_TESTATE T ON T.ID = R.TESTATA WHERE R.INVIO_DATAORA IS NOT NULL");
    for (const TRow& row : rows) {
        ++ledger.SentParcels;
        const std::string parcel = row.at("TESTATA").value_or("?") + "/" + row.at("NCOLLO").value_or("?");
        const std::int32_t counter = std::stoi(row.at("CONTATOREPROGRESSIVO").value_or("0"));
        ++heldBy[counter];
        const auto label = ACourier.IssuedLabel(ACodiceCliente, counter);
        const auto number = numberOfCounter.find(counter);
        if (!label || number == numberOfCounter.end()) {
            ++ledger.Mismatches;
            ledger.Problems.push_back("parcel " + parcel + " holds counter " + std::to_string(counter) +
                                      ", which the courier never registered");
        } else if (row.at("ETICHETTA") != *label) {
            ++ledger.Mismatches;
            ledger.Problems.push_back("parcel " + parcel + " holds another label than the one issued");
        } else {
            numbersOfHeader[row.at("TESTATA").value_or("")].insert(std::to_string(number->second));
            headerNumber[row.at("TESTATA").value_or("")] = row.at("NUMEROSPEDIZIONE").value_or("none");
        }
    }
    // A header takes the number of its latest answer, so parcels sent in two
    // goes belong to two courier shipments; the header names one of them.
    for (const auto& [testata, numbers] : numbersOfHeader) {
        if (numbers.count(headerNumber[testata]) == 0) {
            ++ledger.Mismatches;
            ledger.Problems.push_back("header " + testata + " says shipment " + headerNumber[testata] +
                                      ", none of its parcels belongs to it at the courier");
        }
    }
    for (const auto& [counter, parcels] : heldBy) {
        if (parcels > 1) {
            ledger.Duplicates += parcels - 1;
            ledger.Problems.push_back("counter " + std::to_string(counter) + " held by " + std::to_string(parcels) +
                                      " parcels");
        }
    }
    for (const auto& [counter, registrations] : ACourier.RegistrationsPerCounter()) {
        ledger.Registrations += registrations;
        if (registrations > 1) {
            ledger.Duplicates += registrations - 1;
            ledger.Problems.push_back("counter " + std::to_string(counter) + " registered " +
                                      std::to_string(registrations) + " times");
        }
        if (heldBy.count(counter) == 0) {
            ++ledger.LostLabels;
            ledger.Problems.push_back("counter " + std::to_string(counter) +
                                      " registered, but no parcel holds its label");
        }
    }
    return ledger;
}

}  // namespace qorita::test

#pragma once

// What one run does with the journal of its shipment (Journal.h): reads what
// earlier runs left, records its own AddParcel request before it goes out and
// its answer before it is taken over, and removes, after the commit, the
// entries whose answers the database now holds.
//
// The journal protects; it never stops a run. Where it cannot be read or
// written the run goes on as it would without it, and two lines on standard
// output, the first beginning "(Errore non bloccante)", say why.
#include "app/CounterMark.h"
#include "app/Journal.h"

#include <cstdint>
#include <exception>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace qorita {

class TScambiInSospeso {
public:
    TScambiInSospeso(const std::string& AArchiveFolder, std::int32_t ATestata);

    // The entries earlier runs left for this shipment.
    std::vector<TJournalEntry> Leggi();

    // An entry that needs nothing more (its answer recorded now or before, or
    // refused): removed once this run has committed.
    void Chiudi(const TJournalEntry& AEntry);
    // A request that got no answer that can be taken over: its parcels go out
    // again with the same counters, and its entry gives way to the entry of
    // that next request.
    void RiprendiContatori(const TJournalEntry& AEntry);
    // The counter a parcel carried in such a request, if any.
    std::optional<std::int32_t> ContatoreRipreso(std::int32_t ANCollo) const;
    // The highest counter ever sent from this archive folder (0: none, or the
    // mark cannot be read).
    std::int32_t UltimoContatoreInviato();

    // Before the request goes out: the mark raised to its counters and the
    // entry written (AEntry.Name set). Entries it takes the place of go.
    void Invio(TJournalEntry& AEntry);
    // Once the answer is archived in AFileXmlResponse, before it is taken over.
    void Risposta(TJournalEntry& AEntry, const std::string& AFileXmlResponse);

    // After the commit.
    void DopoCommit();

private:
    // Prints the two lines; AGiveUp stops every further use of the journal in
    // this run, so that a folder that cannot be used is reported once.
    void NonBloccante(const char* AWhat, const std::exception& AError, bool AGiveUp = true);

    TJournal FJournal;
    TCounterMark FMark;
    bool FUsable = true;
    std::optional<std::int32_t> FUltimoContatore;
    std::map<std::int32_t, std::int32_t> FContatoriRipresi;  // NCOLLO -> counter
    std::vector<std::string> FSuperate;                      // entries the next request replaces
    std::vector<std::string> FChiuse;                        // entries removed after the commit
};

}  // namespace qorita

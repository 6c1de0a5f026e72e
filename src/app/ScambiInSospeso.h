#pragma once

// What one run does with the journal of its shipment (Journal.h): reads what
// earlier runs of this database left, records its own AddParcel request before
// it goes out and its answer before it is taken over, and removes, after the
// commit, the entries whose answers the database now holds.
//
// Entries of another database sharing the archive folder are never taken nor
// removed. While something of the shipment's journal, or the counter mark,
// cannot be read, no AddParcel goes out for the shipment: an answer the
// courier gave may be in there, and sending the parcels again would register
// them twice. Where the journal cannot be written the run goes on as it would
// without it, and two lines on standard output, the first beginning
// "(Errore non bloccante)", say why.
#include "app/CounterMark.h"
#include "app/Journal.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace qorita {

class TScambiInSospeso {
public:
    // ADatabase gives the identity of the run's database, asked for only when
    // the journal has entries or gets one.
    TScambiInSospeso(const std::string& AArchiveFolder, std::int32_t ATestata, std::function<std::string()> ADatabase);

    // The entries earlier runs of this database left for this shipment.
    std::vector<TJournalEntry> Leggi();
    // The file that holds the entry, for messages.
    std::string PercorsoDi(const TJournalEntry& AEntry) const;

    // An entry that needs nothing more (its answer recorded now or before, or
    // refused): removed once this run has committed.
    void Chiudi(const TJournalEntry& AEntry);
    // A request that got no answer that can be taken over: its parcels go out
    // again with the same counters, and its entry gives way to the entry of
    // that next request.
    void RiprendiContatori(const TJournalEntry& AEntry);
    // An entry that cannot be trusted: it stays, and no AddParcel goes out.
    void Inutilizzabile(const std::string& AMessage);
    // The counter a parcel carried in such a request, if any.
    std::optional<std::int32_t> ContatoreRipreso(std::int32_t ANCollo) const;
    // The highest counter ever sent from this archive folder (0: none). Raises
    // the refusal of ControllaPerInvio when the mark cannot be read.
    std::int32_t UltimoContatoreInviato();
    // Raises, with the reasons and the files they concern, when an AddParcel
    // must not go out for the shipment.
    void ControllaPerInvio();

    // Before the request goes out: the mark raised to its counters and the
    // entry written (AEntry.Name set). Entries it takes the place of go.
    void Invio(TJournalEntry& AEntry);
    // Once the answer is archived in AFileXmlResponse, before it is taken over.
    void Risposta(TJournalEntry& AEntry, const std::string& AFileXmlResponse);

    // After the commit.
    void DopoCommit();

private:
    // Prints the two lines; AGiveUp stops every further write to the journal
    // in this run, so that a folder that cannot be used is reported once.
    void NonBloccante(const char* AWhat, const std::exception& AError, bool AGiveUp = true);
    // What cannot be read: printed, and AddParcel refused.
    void Illeggibile(const std::exception& AError);
    const std::string& Database();

    TJournal FJournal;
    TCounterMark FMark;
    std::function<std::string()> FDatabaseReader;
    std::optional<std::string> FDatabase;
    bool FUsable = true;
    std::optional<std::int32_t> FUltimoContatore;
    std::vector<std::string> FIlleggibili;                   // why no AddParcel may go out
    std::map<std::int32_t, std::int32_t> FContatoriRipresi;  // NCOLLO -> counter
    std::vector<std::string> FSuperate;                      // entries the next request replaces
    std::vector<std::string> FChiuse;                        // entries removed after the commit
};

}  // namespace qorita

#include "app/ScambiInSospeso.h"

#include "app/Console.h"
#include "common/DurableFile.h"
#include "common/Exception.h"
#include "common/Paths.h"

#include <algorithm>

namespace qorita {

TScambiInSospeso::TScambiInSospeso(const std::string& AArchiveFolder, std::int32_t ATestata)
    : FJournal(PathFromUtf8(AArchiveFolder), ATestata), FMark(TJournal::Root(PathFromUtf8(AArchiveFolder)))
{
}

void TScambiInSospeso::NonBloccante(const char* AWhat, const std::exception& AError, bool AGiveUp)
{
    if (AGiveUp) FUsable = false;
    WriteLines(Format("(Errore non bloccante) %s del giornale degli scambi:", AWhat));
    WriteLines(AError.what());
}

std::vector<TJournalEntry> TScambiInSospeso::Leggi()
{
    std::vector<std::string> damaged;
    std::vector<TJournalEntry> entries;
    if (!FUsable) return entries;
    try {
        entries = FJournal.Read(damaged);
    } catch (const std::exception& error) {
        NonBloccante("Fallita lettura", error);
    }
    // A damaged entry is left where it is, for someone to look at; the others
    // are used.
    for (const std::string& message : damaged) NonBloccante("Fallita lettura", Exception(message), false);
    return entries;
}

void TScambiInSospeso::Chiudi(const TJournalEntry& AEntry)
{
    if (!AEntry.Name.empty()) FChiuse.push_back(AEntry.Name);
}

void TScambiInSospeso::RiprendiContatori(const TJournalEntry& AEntry)
{
    for (const TJournalCollo& collo : AEntry.Colli) FContatoriRipresi[collo.NCollo] = collo.ContatoreProgressivo;
    FSuperate.push_back(AEntry.Name);
}

std::optional<std::int32_t> TScambiInSospeso::ContatoreRipreso(std::int32_t ANCollo) const
{
    const auto found = FContatoriRipresi.find(ANCollo);
    if (found == FContatoriRipresi.end()) return std::nullopt;
    return found->second;
}

std::int32_t TScambiInSospeso::UltimoContatoreInviato()
{
    if (!FUltimoContatore) {
        FUltimoContatore = 0;
        if (!FUsable) return 0;
        try {
            FUltimoContatore = FMark.Highest();
        } catch (const std::exception& error) {
            NonBloccante("Fallita lettura", error);
        }
    }
    return *FUltimoContatore;
}

void TScambiInSospeso::Invio(TJournalEntry& AEntry)
{
    if (!FUsable) return;
    try {
        std::int32_t highest = 0;
        for (const TJournalCollo& collo : AEntry.Colli) highest = std::max(highest, collo.ContatoreProgressivo);
        FMark.Raise(highest);
        FUltimoContatore = std::max(UltimoContatoreInviato(), highest);
        FJournal.Write(AEntry);
        // Only now: the new entry carries the counters the old ones kept.
        for (const std::string& name : FSuperate) FJournal.Remove(name);
        FSuperate.clear();
    } catch (const std::exception& error) {
        // Without its entry the request still goes out, as it would with no
        // journal at all.
        AEntry.Name.clear();
        NonBloccante("Fallita scrittura", error);
    }
}

void TScambiInSospeso::Risposta(TJournalEntry& AEntry, const std::string& AFileXmlResponse)
{
    // Without an archived answer there is nothing to point at: the entry stays
    // a request without answer, whose counters the next run sends again.
    if (!FUsable || AEntry.Name.empty() || AFileXmlResponse.empty()) return;
    try {
        SyncFile(PathFromUtf8(AFileXmlResponse));
        TJournalEntry answered = AEntry;
        answered.FileXmlResponse = AFileXmlResponse;
        FJournal.Write(answered);
        AEntry = answered;
    } catch (const std::exception& error) {
        NonBloccante("Fallita scrittura", error);
    }
}

void TScambiInSospeso::DopoCommit()
{
    if (!FUsable) return;
    try {
        for (const std::string& name : FChiuse) FJournal.Remove(name);
    } catch (const std::exception& error) {
        // The entry stays: the next run finds its answer recorded and removes it.
        NonBloccante("Fallita scrittura", error);
    }
    FChiuse.clear();
}

}  // namespace qorita

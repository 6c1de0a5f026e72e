#include "app/ScambiInSospeso.h"

#include "app/Console.h"
#include "common/DurableFile.h"
#include "common/Exception.h"
#include "common/Paths.h"
#include "common/Text.h"

#include <algorithm>

namespace qorita {
namespace {

constexpr const char* kInvioRifiutato =
    "Giornale degli scambi illeggibile: nessun AddParcel viene inviato per questa spedizione finché il file non "
    "viene riparato o rimosso";

}  // namespace

TScambiInSospeso::TScambiInSospeso(const std::string& AArchiveFolder, std::int32_t ATestata,
                                   std::function<std::string()> ADatabase)
    : FJournal(PathFromUtf8(AArchiveFolder), ATestata),
      FMark(TJournal::Root(PathFromUtf8(AArchiveFolder))),
      FDatabaseReader(std::move(ADatabase))
{
}

void TScambiInSospeso::NonBloccante(const char* AWhat, const std::exception& AError, bool AGiveUp)
{
    if (AGiveUp) FUsable = false;
    WriteLines(Format("(Errore non bloccante) %s del giornale degli scambi:", AWhat));
    WriteLines(AError.what());
}

void TScambiInSospeso::Illeggibile(const std::exception& AError)
{
    FIlleggibili.push_back(AError.what());
    NonBloccante("Fallita lettura", AError, false);
}

void TScambiInSospeso::Inutilizzabile(const std::string& AMessage) { Illeggibile(Exception(AMessage)); }

const std::string& TScambiInSospeso::Database()
{
    if (!FDatabase) {
        try {
            FDatabase = FDatabaseReader();
        } catch (const std::exception& error) {
            throw Exception(ComposeMessage("Lettura dell'identità del database:", error.what()));
        }
    }
    return *FDatabase;
}

std::string TScambiInSospeso::PercorsoDi(const TJournalEntry& AEntry) const
{
    return FJournal.PathOf(AEntry.Name).string();
}

std::vector<TJournalEntry> TScambiInSospeso::Leggi()
{
    std::vector<std::string> damaged;
    std::vector<TJournalEntry> entries;
    try {
        entries = FJournal.Read(damaged);
    } catch (const std::exception& error) {
        Illeggibile(error);
    }
    // A damaged entry is left where it is, for someone to look at; whose it
    // is cannot be told, so it holds back this database's AddParcel too.
    for (const std::string& message : damaged) Illeggibile(Exception(message));
    if (entries.empty()) return entries;
    std::vector<TJournalEntry> own;
    try {
        const std::string& database = Database();
        for (TJournalEntry& entry : entries) {
            if (entry.Database == database) {
                own.push_back(std::move(entry));
            } else if (entry.Database.empty()) {
                Inutilizzabile(
                    "Voce del giornale degli scambi senza il database a cui appartiene (scritta da una "
                    "versione precedente): " +
                    PercorsoDi(entry));
            }
            // Any other belongs to another database on this archive folder.
        }
    } catch (const std::exception& error) {
        Illeggibile(error);
    }
    return own;
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
        try {
            FUltimoContatore = FMark.Highest();
        } catch (const std::exception& error) {
            // A counter at or below a mark that cannot be read may have
            // reached the courier already.
            throw Exception(ComposeMessage(kInvioRifiutato, error.what()));
        }
    }
    return *FUltimoContatore;
}

void TScambiInSospeso::ControllaPerInvio()
{
    UltimoContatoreInviato();
    if (!FIlleggibili.empty()) throw Exception(ComposeMessage(kInvioRifiutato, JoinLines(FIlleggibili)));
}

void TScambiInSospeso::Invio(TJournalEntry& AEntry)
{
    if (!FUsable) return;
    try {
        AEntry.Database = Database();
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

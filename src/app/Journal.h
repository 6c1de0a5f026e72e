#pragma once

// The exchanges in flight of one shipment header, kept on disk so that the
// next run learns what a run that died, or could not save, left behind: the
// counters a request carried, and the courier's answer once it came.
//
// Layout: <archive folder>/.journal/<header ID as 00000000>/, one small text
// file per exchange. A run finds its shipment's entries by the header ID alone,
// without looking at the archive folder's other files; each writer creates and
// removes only its own files, so two runs on one shipment never undo each
// other's entries. Every write is synced (file and folder) before it returns.
#include "common/DateTime.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qorita {

struct TJournalCollo {
    std::int32_t NCollo = 0;
    std::int32_t ContatoreProgressivo = 0;

    bool operator==(const TJournalCollo&) const = default;
};

struct TJournalEntry {
    std::string Name;  // the file name, given by Write
    std::string Operazione;
    // The log record of the exchange: its stamp and operator go into the
    // parcels' send stamps when the answer is recorded.
    TDateTime DataOra = 0;
    std::int32_t Operatore = 0;
    std::string FileXmlRequest;
    // The archived answer; empty while the request has had no answer.
    std::string FileXmlResponse;
    // The parcels of the request in request order, with the counters they carried.
    std::vector<TJournalCollo> Colli;

    bool HasAnswer() const { return !FileXmlResponse.empty(); }
    bool operator==(const TJournalEntry&) const = default;
};

class TJournal {
public:
    TJournal(const std::filesystem::path& AArchiveFolder, std::int32_t ATestata);

    // The header's entries, oldest exchange first; none when there is no
    // folder. An entry that cannot be read is left out and its error added to
    // ADamaged; raises when the folder itself cannot be read.
    std::vector<TJournalEntry> Read(std::vector<std::string>& ADamaged) const;
    // Writes the entry durably: a new one gets its Name here, a named one is
    // replaced whole.
    void Write(TJournalEntry& AEntry);
    // Removes the entry (a missing one is no error), and the header's folder
    // once it is empty.
    void Remove(const std::string& AName);

    const std::filesystem::path& Folder() const { return FFolder; }
    // <archive folder>/.journal: the header folders and the counter mark.
    static std::filesystem::path Root(const std::filesystem::path& AArchiveFolder);

private:
    std::filesystem::path FRoot;
    std::filesystem::path FFolder;
};

}  // namespace qorita

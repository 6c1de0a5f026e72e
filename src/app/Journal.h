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
//
// The archive folder may be shared (with other accounts, with another
// database's runs): the journal folders are private to the account that runs
// the program, nothing in them is created or read through a link, and every
// entry names the database it belongs to.
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
    // The identity of the database whose run wrote it; empty in an entry of
    // the first format, which did not record it.
    std::string Database;
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
    // ADamaged; raises when the folder itself cannot be read, is a link or is
    // another account's.
    std::vector<TJournalEntry> Read(std::vector<std::string>& ADamaged) const;
    // Writes the entry durably: a new one gets its Name here, a named one is
    // replaced whole.
    void Write(TJournalEntry& AEntry);
    // Removes the entry (a missing one is no error), and the header's folder
    // once it is empty.
    void Remove(const std::string& AName);

    const std::filesystem::path& Folder() const { return FFolder; }
    std::filesystem::path PathOf(const std::string& AName) const { return FFolder / AName; }
    // <archive folder>/.journal: the header folders and the counter mark.
    static std::filesystem::path Root(const std::filesystem::path& AArchiveFolder);

private:
    std::filesystem::path FRoot;
    std::filesystem::path FFolder;
};

}  // namespace qorita

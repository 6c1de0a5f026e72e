#pragma once

// The highest parcel counter ever put into a request, kept beside the journal.
//
// The counters come from a database generator, and a generator's draws are not
// transactional: a process using the embedded engine that is killed before
// its commit loses the draws with its page cache, and the next run draws the
// same values again. Those values may already have reached the courier, which
// knows a parcel by its counter; handing one out again would pass another
// parcel off as that one. So every counter is recorded here, synced, before a
// request carrying it goes out, and a draw at or below the mark is skipped.
#include <cstdint>
#include <filesystem>

namespace qorita {

class TCounterMark {
public:
    explicit TCounterMark(const std::filesystem::path& AJournalRoot);

    // 0 when no counter was recorded yet.
    std::int32_t Highest() const;
    // Raises the mark to AContatore when it is lower. Runs at the same time on
    // other shipments take turns on the file.
    void Raise(std::int32_t AContatore);

private:
    std::filesystem::path FRoot;
    std::filesystem::path FFile;
};

}  // namespace qorita

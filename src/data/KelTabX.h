#pragma once

// Named values of TABX, the calling application's parameter table. A value is
// identified by its name and its user (0 for the general value, stored with
// UTENTE NULL). The component reads and writes in a snapshot, nowait
// transaction of its own on the run's connection, either one per call or, inside
// an update bracket, one for the whole bracket.
//
// A bracket's writes are saved together or not at all: once a write inside it
// has failed, closing the bracket rolls back whatever it had written. The
// TKelTabX::TUpdate guard opens a bracket and rolls it back unless committed,
// so an exception between the writes saves none of them.
#include "data/fb/FbForward.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qorita {

class TKelTabX {
public:
    class TUpdate;

    explicit TKelTabX(fb::TFbConnection* ADatabase);
    // Closes an open bracket: commits it, or rolls it back when one of its
    // writes failed; never throws.
    ~TKelTabX();
    TKelTabX(const TKelTabX&) = delete;
    TKelTabX& operator=(const TKelTabX&) = delete;

    fb::TFbConnection* Database() const { return FDatabase; }
    // Whether the component's own transaction is active (for checks and tests).
    bool InTransaction() const;

    void BeginUpdate();
    // Commits the bracket. After a failed write inside it, rolls it back
    // instead and raises an Exception, so the caller never takes a partial
    // update for a saved one.
    void EndUpdate();
    // Rolls the bracket back; never throws.
    void CancelUpdate() noexcept;

    std::string GetParametroTesto(const std::string& ANome, std::int32_t AUtente);
    // The value is stored exactly as given (apostrophes included).
    void SetParametroTesto(const std::string& ANome, const std::string& AValore, std::int32_t AUtente);
    void SetParametroMemo(const std::string& ANome, const std::string& AValore, std::int32_t AUtente);

private:
    fb::TFbTransaction& OwnTransaction();
    std::string Read(const std::string& ANome, std::int32_t AUtente, const char* AColumn);
    void Write(std::unique_ptr<fb::TFbStatement>& AStatement, const char* AAssignment, const char* AColumn,
               const std::string& ANome, const std::string& AValore, std::int32_t AUtente);

    bool FOnUpdating = false;
    bool FUpdateFailed = false;
    fb::TFbConnection* FDatabase;
    std::unique_ptr<fb::TFbTransaction> FTransaction;
    std::unique_ptr<fb::TFbStatement> FRead;
    std::unique_ptr<fb::TFbStatement> FWriteTesto;
    std::unique_ptr<fb::TFbStatement> FWriteMemo;
};

// An update bracket for one scope: committed by Commit, rolled back when the
// scope is left without it.
class TKelTabX::TUpdate {
public:
    explicit TUpdate(TKelTabX& ATabX);
    ~TUpdate();
    TUpdate(const TUpdate&) = delete;
    TUpdate& operator=(const TUpdate&) = delete;

    void Commit();

private:
    TKelTabX& FTabX;
    bool FOpen = true;
};

}  // namespace qorita

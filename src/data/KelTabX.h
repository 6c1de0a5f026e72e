#pragma once

// Named values of TABX, the calling application's parameter table. A value is
// identified by its name and its user (0 for the general value, stored with
// UTENTE NULL). The component reads and writes in a snapshot, nowait
// transaction of its own on the run's connection, either one per call or, inside
// a BeginUpdate/EndUpdate bracket, one for the whole bracket.
#include "data/fb/FbForward.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qorita {

class TKelTabX {
public:
    explicit TKelTabX(fb::TFbConnection* ADatabase);
    // Closes an open bracket by committing it; never throws.
    ~TKelTabX();
    TKelTabX(const TKelTabX&) = delete;
    TKelTabX& operator=(const TKelTabX&) = delete;

    fb::TFbConnection* Database() const { return FDatabase; }
    bool OnUpdating() const { return FOnUpdating; }
    // Whether the component's own transaction is active (for checks and tests).
    bool InTransaction() const;

    void BeginUpdate();
    void EndUpdate();

    std::string GetParametroTesto(const std::string& Nome, std::int32_t Utente);
    std::string GetParametroMemo(const std::string& Nome, std::int32_t Utente);
    // The value is stored exactly as given (apostrophes included).
    void SetParametroTesto(const std::string& Nome, const std::string& Valore, std::int32_t Utente);
    void SetParametroMemo(const std::string& Nome, const std::string& Valore, std::int32_t Utente);

private:
    fb::TFbTransaction& OwnTransaction();
    std::string Read(const std::string& ANome, std::int32_t AUtente, const char* AColumn);
    void Write(std::unique_ptr<fb::TFbStatement>& AStatement, const char* AAssignment, const char* AColumn,
               const std::string& ANome, const std::string& AValore, std::int32_t AUtente);

    bool FOnUpdating = false;
    fb::TFbConnection* FDatabase;
    std::unique_ptr<fb::TFbTransaction> FTransaction;
    std::unique_ptr<fb::TFbStatement> FSQLRead;
    std::unique_ptr<fb::TFbStatement> FSQLWriteTesto;
    std::unique_ptr<fb::TFbStatement> FSQLWriteMemo;
};

}  // namespace qorita

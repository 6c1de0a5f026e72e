#include "app/Verifica.h"

#include "app/Console.h"
#include "common/Exception.h"
#include "common/Text.h"
#include "data/DataAccess.h"
#include "data/DataObject.h"
#include "data/KelTabX.h"
#include "data/fb/FbConnection.h"
#include "data/fb/FbTransaction.h"
#include "labelservice/ServiceCheck.h"

#include <exception>

namespace qorita {

TVerifica::TVerifica(std::string ADatabaseName) : FDatabaseName(std::move(ADatabaseName)) {}

TVerifica::~TVerifica() = default;

bool TVerifica::Check(const std::string& ALabel, const std::function<void()>& ACheck)
{
    std::string reason;
    try {
        ACheck();
    } catch (const std::exception& error) {
        reason = OneLine(error.what());
        if (reason.empty()) reason = "failed";
    }
    WriteLines(ALabel + ": " + (reason.empty() ? "ok" : reason));
    FAllOk = FAllOk && reason.empty();
    return reason.empty();
}

void TVerifica::Skip(const std::string& ALabel, const std::string& AReason)
{
    WriteLines(ALabel + ": skipped (" + AReason + ")");
    FAllOk = false;
}

bool TVerifica::Esegui()
{
    if (!Check("database " + FDatabaseName, [this] { ConnectDatabase(); })) {
        for (const char* label : {"tables, columns and generators", "permissions", "TABX parameters", "archive folder",
                                  "courier description", "courier endpoint"}) {
            Skip(label, "the database did not open");
        }
        return false;
    }
    if (Check("tables, columns and generators", [this] { CheckObjects(); })) {
        Check("permissions", [this] { CheckPermissions(); });
    } else {
        Skip("permissions", "tables, columns or generators are missing");
    }
    // Read only: nothing to keep.
    FTransaction.Rollback();
    Check("TABX parameters", [this] { LoadParametri(); });
    if (!FParametri) {
        for (const char* label : {"archive folder", "courier description", "courier endpoint"}) {
            Skip(label, "TABX could not be read");
        }
        return false;
    }
    const std::string& folder = FParametri->RequestResponseDir;
    if (folder.empty()) {
        Skip("archive folder", "QORITA_RequestResponseDir is not set");
    } else {
        Check("archive folder " + folder, [&folder] { CheckArchiveFolder(folder); });
    }
    CheckServizio();
    return FAllOk;
}

void TVerifica::LoadParametri()
{
    TQorItaParametri parametri;
    TQorItaParametriAccess(&FKelTabX).Load(parametri);
    FParametri = std::move(parametri);
    // The same checks as a run, all of them at once.
    const std::string problemi = Join(FParametri->Problemi(), "; ");
    if (!problemi.empty()) throw Exception(problemi);
}

void TVerifica::CheckServizio()
{
    const labelservice::TServiceSettings settings{FParametri->ServiceUrl, FParametri->ServiceCaFile};
    std::string endpoint;
    if (Check("courier description " + labelservice::DescriptionLocation(settings),
              [&] { endpoint = labelservice::CheckDescription(settings); })) {
        Check("courier endpoint " + endpoint, [&] { labelservice::CheckEndpoint(endpoint, settings); });
    } else {
        Skip("courier endpoint", "no endpoint without the description");
    }
}

}  // namespace qorita

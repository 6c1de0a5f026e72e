#include "app/Verifica.h"

#include "app/Console.h"
#include "app/CredenzialiDatabase.h"
#include "common/Exception.h"
#include "common/Text.h"
#include "data/DataAccess.h"
#include "data/DataObject.h"
#include "data/KelTabX.h"
#include "data/ParametriTabX.h"
#include "data/fb/FbConnection.h"
#include "data/fb/FbTransaction.h"
#include "labelservice/ServiceCheck.h"

#include <exception>

namespace qorita {
namespace {

constexpr const char* kArchiveFolder = "archive folder";
constexpr const char* kInFlight = "exchanges in flight";

// curl's words when the courier's certificate chains to an authority that is
// not trusted.
bool UnknownIssuer(const std::string& AReason)
{
    return AReason.find("SSL certificate problem") != std::string::npos &&
           (AReason.find("issuer") != std::string::npos || AReason.find("self-signed") != std::string::npos ||
            AReason.find("self signed") != std::string::npos);
}

}  // namespace

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

void TVerifica::Inform(const std::string& ALabel, const std::string& AText) { WriteLines(ALabel + ": " + AText); }

void TVerifica::Skip(const std::string& ALabel, const std::string& AReason)
{
    WriteLines(ALabel + ": skipped (" + AReason + ")");
    FAllOk = false;
}

bool TVerifica::Esegui()
{
    EseguiControlli();
    Inform("courier password",
           "not checked: only a real request shows whether the courier accepts QORITA_CodiceClienteQor and "
           "QORITA_PasswordClienteQor, and -Verifica sends none");
    return FAllOk;
}

void TVerifica::EseguiControlli()
{
    // The account that counts is the one the environment gives, as for a run.
    const std::string account = CredenzialiDatabase().UserName;
    if (!Check("database " + FDatabaseName + ", user " + account, [this] { ConnectDatabase(); })) {
        for (const char* label : {"tables, columns and generators", "permissions", "TABX parameters", kArchiveFolder,
                                  kInFlight, "courier description", "courier endpoint"}) {
            Skip(label, "the database did not open");
        }
        return;
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
        for (const char* label : {kArchiveFolder, kInFlight, "courier description", "courier endpoint"}) {
            Skip(label, "TABX could not be read");
        }
        return;
    }
    const std::string& folder = FParametri->RequestResponseDir;
    if (folder.empty()) {
        Skip(kArchiveFolder, "QORITA_RequestResponseDir is not set");
        Skip(kInFlight, "QORITA_RequestResponseDir is not set");
    } else if (Check(std::string(kArchiveFolder) + " " + folder, [&folder] { CheckArchiveFolder(folder); })) {
        // What the next runs recover is no fault of the deployment; an entry
        // nobody can read is, until an operator has looked at it.
        std::string database;
        try {
            database = IdentitaDatabase();
        } catch (const std::exception& error) {
            Skip(kInFlight, std::string("the database's identity could not be read: ") + error.what());
        }
        if (!database.empty()) {
            bool damaged = false;
            Inform(kInFlight, ScambiInVolo(folder, database, damaged));
            FAllOk = FAllOk && !damaged;
        }
    } else {
        Skip(kInFlight, "no archive folder");
    }
    CheckServizio();
}

std::string TVerifica::IdentitaDatabase()
{
    FTransaction.Start();
    std::string identita = TQorItaDatabaseAccess(&FDatabase, &FTransaction).Identita();
    FTransaction.Rollback();
    return identita;
}

void TVerifica::LoadParametri()
{
    TQorItaParametri parametri;
    TQorItaParametriAccess(&FKelTabX).Load(parametri);
    FParametri = std::move(parametri);
    // Every row that looks like ours, so that a value given twice and a key
    // misspelled show too, each problem under its key.
    FTransaction.Start();
    const std::vector<TRigaTabX> righe = RigheQoritaTabX(FDatabase, FTransaction);
    FTransaction.Rollback();
    std::vector<std::string> problemi = EsameParametriTabX(righe);
    // The run's own checks on what it loaded still have the last word.
    if (problemi.empty()) problemi = FParametri->Problemi();
    const std::string testo = Join(problemi, "; ");
    if (!testo.empty()) throw Exception(testo);
}

void TVerifica::CheckServizio()
{
    const labelservice::TServiceSettings settings{FParametri->ServiceUrl, FParametri->ServiceCaFile};
    // An authority missing from the trusted ones is what QORITA_ServiceCaFile
    // is for.
    auto withIssuerHint = [&settings](const std::function<void()>& ACheck) {
        try {
            ACheck();
        } catch (const std::exception& error) {
            const std::string reason = OneLine(error.what());
            if (!UnknownIssuer(reason)) throw;
            throw Exception(reason + (settings.CaFile.empty()
                                          ? "; the authority that signed the courier's certificate is not in the "
                                            "system store: name its PEM file in QORITA_ServiceCaFile"
                                          : "; the authority that signed the courier's certificate is neither in "
                                            "the system store nor in QORITA_ServiceCaFile (" +
                                                settings.CaFile + ")"));
        }
    };
    std::string endpoint;
    if (Check("courier description " + labelservice::DescriptionLocation(settings),
              [&] { withIssuerHint([&] { endpoint = labelservice::CheckDescription(settings); }); })) {
        Check("courier endpoint " + endpoint,
              [&] { withIssuerHint([&] { labelservice::CheckEndpoint(endpoint, settings); }); });
    } else {
        Skip("courier endpoint", "no endpoint without the description");
    }
}

}  // namespace qorita

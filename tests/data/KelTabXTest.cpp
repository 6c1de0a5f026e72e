#include "ErrorOf.h"
#include "TestDatabase.h"
#include "common/Exception.h"
#include "data/DataAccess.h"
#include "data/KelTabX.h"
#include "data/ParametriTabX.h"
#include "data/fb/FbConnection.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

namespace qorita {
namespace {

using test::ErrorOf;
using test::TTestDatabase;

class KelTabXTest : public ::testing::Test {
protected:
    void SetUp() override { Connection.Open(Db.Location(), {"SYSDBA", TTestDatabase::Password()}); }

    void FillValid()
    {
        Db.SetParameter("QORITA_SedeQor", "MI1");
        Db.SetParameter("QORITA_CodiceClienteQor", "$1F");
        Db.SetParameter("QORITA_PasswordClienteQor", " secret ");
        Db.SetParameter("QORITA_CodiceContrattoQor", "-7");
        Db.SetParameter("QORITA_RequestResponseDir", Db.Folder().string());
        Db.SetParameter("QORITA_TipoEtichetta", "PDF");
    }

    TTestDatabase Db;
    fb::TFbConnection Connection;
};

TEST_F(KelTabXTest, ReadsGeneralAndUserValuesSeparately)
{
    Db.SetParameter("NAME", "general");
    Db.SetParameter("NAME", "user7", 7);
    Db.SetParameter("NULLTEXT", std::nullopt);
    TKelTabX tabx(&Connection);
    EXPECT_EQ(tabx.GetParametroTesto("NAME", 0), "general");
    EXPECT_EQ(tabx.GetParametroTesto("NAME", 7), "user7");
    EXPECT_EQ(tabx.GetParametroTesto("NAME", 8), "");
    EXPECT_EQ(tabx.GetParametroTesto("NULLTEXT", 0), "");
    EXPECT_EQ(tabx.GetParametroTesto("MISSING", 0), "");
    EXPECT_FALSE(tabx.InTransaction());  // a read outside a bracket leaves nothing open
}

TEST_F(KelTabXTest, WritesInsertThenUpdateAndKeepApostrophes)
{
    TKelTabX tabx(&Connection);
    tabx.SetParametroTesto("P", "l'altro €", 0);
    tabx.SetParametroTesto("P", "it's", 0);
    tabx.SetParametroTesto("P", "user", 7);
    tabx.SetParametroMemo("P", std::string(100000, 'm'), 0);
    EXPECT_FALSE(tabx.InTransaction());
    const auto rows = Db.Query("SELECT CODICE, TESTO, MEMO, UTENTE FROM TABX ORDER BY CODICE");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].at("TESTO"), "it's");  // stored exactly, not doubled
    EXPECT_EQ(rows[0].at("MEMO")->size(), 100000u);
    EXPECT_EQ(rows[0].at("UTENTE"), std::nullopt);
    EXPECT_EQ(rows[1].at("TESTO"), "user");
    EXPECT_EQ(rows[1].at("MEMO"), std::nullopt);
    EXPECT_EQ(rows[1].at("UTENTE"), "7");
    EXPECT_EQ(tabx.GetParametroTesto("P", 0), "it's");
}

TEST_F(KelTabXTest, ANameTooLongFailsWithTheDatabasesErrorAndLeavesNothingOpen)
{
    TKelTabX tabx(&Connection);
    EXPECT_THROW(tabx.SetParametroTesto(std::string(65, 'N'), "v", 0), Exception);
    EXPECT_FALSE(tabx.InTransaction());
}

TEST_F(KelTabXTest, ABracketCommitsItsWritesTogether)
{
    TKelTabX tabx(&Connection);
    tabx.BeginUpdate();
    tabx.SetParametroTesto("A", "1", 0);
    tabx.SetParametroTesto("B", "2", 0);
    EXPECT_EQ(Db.Query("SELECT * FROM TABX").size(), 0u);
    EXPECT_THROW(tabx.BeginUpdate(), Exception);  // brackets do not nest
    tabx.EndUpdate();
    EXPECT_EQ(Db.Query("SELECT * FROM TABX").size(), 2u);
    tabx.BeginUpdate();
    tabx.SetParametroTesto("C", "3", 0);
}

TEST_F(KelTabXTest, DestroyingInsideABracketCommitsIt)
{
    {
        TKelTabX tabx(&Connection);
        tabx.BeginUpdate();
        tabx.SetParametroTesto("C", "3", 0);
    }
    EXPECT_EQ(Db.Scalar("SELECT TESTO FROM TABX WHERE NOME='C'"), "3");
}

TEST_F(KelTabXTest, ABracketWithAFailedWriteSavesNoneOfItsWrites)
{
    const std::string tooLong(65, 'N');  // the name is cast to 64 characters
    {
        TKelTabX tabx(&Connection);
        tabx.BeginUpdate();
        tabx.SetParametroTesto("A", "1", 0);
        EXPECT_THROW(tabx.SetParametroTesto(tooLong, "v", 0), Exception);
        tabx.SetParametroTesto("B", "2", 0);
        EXPECT_EQ(ErrorOf([&] { tabx.EndUpdate(); }), "Aggiornamento TABX annullato: una scrittura non è riuscita");
        EXPECT_FALSE(tabx.InTransaction());
        // The next bracket starts clean.
        tabx.BeginUpdate();
        tabx.SetParametroTesto("C", "3", 0);
        tabx.EndUpdate();
    }
    {
        // Going away with the bracket open rolls it back too.
        TKelTabX tabx(&Connection);
        tabx.BeginUpdate();
        tabx.SetParametroTesto("D", "4", 0);
        EXPECT_THROW(tabx.SetParametroTesto(tooLong, "v", 0), Exception);
    }
    EXPECT_EQ(Db.Query("SELECT NOME FROM TABX"), (std::vector<test::TRow>{{{"NOME", "C"}}}));
}

TEST_F(KelTabXTest, TheUpdateGuardCommitsOnlyWhenAsked)
{
    TKelTabX tabx(&Connection);
    try {
        TKelTabX::TUpdate update(tabx);
        tabx.SetParametroTesto("A", "1", 0);
        throw Exception("the caller gave up");
    } catch (const Exception&) {
    }
    EXPECT_FALSE(tabx.InTransaction());
    {
        TKelTabX::TUpdate update(tabx);
        tabx.SetParametroTesto("B", "2", 0);
        update.Commit();
    }
    EXPECT_EQ(Db.Query("SELECT NOME FROM TABX"), (std::vector<test::TRow>{{{"NOME", "B"}}}));
}

TEST_F(KelTabXTest, ParametersLoadExactlyAsStoredAndValidate)
{
    FillValid();
    Db.SetParameter("QORITA_ServiceUrl", "https://127.0.0.1:1/zanwebservice.asmx?WSDL");
    Db.SetParameter("QORITA_ServiceTimeout", "90");
    Db.SetParameter("QORITA_RunTimeout", "300");
    TKelTabX tabx(&Connection);
    TQorItaParametriAccess access(&tabx);
    TQorItaParametri parametri;
    access.Load(parametri);
    EXPECT_EQ(parametri.SedeQor, "MI1");
    EXPECT_EQ(parametri.CodiceClienteQor, 31);
    EXPECT_EQ(parametri.PasswordClienteQor, " secret ");
    EXPECT_EQ(parametri.CodiceContrattoQor, -7);
    EXPECT_EQ(parametri.TipoEtichetta, "PDF");
    EXPECT_EQ(parametri.ServiceUrl, "https://127.0.0.1:1/zanwebservice.asmx?WSDL");
    EXPECT_EQ(parametri.ServiceCaFile, "");
    EXPECT_EQ(parametri.ServiceTimeout, "90");
    EXPECT_NO_THROW(parametri.Validate());
    EXPECT_EQ(parametri.ServiceTimeoutSeconds(), 90);
    EXPECT_EQ(parametri.RunTimeoutSeconds(), 300);
    EXPECT_FALSE(tabx.InTransaction());
}

// Every parameter of the table reaches its field, and a value stored for every
// one of them passes both the run's checks and the deployment check's.
TEST_F(KelTabXTest, EveryParameterOfTheTableLoadsIntoItsField)
{
    std::vector<TRigaTabX> righe;
    for (const TParametroTabX& parametro : ParametriTabX()) {
        std::string testo = std::string(parametro.Nome) + " value";
        if (parametro.Tipo == TTipoParametro::Intero) testo = std::to_string(parametro.Nome.size());
        if (parametro.Tipo == TTipoParametro::Secondi) testo = std::to_string(100 + parametro.Nome.size());
        if (parametro.Tipo == TTipoParametro::Cartella) testo = Db.Folder().string();
        if (parametro.Tipo == TTipoParametro::File) testo = Db.Folder() / "ca.pem";
        Db.SetParameter(std::string(parametro.Nome), testo);
        righe.push_back({std::string(parametro.Nome), std::nullopt, testo});
    }
    std::ofstream(Db.Folder() / "ca.pem") << "-----BEGIN CERTIFICATE-----\n";
    TKelTabX tabx(&Connection);
    TQorItaParametri parametri;
    TQorItaParametriAccess(&tabx).Load(parametri);
    for (const TRigaTabX& riga : righe) {
        EXPECT_EQ(TestoCampo(*ParametroTabX(riga.Nome), parametri), riga.Testo) << riga.Nome;
    }
    EXPECT_EQ(parametri.Problemi(), std::vector<std::string>{});
    EXPECT_EQ(EsameParametriTabX(righe), std::vector<std::string>{});
    EXPECT_EQ(ParametroTabX("qorita_sedeqor"), nullptr);  // names are matched exactly, as TABX does
}

TEST_F(KelTabXTest, UserValuesAreNotServiceParameters)
{
    Db.SetParameter("QORITA_SedeQor", "MI1", 3);
    TKelTabX tabx(&Connection);
    TQorItaParametriAccess access(&tabx);
    TQorItaParametri parametri;
    access.Load(parametri);
    EXPECT_EQ(parametri.SedeQor, "");
}

TEST(ParametriValidateTest, ReportsTheFirstFailingCheck)
{
    const support::TTempFolder dir;
    const std::string file = (dir.Path() / "file.txt").string();
    {
        std::ofstream(file) << "x";
    }
    const std::string link = (dir.Path() / "link").string();
    std::filesystem::create_directory_symlink(dir.Path(), link);
    auto valid = [&] {
        TQorItaParametri p;
        p.SedeQor = "S";
        p.CodiceClienteQor = 1;
        p.PasswordClienteQor = "P";
        p.CodiceContrattoQor = 2;
        p.RequestResponseDir = link;  // a link to a folder counts as a folder
        p.TipoEtichetta = "anything";
        return p;
    };
    EXPECT_NO_THROW(valid().Validate());
    // Without a request time limit of its own, a run allows ten minutes.
    EXPECT_EQ(valid().ServiceTimeoutSeconds(), 600);
    // And a whole run fifteen minutes.
    EXPECT_EQ(valid().RunTimeoutSeconds(), 900);
    struct Case {
        std::function<void(TQorItaParametri&)> Change;
        std::string Message;
    };
    const std::vector<Case> cases = {
        {[](auto& p) {
             p.SedeQor = "";
             p.PasswordClienteQor = "";
         },
         "Sede QOR non specificata"},
        {[](auto& p) { p.CodiceClienteQor = 0; }, "Codice Cliente QOR non specificato"},
        {[](auto& p) { p.PasswordClienteQor = ""; }, "Password Cliente QOR non specificata"},
        {[](auto& p) { p.CodiceContrattoQor = 0; }, "Codice Contratto QOR non specificato"},
        {[](auto& p) { p.RequestResponseDir = ""; }, "Percorso XML scambi rest QOR non specificata"},
        {[&](auto& p) { p.RequestResponseDir = file; }, "Percorso XML scambi rest QOR " + file + " non trovata"},
        {[](auto& p) { p.RequestResponseDir = "/no/such/dir"; },
         "Percorso XML scambi rest QOR /no/such/dir non trovata"},
        {[](auto& p) { p.TipoEtichetta = ""; }, "Tipo etichetta QOR non specificata"},
        {[](auto& p) { p.ServiceTimeout = "0"; },
         "Tempo massimo di una richiesta a QOR (QORITA_ServiceTimeout) non valido: 0; "
         "indicare i secondi, un intero maggiore di 0"},
        {[](auto& p) { p.ServiceTimeout = "10 min"; },
         "Tempo massimo di una richiesta a QOR (QORITA_ServiceTimeout) non valido: 10 min; "
         "indicare i secondi, un intero maggiore di 0"},
        {[](auto& p) { p.RunTimeout = "-5"; },
         "Tempo massimo di un'esecuzione (QORITA_RunTimeout) non valido: -5; "
         "indicare i secondi, un intero maggiore di 0"},
    };
    for (const Case& c : cases) {
        TQorItaParametri p = valid();
        c.Change(p);
        EXPECT_EQ(ErrorOf([&] { p.Validate(); }), c.Message);
    }
}

TEST(ParametriValidateTest, ProblemiListsEveryFailingCheckInOrder)
{
    TQorItaParametri empty;
    EXPECT_EQ(empty.Problemi(),
              (std::vector<std::string>{"Sede QOR non specificata", "Codice Cliente QOR non specificato",
                                        "Password Cliente QOR non specificata", "Codice Contratto QOR non specificato",
                                        "Percorso XML scambi rest QOR non specificata",
                                        "Tipo etichetta QOR non specificata"}));
    TQorItaParametri partial;
    partial.SedeQor = "S";
    partial.CodiceContrattoQor = -3;  // only 0 is refused
    partial.RequestResponseDir = "/no/such/dir";
    partial.TipoEtichetta = "ZPL";
    EXPECT_EQ(partial.Problemi(),
              (std::vector<std::string>{"Codice Cliente QOR non specificato", "Password Cliente QOR non specificata",
                                        "Percorso XML scambi rest QOR /no/such/dir non trovata"}));
}

}  // namespace
}  // namespace qorita

#include "CallFixture.h"

#include "Envelope.h"

#include <filesystem>

namespace qorita::test {

std::string SoapAnswer(const std::string& AOperation, const std::string& APayload)
{
    return sandbox::BuildAnswerEnvelope(AOperation, APayload);
}

std::string AcceptedAddParcel(const std::vector<std::int32_t>& ANumbers, std::int32_t AFirstCounter)
{
    std::string payload = "<InfoLabel xmlns=\"\">";
    std::int32_t counter = AFirstCounter;
    for (std::int32_t number : ANumbers) {
        payload += "<Parcel><NumeroSpedizione>" + std::to_string(number) + "</NumeroSpedizione><ContatoreProgressivo>" +
                   std::to_string(counter++) + "</ContatoreProgressivo><Zpl>^XA^XZ</Zpl></Parcel>";
    }
    payload += "</InfoLabel>";
    return SoapAnswer("AddParcel", payload);
}

CallFixture::CallFixture(bool AThroughServer) : Db(true, AThroughServer), ExchangeDir((Db.Folder() / "scambi").string())
{
    std::filesystem::create_directories(ExchangeDir);
}

void CallFixture::SetParameters(const std::string& AServiceUrl, const std::string& ACaFile)
{
    Db.SetParameter("QORITA_SedeQor", "MI");
    Db.SetParameter("QORITA_CodiceClienteQor", "1234");
    Db.SetParameter("QORITA_PasswordClienteQor", "sandbox");
    Db.SetParameter("QORITA_CodiceContrattoQor", "77");
    Db.SetParameter("QORITA_RequestResponseDir", ExchangeDir);
    Db.SetParameter("QORITA_TipoEtichetta", "ZPL");
    if (!AServiceUrl.empty()) Db.SetParameter("QORITA_ServiceUrl", AServiceUrl);
    if (!ACaFile.empty()) Db.SetParameter("QORITA_ServiceCaFile", ACaFile);
}

std::int32_t CallFixture::AddShipment(const TShipmentRow& AShipment)
{
    const std::int32_t id = std::stoi(*Db.Scalar("SELECT GEN_ID(QORITA_TESTATE_ID,1) FROM RDB$DATABASE"));
    auto quoted = [](const std::string& AText) {
        std::string result = "'";
        for (char c : AText) {
            result += c;
            if (c == '\'') result += '\'';
        }
        return result + "'";
    };
    std::vector<std::string> statements;
    statements.push_back(
        "INSERT INTO QORITA_TESTATE (ID, RAGIONESOCIALE, INDIRIZZO, LOCALITA, ZIPCODE, PROVINCIA, COLLI, "
        "TIPOETICHETTA, NUMEROSPEDIZIONE, CONFERMA_DATAORA, MODALITAINCASSO, EMAIL, STATUS) VALUES (" +
        std::to_string(id) + ", " + quoted(AShipment.RagioneSociale) + ", 'Via Roma 1', 'Milano', " +
        quoted(AShipment.ZipCode) + ", 'MI', " + std::to_string(AShipment.Parcels.size()) + ", " +
        quoted(AShipment.TipoEtichetta) + ", " +
        (AShipment.NumeroSpedizione ? std::to_string(AShipment.NumeroSpedizione) : "NULL") + ", " +
        (AShipment.ConfermaDataOra ? quoted(*AShipment.ConfermaDataOra) : "NULL") +
        ", 'CONT', 'rossi@example.com', 'VALIDA')");
    int ncollo = 0;
    for (const TParcelRow& parcel : AShipment.Parcels) {
        ++ncollo;
        statements.push_back(
            "INSERT INTO QORITA_RIGHE (TESTATA, NCOLLO, PESOREALE, IMPORTOCONTRASSEGNO, INVIO_DATAORA, "
            "CONTATOREPROGRESSIVO) VALUES (" +
            std::to_string(id) + ", " + std::to_string(ncollo) + ", " + std::to_string(parcel.Peso) + ", " +
            std::to_string(parcel.Contrassegno) + ", " + (parcel.InvioDataOra ? quoted(*parcel.InvioDataOra) : "NULL") +
            ", " + (parcel.InvioDataOra ? "1" : "NULL") + ")");
    }
    Db.ExecAll(statements);
    return id;
}

std::int32_t CallFixture::AddCall(std::int32_t ATestata, std::int32_t AOperatore)
{
    const std::int32_t id = std::stoi(*Db.Scalar("SELECT GEN_ID(QORITA_CHIAMATE_ID,1) FROM RDB$DATABASE"));
    Db.Exec("INSERT INTO QORITA_CHIAMATE (ID, TESTATA, DATAORA, OPERATORE) VALUES (" + std::to_string(id) + ", " +
            (ATestata ? std::to_string(ATestata) : "NULL") + ", CURRENT_TIMESTAMP, " + std::to_string(AOperatore) +
            ")");
    return id;
}

std::vector<std::string> CallFixture::Arguments(const std::string& ACommand, std::int32_t AChiamataId) const
{
    return {"-" + ACommand, "DatabaseName=" + Db.Location(), "ChiamataId=" + std::to_string(AChiamataId)};
}

TRunResult CallFixture::Run(const std::string& ACommand, std::int32_t AChiamataId)
{
    return RunQorita(Arguments(ACommand, AChiamataId));
}

TRow CallFixture::CallRow(std::int32_t AId)
{
    return Db.Query("SELECT * FROM QORITA_CHIAMATE WHERE ID=" + std::to_string(AId)).at(0);
}

TRow CallFixture::Header(std::int32_t AId)
{
    return Db.Query("SELECT * FROM QORITA_TESTATE WHERE ID=" + std::to_string(AId)).at(0);
}

std::vector<TRow> CallFixture::Parcels(std::int32_t ATestata)
{
    return Db.Query("SELECT * FROM QORITA_RIGHE WHERE TESTATA=" + std::to_string(ATestata) + " ORDER BY NCOLLO");
}

std::vector<TRow> CallFixture::LogRows() { return Db.Query("SELECT * FROM QORITA_LOG ORDER BY ID"); }

CourierCallFixture::CourierCallFixture(bool AThroughServer, sandbox::TSandboxOptions ACourierOptions)
    : CallFixture(AThroughServer), Courier(std::move(ACourierOptions))
{
    Courier.Start();
    SetParameters(Courier.WsdlUrl(), Courier.CaFile().string());
}

}  // namespace qorita::test

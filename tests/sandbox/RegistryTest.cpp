#include "Registry.h"
#include "SandboxTestSupport.h"
#include "TempFolder.h"
#include "common/Exception.h"

#include <gtest/gtest.h>

#include <fstream>

namespace qorita::sandbox::test {
namespace {

TRegisteredShipment Sample()
{
    TRegisteredShipment shipment;
    shipment.SedeQor = "MI";
    shipment.CodiceClienteQor = 4242;
    shipment.DataSpedizione = "10/12/2026";
    TRegisteredParcel parcel;
    parcel.ContatoreProgressivo = 7;
    parcel.ProgressivoCollo = 1;
    parcel.CodiceContrattoQor = 12;
    parcel.RagioneSociale = "A <&> B \"quoted\"\r\nline";
    parcel.Zipcode = "20121";
    parcel.PesoReale = 0.1;
    parcel.ImportoContrassegno = 1234.56;
    parcel.ModalitaIncasso = "CONT";
    parcel.GeneraPdf = 4;
    parcel.Email = "x@example.com";
    shipment.Parcels = {parcel, parcel};
    shipment.Parcels[1].ProgressivoCollo = 2;
    shipment.Parcels[1].PesoReale = 2.35;
    return shipment;
}

TEST(RegistryTest, StateFileKeepsShipmentsStatesAndNumbering)
{
    const support::TTempFolder folder;
    const auto file = folder.Path() / "registry.xml";
    std::vector<TRegisteredShipment> before;
    {
        TShipmentRegistry registry(file);
        EXPECT_EQ(registry.Register(Sample()), TShipmentRegistry::FirstNumber);
        EXPECT_EQ(registry.Register(Sample()), TShipmentRegistry::FirstNumber + 1);
        registry.SetState(TShipmentRegistry::FirstNumber, TShipmentState::Confermata);
        registry.SetState(TShipmentRegistry::FirstNumber + 1, TShipmentState::Eliminata);
        before = registry.Shipments();
    }
    TShipmentRegistry reopened(file);
    EXPECT_EQ(reopened.Shipments(), before);
    // Numbers go on where the previous run stopped.
    EXPECT_EQ(reopened.Register(Sample()), TShipmentRegistry::FirstNumber + 2);
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "registry.xml.tmp"));
}

TEST(RegistryTest, MemoryOnlyRegistryWritesNothing)
{
    TShipmentRegistry registry;
    const std::int32_t number = registry.Register(Sample());
    ASSERT_NE(registry.Find(number), nullptr);
    EXPECT_EQ(registry.Find(number)->Parcels.size(), 2u);
    EXPECT_EQ(registry.Find(number + 1), nullptr);
    EXPECT_THROW(registry.SetState(number + 1, TShipmentState::Confermata), qorita::Exception);
}

TEST(RegistryTest, DamagedStateFileIsReportedNotIgnored)
{
    const support::TTempFolder folder;
    const auto file = folder.Path() / "registry.xml";
    for (const char* content : {"<Registro><ProssimoNumero>", "<Altro/>",
                                "<Registro><ProssimoNumero>5</ProssimoNumero><Spedizione>"
                                "<NumeroSpedizione>x</NumeroSpedizione></Spedizione></Registro>"}) {
        SCOPED_TRACE(content);
        std::ofstream(file, std::ios::trunc) << content;
        EXPECT_THROW(TShipmentRegistry{file}, qorita::Exception);
    }
}

}  // namespace
}  // namespace qorita::sandbox::test

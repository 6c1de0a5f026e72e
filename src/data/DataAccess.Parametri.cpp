#include "data/DataAccess.h"
#include "common/Text.h"
#include "data/KelTabX.h"

namespace qorita {

void TQorItaParametriAccess::Load(TQorItaParametri& ATo)
{
    TKelTabX::TUpdate update(*FKelTabX);
    ATo.SedeQor = FKelTabX->GetParametroTesto("QORITA_SedeQor", 0);
    ATo.CodiceClienteQor = StrToIntDef(FKelTabX->GetParametroTesto("QORITA_CodiceClienteQor", 0), 0);
    ATo.PasswordClienteQor = FKelTabX->GetParametroTesto("QORITA_PasswordClienteQor", 0);
    ATo.CodiceContrattoQor = StrToIntDef(FKelTabX->GetParametroTesto("QORITA_CodiceContrattoQor", 0), 0);
    ATo.RequestResponseDir = FKelTabX->GetParametroTesto("QORITA_RequestResponseDir", 0);
    ATo.TipoEtichetta = FKelTabX->GetParametroTesto("QORITA_TipoEtichetta", 0);
    ATo.ServiceUrl = FKelTabX->GetParametroTesto("QORITA_ServiceUrl", 0);
    ATo.ServiceCaFile = FKelTabX->GetParametroTesto("QORITA_ServiceCaFile", 0);
    ATo.ServiceTimeout = FKelTabX->GetParametroTesto("QORITA_ServiceTimeout", 0);
    update.Commit();
}

}  // namespace qorita

#include "data/DataAccess.h"
#include "common/Text.h"
#include "data/KelTabX.h"

namespace qorita {

void TQorItaParametriAccess::Load(TQorItaParametri& ATo)
{
    FKelTabX->BeginUpdate();
    ATo.SetSedeQor(FKelTabX->GetParametroTesto("QORITA_SedeQor", 0));
    ATo.SetCodiceClienteQor(StrToIntDef(FKelTabX->GetParametroTesto("QORITA_CodiceClienteQor", 0), 0));
    ATo.SetPasswordClienteQor(FKelTabX->GetParametroTesto("QORITA_PasswordClienteQor", 0));
    ATo.SetCodiceContrattoQor(StrToIntDef(FKelTabX->GetParametroTesto("QORITA_CodiceContrattoQor", 0), 0));
    ATo.SetRequestResponseDir(FKelTabX->GetParametroTesto("QORITA_RequestResponseDir", 0));
    ATo.SetTipoEtichetta(FKelTabX->GetParametroTesto("QORITA_TipoEtichetta", 0));
    ATo.SetServiceUrl(FKelTabX->GetParametroTesto("QORITA_ServiceUrl", 0));
    ATo.SetServiceCaFile(FKelTabX->GetParametroTesto("QORITA_ServiceCaFile", 0));
    ATo.SetServiceTimeout(FKelTabX->GetParametroTesto("QORITA_ServiceTimeout", 0));
    FKelTabX->EndUpdate();
}

}  // namespace qorita

#include "data/DataAccess.h"
#include "data/KelTabX.h"
#include "data/ParametriTabX.h"

namespace qorita {

void TQorItaParametriAccess::Load(TQorItaParametri& ATo)
{
    TKelTabX::TUpdate update(*FKelTabX);
    for (const TParametroTabX& parametro : ParametriTabX()) {
        AssegnaCampo(parametro, ATo, FKelTabX->GetParametroTesto(std::string(parametro.Nome), 0));
    }
    update.Commit();
}

}  // namespace qorita

#include "data/DataAccess.h"

namespace qorita {

void TQorItaLogAccess::Save(TQorItaLogData& AData)
{
    if (AData.Id == 0) AData.Id = GenId(sql::GenLogId);
    if (!FSQLInsert) FSQLInsert = NewStatement(sql::LogInsert());
    fb::TFbStatement& sql = *FSQLInsert;
    BindColumns(AData, LogColumns, sql);
    sql.Execute();
}

}  // namespace qorita

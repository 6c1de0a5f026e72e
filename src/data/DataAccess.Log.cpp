#include "data/DataAccess.h"

namespace qorita {

void TQorItaLogAccess::Save(TQorItaLogData& AData)
{
    SaveRowWithId(FInsert, &sql::LogInsert, sql::GenLogId, LogColumns, AData);
}

}  // namespace qorita

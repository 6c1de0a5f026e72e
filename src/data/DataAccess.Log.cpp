#include "data/DataAccess.h"

namespace qorita {

void TQorItaLogAccess::Save(TQorItaLogData& AData)
{
    SaveRowWithId(FSQLInsert, &sql::LogInsert, sql::GenLogId, LogColumns, AData);
}

}  // namespace qorita

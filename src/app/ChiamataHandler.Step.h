#pragma once

// The frame shared by the three steps (AddParcel, CWDBSN, DeleteSped).
#include "app/ChiamataHandler.h"

#include <exception>

namespace qorita {

template <typename TExchange, typename TTakeOver>
void TChiamataHandler::RunStep(TQorItaLogData& ALog, TExchange&& AExchange, TTakeOver&& ATakeOver)
{
    try {
        auto response = [&] {
            try {
                return AExchange();
            } catch (const std::exception& error) {
                ALog.EsitoCodice = -1;
                ALog.EsitoMessaggio = error.what();
                throw;
            }
        }();
        // An error from here on leaves the log row at 0: the exchange itself
        // succeeded.
        ATakeOver(*response);
    } catch (...) {
        SaveLog(ALog);
        throw;
    }
    SaveLog(ALog);
}

}  // namespace qorita

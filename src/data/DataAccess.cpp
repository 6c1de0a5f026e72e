#include "data/DataAccess.h"

#include "data/fb/FbStatement.h"

#include <cmath>

namespace qorita {

void TDataAccess::SetParamInteger(std::int32_t AValue, fb::TFbParam& AParam, bool ANullIfZero)
{
    if (ANullIfZero && AValue == 0) {
        AParam.SetNull();
    } else {
        AParam.SetInt32(AValue);
    }
}

void TDataAccess::SetParamDouble(double AValue, fb::TFbParam& AParam, bool ANullIfZero)
{
    if (ANullIfZero && std::fabs(AValue) <= 1E-12) {
        AParam.SetNull();
    } else {
        AParam.SetDouble(AValue);
    }
}

void TDataAccess::SetParamString(const std::string& AValue, fb::TFbParam& AParam, bool ACutToFit)
{
    if (AValue.empty()) {
        AParam.SetNull();
    } else if (ACutToFit) {
        AParam.SetTextCutToFit(AValue);
    } else {
        AParam.SetText(AValue);
    }
}

void TDataAccess::SetParamDateTime(TDateTime AValue, fb::TFbParam& AParam)
{
    if (AValue == 0.0) {
        AParam.SetNull();
    } else {
        AParam.SetDateTime(AValue);
    }
}

std::int32_t TDataAccess::GetFieldInteger(const fb::TFbField& AField) { return AField.AsInt32(); }
double TDataAccess::GetFieldDouble(const fb::TFbField& AField) { return AField.AsDouble(); }
std::string TDataAccess::GetFieldString(const fb::TFbField& AField) { return AField.AsText(); }
TDateTime TDataAccess::GetFieldDateTime(const fb::TFbField& AField) { return AField.AsDateTime(); }

std::int32_t TDataAccess::GenId(const std::string& AGenerator)
{
    std::unique_ptr<fb::TFbStatement>& prepared = FGenIdStatements[AGenerator];
    if (!prepared) {
        prepared = std::make_unique<fb::TFbStatement>(*FDatabase, *FTransaction, sql::GenIdText(AGenerator), false);
    }
    fb::TFbStatement& statement = *prepared;
    statement.Execute();
    const std::int32_t value = statement.FieldAt(0).AsInt32();
    statement.Close();
    return value;
}

std::unique_ptr<fb::TFbStatement> TDataAccess::NewStatement(sql::TLines ALines)
{
    return NewStatement(sql::Text(ALines));
}

std::unique_ptr<fb::TFbStatement> TDataAccess::NewStatement(std::string AText)
{
    return std::make_unique<fb::TFbStatement>(*FDatabase, *FTransaction, std::move(AText));
}

}  // namespace qorita

#include "data/fb/FbConnection.h"

#include "common/Exception.h"
#include "data/fb/FbOwners.h"
#include "data/fb/FbStatus.h"

namespace qorita::fb {
namespace {

TDisposable<Firebird::IXpbBuilder> BuildDpb(TFbStatus& AStatus, const TFbConnectionOptions& AOptions,
                                            bool ACreate)
{
    Firebird::IUtil* util = Master()->getUtilInterface();
    TDisposable<Firebird::IXpbBuilder> dpb(util->getXpbBuilder(AStatus.Get(), Firebird::IXpbBuilder::DPB, nullptr, 0));
    AStatus.Check();
    dpb->insertString(AStatus.Get(), isc_dpb_user_name, AOptions.UserName.c_str());
    dpb->insertString(AStatus.Get(), isc_dpb_password, AOptions.Password.c_str());
    dpb->insertString(AStatus.Get(), isc_dpb_lc_ctype, "UTF8");
    if (ACreate) {
        dpb->insertString(AStatus.Get(), isc_dpb_set_db_charset, "UTF8");
        dpb->insertInt(AStatus.Get(), isc_dpb_page_size, 8192);
    }
    AStatus.Check();
    return dpb;
}

}  // namespace

TFbConnection::TFbConnection() = default;

TFbConnection::~TFbConnection()
{
    if (FAttachment) {
        TFbStatus status;
        FAttachment->detach(status.Get());
        if (status.Failed()) FAttachment->release();
        FAttachment = nullptr;
    }
}

Firebird::IAttachment* TFbConnection::Handle() const
{
    if (!FAttachment) throw Exception("Database not connected");
    return FAttachment;
}

void TFbConnection::Open(const std::string& ALocation, const TFbConnectionOptions& AOptions)
{
    Close();
    TFbStatus status;
    auto dpb = BuildDpb(status, AOptions, false);
    TRef<Firebird::IProvider> provider(Master()->getDispatcher());
    FAttachment = provider->attachDatabase(status.Get(), ALocation.c_str(), dpb->getBufferLength(status.Get()),
                                           dpb->getBuffer(status.Get()));
    if (status.Failed()) FAttachment = nullptr;
    status.Check();
    FLocation = ALocation;
}

void TFbConnection::Create(const std::string& ALocation, const TFbConnectionOptions& AOptions)
{
    Close();
    TFbStatus status;
    auto dpb = BuildDpb(status, AOptions, true);
    TRef<Firebird::IProvider> provider(Master()->getDispatcher());
    FAttachment = provider->createDatabase(status.Get(), ALocation.c_str(), dpb->getBufferLength(status.Get()),
                                           dpb->getBuffer(status.Get()));
    if (status.Failed()) FAttachment = nullptr;
    status.Check();
    FLocation = ALocation;
}

void TFbConnection::Close()
{
    if (!FAttachment) return;
    TFbStatus status;
    FAttachment->detach(status.Get());
    if (status.Failed()) {
        FAttachment->release();
        FAttachment = nullptr;
        status.Check();
    }
    FAttachment = nullptr;
}

void TFbConnection::Drop()
{
    if (!FAttachment) return;
    TFbStatus status;
    FAttachment->dropDatabase(status.Get());
    if (status.Failed()) {
        status.Check();
    }
    FAttachment = nullptr;
}

void ShutdownClient()
{
    TFbStatus status;
    Firebird::IProvider* provider = Master()->getDispatcher();
    provider->shutdown(status.Get(), 0, fb_shutrsn_app_stopped);
    provider->release();
}

}  // namespace qorita::fb

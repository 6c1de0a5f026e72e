#include "data/fb/FbConnection.h"

#include "common/Exception.h"
#include "data/fb/FbClient.h"
#include "data/fb/FbStatus.h"

namespace qorita::fb {
namespace {

TDisposable<Firebird::IXpbBuilder> BuildDpb(TStatusWrapper& AStatus, const TFbConnectionOptions& AOptions, bool ACreate)
{
    Firebird::IUtil* util = Master()->getUtilInterface();
    TDisposable<Firebird::IXpbBuilder> dpb(util->getXpbBuilder(&AStatus, Firebird::IXpbBuilder::DPB, nullptr, 0));
    dpb->insertString(&AStatus, isc_dpb_user_name, AOptions.UserName.c_str());
    dpb->insertString(&AStatus, isc_dpb_password, AOptions.Password.c_str());
    dpb->insertString(&AStatus, isc_dpb_lc_ctype, "UTF8");
    if (ACreate) {
        dpb->insertString(&AStatus, isc_dpb_set_db_charset, "UTF8");
        dpb->insertInt(&AStatus, isc_dpb_page_size, 8192);
    }
    return dpb;
}

enum class TAttach { Open, Create };

TRef<Firebird::IAttachment> Attach(const std::string& ALocation, const TFbConnectionOptions& AOptions, TAttach AHow)
{
    return Guarded([&](TStatusWrapper& AStatus) {
        const auto dpb = BuildDpb(AStatus, AOptions, AHow == TAttach::Create);
        const TRef<Firebird::IProvider> provider(Master()->getDispatcher());
        const unsigned length = dpb->getBufferLength(&AStatus);
        const unsigned char* buffer = dpb->getBuffer(&AStatus);
        return TRef<Firebird::IAttachment>(AHow == TAttach::Create
                                               ? provider->createDatabase(&AStatus, ALocation.c_str(), length, buffer)
                                               : provider->attachDatabase(&AStatus, ALocation.c_str(), length, buffer));
    });
}

}  // namespace

TFbConnection::TFbConnection() = default;

TFbConnection::~TFbConnection()
{
    try {
        Close();
    } catch (...) {
        // The attachment is let go of anyway; nothing more can be done here.
    }
}

TFbConnection::TFbConnection(TFbConnection&& AOther) noexcept = default;

TFbConnection& TFbConnection::operator=(TFbConnection&& AOther) noexcept
{
    if (this != &AOther) {
        // The attachment held until now is detached as the destructor does.
        const TFbConnection ending(std::move(*this));
        FLocation = std::move(AOther.FLocation);
        FAttachment = std::move(AOther.FAttachment);
    }
    return *this;
}

Firebird::IAttachment* TFbConnection::Handle() const
{
    if (!FAttachment) throw Exception("Database not connected");
    return FAttachment.get();
}

void TFbConnection::Open(const std::string& ALocation, const TFbConnectionOptions& AOptions)
{
    Close();
    FAttachment = Attach(ALocation, AOptions, TAttach::Open);
    FLocation = ALocation;
}

void TFbConnection::Create(const std::string& ALocation, const TFbConnectionOptions& AOptions)
{
    Close();
    FAttachment = Attach(ALocation, AOptions, TAttach::Create);
    FLocation = ALocation;
}

void TFbConnection::Close()
{
    if (!FAttachment) return;
    TRef<Firebird::IAttachment> attachment = std::move(FAttachment);
    Guarded([&](TStatusWrapper& AStatus) {
        attachment->detach(&AStatus);
        Forget(attachment);
    });
}

void TFbConnection::Drop()
{
    if (!FAttachment) return;
    // A database that cannot be dropped stays attached.
    Guarded([&](TStatusWrapper& AStatus) {
        FAttachment->dropDatabase(&AStatus);
        Forget(FAttachment);
    });
}

void ShutdownClient()
{
    // A client that never loaded has nothing to shut down.
    if (!ClientLoaded()) return;
    const TRef<Firebird::IProvider> provider(Master()->getDispatcher());
    try {
        Guarded([&](TStatusWrapper& AStatus) { provider->shutdown(&AStatus, 0, fb_shutrsn_app_stopped); });
    } catch (const Exception&) {
        // The process is ending: a client that does not stop cleanly has
        // nothing left to lose.
    }
}

}  // namespace qorita::fb

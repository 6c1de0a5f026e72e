#include "data/fb/FbClient.h"

namespace qorita::fb {

Firebird::IMaster* ClientMaster() { return Firebird::fb_get_master_interface(); }

bool ClientLoaded() { return true; }

}  // namespace qorita::fb

#pragma once

// The account the program connects to the calling application's database with.
// The built-in pair serves the usual installation; the Firebird client's own
// variables ISC_USER and ISC_PASSWORD override each half on its own (an empty
// variable counts as unset), for a server whose SYSDBA password differs or a
// deployment that runs under a user of its own with grants on the tables and
// generators. The credentials are never printed nor archived.
#include "data/fb/FbConnection.h"

namespace qorita {

fb::TFbConnectionOptions CredenzialiDatabase();

}  // namespace qorita

#pragma once

// Where the client's master interface comes from: the client library linked
// into the program (FbClient.Linked.cpp, Linux) or fbclient.dll loaded when
// the first database call needs it (FbClient.Loaded.cpp, Windows, where the
// client is whatever the workstation has installed). Internal to the wrapper.
#include "data/fb/FbApi.h"

namespace qorita::fb {

// The master interface; raises an Exception naming where the client was
// looked for when there is none.
Firebird::IMaster* ClientMaster();

// Whether ClientMaster has a client to give (without trying to load one).
bool ClientLoaded();

}  // namespace qorita::fb

#pragma once

// The only include of the Firebird client's object-oriented API. Its header
// trips our warning flags, so they are silenced here and nowhere else. Only .cpp
// files of this folder include this header.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
#pragma GCC diagnostic ignored "-Wshadow"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wconversion"
#pragma GCC diagnostic ignored "-Wsign-conversion"
#include <firebird/Interface.h>
#pragma GCC diagnostic pop

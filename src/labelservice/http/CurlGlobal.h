#pragma once

// libcurl's process-wide initialisation, done once before the first handle.

namespace qorita::http {

// Thread-safe; raises an Exception when libcurl cannot be initialised.
void EnsureCurlGlobalInit();

}  // namespace qorita::http

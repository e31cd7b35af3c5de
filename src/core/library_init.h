// Process-wide initialisation of the libraries that must be set up before any
// thread uses them (libsodium's and libcurl's global state).
#pragma once

namespace ovr
{

// Runs sodium_init() and curl_global_init() once; later calls do nothing.
// Call it on the main thread before any other thread starts. Throws
// std::runtime_error when a library cannot be initialised.
void gf_initLibraries();

} // namespace ovr

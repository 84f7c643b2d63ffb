// Office agile encryption of a plain .accdb, as Access 2010 and later write it
// (MS-OFFCRYPTO 2.3.4.10): SHA-512 and AES-256-CBC, the password's hash spun
// `spinCount` times. For benchmarks and the writer's own tests only: the reader's
// decryption is proven on files Access wrote, never on these alone.
#pragma once
#include <cstdint>
#include <string>

namespace jetwriter {

// Rewrites the .accdb at path in place, encrypted with `password` (UTF-8).
// Throws std::runtime_error when the file cannot be read or written.
void EncryptAgile(const std::string& path, const std::string& password, uint32_t spinCount = 100000);

}  // namespace jetwriter

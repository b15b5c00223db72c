// SHA-256 digests, to compare large outputs with their recorded digests.
#pragma once

#include <string>
#include <string_view>

namespace torvane::testing {

// Lower-case hexadecimal SHA-256 of the bytes.
std::string Sha256_hex(std::string_view bytes);

}  // namespace torvane::testing

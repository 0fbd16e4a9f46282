// MD5 message digest from the platform's crypto provider.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace qs {

using Md5Digest = std::array<uint8_t, 16>;

Md5Digest md5(std::span<const uint8_t> data);

} // namespace qs

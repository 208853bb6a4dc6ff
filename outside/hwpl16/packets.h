// Decoding of posted buffers into packets.
#pragma once

#include <hwpl16_control.h>

namespace hwpl16 {

// Decodes the 16-bit packets of a post buffer up to its end word; never reads
// past `bytes`.
void DecodePackets(const BYTE* buffer, DWORD bytes, Post& post);

}  // namespace hwpl16

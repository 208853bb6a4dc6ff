// A post buffer holds 16-bit packets: an opcode word, a word the opcode gives a
// meaning to (often a count), then the rendering context and the packet's data.
// Each opcode has its own length rule; an end word closes the buffer.
#include "packets.h"

#include <hwpl_blocks.h>

namespace hwpl16 {
namespace {

// Segment masks come one per group of up to 32 points.
DWORD MaskGroups(DWORD points) { return points == 0 ? 1 : (points + 31) / 32; }

// The packet's length in words, from its first two words; 0 for an unknown opcode.
DWORD PacketWords(WORD opcode, WORD second) {
  switch (opcode) {
    case 0x0300:
    case 0x0800:
    case 0x1600:
    case 0x1300:
    case 0x0E00:
    case 0x0400:
    case 0x1700:
    case 0x1900:
      return 4;  // opcode, value, context
    case 0x0502:
    case 0x0C00:
      return 6;
    case 0x0002:
    case 0x0102:
      return 8;
    case 0x0402:
    case 0x1800:
      return 10;
    case 0x0702:
      return 12;
    case 0x0602:  // polyline with 16-bit points
      return 4 + 2 * MaskGroups(second) + 2 * second;
    case 0x0A02:  // polyline with 32-bit points
      return 4 + 2 * MaskGroups(second) + 4 * second;
    case 0x0302:  // filled polygon, 16-bit points
      return 4 + 2 * second;
    case 0x0902:  // filled polygon, 32-bit points
      return 4 + 4 * second;
    case 0x0501:  // removed packet: 8 + 4k bytes
      return 4 + 2 * second;
    case hwpl::kBlendOpcode:  // count + 3 32-bit values
      return 2 * (second + 3);
    default:
      return 0;
  }
}

}  // namespace

void DecodePackets(const BYTE* buffer, DWORD bytes, Post& post) {
  DWORD words = bytes / 2;
  DWORD at = 0;
  while (at < words) {
    WORD opcode = hwpl::ReadWord(buffer, at * 2);
    if (opcode == hwpl::kEndWord || opcode == hwpl::kLeafFillerWord) {
      post.ended = true;
      return;
    }
    WORD second = at + 1 < words ? hwpl::ReadWord(buffer, at * 2 + 2) : 0;
    DWORD length = PacketWords(opcode, second);
    if (length == 0 || length > words - at) {
      post.problem = length == 0 ? "unknown opcode" : "packet passes the buffer's end";
      return;
    }
    Packet packet;
    for (DWORD i = 0; i < length; ++i) packet.words.push_back(hwpl::ReadWord(buffer, (at + i) * 2));
    post.packets.push_back(std::move(packet));
    at += length;
  }
  post.problem = "no end word";
}

}  // namespace hwpl16

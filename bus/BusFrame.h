// Bytes of the controller bus: the command frame with its CRC-16, and the
// control bytes of polls, acknowledgements and answers.
#pragma once
#include <cstddef>

namespace VTMultiDrop {

const unsigned char ENQ = 0x05;
const unsigned char SOH = 0x01;
const unsigned char STX = 0x02;
const unsigned char ETX = 0x03;
const unsigned char EOT = 0x04;
const unsigned char ACK = 0x06;
const unsigned char NAK = 0x15;

// Every command frame buffer is this big (a frame is at most 266 bytes).
const size_t FrameBufferSize = 2048;
// The two hexadecimal digits of the length field count code, '0' and data.
const size_t MaxFrameData = 0xFF - 3;
// Bytes of a frame around its data text.
const size_t FrameOverhead = 14;

// CRC-16/XMODEM: polynomial 0x1021, initial 0, no reflection, no final XOR.
extern const unsigned short Crc16Table[256];
void Crc16Update(unsigned char byte, unsigned short& crc, const unsigned short* table);
unsigned short Crc16(const unsigned char* bytes, int count);

// Writes ENQ SOH len STX code '0' data ETX crc EOT and a terminating zero into
// `out`. Uses the first two characters of `code`. Returns false, leaving an
// empty string, when the code is shorter than two characters, the data is
// longer than MaxFrameData or the frame does not fit into `outSize` bytes.
bool BuildFrame(const char* code, char* out, size_t outSize, const char* data);

}  // namespace VTMultiDrop

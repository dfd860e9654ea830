#pragma once
// Decoders of LHA member data: stored (-lh0-) and the sliding dictionary with static Huffman
// coding (-lh4-, -lh5-). Pure: bytes come from a ByteSource and go to a ByteSink; no
// exceptions, no globals.

#include <cstdint>

namespace talven::installer {

class ByteSource {
 public:
  // Up to size bytes into buffer; the count read, 0 at the end, < 0 on failure.
  virtual int32_t Read(uint8_t* buffer, int32_t size) = 0;

 protected:
  ~ByteSource() = default;
};

class ByteSink {
 public:
  virtual bool Write(const uint8_t* data, int32_t size) = 0;

 protected:
  ~ByteSink() = default;
};

enum class DecodeStatus { Ok, Damaged, WriteFailed };

inline constexpr int32_t kLh4DictionaryBits = 12;
inline constexpr int32_t kLh5DictionaryBits = 13;

// Copies a stored member. Packed and original size must agree.
DecodeStatus CopyStored(ByteSource& in, uint64_t packedSize, ByteSink& out, uint64_t originalSize);

// Decodes -lh4- (12 dictionary bits) or -lh5- (13). Exactly originalSize bytes are written
// when the result is Ok; the data may use no more than packedSize bytes of input.
DecodeStatus DecodeLhStatic(int32_t dictionaryBits, ByteSource& in, uint64_t packedSize, ByteSink& out,
                            uint64_t originalSize);

}  // namespace talven::installer

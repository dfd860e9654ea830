#pragma once
// What the port functions need from the system. Port handles are the system's handle
// values as numbers; the family only ever hands the platform handles it got from Open and
// has not closed.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engine/family.h"

namespace talven {

class SerialPlatform : public FamilyPlatform {
 public:
  // Opens a communication device (read and write, no sharing, existing device) with its
  // queue sizes and 50 ms time-outs; the handle, or nullopt when the name is no such
  // device or cannot be opened.
  virtual std::optional<int32_t> Open(const std::string& name, int32_t inQueue, int32_t outQueue) = 0;
  // A control block built from the mode text ("19200,e,7,2", "COM1:9600,n,8,1").
  virtual bool SetMode(int32_t port, const std::string& mode) = 0;
  // The control block's flag word (kept when `flags` is -1) and the XON and XOFF limits.
  virtual bool SetFlags(int32_t port, int32_t flags, int32_t xonLimit, int32_t xoffLimit) = 0;
  // The number of bytes written.
  virtual int32_t Write(int32_t port, const std::string& bytes) = 0;
  // At most `count` of the bytes waiting; never waits for more.
  virtual std::string Read(int32_t port, int32_t count) = 0;
  virtual bool Close(int32_t port) = 0;
  // The error flags, cleared.
  virtual int32_t TakeErrors(int32_t port) = 0;
};

// A host without ports: every open fails.
std::unique_ptr<FamilyPlatform> MakeNoSerial();

}  // namespace talven

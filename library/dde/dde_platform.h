#pragma once
// What the DDE statements need from the system: one client conversation at a time, run by
// window messages. The platform keeps the partner, because the acknowledgements that
// change it arrive at its window.

#include <cstdint>
#include <memory>
#include <string>

#include "engine/family.h"

namespace talven {

enum class DdePost { Posted, NoPartner, Failed };

class DdePlatform : public FamilyPlatform {
 public:
  // Broadcasts the initiate with the two names (empty: any). The first server that answers
  // becomes the partner (the one before gets a terminate); any further one that answers is
  // terminated at once. Returns the partner, unchanged when nobody answered.
  virtual intptr_t Link(const std::string& application, const std::string& topic) = 0;
  // Posts the command to the partner; the acknowledgement arrives later (Acknowledged).
  virtual DdePost Execute(const std::string& command) = 0;
  virtual bool Acknowledged() = 0;
  // The partner is gone (it terminated, its window no longer exists) or there is none.
  virtual bool PartnerGone() = 0;
  // Sleeps until a message arrives or `milliseconds` pass.
  virtual void WaitForMessage(uint32_t milliseconds) = 0;
  virtual uint32_t Milliseconds() = 0;
  // Posts the terminate to the partner and forgets it.
  virtual void Terminate() = 0;
  virtual intptr_t Partner() = 0;
};

std::unique_ptr<FamilyPlatform> MakeNoDde();

}  // namespace talven

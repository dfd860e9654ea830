#pragma once
// Writing the compiler's and the linker's output files.

#include <fstream>
#include <string>

namespace talven {

// Output written under a temporary name and renamed over the final name only when
// Commit is called; a destroyed, uncommitted file is removed.
class PendingOutput {
 public:
  explicit PendingOutput(std::string finalName);
  ~PendingOutput();
  bool Open();
  std::ofstream& Stream() { return m_stream; }
  bool Commit();
  const std::string& TemporaryName() const { return m_temporary; }

 private:
  std::string m_final;
  std::string m_temporary;
  std::ofstream m_stream;
  bool m_committed = false;
};

// True when the two names reach the same existing file.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace talven
